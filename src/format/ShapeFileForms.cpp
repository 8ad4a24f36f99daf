#include "format/ShapeFileForms.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/Convert.h"
#include "common/Utf8Path.h"

namespace quarvel::format {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCompressedMagic = "SIMISA@F";
constexpr std::string_view kBinaryMagic = "SIMISA@@@@@@@@@@";
constexpr std::size_t kCompressedHeader = 16;  // magic, length, "@@@@"

// The converter writes the zlib header 78 9C (default compression); some
// readers accept no other. The stream behind it is deflated at a faster
// level, which the header's level bits only describe and no reader needs.
constexpr unsigned char kZlibHeader[2] = {0x78, 0x9C};
constexpr int kDeflateLevel = 1;

std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

// `text` with the placeholder {size} naming `count` bytes.
Message WithSize(Text text, std::size_t count, TextValues values = {}) {
  values.emplace_back("count", IntToStr(static_cast<long long>(count)));
  return Message{text, std::move(values), {{"size", count == 1 ? Text::OneByte : Text::SomeBytes}}};
}

// The payload of a compressed file. The zlib stream is inflated raw, behind
// its two-byte header, so that a stream whose checksum is wrong or missing
// (written by tools that deflate without zlib) still opens, with a warning.
std::string Inflate(std::string_view file, std::vector<Message>& warnings) {
  if (file.size() < kCompressedHeader + 2 || file.substr(12, 4) != "@@@@")
    throw FormatError(Text::CompressedHeaderIncomplete, {});
  const std::uint32_t declared = ReadU32(file, 8);
  const auto cmf = static_cast<unsigned char>(file[16]);
  const auto flg = static_cast<unsigned char>(file[17]);
  if ((cmf & 0x0F) != 8 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20) != 0)
    throw FormatError(Text::NoZlibData, {});

  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw FormatError(Text::CannotInflate, {});
  const std::string_view input = file.substr(kCompressedHeader + 2);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  std::string payload;
  // The declared length is only a hint for the buffer: a file may lie.
  payload.resize(std::min<std::size_t>(declared, std::size_t{1} << 30) + 1);
  int status = Z_OK;
  for (;;) {
    if (stream.total_out == payload.size()) payload.resize(payload.size() * 2);
    stream.next_out = reinterpret_cast<Bytef*>(payload.data() + stream.total_out);
    stream.avail_out = static_cast<uInt>(payload.size() - stream.total_out);
    status = inflate(&stream, Z_NO_FLUSH);
    if (status == Z_OK) continue;
    // No progress: with room for output left, the input has run out.
    if (status == Z_BUF_ERROR && stream.avail_out == 0) continue;
    break;
  }
  const std::size_t inflated = stream.total_out;
  const std::size_t used = stream.total_in;
  inflateEnd(&stream);
  if (status != Z_STREAM_END) {
    throw FormatError(status == Z_DATA_ERROR ? Message{Text::CompressedDamaged, {}}
                                             : WithSize(Text::CompressedCutShort, inflated));
  }
  payload.resize(inflated);
  // The declared size is always told as "… Bytes": only a header damaged
  // past any shape declares a single byte.
  if (inflated != declared)
    throw FormatError(WithSize(Text::CompressedSizeWrong, inflated,
                               {{"declared", IntToStr(static_cast<long long>(declared))}}));

  std::string_view rest = input.substr(used);
  const std::uint32_t adler = static_cast<std::uint32_t>(
      adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(payload.data()),
              static_cast<uInt>(payload.size())));
  const unsigned char expected[4] = {
      static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
      static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
  if (rest.size() >= 4 && std::memcmp(rest.data(), expected, 4) == 0) {
    rest.remove_prefix(4);
  } else {
    warnings.push_back(Message{Text::ChecksumWrong, {}});
  }
  if (!rest.empty()) warnings.push_back(WithSize(Text::DataBehindStream, rest.size()));
  return payload;
}

// One part of a raw deflate stream: `input` with the `window` bytes that
// precede it in the payload as the dictionary, ended by a flush to a byte
// boundary so that the next part can follow, or as the stream's end. Empty
// when zlib fails.
std::string DeflatePart(std::string_view input, std::string_view window, bool last) {
  z_stream stream{};
  if (deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  std::string out(deflateBound(&stream, static_cast<uLong>(input.size())) + 16, '\0');
  bool sound =
      window.empty() || deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(window.data()),
                                             static_cast<uInt>(window.size())) == Z_OK;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = sound ? deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH) : Z_STREAM_ERROR;
  sound = status == (last ? Z_STREAM_END : Z_OK) && stream.avail_in == 0;
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return sound ? out : std::string();
}

// The zlib stream of `payload`. A big payload is deflated in two halves at
// once, the second with the end of the first as its dictionary (so nothing
// is lost to the cut): saving a big shape waits for the slower half only.
std::string Deflate(std::string_view payload) {
  constexpr std::size_t kHalvedFrom = std::size_t{256} << 10;
  constexpr std::size_t kWindow = std::size_t{32} << 10;  // deflate's reach back
  std::string first, second;
  if (payload.size() >= kHalvedFrom && std::thread::hardware_concurrency() > 1) {
    const std::size_t half = payload.size() / 2;
    std::thread other([&]() noexcept {
      // Memory running out here must not end the program: the half is then
      // missing, and the save fails as any other.
      try {
        second = DeflatePart(payload.substr(half), payload.substr(half - kWindow, kWindow), true);
      } catch (...) {
        second.clear();
      }
    });
    first = DeflatePart(payload.substr(0, half), {}, false);
    other.join();
    if (second.empty()) first.clear();
  } else {
    first = DeflatePart(payload, {}, true);
  }
  if (first.empty()) throw Error(Text::CannotDeflate, {});
  const auto adler = static_cast<std::uint32_t>(
      adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(payload.data()),
              static_cast<uInt>(payload.size())));
  std::string out(reinterpret_cast<const char*>(kZlibHeader), 2);
  out.reserve(2 + first.size() + second.size() + 4);
  out.append(first).append(second);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(adler >> shift));
  return out;
}

// The first bytes of a plain file; reading them from a device or a pipe
// could wait for ever, so those are left to the text reader to refuse.
std::string FirstBytes(const std::string& path, std::size_t count) {
  std::error_code error;
  if (!fs::is_regular_file(PathOf(path), error)) return {};
  std::ifstream in(PathOf(path), std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

std::string ConverterTextOfFile(std::string_view bytes, ShapeFileInfo& info) {
  return Utf16FileBytes(ConverterText(bytes, info));
}

ShapeForm FormOfFile(std::string_view firstBytes) {
  if (firstBytes.starts_with(kCompressedMagic)) return ShapeForm::Compressed;
  if (firstBytes.starts_with(kBinaryMagic) && firstBytes.size() >= 24 &&
      firstBytes.substr(16, 5) == "JINX0" && firstBytes[23] == 'b')
    return ShapeForm::Binary;
  return ShapeForm::Text;
}

namespace {

// The payload of a file in a binary form; `inflated` keeps it for a
// compressed one. Fills `info`.
std::string_view PayloadOf(std::string_view bytes, std::string& inflated, ShapeFileInfo& info) {
  const ShapeForm form = FormOfFile(bytes.substr(0, 24));
  std::string_view payload;
  std::vector<Message> warnings;
  if (form == ShapeForm::Compressed) {
    inflated = Inflate(bytes, warnings);
    payload = inflated;
  } else if (form == ShapeForm::Binary) {
    payload = bytes.substr(kBinaryMagic.size());
  }
  // Text bytes lack the sub-header as much as a binary form cut short.
  if (form == ShapeForm::Text || payload.size() < kSubHeaderSize)
    throw FormatError(Text::NoBinarySubHeader, {{"header", "JINX0s1b"}});
  info.form = form;
  info.subHeaderTail = std::string(payload.substr(8, 8));
  info.warnings.insert(info.warnings.end(), warnings.begin(), warnings.end());
  return payload;
}

}  // namespace

std::string ConverterText(std::string_view bytes, ShapeFileInfo& info) {
  std::string inflated;
  return BinaryToText(PayloadOf(bytes, inflated, info));
}

ReadOutcome ReadShapeFileInAnyForm(const std::string& path, ShapeText& text, std::string& fileBom,
                                   ShapeFileInfo& info, const ReadShapeCallbacks& callbacks) {
  if (FormOfFile(FirstBytes(path, 24)) == ShapeForm::Text) {
    const ReadOutcome outcome = ReadShapeText(path, text, fileBom, callbacks);
    if (outcome == ReadOutcome::Read) info = ShapeFileInfo{};
    return outcome;
  }
  ShapeFileInfo read;
  const std::string bytes = ReadShapeFileBytes(path);
  // Replaced by a text file since its first bytes were read: read as one.
  if (FormOfFile(std::string_view(bytes).substr(0, 24)) == ShapeForm::Text) {
    const ReadOutcome outcome = DecodeShapeBytes(bytes, text, fileBom, callbacks);
    if (outcome == ReadOutcome::Read) info = ShapeFileInfo{};
    return outcome;
  }
  std::string inflated;
  const std::string_view payload = PayloadOf(bytes, inflated, read);
  // Mostly straight into lines; a payload that holds line ends of its own
  // goes through its text and the reader.
  std::vector<std::string> lines;
  lines.reserve(payload.size() / 16);
  std::vector<std::size_t> pieces;
  if (BinaryToLines(payload, lines, pieces)) {
    text.Assign(std::move(lines));
    text.SetContinuations(std::move(pieces));
    fileBom = "\xFF\xFE";
    info = std::move(read);
    return ReadOutcome::Read;
  }
  ReadShapeCallbacks progressOnly;
  progressOnly.progress = callbacks.progress;
  const ReadOutcome outcome =
      DecodeShapeBytes(Utf16FileBytes(BinaryToText(payload)), text, fileBom, progressOnly);
  if (outcome == ReadOutcome::Read) info = std::move(read);
  return outcome;
}

std::string BinaryFileBytes(ShapeForm form, std::string_view payload) {
  std::string bytes;
  if (form == ShapeForm::Compressed) {
    bytes = kCompressedMagic;
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.append(reinterpret_cast<const char*>(&length), 4);
    bytes.append("@@@@");
    bytes.append(Deflate(payload));
  } else {
    bytes = kBinaryMagic;
    bytes.append(payload);
  }
  return bytes;
}

ShapeFileBytes EncodeShapeFile(const std::vector<std::string>& lines, ShapeForm form,
                               const std::string& fileBom, std::string_view subHeaderTail,
                               const TextSource& texts) {
  ShapeFileBytes file;
  if (form == ShapeForm::Text) {
    file.bytes = EncodeShapeBytes(lines, fileBom);
    return file;
  }
  EncodedPayload encoded = TextToBinary(lines, texts, subHeaderTail);
  if (encoded.refusal) {
    file.refusal = std::move(encoded.refusal);
    return file;
  }
  file.bytes = BinaryFileBytes(form, encoded.payload);
  return file;
}

ShapeSaveResult SaveShapeFile(const std::string& path, const std::vector<std::string>& lines,
                              ShapeForm form, const std::string& fileBom,
                              std::string_view subHeaderTail, const TextSource& texts,
                              const std::function<void(std::size_t)>& progress,
                              const std::optional<FileIdentity>& keep) {
  ShapeSaveResult result;
  if (form == ShapeForm::Text) {
    result.failure = WriteShapeFile(path, lines, fileBom, progress, keep);
    return result;
  }
  ShapeFileBytes file = EncodeShapeFile(lines, form, fileBom, subHeaderTail, texts);
  if (file.refusal) {
    result.refusal = std::move(file.refusal);
    return result;
  }
  result.failure = WriteShapeBytes(path, file.bytes, keep);
  return result;
}

}  // namespace quarvel::format
