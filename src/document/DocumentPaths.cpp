#include "document/DocumentPaths.h"

#include <filesystem>

namespace quarvel {

namespace fs = std::filesystem;

std::string FullShapePath(const std::string& path) {
  if (path.empty()) return path;
  const fs::path given(path);
  if (given.is_absolute()) return path;
  std::error_code error;
  const fs::path full = fs::absolute(given, error);
  return error ? path : full.lexically_normal().string();
}

std::string FolderWithSeparator(const std::string& path) {
  const std::string folder = fs::path(path).parent_path().string();
  if (folder.empty()) return "";
  if (folder.back() == fs::path::preferred_separator || folder.back() == '/') return folder;
  return folder + static_cast<char>(fs::path::preferred_separator);
}

std::string FileNameOf(const std::string& path) {
  return fs::path(path).filename().string();
}

std::string CaptionForFile(std::string_view title, const std::string& path) {
  return std::string(title) + "   [ " + FileNameOf(path) + " ]";
}

}  // namespace quarvel
