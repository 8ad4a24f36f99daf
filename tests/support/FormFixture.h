#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "form/Form.h"
#include "support/FakePorts.h"

namespace quarvel::testing {

// A folder of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Writes `lines` as a shape file (UTF-16 with the mark, as the program writes).
void WriteShapeLines(const std::string& path, const std::vector<std::string>& lines);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The path of a file of the corpus of real shapes, or "" when QUARVEL_CORPUS
// is not set.
std::string CorpusDir();

// A headless form with scripted dialogs, started as the program starts: the
// executable lives in a fresh folder with the shipped language file beside it.
class FormFixture {
 public:
  // `programIni`: content of the program INI written before start-up ("" none).
  explicit FormFixture(const std::string& programIni = "", bool start = true);
  ~FormFixture();

  // Puts `lines` into the form as the open command would after reading a file
  // named `fileName` in the fixture's folder: analysis, default assignment,
  // settings file and refresh.
  void LoadShape(const std::vector<std::string>& lines, const std::string& fileName = "shape.s");
  std::string Lang(int number) const { return form.LangText(number); }
  std::string ProgramIniPath() const { return dir.File("quarvel.INI"); }

  TempDir dir;
  FakeDialogs dialogs;
  FakeSystem system;
  FakeRegistry registry;
  Form form;
};

}  // namespace quarvel::testing
