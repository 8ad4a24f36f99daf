// The document commands' view of file names: what the window shows of the
// open file and what the program INI remembers of it for the next open.
#pragma once
#include <string>
#include <string_view>

namespace quarvel {

// The full path the window works with: relative paths (from the command
// line) are made absolute so that the remembered folder stays usable.
std::string FullShapePath(const std::string& path);

// The folder of `path` with a separator at its end ("" for a bare name).
std::string FolderWithSeparator(const std::string& path);

// The name of `path` without its folder.
std::string FileNameOf(const std::string& path);

// The window title with the open file's name: "Title   [ name ]".
std::string CaptionForFile(std::string_view title, const std::string& path);

}  // namespace quarvel
