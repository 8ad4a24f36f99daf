#include "support/FakePorts.h"

#include <gtest/gtest.h>

namespace quarvel::testing {

quarvel::Answer FakeDialogs::Message(BoxKind kind, const std::string& text, Buttons buttons) {
  shown_.push_back({kind, text, buttons});
  if (buttons == Buttons::Ok) return quarvel::Answer::Ok;
  if (answers_.empty()) {
    ++unansweredQuestions;
    ADD_FAILURE() << "unexpected question: " << text;
    return quarvel::Answer::No;
  }
  const quarvel::Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> FakeDialogs::OpenFile(const OpenFileRequest& request) {
  openRequests.push_back(request);
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected open dialog";
    return std::nullopt;
  }
  auto file = files_.front();
  files_.pop_front();
  return file;
}

std::optional<std::string> FakeDialogs::SaveFile(const SaveFileRequest& request) {
  saveRequests.push_back(request);
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected save dialog";
    return std::nullopt;
  }
  auto file = files_.front();
  files_.pop_front();
  return file;
}

}  // namespace quarvel::testing
