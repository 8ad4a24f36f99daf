// quarvel-cli over a folder of shapes: one call for many, in parallel, and
// outputs that never destroy a file, whatever runs beside them.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "SyntheticShape.h"
#include "cli/CliRender.h"
#include "cli/CliRun.h"
#include "common/FileReplace.h"
#include "settings/SettingsFile.h"
#include "shape/ShapeFile.h"
#include "support/ExportedShape.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/ScopedEnvironment.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

#ifdef _WIN32

// The real program as a separate process, which a test may race.
class Process {
 public:
  explicit Process(const std::vector<std::string>& arguments) {
    // None of the arguments holds a quote or ends in a backslash.
    std::wstring line = L"\"" + PathOf(QUARVEL_CLI_PATH).wstring() + L"\"";
    for (const std::string& argument : arguments)
      line += L" \"" + PathOf(argument).wstring() + L"\"";
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    nothing_ =
        ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing_;
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &started)) {
      process_ = started.hProcess;
      ::CloseHandle(started.hThread);
    }
  }
  ~Process() {
    if (process_ != nullptr) {
      if (!status_) ::TerminateProcess(process_, 1);
      ::WaitForSingleObject(process_, INFINITE);
      ::CloseHandle(process_);
    }
    if (nothing_ != INVALID_HANDLE_VALUE) ::CloseHandle(nothing_);
  }
  // The exit code once the process ended, nullopt when it is still running
  // after `limit` (a hang).
  std::optional<int> Wait(std::chrono::milliseconds limit = 60s) {
    DWORD code = 0;
    if (!status_ && process_ != nullptr &&
        ::WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process_, &code))
      status_ = static_cast<int>(code);
    return status_;
  }

 private:
  HANDLE process_ = nullptr;
  HANDLE nothing_ = INVALID_HANDLE_VALUE;
  std::optional<int> status_;
};

int ExitCode(std::optional<int> status) {
  return status.value_or(-1);
}

#else

// The real program as a separate process, which a test may stop or race.
class Process {
 public:
  // With `ignoreInterrupt` it starts as a background job of a script does.
  explicit Process(const std::vector<std::string>& arguments, bool ignoreInterrupt = false) {
    pid_ = ::fork();
    if (pid_ == 0) {
      if (ignoreInterrupt) ::signal(SIGINT, SIG_IGN);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      std::vector<char*> argv = {const_cast<char*>(QUARVEL_CLI_PATH)};
      for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      ::execv(QUARVEL_CLI_PATH, argv.data());
      ::_exit(127);
    }
  }
  ~Process() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  void Signal(int signal) const { ::kill(pid_, signal); }
  // The wait status once the process ended, nullopt when it is still running
  // after `limit` (a hang).
  std::optional<int> Wait(std::chrono::milliseconds limit = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_ && std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
      } else {
        std::this_thread::sleep_for(10ms);
      }
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

int ExitCode(std::optional<int> status) {
  return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

#endif

class CliRoute : public ::testing::Test {
 protected:
  CliRoute() {
    fs::copy_file(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI", dir.File("Quarvel_L.INI"));
    fs::create_directory(dir.File("shapes"));
  }

  int Run(std::vector<std::string> arguments) {
    out.str("");
    err.str("");
    return cli::RunCli(arguments, out, err, dir.File("quarvel-cli"), {},
                       [](const char*) -> const char* { return nullptr; });
  }

  // A shape of `elements` elements in the folder "shapes"; `damaged` leaves
  // the shape's last bracket open, `warned` adds an empty animations block.
  std::string Shape(const std::string& name, int elements = 3, bool damaged = false,
                    bool warned = false, int vertices = 6) {
    std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(elements, vertices));
    if (warned) {
      lines.push_back("\tanimations ( 0 )");
      std::swap(lines[lines.size() - 1], lines[lines.size() - 2]);
    }
    if (damaged) lines.pop_back();
    const std::string path = dir.File("shapes/" + name);
    WriteShapeLines(path, lines);
    return path;
  }

  std::vector<std::string> Lines(const std::string& text) const {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempDir dir;
  std::ostringstream out, err;
};

TEST_F(CliRoute, ARouteIsCheckedInOneCallWithEveryLineNamingItsFile) {
  const std::string a = Shape("a.s"), b = Shape("b.s", 3, true), c = Shape("c.s", 2, false, true);
  EXPECT_EQ(Run({"--check", a, b, c}), cli::kCommandFailed);
  // Every problem names its file and line, as editors jump to them.
  const std::vector<std::string> found = Lines(out.str());
  ASSERT_EQ(found.size(), 2u) << out.str();
  EXPECT_EQ(found[0].rfind(b + ":", 0), 0u) << found[0];
  EXPECT_NE(found[0].find(": error: "), std::string::npos);
  EXPECT_EQ(found[1].rfind(c + ":", 0), 0u) << found[1];
  EXPECT_NE(found[1].find(": warning: "), std::string::npos);
  EXPECT_EQ(Lines(err.str()).back(), "3 shapes: 1 clean, 1 with warnings, 1 with errors");

  // One JSON object per shape and line.
  EXPECT_EQ(Run({"--check", "--json", a, b, c}), cli::kCommandFailed);
  const std::vector<std::string> objects = Lines(out.str());
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(nlohmann::json::parse(objects[1])["file"], b);
  EXPECT_EQ(nlohmann::json::parse(objects[2])["problems"][0]["severity"], "warning");

  // The worst status wins; --quiet leaves the errors alone.
  EXPECT_EQ(Run({"--quiet", "--info", a, dir.File("missing.s"), c}), cli::kCannotRead);
  EXPECT_EQ(err.str(), dir.File("missing.s") + ": error: The file " + dir.File("missing.s") +
                           " was not found.\n");
}

TEST_F(CliRoute, JobsGiveWhatOneJobGivesInTheSameOrder) {
  std::vector<std::string> arguments = {"--info", "--lods", "2"};
  for (int i = 0; i < 12; ++i)
    arguments.push_back(Shape("s" + std::to_string(i) + ".s", 2 + i % 4, i % 5 == 3, i % 3 == 1));
  arguments.push_back("--jobs");
  arguments.push_back("1");
  const int status = Run(arguments);
  const std::string one = out.str(), oneErr = err.str();
  arguments.back() = "4";
  EXPECT_EQ(Run(arguments), status);
  EXPECT_EQ(out.str(), one);
  EXPECT_EQ(err.str(), oneErr);
}

// Merging writes its numbers with "." whatever the locale's separator; with
// shapes merged at once, no run may switch the separator under another.
TEST_F(CliRoute, ShapesMergedAtOnceWriteWhatOneAtATimeWrites) {
  const ScopedEnvironment comma("LC_ALL", "de_DE.UTF-8");
  std::vector<std::string> arguments = {
      "--points-tolerance",        "0.5", "--normals-tolerance", "0.5", "--do",
      "merge-points,merge-normals"};
  for (int i = 0; i < 16; ++i)
    arguments.push_back(Shape("s" + std::to_string(i) + ".s", 3 + i % 5));
  std::vector<std::string> said;  // the merges' questions name their tolerances
  for (const std::string jobs : {"1", "4"}) {
    std::vector<std::string> call = arguments;
    call.insert(call.end(), {"--jobs", jobs, "--out-dir", dir.File("jobs" + jobs)});
    ASSERT_EQ(Run(call), cli::kSuccess) << err.str();
    said.push_back(err.str());
  }
  EXPECT_EQ(said[0], said[1]);
  for (int i = 0; i < 16; ++i) {
    const std::string name = "/s" + std::to_string(i) + ".s";
    EXPECT_TRUE(ReadBytes(dir.File("jobs1") + name) == ReadBytes(dir.File("jobs4") + name)) << name;
  }
  EXPECT_EQ(Run({"--check", dir.File("jobs4/s0.s")}), cli::kSuccess) << out.str();
}

TEST_F(CliRoute, SeveralResultsGoIntoAnotherFolderOrInPlace) {
  const std::string a = Shape("a.s"), b = Shape("b.s");
  EXPECT_EQ(Run({a, b, "--lods", "2", "--do", "generate", "--out-dir", dir.File("split")}),
            cli::kSuccess)
      << err.str();
  EXPECT_NE(ReadBytes(dir.File("split/a.s")), ReadBytes(a));
  EXPECT_TRUE(fs::exists(dir.File("split/b.s")));
  // Never the shapes' own folder (spelt any way), never two results of one name.
  EXPECT_EQ(Run({a, b, "--do", "generate", "--out-dir", dir.File("shapes/../shapes/.")}),
            cli::kUsage);
  fs::create_directory(dir.File("other"));
  fs::copy_file(a, dir.File("other/a.s"));
  EXPECT_EQ(Run({a, dir.File("other/a.s"), "--out-dir", dir.File("split2")}), cli::kUsage);
  // Commands without an output say that nothing is written.
  EXPECT_EQ(Run({a, "--do", "fix-materials"}), cli::kSuccess);
  EXPECT_NE(err.str().find("nothing is written"), std::string::npos);
}

TEST_F(CliRoute, OptionsOfTheCommandLineStandOverTheSettingsFilesAndSaySoOnce) {
  const std::string a = Shape("a.s"), b = Shape("b.s");
  for (const std::string& shape : {a, b})
    WriteBytes(SettingsPathFor(shape), "[LODs]\r\nAnzahl=2\r\n1=100\r\n2=2000\r\n");
  ASSERT_EQ(Run({a, b, "--lods", "3", "--distances", "50,500,2000", "--vertex-limit", "1000",
                 "--info", "--json"}),
            cli::kSuccess)
      << err.str();
  const auto info = nlohmann::json::parse(Lines(out.str())[0]);
  ASSERT_EQ(info["lods"].size(), 3u);
  EXPECT_EQ(info["lods"][0]["distance"], 50);
  EXPECT_EQ(info["subobjects"][0]["lod_vertices"], nlohmann::json::array({18, 18, 18}));
  EXPECT_EQ(info["subobjects"][0]["over_limit"], nlohmann::json::array({false, false, false}));
  const std::string note = ": note: --lods, --distances from the command line";
  const std::string said = err.str();
  EXPECT_NE(said.find(a + note), std::string::npos) << said;
  EXPECT_EQ(said.find(note), said.rfind(note));
}

// The README's case: the shape was exported again with other elements, and
// its stored plan would put them into the wrong sub-objects.
TEST_F(CliRoute, AStoredPlanForOtherElementsIsRefusedUnlessForced) {
  const std::string shape = Shape("loco.s", 4);
  ASSERT_EQ(Run({shape, "--in-place"}), cli::kSuccess) << err.str();  // stores the plan
  const std::string split = dir.File("split.s");
  const struct {
    std::vector<std::string> lines;
    std::string difference;
  } exports[] = {
      {BuildExportedShape(ElementsWithOwnSets(3, 6)), "it names 4 elements, the shape has 3"},
      {[] {
         std::vector<std::string> lines = BuildExportedShape(ElementsWithOwnSets(4, 6));
         for (std::string& line : lines)
           if (const auto at = line.find("Element2"); at != std::string::npos)
             line.replace(at, 8, "Renamed2");
         return lines;
       }(),
       "element 3 is \"Element2\" there and \"Renamed2\" in the shape"},
  };
  for (const auto& [lines, difference] : exports) {
    WriteShapeLines(shape, lines);
    EXPECT_EQ(Run({shape, "--lods", "2", "--do", "generate", "-o", split}), cli::kCommandFailed);
    EXPECT_NE(err.str().find("warning: The stored plan in " + SettingsPathFor(shape) +
                             " belongs to other elements (" + difference + ")"),
              std::string::npos)
        << err.str();
    EXPECT_FALSE(fs::exists(split));
    EXPECT_EQ(Run({shape, "--lods", "2", "--force-plan", "--do", "generate", "-o", split}),
              cli::kSuccess);
    fs::remove(split);
  }
}

// Each of these once blocked for ever, read without end or read the wrong
// thing; now each is refused, naming the file and why, within a second.
TEST_F(CliRoute, WhatCannotBeReadIsRefusedBeforeItIsOpenedAndSaysWhy) {
  const std::string shape = Shape("loco.s");
  SKIP_ON_WINDOWS("FIFOs and sockets in folders");
  MakeFifo(dir.File("pipe.s"));
  fs::create_directory(dir.File("folder.s"));
  WriteBytes(dir.File("short.s"), "\xFF\xFE");
  // "Element0" with its first letter made U+2045.
  std::string wide = ReadBytes(shape);
  wide[wide.find(std::string("E\0l\0e", 5)) + 1] = '\x20';
  WriteBytes(dir.File("wide.s"), wide);
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string says;
  } cases[] = {
      {{dir.File("pipe.s"), "--check"}, cli::kCannotRead, "is not a regular file"},
      {{dir.File("folder.s"), "--info"}, cli::kCannotRead, "is a folder"},
      {{dir.File("short.s"), "--info"}, cli::kCannotRead, "too short for a shape file (2 bytes)"},
      {{dir.File("wide.s"), "--info"}, cli::kCannotRead, "holds the character U+2045"},
  };
  for (const auto& [arguments, status, says] : cases) {
    std::vector<std::string> call = arguments;
    Process process(call);
    EXPECT_EQ(ExitCode(process.Wait(10s)), status) << arguments[0];
    EXPECT_EQ(Run(arguments), status);
    EXPECT_NE(err.str().find(says), std::string::npos) << err.str();
  }
  // A FIFO or a device as the settings file is neither read nor replaced.
  for (const std::string settings : {"fifo", "device"}) {
    fs::remove(SettingsPathFor(shape));
    if (settings == "fifo") {
      MakeFifo(SettingsPathFor(shape));
    } else {
      fs::create_symlink("/dev/zero", SettingsPathFor(shape));
    }
    const std::string before = ReadBytes(shape);
    Process process({shape, "--do", "fix-materials", "--in-place"});
    EXPECT_EQ(ExitCode(process.Wait(10s)), cli::kCannotRead) << settings;
    EXPECT_EQ(ReadBytes(shape), before);
  }
}

// Two runs at once on one shape take turns: the second waits, reads the
// first one's result (a split shape, which it refuses to split again) and
// writes nothing, so the backup always holds the original.
TEST_F(CliRoute, TwoRunsSavingOneShapeAtOnceNeverLoseTheOriginal) {
  const std::string shape = Shape("loco.s", 3);
  const std::string original = ReadBytes(shape);
  const std::vector<std::string> split = {shape, "--lods", "2", "--do", "generate", "--in-place"};
  for (int round = 0; round < 8; ++round) {
    WriteBytes(shape, original);
    fs::remove(BackupPathFor(shape));
    fs::remove(SettingsPathFor(shape));
    Process first(split), second(split);
    const int a = ExitCode(first.Wait()), b = ExitCode(second.Wait());
    EXPECT_EQ(std::min(a, b), cli::kSuccess) << round;
    EXPECT_EQ(std::max(a, b), cli::kCommandFailed) << round;
    EXPECT_TRUE(ReadBytes(BackupPathFor(shape)) == original) << round;
  }
  // A run that cannot have its turn in time gives up and changes nothing.
  const SaveLock held({shape}, 0ms);
  ASSERT_TRUE(held.Held());
  const std::string before = ReadBytes(shape);
  EXPECT_EQ(Run({shape, "--do", "fix-materials", "--in-place", "--lock-wait", "0"}),
            cli::kCannotWrite);
  EXPECT_NE(err.str().find("is being saved by another run"), std::string::npos);
  EXPECT_EQ(ReadBytes(shape), before);
}

// Pictures of a folder of shapes without a display, one beside the other;
// never over what the run reads.
TEST_F(CliRoute, PicturesOfSeveralShapesGoIntoTheOutputFolder) {
  const std::string a = Shape("a.s"), b = Shape("b.s");
  if (!cli::WhyNoPictures().empty()) {
    // Refused before anything is read or written.
    EXPECT_EQ(Run({a, "--render-png", dir.File("a.png")}), cli::kUsage);
    EXPECT_FALSE(fs::exists(PathOf(dir.File("a.png"))));
    GTEST_SKIP() << cli::WhyNoPictures();
  }
  Process process({a, b, "--render-png", "x.png", "--out-dir", dir.File("pictures"), "--size",
                   "64x48", "--flat"});
  ASSERT_EQ(ExitCode(process.Wait()), cli::kSuccess);
  for (const std::string name : {"a.png", "b.png"})
    EXPECT_EQ(ReadBytes(dir.File("pictures/" + name)).substr(1, 3), "PNG") << name;
  EXPECT_FALSE(fs::exists(dir.File("pictures/a.s")));  // nothing changed them
  EXPECT_EQ(Run({a, b, "--render-png", "x.png"}), cli::kUsage);
  fs::copy_file(a, BackupPathFor(a));
  EXPECT_EQ(Run({a, "--render-png", BackupPathFor(a)}), cli::kUsage);
  EXPECT_EQ(ReadBytes(BackupPathFor(a)), ReadBytes(a));
  EXPECT_EQ(Run({a, "--render-png", "x.png", "--view", "below"}), cli::kUsage);
  EXPECT_EQ(Run({a, "--render-png", "x.png", "--size", "10x10"}), cli::kUsage);
}

// Started as a script's background job does (SIGINT ignored), a run over a
// large shape still stops at once, leaving no temporary file.
#ifndef _WIN32
TEST_F(CliRoute, AnInterruptStopsTheRunAndLeavesNoTemporaryFile) {
  const std::string shape = dir.File("shapes/big.s");
  WriteBytes(shape, bench::SyntheticShapeBytes(bench::OptionsForSize(8)));
  const std::string before = ReadBytes(shape);
  for (const auto delay : {300ms, 1500ms}) {
    Process process({shape, "--lods", "2", "--do", "generate", "-o", dir.File("shapes/out.s")},
                    true);
    std::this_thread::sleep_for(delay);
    process.Signal(SIGINT);
    const std::optional<int> status = process.Wait(5s);
    ASSERT_TRUE(status) << "still running";
    EXPECT_TRUE((WIFSIGNALED(*status) && WTERMSIG(*status) == SIGINT) || WIFEXITED(*status));
    for (const auto& entry : fs::directory_iterator(dir.File("shapes")))
      EXPECT_NE(entry.path().filename().string().rfind(".qv-", 0), 0u) << entry.path();
    EXPECT_TRUE(ReadBytes(shape) == before);
  }
}
#endif

}  // namespace
}  // namespace quarvel::testing
