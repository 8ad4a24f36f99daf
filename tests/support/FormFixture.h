#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/Utf8Path.h"
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
  // With the system's separators, as the program names the files it makes.
  std::string File(const std::string& name) const {
    return Utf8Of((path_ / PathOf(name)).make_preferred());
  }

 private:
  std::filesystem::path path_;
};

// Writes `lines` as a shape file (UTF-16 with the mark, as the program writes).
void WriteShapeLines(const std::string& path, const std::vector<std::string>& lines);
// The lines of a shape file as the reader gives them (none when it fails).
std::vector<std::string> ReadShapeLines(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The payload of a compressed shape file, inflated by zlib itself.
std::string InflatedPayload(const std::string& file);

// The folder of real shapes named by QUARVEL_CORPUS, or "" when it is not set.
std::string CorpusDir();
// The rows of a corpus folder's MANIFEST.tsv, each by its column names.
using ManifestRow = std::map<std::string, std::string>;
std::vector<ManifestRow> ReadManifest(const std::string& folder);

// A headless form with scripted dialogs, started as the program starts: the
// executable lives in a fresh folder with the shipped language file beside it.
// A question or file dialog the test did not script fails the test, and so
// does a scripted answer that was never asked for.
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
  std::string Lang(Text text) const { return form.LangText(text); }
  std::string ProgramIniPath() const { return dir.File("quarvel.INI"); }
  // The line count as `Label2` shows it after a command.
  std::string LineCountCaption() const;

  TempDir dir;
  FakeDialogs dialogs;
  FakeSystem system;
  FakeRegistry registry;
  FakeLauncher launcher;
  FakePrinter printer;
  Form form;
};

}  // namespace quarvel::testing
