// The three forms a shape file comes in: UTF-16 text, the binary token form
// ("SIMISA@@@@@@@@@@JINX0s1b") and the compressed form ("SIMISA@F", the
// payload's length, "@@@@", then the binary payload deflated with zlib).
// Files in either binary form are opened as the text the simulator's
// converter makes of them and saved in the form they came in.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileReplace.h"
#include "format/BinaryForm.h"
#include "shape/ShapeFile.h"
#include "shape/ShapeText.h"

namespace quarvel::format {

enum class ShapeForm { Text, Binary, Compressed };

// The form `firstBytes` (the file's first 24 bytes or fewer) says the file
// is in; anything that is neither binary form counts as text.
ShapeForm FormOfFile(std::string_view firstBytes);

// What a shape file was, beyond its text.
struct ShapeFileInfo {
  ShapeForm form = ShapeForm::Text;
  // Bytes 8 to 15 of the binary sub-header, written back on a binary save.
  std::string subHeaderTail{kUsualSubHeaderTail};
  // Oddities of the file that did not stop the reading, for whoever shows
  // them to word.
  std::vector<Message> warnings;
};

// Reads the shape file at `path` in whichever form it is into `text` (empty
// before), as ReadShapeText does for text. A binary form becomes the
// converter's text of it, with the Unicode mark. Throws quarvel::Error when
// the file cannot be read, FormatError when a binary form is damaged; the
// text, the mark and `info` are then as they were.
ReadOutcome ReadShapeFileInAnyForm(const std::string& path, ShapeText& text, std::string& fileBom,
                                   ShapeFileInfo& info, const ReadShapeCallbacks& callbacks = {});

// The text of the binary or compressed file `bytes`, as the converter
// writes it: as Latin-1 characters, or as the bytes of its file (UTF-16
// with the mark). Fills `info`, appending the oddities to its warnings.
// Throws FormatError.
std::string ConverterText(std::string_view bytes, ShapeFileInfo& info);
std::string ConverterTextOfFile(std::string_view bytes, ShapeFileInfo& info);

// The bytes of a file in the binary `form` for `payload`.
std::string BinaryFileBytes(ShapeForm form, std::string_view payload);

// The bytes of a file in `form` holding the text `lines`: for text as
// EncodeShapeBytes writes it, for the binary forms encoded by the grammar.
// Text the grammar refuses gives no bytes and the problem, with its line, in
// the language of `texts`.
struct ShapeFileBytes {
  std::string bytes;
  std::optional<ShapeProblem> refusal;
};
ShapeFileBytes EncodeShapeFile(const std::vector<std::string>& lines, ShapeForm form,
                               const std::string& fileBom, std::string_view subHeaderTail,
                               const TextSource& texts);

// Saves `lines` to `path` in `form` under the rule of WriteShapeFile (the
// text form with its progress, as WriteShapeFile writes it). What stopped it:
// a text the binary forms cannot hold (then nothing is written; the problem
// is in the language of `texts`), or the file's failure; neither when it is
// saved.
struct ShapeSaveResult {
  std::optional<ShapeProblem> refusal;
  std::optional<Message> failure;
};
ShapeSaveResult SaveShapeFile(const std::string& path, const std::vector<std::string>& lines,
                              ShapeForm form, const std::string& fileBom,
                              std::string_view subHeaderTail, const TextSource& texts,
                              const std::function<void(std::size_t)>& progress = {},
                              const std::optional<FileIdentity>& keep = std::nullopt);

}  // namespace quarvel::format
