#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileReplace.h"
#include "shape/ShapeText.h"

namespace quarvel {

// Lines of the reader's output: line 0 unsplit, every further line at most
// 210 characters when it comes from a longer line of the file.
inline constexpr std::size_t kMaxReadLineLength = 210;
inline constexpr std::size_t kProgressEvery = 1000;

struct ReadShapeCallbacks {
  // Asked when the first record does not start with FF FE; true goes on.
  std::function<bool()> continueWithoutUnicodeMark;
  // After every 1000th further line, with the number of further lines so far.
  std::function<void(std::size_t)> progress;
};

enum class ReadOutcome { Read, Declined, Empty };

// Why `path` (links followed) is no shape to read: missing, a folder, or not
// a regular file (a device or pipe may never end, and a FIFO blocks whoever
// opens it); nullopt for a regular file. Asks without opening it.
std::optional<Message> WhyNoPlainFile(const std::string& path);

// Whether a file that starts with `firstBytes` counts as Unicode text: it
// starts with FF FE, the mark of UTF-16 little-endian. A file without the
// mark is asked about, since it may be compressed.
bool HasUnicodeMark(std::string_view firstBytes);

// Reads the shape file at `path` and appends its lines to `text` (which the
// caller has emptied); sets `fileBom` to the first two bytes of the file.
// Throws quarvel::Error when the file is missing, no plain file or cannot be
// read, starts with a line end, holds a NUL character (it is then no text
// file) or a character beyond U+00FF (which the text cannot keep); `text` and `fileBom` are then as
// they were. The file is read in chunks, so its size is bounded only by the memory its lines take.
ReadOutcome ReadShapeText(const std::string& path, ShapeText& text, std::string& fileBom,
                          const ReadShapeCallbacks& callbacks = {});

// The bytes of the shape file at `path`, whole, under the same rules as
// ReadShapeText: a missing file, a folder, a device or a pipe, or a failed
// read throws quarvel::Error.
std::string ReadShapeFileBytes(const std::string& path);

// The same over bytes already in memory; appends to `lines` (which hold part
// of the text when it throws) and to `continuations` the lines that continue
// a longer line of the file.
ReadOutcome DecodeShapeBytes(std::string_view bytes, std::vector<std::string>& lines,
                             std::string& fileBom, const ReadShapeCallbacks& callbacks = {},
                             std::vector<std::size_t>* continuations = nullptr);
// Appends `line` of a file to `lines` as the reader does: cut into pieces
// of at most 210 characters at the last blank within reach (with no blank
// in reach, a piece of one character); the index of every piece after the
// first goes to `continuations`.
void AppendReadLine(std::vector<std::string>& lines, std::string_view line,
                    std::vector<std::size_t>* continuations);

// The same in place of the lines of `text`, which change only when all of
// them were read.
ReadOutcome DecodeShapeBytes(std::string_view bytes, ShapeText& text, std::string& fileBom,
                             const ReadShapeCallbacks& callbacks = {});

// The bytes a shape file holds for `lines`: the mark, line 0 as low bytes,
// every further line as high-byte-first pairs, and a last LF without its
// high byte.
std::string EncodeShapeBytes(const std::vector<std::string>& lines, const std::string& fileBom,
                             const std::function<void(std::size_t)>& progress = {});

// The backup name of a shape file: its extension replaced by ".BAK".
std::string BackupPathFor(const std::string& path);

// Writes `lines` to `path` so that a failure never leaves a damaged file and
// a save never destroys a file it should keep. A symbolic link is followed:
// the file it points to is written and its backup lies beside that file. The
// text goes into a temporary file in the same folder; only when that is on
// the disk does the previous file become the ".BAK" backup (replacing the old
// one) and the new file take its place. Refused, before anything is written:
// a target or backup that is a folder, device, pipe, socket or
// write-protected file, and a save that would replace `keep` (the file the
// text was read from) instead of keeping it as the backup. Returns nullopt
// on success, else why not (naming the file); the file and the old backup
// are then as they were. `progress` is called after every 1000th further
// line with the index of the line written.
std::optional<Message> WriteShapeFile(const std::string& path,
                                      const std::vector<std::string>& lines,
                                      const std::string& fileBom,
                                      const std::function<void(std::size_t)>& progress = {},
                                      const std::optional<FileIdentity>& keep = std::nullopt);

// The same for a file whose bytes are made already (a binary form).
std::optional<Message> WriteShapeBytes(const std::string& path, std::string_view bytes,
                                       const std::optional<FileIdentity>& keep = std::nullopt);

}  // namespace quarvel
