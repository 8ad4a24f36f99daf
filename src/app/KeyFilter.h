// Lets a function see the key presses of a widget before the widget does.
#pragma once
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace quarvel {

class KeyFilter : public QObject {
 public:
  // `onKey` returns true for a key the widget must not get. The filter lives
  // as long as the widget.
  KeyFilter(QWidget* watched, std::function<bool(QKeyEvent&)> onKey)
      : QObject(watched), onKey_(std::move(onKey)) {
    watched->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    return event->type() == QEvent::KeyPress && onKey_(static_cast<QKeyEvent&>(*event));
  }

 private:
  std::function<bool(QKeyEvent&)> onKey_;
};

}  // namespace quarvel
