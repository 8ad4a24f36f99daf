// How long the window takes to show a big shape: the text view alone, and the
// whole open command (read, analysis, tables, text view) as the user sees it.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "BenchForm.h"
#include "app/ShapeTextView.h"
#include "app/TQVForm.h"

namespace {

// One application for the whole run, without a screen unless one was asked for.
void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "quarvel-bench";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
}

class SilentDialogs : public quarvel::Dialogs {
 public:
  quarvel::Answer Message(quarvel::BoxKind, const std::string&, quarvel::Buttons buttons) override {
    return buttons == quarvel::Buttons::Ok ? quarvel::Answer::Ok : quarvel::Answer::Yes;
  }
  std::optional<std::string> OpenFile(const quarvel::OpenFileRequest&) override {
    return std::nullopt;
  }
  std::optional<quarvel::SavedFileChoice> SaveFile(const quarvel::SaveFileRequest&) override {
    return std::nullopt;
  }
  quarvel::Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(quarvel::Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  quarvel::Cursor cursor_ = quarvel::Cursor::Normal;
};

// The text view taking a new text of `range(0)` MB and painting it.
void BM_TextViewShowsShape(benchmark::State& state) {
  EnsureApplication();
  const std::vector<std::string> lines = quarvel::bench::MakeSyntheticShape(
      quarvel::bench::OptionsForSize(static_cast<double>(state.range(0))));
  quarvel::ShapeText text;
  quarvel::ShapeTextView view(text);
  view.resize(806, 480);
  view.show();
  for (auto _ : state) {
    state.PauseTiming();
    text.Assign(lines);
    state.ResumeTiming();
    view.SyncWithDocument();
    view.repaint();
  }
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_TextViewShowsShape)->Arg(30)->Arg(58)->Unit(benchmark::kMillisecond);

// "Öffnen" after the dialog, until the window has painted the result.
void BM_WindowOpensShape(benchmark::State& state) {
  EnsureApplication();
  const quarvel::bench::BigShapeFile file(static_cast<double>(state.range(0)));
  const std::string& path = file.path();
  SilentDialogs dialogs;
  quarvel::bench::BenchSystem system(file.folder());
  quarvel::bench::NoSimulator registry;
  quarvel::bench::NoLauncher launcher;
  quarvel::TQVForm window(quarvel::FormPorts{dialogs, system, registry, launcher});
  window.show();
  for (auto _ : state) {
    window.Run([&] { window.form().OpenShape(path); });
    window.repaint();
  }
  state.counters["lines"] = static_cast<double>(window.form().session.text.Count());
}
BENCHMARK(BM_WindowOpensShape)->Arg(30)->Arg(58)->Unit(benchmark::kMillisecond);

}  // namespace
