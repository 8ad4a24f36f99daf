#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quarvel {

// The open shape: its lines, indexed from 0, each a string of 8-bit characters
// without line ends. Every change sets Modified and, while a listener is
// attached, tells it (the window colours its save buttons then).
class ShapeText {
 public:
  using Lines = std::vector<std::string>;

  std::size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  // A line at or beyond the end reads as the empty string; scans that run
  // past the last line rely on it.
  const std::string& Get(std::size_t index) const {
    return index < lines_.size() ? lines_[index] : EmptyLine();
  }
  const std::string& operator[](std::size_t index) const { return Get(index); }
  const Lines& All() const { return lines_; }

  void Replace(std::size_t index, std::string line);
  void Insert(std::size_t index, std::string line);
  void Delete(std::size_t index);
  // Deletes `count` lines from `index` in one step (no quadratic shifting).
  void DeleteRange(std::size_t index, std::size_t count);
  void Append(std::string line);
  void Clear();
  void Assign(const Lines& lines);
  void Assign(Lines&& lines);
  // Replaces `removed` lines from `first` by `inserted`: how edits typed in the
  // text view reach the document.
  void Splice(std::size_t first, std::size_t removed, Lines inserted);
  // Empties the text and hands its lines over without copying them: the
  // rewriting commands read the old text while they build the new one. The
  // file's line numbers stay, for the messages about the lines taken.
  Lines Take();
  void Reserve(std::size_t count) { lines_.reserve(count); }

  // The 1-based line of the file that line `index` comes from. The reader
  // cuts a file line of more than 210 characters into several lines, and a
  // line a command inserts belongs to the line before it, so the two
  // numbers part after the first such line. A text assigned as a whole
  // numbers its own lines.
  std::size_t FileLine(std::size_t index) const;
  // The lines (rising) that continue the file line before them.
  const std::vector<std::size_t>& Continuations() const { return continuations_; }
  void SetContinuations(std::vector<std::size_t> continuations) {
    continuations_ = std::move(continuations);
  }

  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // Called after every change while set; an empty function detaches it.
  void SetChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }
  bool HasChangeListener() const { return static_cast<bool>(listener_); }

  // Grows with every change; a view compares it with the revision it shows.
  std::uint64_t Revision() const { return revision_; }

 private:
  static const std::string& EmptyLine();
  void Changed();

  // Shifts the continuations at or behind `index` by `delta` lines, dropping
  // those of the `removed` lines from `index` on.
  void ShiftContinuations(std::size_t index, std::size_t removed, std::size_t inserted);

  Lines lines_;
  std::vector<std::size_t> continuations_;
  bool modified_ = false;
  std::uint64_t revision_ = 0;
  std::function<void()> listener_;
};

}  // namespace quarvel
