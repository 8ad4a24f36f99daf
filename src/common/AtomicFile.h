#pragma once
#include <string>
#include <string_view>

namespace quarvel {

// Replaces the file at `path` by `bytes`, or creates it: the bytes go into a
// temporary file in the same folder that is renamed into place, so the file
// is never left half written. A file that is replaced keeps its permissions.
// Throws WriteError naming `path` when the file cannot be written.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quarvel
