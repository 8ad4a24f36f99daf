// The jumps and the search of the text page: they only move the caret (the
// window scrolls it into view) and give the text view the focus.
#include "common/Text.h"
#include "form/Form.h"
#include "ui/TextSearch.h"

namespace quarvel {

namespace {

constexpr const char* kNotFound = "Text ab Cursor nicht gefunden.";

}  // namespace

void Form::PlaceCaret(std::size_t offset) {
  SMemo.caretPosition = offset;
  focusRequest = FocusRequest::SMemo;
}

void Form::SButton1Click() {
  PlaceCaret(0);
}

void Form::SButton2Click() {
  PlaceCaret(TextLength(shapeText.All()));
}

void Form::SButton3Click() {
  PlaceCaret(FirstOccurrence(shapeText.All(), "matrices"));
}

void Form::SButton4Click() {
  SearchForward("hierarchy");
}

void Form::SButton5Click() {
  SearchForward("geometry_nodes");
}

void Form::SButton6Click() {
  if (SucheEdit.text.empty()) return;
  // The text holds Latin-1 only: a key with other characters is found nowhere.
  const std::string key = Utf8ToLatin1(SucheEdit.text);
  SearchForward(Latin1ToUtf8(key) == SucheEdit.text ? key : std::string());
}

void Form::SucheEditKeyPress(char& key) {
  if (key != '\r') return;
  SButton6Click();
  key = 0;
}

void Form::FindShortcut() {
  focusRequest = FocusRequest::SucheEdit;
}

void Form::FindNextShortcut() {
  if (lastSearchKey_) {
    SearchForward(*lastSearchKey_);
  } else {
    SButton6Click();
  }
}

void Form::SearchForward(const std::string& key) {
  lastSearchKey_ = key;
  const SearchOutcome outcome = ForwardSearch(shapeText.All(), SMemo.caretPosition, key);
  SMemo.caretPosition = outcome.caret;
  if (!outcome.found) {
    Message(BoxKind::Information, kNotFound, Buttons::Ok);
    return;
  }
  focusRequest = FocusRequest::SMemo;
}

}  // namespace quarvel
