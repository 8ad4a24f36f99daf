#include "cli/CliDialogs.h"

namespace quarvel::cli {

void ShapeReport::Say(std::string_view kind, const std::string& text,
                      std::optional<std::size_t> line) {
  const bool error = kind == "error";
  if (error) errors.push_back(text);
  if (kind == "warning") ++warnings;
  if (quiet_ && !error) return;
  messages += path_;
  if (line) messages += ":" + std::to_string(*line);
  messages += ": ";
  messages += kind;
  messages += ": " + text + '\n';
}

Answer CliDialogs::Message(BoxKind kind, const std::string& text, Buttons buttons) {
  const char* name = "information";
  switch (kind) {
    case BoxKind::Information:
      name = "information";
      break;
    case BoxKind::Warning:
      name = "warning";
      break;
    case BoxKind::Error:
      name = "error";
      break;
    case BoxKind::Confirmation:
      name = "question";
      break;
  }
  report_.Say(name, text);
  if (recorded != nullptr && kind == BoxKind::Warning) recorded->push_back(text);
  return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
}

}  // namespace quarvel::cli
