// Splitting a shape of about 30 MB into 4 LODs of 8 sub-objects each, as the
// window's command does it, against reading the same file in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "BenchForm.h"
#include "form/Form.h"
#include "shape/ShapeFile.h"

namespace {

using quarvel::bench::BenchSystem;
using quarvel::bench::BigShapeFile;
using quarvel::bench::NoSimulator;
using quarvel::bench::QuietDialogs;

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
  BenchSystem system(file.folder());
  NoSimulator registry;
  quarvel::bench::NoLauncher launcher;
  quarvel::Form form(quarvel::FormPorts{dialogs, system, registry, launcher});
  form.persistProgramIni = false;
  form.FormCreate();
  form.OpenShape(file.path());

  constexpr int kLods = 4, kSubobjects = 8;
  form.LODAnzSpinEditChange(kLods);
  for (int lod = 1; lod <= kLods; ++lod)
    form.StringGrid4.SetCell(1, lod, std::to_string(250 * lod * lod));
  form.LODAnzSpinEditExit();
  for (int lod = 1; lod <= kLods; ++lod) {
    for (int row = 1; row <= form.session.Elements(); ++row)
      form.StringGrid1.SetCell(lod + 2, row, std::to_string((row - 1) % kSubobjects + 1));
    form.StringGrid2.SetCell(lod + 1, 1, "x");
  }
  form.RefreshAssignment();

  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A fresh copy, as opening gives: assigning over the last result would
    // keep its larger buffers and the peak would no longer be the command's.
    form.session.text.Clear();
    form.session.text.Assign(std::vector<std::string>(form.session.undoLines));
    form.Sub_ObjectsButton.enabled = true;
    state.ResumeTiming();
    form.Sub_ObjectsButtonClick();
    written = form.session.text.Count();
  }
  state.counters["lines_in"] = static_cast<double>(form.session.undoLines.size());
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
