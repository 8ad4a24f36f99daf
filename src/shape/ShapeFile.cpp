#include "shape/ShapeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/Error.h"
#include "common/Utf8Path.h"

namespace quarvel {

namespace fs = std::filesystem;

std::optional<Message> WhyNoPlainFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(PathOf(path), error);
  const TextValues named = {{"path", path}};
  if (!fs::exists(status)) return Message{Text::FileNotFound, named};
  if (fs::is_directory(status)) return Message{Text::IsFolderNotFile, named};
  if (!fs::is_regular_file(status)) return Message{Text::NotRegularFile, named};
  return std::nullopt;
}

namespace {

// Both sources hand out the file's records: the bytes up to the next LF, with
// a CR directly before that LF taken off. Other CR bytes are still in the
// record; the decoder drops them. Memory holds the whole file, File reads it
// in chunks so that a file of hundreds of megabytes never sits in memory
// beside its own lines.
class MemoryRecords {
 public:
  explicit MemoryRecords(std::string_view bytes) : bytes_(bytes) {}

  bool Next(std::string_view& record) {
    if (position_ >= bytes_.size()) return false;
    const char* data = bytes_.data();
    const void* found = std::memchr(data + position_, '\n', bytes_.size() - position_);
    std::size_t stop =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : bytes_.size();
    const std::size_t next = found ? stop + 1 : stop;
    if (found && stop > position_ && data[stop - 1] == '\r') --stop;
    record = std::string_view(data + position_, stop - position_);
    position_ = next;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

Error CannotRead(const std::string& path) {
  return Error(Text::FileCannotBeRead, {{"path", path}});
}

void RequirePlainFile(const std::string& path) {
  if (std::optional<Message> refusal = WhyNoPlainFile(path)) throw Error(std::move(*refusal));
}

class FileRecords {
 public:
  explicit FileRecords(const std::string& path) : path_(path) {
    RequirePlainFile(path);
#ifdef _WIN32
    file_ = ::_wfopen(PathOf(path).c_str(), L"rb");
#else
    file_ = std::fopen(path.c_str(), "rb");
#endif
    if (file_ == nullptr) throw CannotRead();
    buffer_.resize(kChunk);
  }
  ~FileRecords() {
    if (file_ != nullptr) std::fclose(file_);
  }
  FileRecords(const FileRecords&) = delete;
  FileRecords& operator=(const FileRecords&) = delete;

  bool Next(std::string_view& record) {
    std::size_t searched = begin_;
    for (;;) {
      const void* found = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
      if (found != nullptr) {
        std::size_t stop =
            static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
        const std::size_t next = stop + 1;
        if (stop > begin_ && buffer_[stop - 1] == '\r') --stop;
        record = std::string_view(buffer_.data() + begin_, stop - begin_);
        begin_ = next;
        return true;
      }
      searched = end_;
      if (atEnd_) {
        if (begin_ == end_) return false;
        record = std::string_view(buffer_.data() + begin_, end_ - begin_);
        begin_ = end_;
        return true;
      }
      // Keep the unfinished record, move it to the front and read on; a
      // record longer than the buffer makes the buffer grow.
      const std::size_t kept = end_ - begin_;
      if (begin_ > 0) std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
      searched -= begin_;
      begin_ = 0;
      end_ = kept;
      if (buffer_.size() - end_ < kChunk / 2) buffer_.resize(buffer_.size() * 2);
      const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
      if (got == 0) {
        if (std::ferror(file_)) throw CannotRead();
        atEnd_ = true;
      }
      end_ += got;
    }
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  Error CannotRead() const {
    return quarvel::CannotRead(path_);
  }

  std::string path_;
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first byte of the next record
  std::size_t end_ = 0;    // end of the bytes read so far
  bool atEnd_ = false;
};

[[noreturn]] void ThrowNotText(std::size_t lineIndex) {
  throw Error(Text::NulCharacter, {{"line", std::to_string(lineIndex + 1)}});
}

}  // namespace

// Every character is looked at a bounded number of times, so even a long
// line without blanks takes linear time.
void AppendReadLine(std::vector<std::string>& lines, std::string_view line,
                    std::vector<std::size_t>* continuations) {
  if (line.size() <= kMaxReadLineLength) {
    lines.emplace_back(line);
    return;
  }
  std::size_t offset = 0;
  std::size_t searchedUpTo = 0;  // [offset, searchedUpTo) is known to hold no blank
  while (line.size() - offset > kMaxReadLineLength) {
    const std::size_t windowEnd = offset + kMaxReadLineLength;
    const std::size_t floor = std::max(offset, searchedUpTo);
    std::size_t cut = 1;
    for (std::size_t i = windowEnd; i > floor; --i) {
      if (line[i - 1] == ' ') {
        cut = i - offset;
        break;
      }
    }
    // Behind the blank found (or in the whole window) there is none.
    searchedUpTo = windowEnd;
    if (offset > 0 && continuations) continuations->push_back(lines.size());
    lines.emplace_back(line.substr(offset, cut));
    offset += cut;
  }
  if (continuations) continuations->push_back(lines.size());
  lines.emplace_back(line.substr(offset));
}

namespace {

// Character j of a further record is the low byte R[2j] of the pair R[2j],
// R[2j+1]; a pair of two zero bytes is a NUL character, which no text holds,
// and a high byte other than zero a character beyond U+00FF, which the
// text's one byte per character cannot hold. The loop is kept simple enough
// for the compiler to vectorise.
enum PairProblems : unsigned char { kNoProblem = 0, kNul = 1, kWide = 2 };
unsigned char DecodePairs(const char* pairs, std::size_t count, char* out) {
  unsigned char nul = 0;
  unsigned char high = 0;
  for (std::size_t j = 0; j < count; ++j) {
    out[j] = pairs[2 * j];
    nul |= static_cast<unsigned char>((pairs[2 * j] | pairs[2 * j + 1]) == 0);
    high |= static_cast<unsigned char>(pairs[2 * j + 1]);
  }
  return static_cast<unsigned char>((nul != 0 ? kNul : 0) | (high != 0 ? kWide : 0));
}

// The first character beyond U+00FF among `count` pairs (low byte first).
[[noreturn]] void ThrowWide(const char* pairs, std::size_t count, std::size_t lineIndex) {
  for (std::size_t j = 0; j < count; ++j) {
    const auto high = static_cast<unsigned char>(pairs[2 * j + 1]);
    if (high == 0) continue;
    char code[8];
    std::snprintf(code, sizeof code, "%02X%02X", high, static_cast<unsigned char>(pairs[2 * j]));
    throw Error(Text::CharacterBeyondLatin1,
                {{"line", std::to_string(lineIndex + 1)}, {"code", code}});
  }
  throw Error(Text::CharacterBeyondLatin1,
              {{"line", std::to_string(lineIndex + 1)}, {"code", "?"}});
}

template <typename Records>
ReadOutcome DecodeRecords(Records& records, std::vector<std::string>& lines, std::string& fileBom,
                          const ReadShapeCallbacks& callbacks,
                          std::vector<std::size_t>* continuations) {
  std::string_view raw;
  if (!records.Next(raw)) return ReadOutcome::Empty;
  std::string withoutCr;  // a record whose stray CR bytes had to be dropped
  const auto dropCr = [&withoutCr](std::string_view record) {
    withoutCr.clear();
    for (char c : record)
      if (c != '\r') withoutCr.push_back(c);
    return std::string_view(withoutCr);
  };

  const std::string_view first = dropCr(raw);
  if (first.empty()) throw Error(Text::StartsWithLineEnd, {});
  fileBom = std::string(first.substr(0, 2));
  if (!HasUnicodeMark(first)) {
    if (!callbacks.continueWithoutUnicodeMark || !callbacks.continueWithoutUnicodeMark())
      return ReadOutcome::Declined;
  }
  // Line 0: the bytes at the odd positions from 3 that lie below n, unsplit.
  std::string line0;
  line0.reserve(first.size() / 2);
  for (std::size_t p = 3; p < first.size(); p += 2) {
    if (first[p - 1] == '\0' && first[p] == '\0') ThrowNotText(0);
    if (first[p] != '\0') ThrowWide(first.data() + p - 1, 1, 0);
    line0.push_back(first[p - 1]);
  }
  lines.push_back(std::move(line0));

  std::string longLine;
  std::size_t further = 0;
  while (records.Next(raw)) {
    // A UTF-16 line holds one CR byte, the one before "00 0A"; the record is
    // then the bytes without it, and the decoder never reaches the byte
    // behind it, so the record is decoded in place. Any other CR means a copy.
    std::string_view record = raw;
    const void* cr = std::memchr(raw.data(), '\r', raw.size());
    if (cr != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(cr) - raw.data());
      if (at + 2 == raw.size() && raw.back() != '\r') {
        record = std::string_view(raw.data(), raw.size() - 1);
      } else {
        record = dropCr(raw);
      }
    }
    const std::size_t n = record.size();
    const std::size_t k = n >= 2 ? n / 2 - 1 : 0;
    unsigned char problems = kNoProblem;
    if (k <= kMaxReadLineLength) {
      std::string& line = lines.emplace_back(k, '\0');
      problems = DecodePairs(record.data() + 1, k, line.data());
    } else {
      longLine.resize(k);
      problems = DecodePairs(record.data() + 1, k, longLine.data());
      if (problems == kNoProblem) AppendReadLine(lines, longLine, continuations);
    }
    if (problems & kNul) ThrowNotText(further + 1);
    if (problems & kWide) ThrowWide(record.data() + 1, k, further + 1);
    ++further;
    if (further % kProgressEvery == 0 && callbacks.progress) callbacks.progress(further);
  }
  return ReadOutcome::Read;
}

// Line 0 as the file holds it: each character as the pair c, 0.
char* EncodeFirstLine(std::string_view line, char* at) {
  for (std::size_t j = 0; j < line.size(); ++j) {
    at[2 * j] = line[j];
    at[2 * j + 1] = '\0';
  }
  at += 2 * line.size();
  *at++ = '\r';
  *at++ = '\0';
  *at++ = '\n';
  return at;
}

// A further line: each character as the pair 0, c, then 0 CR 0 LF. Together
// with the single LF byte behind line 0 this is UTF-16 little-endian shifted
// by one byte, so the file ends with a lone 0x0A.
char* EncodeFurtherLine(std::string_view line, char* at) {
  for (std::size_t j = 0; j < line.size(); ++j) {
    at[2 * j] = '\0';
    at[2 * j + 1] = line[j];
  }
  at += 2 * line.size();
  at[0] = '\0';
  at[1] = '\r';
  at[2] = '\0';
  at[3] = '\n';
  return at + 4;
}

// Feeds the encoded file to `sink` in pieces of about a megabyte.
template <typename Sink>
bool EncodeInChunks(const std::vector<std::string>& lines, const std::string& fileBom,
                    const std::function<void(std::size_t)>& progress, Sink&& sink) {
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  std::vector<char> buffer(kChunk);
  std::size_t used = 0;
  const auto reserve = [&](std::size_t needed) {
    if (used + needed > buffer.size()) {
      if (!sink(buffer.data(), used)) return false;
      used = 0;
      if (needed > buffer.size()) buffer.resize(needed);
    }
    return true;
  };
  const std::string_view line0 = lines.empty() ? std::string_view() : std::string_view(lines[0]);
  if (!reserve(fileBom.size() + 2 * line0.size() + 3)) return false;
  std::memcpy(buffer.data(), fileBom.data(), fileBom.size());
  used = static_cast<std::size_t>(EncodeFirstLine(line0, buffer.data() + fileBom.size()) -
                                  buffer.data());
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!reserve(2 * lines[i].size() + 4)) return false;
    used =
        static_cast<std::size_t>(EncodeFurtherLine(lines[i], buffer.data() + used) - buffer.data());
    if (i % kProgressEvery == 0 && progress) progress(i);
  }
  return used == 0 || sink(buffer.data(), used);
}

}  // namespace

std::string ReadShapeFileBytes(const std::string& path) {
  RequirePlainFile(path);
  std::error_code error;
  std::ifstream in(PathOf(path), std::ios::binary);
  std::string bytes(static_cast<std::size_t>(fs::file_size(PathOf(path), error)), '\0');
  if (!in || error || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    throw CannotRead(path);
  return bytes;
}

bool HasUnicodeMark(std::string_view firstBytes) {
  const auto byte = [&](std::size_t i) {
    return i < firstBytes.size() ? static_cast<unsigned char>(firstBytes[i]) : 0;
  };
  return byte(0) == 0xFF && byte(1) == 0xFE;
}

ReadOutcome DecodeShapeBytes(std::string_view bytes, std::vector<std::string>& lines,
                             std::string& fileBom, const ReadShapeCallbacks& callbacks,
                             std::vector<std::size_t>* continuations) {
  MemoryRecords records(bytes);
  return DecodeRecords(records, lines, fileBom, callbacks, continuations);
}

ReadOutcome DecodeShapeBytes(std::string_view bytes, ShapeText& text, std::string& fileBom,
                             const ReadShapeCallbacks& callbacks) {
  std::vector<std::string> lines;
  lines.reserve(bytes.size() / 80);
  std::vector<std::size_t> continuations;
  std::string bom = fileBom;
  const ReadOutcome outcome = DecodeShapeBytes(bytes, lines, bom, callbacks, &continuations);
  fileBom = bom;
  if (outcome == ReadOutcome::Read) {
    text.Assign(std::move(lines));
    text.SetContinuations(std::move(continuations));
  }
  return outcome;
}

ReadOutcome ReadShapeText(const std::string& path, ShapeText& text, std::string& fileBom,
                          const ReadShapeCallbacks& callbacks) {
  FileRecords records(path);
  std::vector<std::string> lines;
  std::error_code error;
  const auto size = fs::file_size(PathOf(path), error);
  if (!error) lines.reserve(static_cast<std::size_t>(size / 80));
  // The mark is taken over only when the whole file could be read, so a
  // failed read leaves the window's state as it was.
  std::string bom = fileBom;
  std::vector<std::size_t> continuations;
  const ReadOutcome outcome = DecodeRecords(records, lines, bom, callbacks, &continuations);
  fileBom = bom;
  if (outcome == ReadOutcome::Read) {
    if (text.Empty()) {
      text.Assign(std::move(lines));
      text.SetContinuations(std::move(continuations));
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
  std::string out;
  out.reserve(size);
  EncodeInChunks(lines, fileBom, progress, [&out](const char* data, std::size_t count) {
    out.append(data, count);
    return true;
  });
  return out;
}

std::string BackupPathFor(const std::string& path) {
  fs::path backup = PathOf(path);
  backup.replace_extension(".BAK");
  return Utf8Of(backup);
}

namespace {

// Whether a save to `target` (links followed) may go ahead: the general rule
// for both files it replaces, and that the file the text came from survives.
std::optional<Message> RefusalToSave(const std::string& target, const std::string& backup,
                                     bool ownBackup, const std::optional<FileIdentity>& keep) {
  if (auto refusal = RefusalToReplace(target)) return refusal;
  const std::optional<FileIdentity> present = IdentityOf(target);
  if (!present) return std::nullopt;  // a new file: there is nothing to back up
  if (ownBackup) {
    if (keep && *present == *keep) return Message{Text::SourceIsOwnBackup, {{"path", target}}};
    return std::nullopt;
  }
  if (auto refusal = RefusalToReplace(backup))
    return refusal->Inside(Text::BackupRefused, "refusal");
  // A backup that is the target under a second name loses nothing.
  const std::optional<FileIdentity> old = IdentityOf(backup);
  if (keep && old && *old == *keep && *old != *present)
    return Message{Text::BackupIsSource, {{"backup", backup}, {"path", target}}};
  return std::nullopt;
}

// Every save: the rule of what it may replace, the bytes from `write` into
// a temporary file, then the backup and the new file put in place.
template <typename Write>
std::optional<Message> SaveUnderTheRule(const std::string& path,
                                        const std::optional<FileIdentity>& keep, Write&& write) {
  const std::string target = FollowLinks(path);
  const std::string backup = BackupPathFor(target);
  const bool ownBackup = PathOf(backup) == PathOf(target);
  if (auto refusal = RefusalToSave(target, backup, ownBackup, keep)) return refusal;
  const bool hadFile = IdentityOf(target).has_value();

  ReplacementFile file(target);
  if (!file.Failure()) write(file);
  return file.PutInPlace(hadFile && !ownBackup ? backup : std::string());
}

}  // namespace

std::optional<Message> WriteShapeFile(const std::string& path,
                                      const std::vector<std::string>& lines,
                                      const std::string& fileBom,
                                      const std::function<void(std::size_t)>& progress,
                                      const std::optional<FileIdentity>& keep) {
  return SaveUnderTheRule(path, keep, [&](ReplacementFile& file) {
    EncodeInChunks(lines, fileBom, progress,
                   [&file](const char* data, std::size_t size) { return file.Write(data, size); });
  });
}

std::optional<Message> WriteShapeBytes(const std::string& path, std::string_view bytes,
                                       const std::optional<FileIdentity>& keep) {
  return SaveUnderTheRule(path, keep,
                          [&](ReplacementFile& file) { file.Write(bytes.data(), bytes.size()); });
}

}  // namespace quarvel
