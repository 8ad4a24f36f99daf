// Message boxes, file dialogs, the busy cursor and the processing of pending
// events, the way the window shows them.
#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "ports/Ports.h"

namespace quarvel {

class QtDialogs : public Dialogs {
 public:
  // `refresh` brings the window's labels, captions and tables up to date while
  // a long command lets pending events run or a box is shown over it.
  void SetWindow(QWidget* window, std::function<void()> refresh);

  Answer Message(BoxKind kind, const std::string& text, Buttons buttons) override;
  std::optional<std::string> OpenFile(const OpenFileRequest& request) override;
  std::optional<SavedFileChoice> SaveFile(const SaveFileRequest& request) override;
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override;
  // Repaints and shows progress, but leaves clicks and keys in the queue so
  // that a running command cannot be started a second time.
  void ProcessMessages() override;

 private:
  QString Title() const;

  QPointer<QWidget> window_;
  std::function<void()> refresh_;
  Cursor cursor_ = Cursor::Normal;
  QElapsedTimer sinceLastRepaint_;
};

// "description|pattern|description|pattern" as Qt's file dialog lists it:
// "description (patterns)", with ";"-separated patterns and "*.*" meaning any
// file, as on the system the filters were written for.
QStringList QtFileFilters(const std::string& filter);

}  // namespace quarvel
