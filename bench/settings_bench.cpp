#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "common/Convert.h"
#include "settings/SettingsFile.h"

namespace {

namespace fs = std::filesystem;
using quarvel::IntToStr;
using quarvel::StringGrid;

// The largest plan the window can hold: 801 elements in 99 LODs, 99
// sub-objects with sort marks, 801 matrices.
constexpr int kElements = 801;
constexpr int kLods = 99;

struct LargePlan {
  StringGrid elements{kLods + 3, kElements + 1};
  StringGrid subobjects{kLods + 2, 100};
  StringGrid matrices{3, kElements + 1};
  StringGrid distances{2, kLods + 1};
  StringGrid summary{3, kLods + 1};
  fs::path folder;
  std::string path;

  LargePlan() {
    for (int r = 1; r <= kElements; ++r) {
      for (int lod = 1; lod <= kLods; ++lod)
        elements.SetCell(lod + 2, r, IntToStr(1 + (r + lod) % 99));
      matrices.SetCell(2, r, r % 3 == 0 ? "x" : "");
    }
    for (int r = 1; r < subobjects.RowCount(); ++r)
      for (int lod = 1; lod <= kLods; ++lod) subobjects.SetCell(lod + 1, r, r % 2 == 0 ? "x" : "");
    for (int lod = 1; lod <= kLods; ++lod) distances.SetCell(1, lod, IntToStr(lod * 20));
    folder =
        fs::temp_directory_path() / ("quarvel-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    path = (folder / "loco.Quarvel").string();
  }
  ~LargePlan() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  quarvel::SettingsTables Tables() { return {elements, subobjects, matrices, distances, summary}; }

  void Save() {
    quarvel::IniFile file(path);
    quarvel::WriteTolerances(file, 0.001L, 0.001L);
    quarvel::WriteAssignment(file, kLods, elements, subobjects);
    quarvel::WriteAnimationMarks(file, matrices);
    quarvel::WriteLodSetup(file, kLods, distances);
    file.Flush();
  }
};

// Saving over an existing file, as every save after the first does.
void BM_SaveLargeSettings(benchmark::State& state) {
  LargePlan plan;
  plan.Save();
  for (auto _ : state) plan.Save();
  state.counters["keys"] = kElements * kLods;
}
BENCHMARK(BM_SaveLargeSettings)->Unit(benchmark::kMillisecond);

void BM_LoadLargeSettings(benchmark::State& state) {
  LargePlan plan;
  plan.Save();
  for (auto _ : state) {
    const quarvel::IniFile file(plan.path);
    const int lods = quarvel::ReadLodCount(file);
    quarvel::ReadDistances(file, lods, plan.Tables());
    quarvel::ReadElementAssignment(file, lods, plan.Tables());
    quarvel::ReadSortMarks(file, lods, plan.Tables());
    quarvel::ReadAnimationMarks(file, plan.Tables());
    benchmark::DoNotOptimize(plan.elements.Cell(3, 1));
  }
  state.counters["keys"] = kElements * kLods;
}
BENCHMARK(BM_LoadLargeSettings)->Unit(benchmark::kMillisecond);

}  // namespace
