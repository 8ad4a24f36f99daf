// Opening and saving shapes in the compressed form against the plain read
// and write of the same shape as text ("x_text_read_write": both are timed
// in turns in every iteration, so that a machine that gets slower or faster
// meanwhile slows both alike), on the converter's own pair from the corpus
// (QUARVEL_CORPUS), and on a synthetic shape and its tenth, whose times must
// grow no faster than the shape ("x_tenth").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "SyntheticShape.h"
#include "format/ShapeFileForms.h"
#include "shape/ShapeFile.h"

namespace {

namespace fs = std::filesystem;
namespace format = quarvel::format;
using Clock = std::chrono::steady_clock;

const std::string kMark("\xFF\xFE", 2);

double Seconds(Clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

// A shape as text and compressed in a temporary folder.
struct ShapePair {
  std::string text, compressed, folder;
  std::vector<std::string> lines;
};

std::string Folder() {
  static const std::string folder = [] {
    const fs::path path =
        fs::temp_directory_path() / ("quarvel-forms-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(
          fs::temp_directory_path() / ("quarvel-forms-bench-" + std::to_string(::getpid())),
          ignored);
    });
    return path.string();
  }();
  return folder;
}

// Reading and writing the pair's text the way the program does.
void TextReadWrite(const ShapePair& pair) {
  quarvel::ShapeText text;
  std::string bom;
  quarvel::ReadShapeText(pair.text, text, bom);
  quarvel::WriteShapeFile((fs::path(pair.folder) / "copy.s").string(), text.All(), bom);
}

// The converter's pair: its compressed file and its text of it.
const ShapePair* ConverterPair() {
  static const std::optional<ShapePair> pair = []() -> std::optional<ShapePair> {
    const char* corpus = std::getenv("QUARVEL_CORPUS");
    if (corpus == nullptr) return std::nullopt;
    ShapePair p;
    p.folder = Folder();
    p.text = (fs::path(corpus) / "compressed" / "DK10f_A1tPnt5dLft_text.s").string();
    p.compressed = (fs::path(corpus) / "compressed" / "DK10f_A1tPnt5dLft_compressed.s").string();
    if (!fs::exists(p.text) || !fs::exists(p.compressed)) return std::nullopt;
    quarvel::ShapeText text;
    std::string bom;
    quarvel::ReadShapeText(p.text, text, bom);
    p.lines = text.All();
    return p;
  }();
  return pair ? &*pair : nullptr;
}

// A synthetic shape of `megabytes` (as text), in both forms.
const ShapePair& SyntheticPair(int megabytes) {
  static std::map<int, ShapePair> pairs;
  ShapePair& p = pairs[megabytes];
  if (p.lines.empty()) {
    p.folder = Folder();
    p.lines = quarvel::bench::MakeSyntheticShape(quarvel::bench::OptionsForSize(megabytes));
    p.text = (fs::path(p.folder) / ("synthetic" + std::to_string(megabytes) + ".s")).string();
    p.compressed = (fs::path(p.folder) / ("packed" + std::to_string(megabytes) + ".s")).string();
    quarvel::WriteShapeFile(p.text, p.lines, kMark);
    const format::ShapeFileBytes file = format::EncodeShapeFile(
        p.lines, format::ShapeForm::Compressed, kMark, format::kUsualSubHeaderTail, {});
    quarvel::WriteShapeBytes(p.compressed, file.bytes);
  }
  return p;
}

void Open(const ShapePair& pair) {
  quarvel::ShapeText text;
  std::string bom;
  format::ShapeFileInfo info;
  format::ReadShapeFileInAnyForm(pair.compressed, text, bom, info);
  benchmark::DoNotOptimize(text.Count());
}

void Save(const ShapePair& pair) {
  const format::ShapeFileBytes file = format::EncodeShapeFile(
      pair.lines, format::ShapeForm::Compressed, kMark, format::kUsualSubHeaderTail, {});
  quarvel::WriteShapeBytes((fs::path(pair.folder) / "saved.s").string(), file.bytes);
}

// Times `body` (the benchmark's own time) and the text's read and write in
// turns; returns the seconds of `body` per iteration.
double Measured(benchmark::State& state, const ShapePair& pair, void (*body)(const ShapePair&)) {
  double bodySeconds = 0, textSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    TextReadWrite(pair);
    const auto middle = Clock::now();
    body(pair);
    const auto end = Clock::now();
    textSeconds += Seconds(middle - start);
    bodySeconds += Seconds(end - middle);
    state.SetIterationTime(Seconds(end - middle));
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["x_text_read_write"] = bodySeconds / textSeconds;
  state.counters["text_read_write_ms"] = textSeconds / iterations * 1e3;
  return bodySeconds / iterations;
}

void BM_OpenCompressedPair(benchmark::State& state) {
  const ShapePair* pair = ConverterPair();
  if (pair == nullptr) return state.SkipWithError("QUARVEL_CORPUS names no corpus with the pair");
  Measured(state, *pair, Open);
}
BENCHMARK(BM_OpenCompressedPair)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SaveCompressedPair(benchmark::State& state) {
  const ShapePair* pair = ConverterPair();
  if (pair == nullptr) return state.SkipWithError("QUARVEL_CORPUS names no corpus with the pair");
  Measured(state, *pair, Save);
}
BENCHMARK(BM_SaveCompressedPair)->UseManualTime()->Unit(benchmark::kMillisecond);

// The synthetic shape of 3 MB first, then of 30 MB with its time against
// the tenth's.
template <void (*Body)(const ShapePair&)>
void Scaled(benchmark::State& state) {
  static std::map<int, double> seconds;
  const int megabytes = static_cast<int>(state.range(0));
  seconds[megabytes] = Measured(state, SyntheticPair(megabytes), Body);
  if (megabytes == 30 && seconds.count(3)) state.counters["x_tenth"] = seconds[30] / seconds[3];
}

void BM_OpenCompressedSynthetic(benchmark::State& state) {
  Scaled<Open>(state);
}
BENCHMARK(BM_OpenCompressedSynthetic)
    ->Arg(3)
    ->Arg(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_SaveCompressedSynthetic(benchmark::State& state) {
  Scaled<Save>(state);
}
BENCHMARK(BM_SaveCompressedSynthetic)
    ->Arg(3)
    ->Arg(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
