#include <benchmark/benchmark.h>

#include "SyntheticShape.h"
#include "generation/AnimationCleanup.h"

namespace {

// A big shape whose every matrix but the first has controllers, none of them
// marked: the most lines the command ever deletes.
void BM_DeleteAllAnimations(benchmark::State& state) {
  const int matrices = static_cast<int>(state.range(0));
  quarvel::bench::SyntheticShapeOptions options = quarvel::bench::OptionsForSize(30, 40, matrices);
  options.animations = true;
  options.animatedMatrices = matrices - 1;
  const std::vector<std::string> lines = quarvel::bench::MakeSyntheticShape(options);
  quarvel::ShapeTables tables;
  tables.matrices.SetCount(matrices);
  for (int m = 0; m < matrices; ++m)
    tables.matrices.At(m + 1).name = m == 0 ? std::string("MAIN") : "PART" + std::to_string(m);
  const quarvel::Plan unmarked;

  quarvel::ShapeText text;
  std::size_t deleted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    text.Assign(lines);
    state.ResumeTiming();
    deleted = quarvel::DeleteUnmarkedAnimations(text, tables, unmarked, {})->deletedLines;
  }
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["deleted"] = static_cast<double>(deleted);
}
BENCHMARK(BM_DeleteAllAnimations)->Arg(8)->Arg(800)->Unit(benchmark::kMillisecond);

}  // namespace
