// A route's folder checked by the command line: 120 shapes in one call with
// two jobs against 120 calls of one shape each, as a script loops over them.
// The ratio of the two is the figure; each call pays for starting the
// program and loading the language file, which one call pays once.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SyntheticShape.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRouteShapes = 120;

// The route's shapes, made once, of a size common in a route's folder, and
// removed when the benchmarks end.
class Route {
 public:
  Route() : folder_(fs::temp_directory_path() / ("quarvel-route-" + std::to_string(::getpid()))) {
    fs::create_directories(folder_);
    for (int i = 0; i < kRouteShapes; ++i) {
      quarvel::bench::SyntheticShapeOptions options = quarvel::bench::OptionsForSize(0.4, 12, 3);
      options.seed = static_cast<unsigned>(i + 1);
      const std::string bytes = quarvel::bench::SyntheticShapeBytes(options);
      const fs::path path = folder_ / ("shape" + std::to_string(i) + ".s");
      std::ofstream(path, std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      shapes_.push_back(path.string());
    }
  }
  ~Route() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  Route(const Route&) = delete;
  Route& operator=(const Route&) = delete;
  const std::vector<std::string>& Shapes() const { return shapes_; }

 private:
  fs::path folder_;
  std::vector<std::string> shapes_;
};

const std::vector<std::string>& RouteShapes() {
  static const Route route;
  return route.Shapes();
}

int RunCli(const std::vector<std::string>& arguments) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::vector<char*> argv = {const_cast<char*>(QUARVEL_CLI_PATH)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (std::freopen("/dev/null", "w", stdout) == nullptr ||
        std::freopen("/dev/null", "w", stderr) == nullptr)
      ::_exit(127);
    ::execv(QUARVEL_CLI_PATH, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CheckRouteOneCallPerShape(benchmark::State& state) {
  const std::vector<std::string>& shapes = RouteShapes();
  for (auto _ : state)
    for (const std::string& shape : shapes)
      if (RunCli({"--check", shape}) != 0) state.SkipWithError("a shape did not pass the check");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRouteShapes);
}
BENCHMARK(BM_CheckRouteOneCallPerShape)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckRouteInOneCall(benchmark::State& state) {
  std::vector<std::string> arguments = {"--check", "--jobs", std::to_string(state.range(0))};
  for (const std::string& shape : RouteShapes()) arguments.push_back(shape);
  for (auto _ : state)
    if (RunCli(arguments) != 0) state.SkipWithError("a shape did not pass the check");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRouteShapes);
}
BENCHMARK(BM_CheckRouteInOneCall)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
