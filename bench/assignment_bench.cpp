// The evaluation of the element plan runs at every cell the user selects in
// the element table, so it has to fit well within one frame (16 ms) even for
// the biggest plan: 801 elements, 99 LODs and 99 sub-objects.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "SyntheticShape.h"
#include "assignment/AutoSplit.h"
#include "assignment/ElementAssignment.h"
#include "assignment/VertexLimit.h"
#include "shape/AnalyseShape.h"

namespace {

constexpr int kElements = 801;
constexpr int kLods = 99;

struct BigPlan {
  quarvel::ShapeIndex index;
  quarvel::ShapeTables tables;
  quarvel::Plan entries;
  quarvel::PlanSummary summary;

  // Element k goes into sub-object k % 99 + 1; with `every`, all elements
  // after the first 99 go into every sub-object ("0"), the most vertex sets
  // each count can select.
  explicit BigPlan(bool every) {
    quarvel::bench::SyntheticShapeOptions options;
    options.elements = kElements;
    options.matrices = 8;
    options.images = 16;
    quarvel::ShapeText text;
    text.Assign(quarvel::bench::MakeSyntheticShape(options));
    quarvel::AnalyseShape(text, index, tables, {});
    entries.lodCount = kLods;
    for (int row = 1; row <= kElements; ++row)
      for (int lod = 1; lod <= kLods; ++lod)
        entries.SetChoice(row, lod,
                          quarvel::SubobjectChoice(every && row > 99 ? 0 : (row - 1) % 99 + 1));
  }
};

void BM_RefreshAssignment(benchmark::State& state) {
  BigPlan plan(state.range(0) != 0);
  for (auto _ : state) {
    quarvel::RefreshAssignment(plan.tables, plan.entries, plan.summary, plan.index, kLods);
    benchmark::DoNotOptimize(plan.summary.subobjects.Count());
  }
  state.counters["subobjects"] = plan.summary.subobjects.Count();
}
BENCHMARK(BM_RefreshAssignment)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SubobjectVertexCount(benchmark::State& state) {
  BigPlan plan(false);
  int vertices = 0;
  for (auto _ : state) {
    vertices = quarvel::SubobjectVertexCount(plan.entries, kElements, plan.index, 50, 7);
    benchmark::DoNotOptimize(vertices);
  }
  state.counters["vertices"] = vertices;
}
BENCHMARK(BM_SubobjectVertexCount)->Unit(benchmark::kMicrosecond);

// What every refresh of the window adds: the largest sub-object of each LOD,
// for the marks of the LOD summary.
void BM_LargestSubobjectOfEveryLod(benchmark::State& state) {
  BigPlan plan(state.range(0) != 0);
  int largest = 0;
  for (auto _ : state) {
    for (int lod = 1; lod <= kLods; ++lod)
      for (int vertices :
           quarvel::SubobjectVertexCounts(plan.entries, kElements, plan.index, lod, 99))
        largest = std::max(largest, vertices);
    benchmark::DoNotOptimize(largest);
  }
  state.counters["largest"] = largest;
}
BENCHMARK(BM_LargestSubobjectOfEveryLod)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PlanAutoSplit(benchmark::State& state) {
  BigPlan plan(false);
  quarvel::AutoSplitPlan split;
  for (auto _ : state) {
    const auto refusal =
        quarvel::PlanAutoSplit(plan.tables, plan.entries, plan.index, 1, 14000, {}, split);
    benchmark::DoNotOptimize(refusal);
  }
  state.counters["subobjects"] = split.Subobjects();
}
BENCHMARK(BM_PlanAutoSplit)->Unit(benchmark::kMicrosecond);

}  // namespace
