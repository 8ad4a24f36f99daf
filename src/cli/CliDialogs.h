#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "ports/Ports.h"

namespace quarvel::cli {

// Message boxes of the form, written to a stream as "KIND: text"; every
// question is answered Yes.
class CliDialogs : public Dialogs {
 public:
  explicit CliDialogs(std::ostream& out) : out_(out) {}
  Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override;
  std::optional<std::string> OpenFile(const OpenFileRequest&) override { return std::nullopt; }
  std::optional<SavedFileChoice> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override {}

  int warnings = 0;  // warning and error boxes shown
  int errors = 0;
  // While set, the texts of the warning boxes are also collected here.
  std::vector<std::string>* recorded = nullptr;

 private:
  std::ostream& out_;
  Cursor cursor_ = Cursor::Normal;
};

}  // namespace quarvel::cli
