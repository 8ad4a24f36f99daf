#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/Ports.h"

namespace quarvel::cli {

// What the run of one shape prints, kept until it is that shape's turn to
// be shown (shapes are worked on at once but shown in the order given).
// Every message starts with the shape's path and, where there is one, the
// line, as compilers write theirs, so that an editor can jump to it.
class ShapeReport {
 public:
  ShapeReport(std::string path, bool quiet) : path_(std::move(path)), quiet_(quiet) {}

  const std::string& Path() const { return path_; }
  bool Quiet() const { return quiet_; }
  // "error", "warning", "note" and the kinds of the window's boxes; `line`
  // counts from 1.
  void Say(std::string_view kind, const std::string& text,
           std::optional<std::size_t> line = std::nullopt);
  void Error(const std::string& text, std::optional<std::size_t> line = std::nullopt) {
    Say("error", text, line);
  }
  void Warning(const std::string& text, std::optional<std::size_t> line = std::nullopt) {
    Say("warning", text, line);
  }

  std::string out;       // for standard output
  std::string messages;  // for standard error
  // The texts of the errors, for the JSON line of a shape that failed.
  std::vector<std::string> errors;
  int warnings = 0;
  int status = 0;
  // The note that options override the settings file, which a run shows once.
  std::string overrideNote;

 private:
  std::string path_;
  bool quiet_;
};

// Message boxes of the form, said in the report as "KIND: text"; every
// question is answered Yes.
class CliDialogs : public Dialogs {
 public:
  explicit CliDialogs(ShapeReport& report) : report_(report) {}
  Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override;
  std::optional<std::string> OpenFile(const OpenFileRequest&) override { return std::nullopt; }
  std::optional<SavedFileChoice> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override {}

  // While set, the texts of the warning boxes are also collected here.
  std::vector<std::string>* recorded = nullptr;

 private:
  ShapeReport& report_;
  Cursor cursor_ = Cursor::Normal;
};

}  // namespace quarvel::cli
