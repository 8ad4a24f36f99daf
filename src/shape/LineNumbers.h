// The numbers by which messages name lines of the shape text. The window's
// messages use the lines of its text view; the command line's those of the
// file on disk, which differ behind a line the reader cut (see
// ShapeText::FileLine). The commands name lines deep in their algorithms,
// so the choice is made once, by the program that runs them.
#pragma once
#include <cstddef>
#include <string>

#include "shape/ShapeText.h"

namespace quarvel {

// The 1-based number of line `index` of the text the commands work on.
std::size_t ShownLine(std::size_t index);
std::string ShownLineText(std::size_t index);

// While it lives, lines are numbered as in the file `text` was read from.
class NumberLinesAsInFile {
 public:
  explicit NumberLinesAsInFile(const ShapeText& text);
  ~NumberLinesAsInFile();
  NumberLinesAsInFile(const NumberLinesAsInFile&) = delete;
  NumberLinesAsInFile& operator=(const NumberLinesAsInFile&) = delete;

 private:
  const ShapeText* previous_;
};

}  // namespace quarvel
