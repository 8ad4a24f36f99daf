// The binary token form of a shape, read and written by the grammar: its
// payload (the 16-byte "JINX0s1b" sub-header, then the blocks) turned into
// exactly the text the simulator's converter writes, and text turned back
// into that payload.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Error.h"
#include "format/ShapeProblem.h"

namespace quarvel::format {

// A payload that does not follow the grammar; its message says where.
class FormatError : public Error {
 public:
  using Error::Error;
};

inline constexpr std::size_t kSubHeaderSize = 16;
// Bytes 8 to 15 of the sub-header as the converter normally writes them;
// real files also carry others, which are kept.
inline constexpr std::string_view kUsualSubHeaderTail = "______\r\n";

// The converter's text of `payload` as Latin-1 characters: the header
// "SIMISA@@@@@@@@@@JINX0s1t" with the payload's sub-header bytes 8 to 15,
// CR LF, then every block, each line ended by CR LF. Throws FormatError.
std::string BinaryToText(std::string_view payload);

// The lines the reader makes of that text, straight from the payload: each
// as the reader cuts it (the pieces after the first go to `pieces`) and the
// empty line behind the last line end. False, with `lines` to be dropped,
// for a payload whose names or sub-header hold line ends, which only the
// reader itself cuts alike. Throws FormatError.
bool BinaryToLines(std::string_view payload, std::vector<std::string>& lines,
                   std::vector<std::size_t>& pieces);

// The UTF-16 bytes of a text file holding `text`: the byte-order mark, then
// every character as a little-endian pair.
std::string Utf16FileBytes(std::string_view text);

// The payload for the shape text `lines` with `subHeaderTail` as bytes 8 to
// 15 of its sub-header. Text the grammar does not allow (a wrong value, a
// missing field, a block the table does not know) cannot be encoded: the
// result then holds the first such problem, in the language of `texts`, and
// no payload.
struct EncodedPayload {
  std::string payload;
  std::optional<ShapeProblem> refusal;
};
EncodedPayload TextToBinary(const std::vector<std::string>& lines, const TextSource& texts,
                            std::string_view subHeaderTail = kUsualSubHeaderTail);

}  // namespace quarvel::format
