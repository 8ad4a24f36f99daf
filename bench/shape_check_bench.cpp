// The check of a whole shape runs before every generation and for --check:
// one pass over the text that must stay linear. Compare it with
// BM_ReadBigShape and BM_GenerateFourLodsOfEightSubobjects of the same run.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "SyntheticShape.h"
#include "format/ShapeCheck.h"

namespace {

const std::vector<std::string>& Shape(double megabytes) {
  static std::map<double, std::vector<std::string>> shapes;
  auto& lines = shapes[megabytes];
  if (lines.empty())
    lines = quarvel::bench::MakeSyntheticShape(quarvel::bench::OptionsForSize(megabytes));
  return lines;
}

void BM_CheckShape(benchmark::State& state) {
  const std::vector<std::string>& lines = Shape(static_cast<double>(state.range(0)));
  std::size_t problems = 0;
  for (auto _ : state) {
    problems = 0;
    for (const quarvel::ShapeProblem& problem : quarvel::CheckShape(lines, {}))
      problems += problem.kind == quarvel::ProblemKind::Error;
    benchmark::DoNotOptimize(problems);
  }
  if (problems != 0) state.SkipWithError("the synthetic shape should have no error");
  state.counters["lines"] = static_cast<double>(lines.size());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(lines.size()));
}
// A shape three times as big must take three times as long.
BENCHMARK(BM_CheckShape)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
