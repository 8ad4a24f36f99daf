// Merging points and normals of a shape with 60001 of each, a third of them
// within the tolerance of an earlier one: the whole command against the scan
// of every earlier entry over the same numbers, in the same run. The command
// must decide exactly as the scan; "speedup" is the scan's processor time
// over the command's.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchForm.h"
#include "cleanup/Cleanup.h"
#include "form/Form.h"
#include "shape/ShapeFile.h"

namespace {

using quarvel::MergeKind;

constexpr int kEntries = 60001;
constexpr long double kTolerance = 0.001L;

// The processor time of this thread: what another program running at the
// same time takes away does not count.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", value);
  return buffer;
}

// Entries spread at random (points in a 10 m box, normals of unit length);
// every third one lies within half the tolerance of an earlier entry.
std::vector<std::string> Entries(bool normals, std::mt19937& random) {
  std::uniform_real_distribution<double> coordinate(-5, 5), offset(-0.0005, 0.0005);
  std::normal_distribution<double> direction(0, 1);
  std::vector<std::array<double, 3>> values;
  std::vector<std::string> lines;
  const std::string keyword = normals ? "vector" : "point";
  for (int k = 0; k < kEntries; ++k) {
    std::array<double, 3> v{};
    if (k > 0 && k % 3 == 0) {
      v = values[std::uniform_int_distribution<int>(0, k - 1)(random)];
      for (double& c : v) c += offset(random);
    } else if (normals) {
      for (double& c : v) c = direction(random);
      const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
      for (double& c : v) c /= length;
    } else {
      for (double& c : v) c = coordinate(random);
    }
    values.push_back(v);
    lines.push_back("\t\t" + keyword + " ( " + Number(v[0]) + " " + Number(v[1]) + " " +
                    Number(v[2]) + " )");
  }
  return lines;
}

// A shape exported as one sub-object: 60001 points and normals, 60000
// vertices and 40000 triangles, its lines as the reader splits them.
const std::vector<std::string>& Shape() {
  static const std::vector<std::string> lines = [] {
    quarvel::bench::SyntheticShapeOptions options;
    options.elements = 40;
    options.points = kEntries;
    options.normals = kEntries;
    options.verticesPerElement = 1500;
    options.facesPerElement = 1000;
    std::vector<std::string> synthetic = quarvel::bench::MakeSyntheticShape(options);
    std::mt19937 random(17);
    for (const bool normals : {false, true}) {
      const std::string header = normals ? "\tnormals ( " : "\tpoints ( ";
      std::size_t at = 0;
      while (synthetic[at].rfind(header, 0) != 0) ++at;
      const std::vector<std::string> entries = Entries(normals, random);
      std::copy(entries.begin(), entries.end(), synthetic.begin() + static_cast<long>(at) + 1);
    }
    std::vector<std::string> read;
    std::string bom;
    quarvel::DecodeShapeBytes(quarvel::EncodeShapeBytes(synthetic, std::string("\xFF\xFE", 2)),
                              read, bom);
    return read;
  }();
  return lines;
}

// The scan's decisions for one section, made once and timed.
struct Reference {
  quarvel::MergeTable table;
  int kept = 0;
  double seconds = 0;
};

const Reference& ScanOf(MergeKind kind) {
  static Reference references[2];
  Reference& reference = references[kind == MergeKind::Normals];
  if (reference.seconds > 0) return reference;
  quarvel::ShapeText text;
  text.Assign(Shape());
  const quarvel::MergeSection section =
      quarvel::ReadMergeSection(text, kind, *quarvel::FindMergeHeader(text, kind));
  quarvel::ReadMergeEntries(text, section, reference.table);
  const double start = ThreadSeconds();
  reference.kept = quarvel::PlanMergeByScan(reference.table, kEntries, kTolerance, kind);
  reference.seconds = ThreadSeconds() - start;
  return reference;
}

void BM_LiteralScan(benchmark::State& state, MergeKind kind) {
  const Reference& reference = ScanOf(kind);
  for (auto _ : state) state.SetIterationTime(reference.seconds);
  state.counters["kept"] = reference.kept;
}
BENCHMARK_CAPTURE(BM_LiteralScan, Points, MergeKind::Points)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LiteralScan, Normals, MergeKind::Normals)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The button's whole command: finding the section, reading the numbers, the
// plan, the question (answered Yes) and the rebuild of the text.
void BM_MergeCommand(benchmark::State& state, MergeKind kind) {
  const Reference& reference = ScanOf(kind);
  const std::string folder = std::filesystem::temp_directory_path().string();
  quarvel::bench::QuietDialogs dialogs;
  quarvel::bench::BenchSystem system(folder);
  quarvel::bench::NoSimulator registry;
  quarvel::bench::NoLauncher launcher;
  quarvel::Form form(quarvel::FormPorts{dialogs, system, registry, launcher});
  form.persistProgramIni = false;
  form.session.plan.pointTolerance = kTolerance;
  form.session.plan.normalTolerance = kTolerance;
  const bool points = kind == MergeKind::Points;
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A text in fresh memory, line after line, as reading a file leaves it.
    std::vector<std::string> lines(Shape());
    form.session.text.Assign(std::move(lines));
    state.ResumeTiming();
    const double start = ThreadSeconds();
    points ? form.PunkteButtonClick() : form.NormalenButtonClick();
    seconds += ThreadSeconds() - start;
  }
  for (std::size_t k = 0; k < kEntries; ++k) {
    if (form.session.mergeTable[k].newIndex != reference.table[k].newIndex ||
        form.session.mergeTable[k].keep != reference.table[k].keep) {
      state.SkipWithError("the command decided otherwise than the scan");
      return;
    }
  }
  if (form.session.text.Count() != Shape().size() - (kEntries - reference.kept)) {
    state.SkipWithError("the rebuilt text lacks or keeps lines");
    return;
  }
  state.counters["lines"] = static_cast<double>(Shape().size());
  state.counters["kept"] = reference.kept;
  // How many times the command fits into the scan's time.
  state.counters["speedup"] = reference.seconds * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK_CAPTURE(BM_MergeCommand, Points, MergeKind::Points)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeCommand, Normals, MergeKind::Normals)->Unit(benchmark::kMillisecond);

// The plan alone at the tolerances where a grid is weakest: 0 (only equal
// coordinates) and one that puts every point into the same cell.
void BM_PlanPoints(benchmark::State& state, long double tolerance) {
  quarvel::MergeTable table = ScanOf(MergeKind::Points).table;
  int kept = 0;
  for (auto _ : state) kept = quarvel::PlanMerge(table, kEntries, tolerance, MergeKind::Points);
  state.counters["kept"] = kept;
}
BENCHMARK_CAPTURE(BM_PlanPoints, Zero, 0.0L)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlanPoints, Millimetre, 0.001L)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlanPoints, Huge, 1e30L)->Unit(benchmark::kMillisecond);

// The command's other two parts alone: reading the section's numbers, and
// rebuilding the text after the plan.
void BM_ReadEntries(benchmark::State& state, MergeKind kind) {
  quarvel::ShapeText text;
  text.Assign(Shape());
  const quarvel::MergeSection section =
      quarvel::ReadMergeSection(text, kind, *quarvel::FindMergeHeader(text, kind));
  quarvel::MergeTable table;
  for (auto _ : state) quarvel::ReadMergeEntries(text, section, table);
}
BENCHMARK_CAPTURE(BM_ReadEntries, Points, MergeKind::Points)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadEntries, Normals, MergeKind::Normals)->Unit(benchmark::kMillisecond);

void BM_Rebuild(benchmark::State& state, MergeKind kind) {
  const Reference& reference = ScanOf(kind);
  quarvel::MergeTable table = reference.table;
  quarvel::ShapeText text;
  text.Assign(Shape());
  const quarvel::MergeSection section =
      quarvel::ReadMergeSection(text, kind, *quarvel::FindMergeHeader(text, kind));
  std::vector<std::string> lines;
  for (auto _ : state) {
    state.PauseTiming();
    {
      // Fresh memory, as in the command's benchmark; the old lines go here.
      std::vector<std::string> fresh(Shape());
      lines.swap(fresh);
    }
    state.ResumeTiming();
    quarvel::RebuildMergedSection(lines, section, reference.kept, table);
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK_CAPTURE(BM_Rebuild, Points, MergeKind::Points)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Rebuild, Normals, MergeKind::Normals)->Unit(benchmark::kMillisecond);

}  // namespace
