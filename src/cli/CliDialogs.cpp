#include "cli/CliDialogs.h"

#include <ostream>

namespace quarvel::cli {

Answer CliDialogs::Message(BoxKind kind, const std::string& text, Buttons buttons) {
  const char* name = "information";
  switch (kind) {
    case BoxKind::Information:
      name = "information";
      break;
    case BoxKind::Warning:
      name = "warning", ++warnings;
      break;
    case BoxKind::Error:
      name = "error", ++errors;
      break;
    case BoxKind::Confirmation:
      name = "question";
      break;
  }
  out_ << name << ": " << text << '\n';
  if (recorded != nullptr && kind == BoxKind::Warning) recorded->push_back(text);
  return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
}

}  // namespace quarvel::cli
