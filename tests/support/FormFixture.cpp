#include "support/FormFixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "common/Convert.h"
#include "common/Error.h"
#include "shape/ShapeFile.h"

namespace quarvel::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::mt19937_64 random{std::random_device{}()};
  path_ = fs::temp_directory_path() / ("quarvel-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void WriteShapeLines(const std::string& path, const std::vector<std::string>& lines) {
  WriteBytes(path, EncodeShapeBytes(lines, std::string("\xFF\xFE", 2)));
}

std::vector<std::string> ReadShapeLines(const std::string& path) {
  ShapeText text;
  std::string bom;
  try {
    ReadShapeText(path, text, bom);
  } catch (const Error& error) {
    ADD_FAILURE() << error.what();
  }
  return text.All();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string InflatedPayload(const std::string& file) {
  std::uint32_t size = 0;
  if (file.size() >= 16) std::memcpy(&size, file.data() + 8, 4);
  std::string payload(size, '\0');
  uLongf length = size;
  if (file.size() < 16 ||
      uncompress(reinterpret_cast<Bytef*>(payload.data()), &length,
                 reinterpret_cast<const Bytef*>(file.data() + 16), file.size() - 16) != Z_OK)
    ADD_FAILURE() << "no zlib stream behind the header";
  return payload;
}

std::string CorpusDir() {
  const char* corpus = std::getenv("QUARVEL_CORPUS");
  return corpus != nullptr ? corpus : "";
}

std::vector<ManifestRow> ReadManifest(const std::string& folder) {
  std::ifstream in(folder + "/MANIFEST.tsv");
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    std::stringstream stream(line);
    auto& fields = lines.emplace_back();
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  }
  std::vector<ManifestRow> rows;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0].empty()) continue;
    ManifestRow& row = rows.emplace_back();
    for (std::size_t c = 0; c < lines[i].size() && c < lines[0].size(); ++c)
      row[lines[0][c]] = lines[i][c];
  }
  return rows;
}

FormFixture::FormFixture(const std::string& programIni, bool start)
    : form(FormPorts{dialogs, system, registry, launcher, printer}) {
  system.executablePath = dir.File("quarvel");
  system.userConfigDir = dir.File("config");
  fs::copy_file(QUARVEL_SOURCE_DIR "/lang/Quarvel_L.INI", dir.File("Quarvel_L.INI"));
  if (!programIni.empty()) WriteBytes(ProgramIniPath(), programIni);
  SetDecimalSeparator('.');
  if (start) form.FormCreate();
}

FormFixture::~FormFixture() {
  SetDecimalSeparator('.');
  for (const std::string& what : dialogs.unexpected) ADD_FAILURE() << "unexpected " << what;
  if (!dialogs.AllAnswersUsed()) ADD_FAILURE() << "a scripted answer or file was never asked for";
}

std::string FormFixture::LineCountCaption() const {
  return std::to_string(form.session.text.Count()) + " " + Lang(22);
}

void FormFixture::LoadShape(const std::vector<std::string>& lines, const std::string& fileName) {
  form.ResetWindow();
  form.session.text.Assign(lines);
  form.session.text.SetModified(false);
  form.session.path = dir.File(fileName);
  form.EnableOncePerTextCommands();
  form.AnalyseAndPlan();
  form.session.undoLines = form.session.text.All();
}

}  // namespace quarvel::testing
