// Reading and writing shape files against the floor the disk and memory set:
// every benchmark runs through a real file in a temporary folder and reports,
// beside its throughput, how many times slower it is than reading the same
// file's bytes into memory ("x_raw_read").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SyntheticShape.h"
#include "shape/ShapeFile.h"
#include "shape/ShapeText.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One 30 MB shape on disk for the whole run, removed at exit.
class ShapeOnDisk {
 public:
  static ShapeOnDisk& Get() {
    static ShapeOnDisk instance;
    return instance;
  }
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }
  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t bytes() const { return bytes_; }
  // Seconds to read the file's bytes into memory, best of 20 runs.
  double rawReadSeconds() const { return rawReadSeconds_; }

  ~ShapeOnDisk() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

 private:
  ShapeOnDisk() {
    folder_ =
        (fs::temp_directory_path() / ("quarvel-bench-" + std::to_string(::getpid()))).string();
    fs::create_directories(folder_);
    path_ = (fs::path(folder_) / "synthetic.s").string();
    lines_ = quarvel::bench::MakeSyntheticShape(quarvel::bench::OptionsForSize(30));
    const std::string data = quarvel::EncodeShapeBytes(lines_, std::string("\xFF\xFE", 2));
    bytes_ = data.size();
    std::ofstream(path_, std::ios::binary)
        .write(data.data(), static_cast<std::streamsize>(data.size()));
    rawReadSeconds_ = 1e9;
    for (int run = 0; run < 20; ++run) {
      const auto start = Clock::now();
      std::ifstream in(path_, std::ios::binary);
      std::string content(bytes_, '\0');
      in.read(content.data(), static_cast<std::streamsize>(bytes_));
      benchmark::DoNotOptimize(content.data());
      rawReadSeconds_ =
          std::min(rawReadSeconds_, std::chrono::duration<double>(Clock::now() - start).count());
    }
  }

  std::string folder_;
  std::string path_;
  std::vector<std::string> lines_;
  std::size_t bytes_ = 0;
  double rawReadSeconds_ = 0;
};

void Report(benchmark::State& state, Clock::duration elapsed) {
  const ShapeOnDisk& shape = ShapeOnDisk::Get();
  const double perIteration =
      std::chrono::duration<double>(elapsed).count() / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(shape.bytes()));
  state.counters["MB"] = static_cast<double>(shape.bytes()) / 1e6;
  state.counters["x_raw_read"] = perIteration / shape.rawReadSeconds();
}

void BM_ReadFileBytes(benchmark::State& state) {
  const ShapeOnDisk& shape = ShapeOnDisk::Get();
  const auto start = Clock::now();
  for (auto _ : state) {
    std::ifstream in(shape.path(), std::ios::binary);
    std::string content(shape.bytes(), '\0');
    in.read(content.data(), static_cast<std::streamsize>(shape.bytes()));
    benchmark::DoNotOptimize(content.data());
  }
  Report(state, Clock::now() - start);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_ReadShapeText(benchmark::State& state) {
  const ShapeOnDisk& shape = ShapeOnDisk::Get();
  const auto start = Clock::now();
  for (auto _ : state) {
    quarvel::ShapeText text;
    std::string bom;
    quarvel::ReadShapeText(shape.path(), text, bom);
    benchmark::DoNotOptimize(text.Count());
  }
  Report(state, Clock::now() - start);
}
BENCHMARK(BM_ReadShapeText)->Unit(benchmark::kMillisecond);

void BM_WriteShapeFile(benchmark::State& state) {
  const ShapeOnDisk& shape = ShapeOnDisk::Get();
  const std::string target = (fs::path(shape.folder()) / "written.s").string();
  const auto start = Clock::now();
  for (auto _ : state) {
    const auto failure = quarvel::WriteShapeFile(target, shape.lines(), std::string("\xFF\xFE", 2));
    if (failure) state.SkipWithError("the shape could not be written");
  }
  Report(state, Clock::now() - start);
}
BENCHMARK(BM_WriteShapeFile)->Unit(benchmark::kMillisecond);

}  // namespace
