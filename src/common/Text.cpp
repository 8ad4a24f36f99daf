#include "common/Text.h"

#include <algorithm>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quarvel {

namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Decodes one code point at `i` and moves `i` behind it; a malformed byte
// stands for itself (as Latin-1) so that nothing is ever lost.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  int length = 0;
  std::uint32_t code = 0;
  if (byte < 0x80) {
    ++i;
    return byte;
  } else if ((byte & 0xE0) == 0xC0) {
    length = 2, code = byte & 0x1F;
  } else if ((byte & 0xF0) == 0xE0) {
    length = 3, code = byte & 0x0F;
  } else if ((byte & 0xF8) == 0xF0) {
    length = 4, code = byte & 0x07;
  } else {
    ++i;
    return byte;
  }
  if (i + static_cast<std::size_t>(length) > text.size()) {
    ++i;
    return byte;
  }
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return byte;
    }
    code = (code << 6) | (next & 0x3F);
  }
  i += static_cast<std::size_t>(length);
  return code;
}

// What the bytes 0x80..0x9F of code page 1252 stand for (they differ from
// Latin-1); unassigned bytes keep their C1 meaning.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t FoldCase(std::uint32_t code) {
  if (code >= 'A' && code <= 'Z') return code + 0x20;
  if (code >= 0xC0 && code <= 0xDE && code != 0xD7) return code + 0x20;
  return code;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() + latin1.size() / 8);
  for (char c : latin1) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t code = NextCodePoint(utf8, i);
    out += code <= 0xFF ? static_cast<char>(code) : '?';
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 8);
  for (char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte);
  }
  return out;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t code = NextCodePoint(utf8, i);
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out += static_cast<char>(code);
      continue;
    }
    const std::uint16_t* const end = kCp1252High + 32;
    const std::uint16_t* const found = std::find(kCp1252High, end, code);
    if (found == end) return std::nullopt;
    out += static_cast<char>(0x80 + (found - kCp1252High));
  }
  return out;
}

#ifdef _WIN32
namespace {

std::optional<std::string> Utf8ToCodePage(std::string_view utf8, UINT codePage) {
  if (utf8.empty()) return std::string();
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                        0, nullptr, &lossy);
  std::string encoded(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), units, encoded.data(), bytes,
                      nullptr, &lossy);
  if (lossy) return std::nullopt;
  return encoded;
}

}  // namespace
#endif

std::optional<std::string> Utf8ToAnsiCodePage(std::string_view utf8) {
#ifdef _WIN32
  return Utf8ToCodePage(utf8, CP_ACP);
#else
  return Utf8ToCp1252(utf8);
#endif
}

std::optional<std::string> Utf8ToBatchCodePage(std::string_view utf8) {
#ifdef _WIN32
  return Utf8ToCodePage(utf8, CP_OEMCP);
#else
  return Utf8ToAnsiCodePage(utf8);
#endif
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80             ? 1
                         : (byte & 0xE0) == 0xC0 ? 2
                         : (byte & 0xF0) == 0xE0 ? 3
                         : (byte & 0xF8) == 0xF0 ? 4
                                                 : 0;
    if (length == 0 || (length == 2 && byte < 0xC2) || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

std::string AnsiLowerLatin1(std::string_view latin1) {
  std::string out(latin1);
  for (char& c : out) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  return out;
}

std::string CaseFoldUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf8(out, FoldCase(NextCodePoint(text, i)));
  return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size())
    if (FoldCase(NextCodePoint(a, i)) != FoldCase(NextCodePoint(b, j))) return false;
  return i == a.size() && j == b.size();
}

}  // namespace quarvel
