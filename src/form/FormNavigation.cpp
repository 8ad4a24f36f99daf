// The jumps and the search of the text page: they only move the caret (the
// window scrolls it into view) and give the text view the focus.
#include "common/Text.h"
#include "form/Form.h"
#include "ui/TextSearch.h"

namespace quarvel {

namespace {}  // namespace

void Form::PlaceCaret(std::size_t offset) {
  SMemo.caretPosition = offset;
  focusRequest = FocusRequest::SMemo;
}

Outcome Form::SButton1Click() {
  PlaceCaret(0);
  return Outcome::Done();
}

Outcome Form::SButton2Click() {
  PlaceCaret(TextLength(session.text.All()));
  return Outcome::Done();
}

Outcome Form::SButton3Click() {
  PlaceCaret(FirstOccurrence(session.text.All(), "matrices"));
  return Outcome::Done();
}

Outcome Form::SButton4Click() {
  return SearchForward("hierarchy");
}

Outcome Form::SButton5Click() {
  return SearchForward("geometry_nodes");
}

Outcome Form::SButton6Click() {
  if (SucheEdit.text.empty()) return Outcome::Done();
  // The text holds Latin-1 only: a key with other characters is found nowhere.
  const std::string key = Utf8ToLatin1(SucheEdit.text);
  return SearchForward(Latin1ToUtf8(key) == SucheEdit.text ? key : std::string());
}

void Form::SucheEditKeyPress(char& key) {
  if (key != '\r') return;
  SButton6Click();
  key = 0;
}

Outcome Form::FindShortcut() {
  focusRequest = FocusRequest::SucheEdit;
  return Outcome::Done();
}

Outcome Form::FindNextShortcut() {
  return lastSearchKey_ ? SearchForward(*lastSearchKey_) : SButton6Click();
}

Outcome Form::SearchForward(const std::string& key) {
  lastSearchKey_ = key;
  const SearchOutcome outcome = ForwardSearch(session.text.All(), SMemo.caretPosition, key);
  SMemo.caretPosition = outcome.caret;
  if (!outcome.found)
    return session.Refuse(BoxKind::Information, LangText(Text::NotFoundFromCursor));
  focusRequest = FocusRequest::SMemo;
  return Outcome::Done();
}

}  // namespace quarvel
