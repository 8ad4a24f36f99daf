#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "common/Convert.h"
#include "settings/SettingsFile.h"

namespace {

namespace fs = std::filesystem;
using quarvel::IntToStr;

// The largest plan the window can hold: 801 elements in 99 LODs, 99
// sub-objects with sort marks, 801 matrices.
constexpr int kElements = 801;
constexpr int kLods = 99;

struct LargePlan {
  quarvel::ShapeTables tables;
  quarvel::Plan plan;
  quarvel::PlanSummary summary;
  fs::path folder;
  std::string path;

  LargePlan() {
    plan.lodCount = kLods;
    tables.elements.SetCount(kElements);
    tables.matrices.SetCount(kElements);
    summary.subobjects.SetCount(99);
    for (int r = 1; r <= kElements; ++r) {
      for (int lod = 1; lod <= kLods; ++lod)
        plan.SetChoice(r, lod, quarvel::SubobjectChoice(1 + (r + lod) % 99));
      plan.animationMarks.Set(r, r % 3 == 0 ? quarvel::Mark::Set() : quarvel::Mark());
    }
    for (int r = 1; r <= 99; ++r)
      for (int lod = 1; lod <= kLods; ++lod)
        plan.SetSortMark(lod, r, r % 2 == 0 ? quarvel::Mark::Set() : quarvel::Mark());
    for (int lod = 1; lod <= kLods; ++lod) plan.distances.Set(lod, IntToStr(lod * 20));
    folder =
        fs::temp_directory_path() / ("quarvel-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    path = (folder / "loco.Quarvel").string();
  }
  ~LargePlan() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  void Save() {
    quarvel::IniFile file(path);
    plan.pointTolerance = plan.normalTolerance = 0.001L;
    quarvel::WritePlan(file, tables, plan, summary);
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
    quarvel::ReadDistances(file, lods, plan.plan, plan.summary);
    quarvel::ReadElementAssignment(file, lods, kElements, plan.plan, plan.summary);
    quarvel::ReadSortMarks(file, lods, plan.summary.subobjects.Count(), plan.plan);
    quarvel::ReadAnimationMarks(file, kElements, plan.plan);
    benchmark::DoNotOptimize(plan.plan.Choice(1, 1));
  }
  state.counters["keys"] = kElements * kLods;
}
BENCHMARK(BM_LoadLargeSettings)->Unit(benchmark::kMillisecond);

}  // namespace
