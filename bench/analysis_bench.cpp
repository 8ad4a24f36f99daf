// The analysis runs at every open and undo: one pass over the whole text,
// which must stay linear in the number of lines however many elements the
// shape has.
#include <benchmark/benchmark.h>

#include "SyntheticShape.h"
#include "shape/AnalyseShape.h"

namespace {

void BM_AnalyseShape(benchmark::State& state) {
  const double megabytes = static_cast<double>(state.range(0));
  const int elements = static_cast<int>(state.range(1));
  quarvel::ShapeText text;
  text.Assign(quarvel::bench::MakeSyntheticShape(
      quarvel::bench::OptionsForSize(megabytes, elements, elements < 8 ? elements : 8)));
  quarvel::ShapeIndex index;
  quarvel::ShapeTables tables;
  for (auto _ : state) {
    quarvel::AnalyseShape(text, index, tables, {});
    benchmark::DoNotOptimize(index.ElementCount);
  }
  state.counters["lines"] = static_cast<double>(text.Count());
  state.counters["elements"] = static_cast<double>(tables.elements.Count());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.Count()));
}
// The same size with 40 and with the most elements the index holds; and a
// shape three times as big, which must take three times as long.
BENCHMARK(BM_AnalyseShape)
    ->Args({10, 40})
    ->Args({10, 801})
    ->Args({30, 801})
    ->Unit(benchmark::kMillisecond);

}  // namespace
