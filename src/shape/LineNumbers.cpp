#include "shape/LineNumbers.h"

namespace quarvel {

namespace {

thread_local const ShapeText* numberedText = nullptr;

}  // namespace

std::size_t ShownLine(std::size_t index) {
  return numberedText != nullptr ? numberedText->FileLine(index) : index + 1;
}

std::string ShownLineText(std::size_t index) {
  return std::to_string(ShownLine(index));
}

NumberLinesAsInFile::NumberLinesAsInFile(const ShapeText& text) : previous_(numberedText) {
  numberedText = &text;
}

NumberLinesAsInFile::~NumberLinesAsInFile() {
  numberedText = previous_;
}

}  // namespace quarvel
