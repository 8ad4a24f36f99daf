// Opening a shape as the window does it: reading, analysis, default
// assignment, settings and the undo copy, on a file of about 30 MB.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "SyntheticShape.h"
#include "form/Form.h"

namespace {

namespace fs = std::filesystem;

class QuietDialogs : public quarvel::Dialogs {
 public:
  quarvel::Answer Message(quarvel::BoxKind, const std::string&, quarvel::Buttons) override {
    ++messages;
    return quarvel::Answer::Yes;
  }
  std::optional<std::string> OpenFile(const quarvel::OpenFileRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const quarvel::SaveFileRequest&) override { return {}; }
  quarvel::Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(quarvel::Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override {}
  int messages = 0;

 private:
  quarvel::Cursor cursor_ = quarvel::Cursor::Normal;
};

class BenchSystem : public quarvel::SystemInfo {
 public:
  explicit BenchSystem(std::string folder) : folder_(std::move(folder)) {}
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  quarvel::OsVersion OperatingSystem() const override { return {}; }
  std::string ExecutablePath() const override { return folder_ + "/quarvel"; }
  std::string UserConfigDir() const override { return folder_; }

 private:
  std::string folder_;
};

class NoSimulator : public quarvel::SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return ""; }
};

void BM_OpenShape(benchmark::State& state) {
  const fs::path folder =
      fs::temp_directory_path() / ("quarvel-open-bench-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string path = (folder / "big.s").string();
  const std::string bytes = quarvel::bench::SyntheticShapeBytes(quarvel::bench::OptionsForSize(30));
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

  QuietDialogs dialogs;
  BenchSystem system(folder.string());
  NoSimulator registry;
  quarvel::Form form(quarvel::FormPorts{dialogs, system, registry});
  form.FormCreate();
  for (auto _ : state) {
    form.OpenShape(path);
    benchmark::DoNotOptimize(form.UndoLines.data());
  }
  state.counters["lines"] = static_cast<double>(form.shapeText.Count());
  state.counters["elements"] = form.ElementCount();
  state.counters["messages"] = dialogs.messages;  // 0 unless the open failed
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
BENCHMARK(BM_OpenShape)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
