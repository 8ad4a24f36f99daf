#include "shape/ShapeFile.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "common/Error.h"

namespace quarvel {

namespace fs = std::filesystem;

namespace {

// One record of the file: the bytes up to the next LF, without a CR directly
// before it; CR bytes elsewhere are dropped. Records without a stray CR are
// returned as views into the file's bytes, so nothing is copied for them.
class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return position_ >= bytes_.size(); }

  std::string_view Next() {
    const char* data = bytes_.data();
    const std::size_t size = bytes_.size();
    const void* found = std::memchr(data + position_, '\n', size - position_);
    const std::size_t lineEnd =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : size;
    std::size_t stop = lineEnd;
    if (found && stop > position_ && data[stop - 1] == '\r') --stop;
    const std::size_t start = position_;
    position_ = found ? lineEnd + 1 : size;
    const std::string_view record(data + start, stop - start);
    if (record.find('\r') == std::string_view::npos) return record;
    buffer_.clear();
    for (char c : record)
      if (c != '\r') buffer_.push_back(c);
    return buffer_;
  }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
  std::string buffer_;
};

[[noreturn]] void ThrowNotText(std::size_t lineIndex) {
  throw Error("Die Datei ist keine Textdatei (Nullzeichen in Zeile " + std::to_string(lineIndex + 1) +
              ").");
}

// Appends `line` to `lines`, cut into pieces of at most 210 characters at the
// last blank within reach; with no blank in reach a piece of one character.
void AppendSplit(std::vector<std::string>& lines, std::string&& line) {
  if (line.size() <= kMaxReadLineLength) {
    lines.push_back(std::move(line));
    return;
  }
  std::size_t offset = 0;
  while (line.size() - offset > kMaxReadLineLength) {
    std::size_t cut = 1;
    for (std::size_t p = kMaxReadLineLength; p >= 1; --p) {
      if (line[offset + p - 1] == ' ') {
        cut = p;
        break;
      }
    }
    lines.emplace_back(line, offset, cut);
    offset += cut;
  }
  lines.emplace_back(line, offset);
}

std::string ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!fs::exists(path, error)) throw Error("Die Datei " + path + " wurde nicht gefunden.");
  if (fs::is_directory(path, error)) throw Error(path + " ist ein Ordner, keine Datei.");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("Die Datei " + path + " kann nicht gelesen werden.");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw Error("Die Datei " + path + " kann nicht gelesen werden.");
  in.seekg(0, std::ios::beg);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !in.read(bytes.data(), size))
    throw Error("Die Datei " + path + " kann nicht gelesen werden.");
  return bytes;
}

std::string TemporaryPathBeside(const fs::path& target, const char* purpose) {
  static std::mt19937_64 random{std::random_device{}()};
  for (;;) {
    const fs::path candidate =
        target.parent_path() /
        ("." + target.filename().string() + "." + purpose + "-" + std::to_string(random() % 1000000000) +
         ".tmp");
    std::error_code error;
    if (!fs::exists(candidate, error)) return candidate.string();
  }
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace

ReadOutcome DecodeShapeBytes(std::string_view bytes, std::vector<std::string>& lines,
                             std::string& fileBom, const ReadShapeCallbacks& callbacks) {
  if (bytes.empty()) return ReadOutcome::Empty;
  RecordReader reader(bytes);
  std::string_view record = reader.Next();
  if (record.empty())
    throw Error("Die Datei beginnt mit einem Zeilenende und ist keine Shape-Datei.");
  fileBom = std::string(record.substr(0, 2));
  const auto first = static_cast<unsigned char>(record[0]);
  const auto second = record.size() > 1 ? static_cast<unsigned char>(record[1]) : 0;
  if (first != 0xFF && second != 0xFE) {
    if (!callbacks.continueWithoutUnicodeMark || !callbacks.continueWithoutUnicodeMark())
      return ReadOutcome::Declined;
  }
  // Line 0: the bytes at the odd positions from 3 that lie below n.
  std::string line;
  for (std::size_t p = 3; p < record.size(); p += 2) {
    if (record[p - 1] == '\0' && record[p] == '\0') ThrowNotText(0);
    line.push_back(record[p - 1]);
  }
  lines.push_back(std::move(line));

  std::size_t further = 0;
  while (!reader.AtEnd()) {
    record = reader.Next();
    const std::size_t n = record.size();
    const std::size_t k = n >= 2 ? n / 2 - 1 : 0;
    // Character j is the pair R[2j] (low byte), R[2j+1] (high byte).
    std::string decoded(k, '\0');
    const char* pair = record.data() + 1;
    bool sawNul = false;
    for (std::size_t j = 0; j < k; ++j, pair += 2) {
      decoded[j] = pair[0];
      sawNul |= (pair[0] | pair[1]) == 0;
    }
    if (sawNul) ThrowNotText(lines.size());
    AppendSplit(lines, std::move(decoded));
    ++further;
    if (further % kProgressEvery == 0 && callbacks.progress) callbacks.progress(further);
  }
  return ReadOutcome::Read;
}

ReadOutcome ReadShapeText(const std::string& path, ShapeText& text, std::string& fileBom,
                          const ReadShapeCallbacks& callbacks) {
  const std::string bytes = ReadWholeFile(path);
  std::vector<std::string> lines;
  lines.reserve(bytes.size() / 64);
  const ReadOutcome outcome = DecodeShapeBytes(bytes, lines, fileBom, callbacks);
  if (outcome == ReadOutcome::Read) {
    if (text.Empty()) {
      text.Assign(std::move(lines));
    } else {
      for (auto& l : lines) text.Append(std::move(l));
    }
  }
  return outcome;
}

std::string EncodeShapeBytes(const std::vector<std::string>& lines, const std::string& fileBom,
                             const std::function<void(std::size_t)>& progress) {
  std::size_t size = fileBom.size() + 3;
  for (const auto& l : lines) size += 2 * l.size() + 4;
  std::string out(size, '\0');
  char* at = out.data();
  at = std::copy(fileBom.begin(), fileBom.end(), at);
  if (!lines.empty()) {
    for (char c : lines[0]) {
      *at = c;  // the high byte is already 0
      at += 2;
    }
  }
  *at++ = '\r';
  *at++ = '\0';
  *at++ = '\n';
  for (std::size_t i = 1; i < lines.size(); ++i) {
    for (char c : lines[i]) {
      at[1] = c;
      at += 2;
    }
    at[1] = '\r';
    at[3] = '\n';
    at += 4;
    if (i % kProgressEvery == 0 && progress) progress(i);
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
  return out;
}

std::string BackupPathFor(const std::string& path) {
  fs::path backup(path);
  backup.replace_extension(".BAK");
  return backup.string();
}

bool WriteShapeFile(const std::string& path, const std::vector<std::string>& lines,
                    const std::string& fileBom, const std::function<void(std::size_t)>& progress) {
  const fs::path target(path);
  const std::string temporary = TemporaryPathBeside(target, "new");
  const std::string bytes = EncodeShapeBytes(lines, fileBom, progress);
  if (!WriteAll(temporary, bytes)) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }

  std::error_code error;
  const bool hadFile = fs::exists(target, error);
  if (hadFile) {
    // The new file keeps the permissions of the one it replaces.
    const auto permissions = fs::status(target, error).permissions();
    if (!error) fs::permissions(temporary, permissions, error);
  }
  const fs::path backup(BackupPathFor(path));
  const bool backupIsTarget = fs::equivalent(backup, target, error) || backup == target;
  std::string savedBackup;
  if (hadFile && !backupIsTarget) {
    if (fs::exists(backup, error)) {
      savedBackup = TemporaryPathBeside(backup, "old");
      fs::rename(backup, savedBackup, error);
      if (error) {
        fs::remove(temporary, error);
        return false;
      }
    }
    fs::rename(target, backup, error);
    if (error) {
      std::error_code ignored;
      if (!savedBackup.empty()) fs::rename(savedBackup, backup, ignored);
      fs::remove(temporary, ignored);
      return false;
    }
  }
  fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    if (hadFile && !backupIsTarget) {
      fs::rename(backup, target, ignored);
      if (!savedBackup.empty()) fs::rename(savedBackup, backup, ignored);
    }
    fs::remove(temporary, ignored);
    return false;
  }
  if (!savedBackup.empty()) fs::remove(savedBackup, error);
  return true;
}

}  // namespace quarvel
