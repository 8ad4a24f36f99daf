#include "common/AtomicFile.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "common/Error.h"

namespace quarvel {

namespace fs = std::filesystem;

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const fs::path target(path);
  static std::mt19937_64 random{std::random_device{}()};
  const fs::path temporary =
      target.parent_path() /
      ("." + target.filename().string() + "." + std::to_string(random() % 1000000000) + ".tmp");
  std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) {
    ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
  }
  std::error_code error;
  if (ok) {
    const fs::file_status status = fs::status(target, error);
    if (!error && fs::exists(status)) fs::permissions(temporary, status.permissions(), error);
    fs::rename(temporary, target, error);
    ok = !error;
  }
  if (!ok) {
    fs::remove(temporary, error);
    throw WriteError(path);
  }
}

}  // namespace quarvel
