#include "document/DocumentPaths.h"
#include "common/Utf8Path.h"

#include <filesystem>

namespace quarvel {

namespace fs = std::filesystem;

std::string FullShapePath(const std::string& path) {
  if (path.empty()) return path;
  const fs::path given = PathOf(path);
  if (given.is_absolute()) return path;
  std::error_code error;
  const fs::path full = fs::absolute(given, error);
  return error ? path : Utf8Of(full.lexically_normal());
}

std::string FolderWithSeparator(const std::string& path) {
  const std::string folder = Utf8Of(PathOf(path).parent_path());
  if (folder.empty()) return "";
  if (folder.back() == fs::path::preferred_separator || folder.back() == '/') return folder;
  return folder + static_cast<char>(fs::path::preferred_separator);
}

std::string FileNameOf(const std::string& path) {
  return Utf8Of(PathOf(path).filename());
}

std::string CaptionForFile(std::string_view title, const std::string& path) {
  return std::string(title) + "   [ " + FileNameOf(path) + " ]";
}

}  // namespace quarvel
