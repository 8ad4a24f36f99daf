// Opening a shape as the window does it: reading, analysis, default
// assignment, settings and the undo copy, on a file of about 30 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchForm.h"
#include "form/Form.h"

namespace {

using quarvel::bench::BenchSystem;
using quarvel::bench::NoSimulator;
using quarvel::bench::QuietDialogs;

void BM_OpenShape(benchmark::State& state) {
  const quarvel::bench::BigShapeFile file;
  const std::string& path = file.path();

  QuietDialogs dialogs;
  BenchSystem system(file.folder());
  NoSimulator registry;
  quarvel::bench::NoLauncher launcher;
  quarvel::Form form(quarvel::FormPorts{dialogs, system, registry, launcher});
  form.FormCreate();
  for (auto _ : state) {
    form.OpenShape(path);
    benchmark::DoNotOptimize(form.session.undoLines.data());
  }
  state.counters["lines"] = static_cast<double>(form.session.text.Count());
  state.counters["elements"] = form.session.Elements();
  state.counters["messages"] = dialogs.messages;  // 0 unless the open failed
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_OpenShape)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
