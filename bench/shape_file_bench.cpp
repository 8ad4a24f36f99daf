#include <benchmark/benchmark.h>

#include "SyntheticShape.h"
#include "shape/ShapeFile.h"

namespace {

void BM_DecodeShapeBytes(benchmark::State& state) {
  const std::string bytes = quarvel::bench::SyntheticShapeBytes(quarvel::bench::OptionsForSize(30));
  for (auto _ : state) {
    std::vector<std::string> lines;
    std::string bom;
    quarvel::DecodeShapeBytes(bytes, lines, bom);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeShapeBytes)->Unit(benchmark::kMillisecond);

}  // namespace
