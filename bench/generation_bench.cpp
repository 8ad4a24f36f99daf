// Splitting a shape of about 30 MB into 4 LODs of 8 sub-objects each, as the
// window's command does it, against reading the same file in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "SyntheticShape.h"
#include "form/Form.h"
#include "shape/ShapeFile.h"

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

// The shape file, written once for both benchmarks and removed at exit.
class BigShapeFile {
 public:
  BigShapeFile()
      : folder_(fs::temp_directory_path() /
                ("quarvel-generation-bench-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(folder_);
    path_ = (folder_ / "big.s").string();
    const std::string bytes =
        quarvel::bench::SyntheticShapeBytes(quarvel::bench::OptionsForSize(30));
    size_ = bytes.size();
    std::ofstream(path_, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~BigShapeFile() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }
  const fs::path& folder() const { return folder_; }
  std::size_t size() const { return size_; }

 private:
  fs::path folder_;
  std::string path_;
  std::size_t size_ = 0;
};

const BigShapeFile& BigShape() {
  static const BigShapeFile file;
  return file;
}

double Megabytes(double bytes) {
  return bytes / (1024.0 * 1024.0);
}

// The largest resident size of the process so far (Linux reports kilobytes).
double PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void BM_ReadBigShape(benchmark::State& state) {
  const BigShapeFile& file = BigShape();
  quarvel::ShapeText text;
  std::string bom;
  for (auto _ : state) {
    text.Clear();
    quarvel::ReadShapeText(file.path(), text, bom);
    benchmark::DoNotOptimize(text.All().data());
  }
  state.counters["lines"] = static_cast<double>(text.Count());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadBigShape)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every LOD holds all 40 elements, five to a sub-object, and sorts its first
// sub-object: the most text the command writes for this plan.
void BM_GenerateFourLodsOfEightSubobjects(benchmark::State& state) {
  const BigShapeFile& file = BigShape();
  QuietDialogs dialogs;
  BenchSystem system(file.folder().string());
  NoSimulator registry;
  quarvel::Form form(quarvel::FormPorts{dialogs, system, registry});
  form.persistProgramIni = false;
  form.FormCreate();
  form.OpenShape(file.path());

  constexpr int kLods = 4, kSubobjects = 8;
  form.LODAnzSpinEditChange(kLods);
  for (int lod = 1; lod <= kLods; ++lod)
    form.StringGrid4.SetCell(1, lod, std::to_string(250 * lod * lod));
  form.LODAnzSpinEditExit();
  for (int lod = 1; lod <= kLods; ++lod) {
    for (int row = 1; row <= form.ElementCount(); ++row)
      form.StringGrid1.SetCell(lod + 2, row, std::to_string((row - 1) % kSubobjects + 1));
    form.StringGrid2.SetCell(lod + 1, 1, "x");
  }
  form.RefreshAssignment();

  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A fresh copy, as opening gives: assigning over the last result would
    // keep its larger buffers and the peak would no longer be the command's.
    form.shapeText.Clear();
    form.shapeText.Assign(std::vector<std::string>(form.UndoLines));
    form.Sub_ObjectsButton.enabled = true;
    state.ResumeTiming();
    form.Sub_ObjectsButtonClick();
    written = form.shapeText.Count();
  }
  state.counters["lines_in"] = static_cast<double>(form.UndoLines.size());
  state.counters["lines_out"] = static_cast<double>(written);
  state.counters["messages"] = dialogs.messages;  // 0 unless the command refused
  state.counters["file_MB"] = Megabytes(static_cast<double>(file.size()));
  // Run this benchmark alone for a meaningful figure: the process's peak,
  // which holds the text as opened, the source and the new text at once.
  state.counters["peak_MB"] = Megabytes(PeakResidentBytes());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_GenerateFourLodsOfEightSubobjects)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
