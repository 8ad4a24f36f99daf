#include "common/Error.h"

namespace quarvel {
namespace {

// Without a language file the text's number and its values still tell a
// maintainer what went wrong.
std::string StandIn(const Message& message) {
  std::string standIn = "S" + std::to_string(static_cast<int>(message.text));
  for (const auto& [name, value] : message.values) standIn += " " + name + "=" + value;
  for (const auto& [name, text] : message.texts)
    standIn += " " + name + "=S" + std::to_string(static_cast<int>(text));
  return standIn;
}

}  // namespace

Error::Error(Message message)
    : std::runtime_error(StandIn(message)), message_(std::move(message)) {}

std::string Error::In(const TextSource& texts) const {
  if (!message_ || TextFrom(texts, message_->text).empty()) return what();
  return message_->In(texts);
}

WriteError::WriteError(const std::string& path)
    : Error(Text::CannotWriteIn, {{"path", path}}), path_(path) {}

}  // namespace quarvel
