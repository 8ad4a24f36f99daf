// Pictures of the 3D view as PNG files: 8-bit RGB, no interlace.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quarvel::view {

// `rgb` holds width * height pixels, three bytes each, the top row first.
std::string EncodePng(const std::vector<std::uint8_t>& rgb, int width, int height);

}  // namespace quarvel::view
