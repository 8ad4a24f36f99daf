#include "app/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <algorithm>

#include "form/Form.h"

namespace quarvel {

void QtDialogs::SetWindow(QWidget* window, std::function<void()> refresh) {
  window_ = window;
  refresh_ = std::move(refresh);
}

QString QtDialogs::Title() const {
  if (window_ && !window_->windowTitle().isEmpty()) return window_->windowTitle();
  return QString::fromUtf8(kProgramTitle);
}

Answer QtDialogs::Message(BoxKind kind, const std::string& text, Buttons buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (kind) {
    case BoxKind::Information:
      icon = QMessageBox::Information;
      break;
    case BoxKind::Warning:
      icon = QMessageBox::Warning;
      break;
    case BoxKind::Error:
      icon = QMessageBox::Critical;
      break;
    case BoxKind::Confirmation:
      icon = QMessageBox::Question;
      break;
  }
  QMessageBox::StandardButtons standard = QMessageBox::Ok;
  if (buttons == Buttons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
  if (buttons == Buttons::YesNoCancel)
    standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

  // What the box is about is what the window behind it shows.
  if (refresh_) refresh_();
  // A question must be seen with the normal pointer, whatever runs behind it.
  const bool busy = cursor_ == Cursor::Busy;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  QMessageBox box(icon, Title(), QString::fromStdString(text), standard, window_);
  const int pressed = box.exec();
  if (busy) QApplication::restoreOverrideCursor();

  switch (pressed) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    case QMessageBox::Ok:
      return Answer::Ok;
    default:
      // Closed without a button.
      if (buttons == Buttons::YesNoCancel) return Answer::Cancel;
      if (buttons == Buttons::YesNo) return Answer::No;
      return Answer::Ok;
  }
}

QStringList QtFileFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(trailingPatterns);
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
      if (!pattern.isEmpty()) patterns << pattern;
    }
    if (patterns.isEmpty()) continue;
    if (description.isEmpty()) description = patterns.join(QLatin1Char(' '));
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

namespace {

std::optional<std::string> RunFileDialog(QFileDialog& dialog, const std::string& initialDir,
                                         const std::string& fileName, const std::string& filter,
                                         int filterIndex = 0) {
  if (!initialDir.empty()) dialog.setDirectory(QString::fromStdString(initialDir));
  const QStringList filters = QtFileFilters(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (filterIndex > 0 && filterIndex < filters.size())
    dialog.selectNameFilter(filters[filterIndex]);
  if (!fileName.empty()) dialog.selectFile(QString::fromStdString(fileName));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front().toStdString();
}

}  // namespace

std::optional<std::string> QtDialogs::OpenFile(const OpenFileRequest& request) {
  QFileDialog dialog(window_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  return RunFileDialog(dialog, request.initialDir, request.fileName, request.filter);
}

std::optional<SavedFileChoice> QtDialogs::SaveFile(const SaveFileRequest& request) {
  QFileDialog dialog(window_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeOverwrite);
  const std::optional<std::string> path = RunFileDialog(
      dialog, request.initialDir, request.fileName, request.filter, request.filterIndex);
  if (!path) return std::nullopt;
  const auto chosen = QtFileFilters(request.filter).indexOf(dialog.selectedNameFilter());
  return SavedFileChoice{*path, std::max(0, static_cast<int>(chosen))};
}

void QtDialogs::SetCursor(Cursor cursor) {
  if (cursor == cursor_) return;
  if (cursor == Cursor::Busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
  cursor_ = cursor;
}

void QtDialogs::ProcessMessages() {
  // The generation asks for this nine times per element and sub-object;
  // repainting more often than a screen refreshes would only slow it down.
  constexpr qint64 kFrameMilliseconds = 15;
  if (sinceLastRepaint_.isValid() && sinceLastRepaint_.elapsed() < kFrameMilliseconds) return;
  sinceLastRepaint_.start();
  if (refresh_) refresh_();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace quarvel
