// What the benchmarks need to run the headless window: ports that answer
// every question Yes and count the boxes, and a big shape file on disk.
#pragma once
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "SyntheticShape.h"
#include "ports/Ports.h"

namespace quarvel::bench {

class QuietDialogs : public Dialogs {
 public:
  Answer Message(BoxKind, const std::string&, Buttons) override {
    ++messages;
    return Answer::Yes;
  }
  std::optional<std::string> OpenFile(const OpenFileRequest&) override { return {}; }
  std::optional<SavedFileChoice> SaveFile(const SaveFileRequest&) override { return {}; }
  Cursor CurrentCursor() const override { return cursor_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void ProcessMessages() override {}
  int messages = 0;

 private:
  Cursor cursor_ = Cursor::Normal;
};

// The program lives in `folder`, so its INI files stay there.
class BenchSystem : public SystemInfo {
 public:
  explicit BenchSystem(std::string folder) : folder_(std::move(folder)) {}
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  OsVersion OperatingSystem() const override { return {}; }
  std::string ExecutablePath() const override { return folder_ + "/quarvel"; }
  std::string UserConfigDir() const override { return folder_; }
  std::string DateTimeText() const override { return ""; }

 private:
  std::string folder_;
};

class NoSimulator : public SimulatorRegistry {
 public:
  std::string SimulatorPath() const override { return ""; }
};

// The benchmarks start no batch files.
class NoLauncher : public Launcher {
 public:
  std::string PathForScript(const std::string& path) const override { return path; }
  bool StartScript(const std::string&) override { return false; }
};

// A synthetic shape of about `megabytes` MB in a folder of its own, removed
// with the object.
class BigShapeFile {
 public:
  explicit BigShapeFile(double megabytes = 30)
      : folder_(std::filesystem::temp_directory_path() /
                ("quarvel-bench-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "big.s").string();
    const std::string bytes = SyntheticShapeBytes(OptionsForSize(megabytes));
    size_ = bytes.size();
    std::ofstream(path_, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~BigShapeFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  BigShapeFile(const BigShapeFile&) = delete;
  BigShapeFile& operator=(const BigShapeFile&) = delete;

  const std::string& path() const { return path_; }
  std::string folder() const { return folder_.string(); }
  std::size_t size() const { return size_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
  std::size_t size_ = 0;
};

}  // namespace quarvel::bench
