#include "view/Png.h"

#include <zlib.h>

namespace quarvel::view {

namespace {

void PutU32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  PutU32(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                               static_cast<uInt>(typed.size()))));
}

}  // namespace

std::string EncodePng(const std::vector<std::uint8_t>& rgb, int width, int height) {
  std::string raw;
  raw.reserve(static_cast<std::size_t>(height) * (3 * static_cast<std::size_t>(width) + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back('\0');  // no filter: the picture is small beside the time to draw it
    raw.append(reinterpret_cast<const char*>(rgb.data()) + 3 * static_cast<std::size_t>(width) * y,
               3 * static_cast<std::size_t>(width));
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 6);
  packed.resize(size);

  std::string out("\x89PNG\r\n\x1A\n", 8);
  std::string header;
  PutU32(header, static_cast<std::uint32_t>(width));
  PutU32(header, static_cast<std::uint32_t>(height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", packed);
  Chunk(out, "IEND", "");
  return out;
}

}  // namespace quarvel::view
