#include "settings/IniFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "common/Convert.h"
#include "common/Error.h"
#include "common/FileReplace.h"
#include "common/Text.h"
#include "common/Utf8Path.h"

namespace quarvel {

namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// A value in matching quotes is read without them, as the Windows service does.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::string Truncate(std::string_view utf8, std::size_t maxCharacters) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
      if (characters == maxCharacters) return std::string(utf8.substr(0, i));
      ++characters;
    }
  }
  return std::string(utf8);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  Reload();
}

void IniFile::Reload() {
  sections_.clear();
  sectionIndex_.clear();
  dirty_ = false;
  // A FIFO would block the reading for ever and a device never end: only a
  // regular file is opened. Anything else there is neither read nor
  // replaced (the save refuses it).
  std::error_code error;
  const fs::file_status status = fs::status(PathOf(path_), error);
  std::ifstream in;
  if (!fs::exists(status) || fs::is_regular_file(status)) in.open(PathOf(path_), std::ios::binary);
  existed_ = static_cast<bool>(in);
  // A file that is there but cannot be read must not be replaced by the few
  // keys this run writes: its content would be lost.
  unreadable_ = !existed_ && fs::exists(fs::symlink_status(PathOf(path_), error));
  std::string content;
  if (in) {
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
  }
  if (content.size() >= 3 && content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
  if (!IsValidUtf8(content)) content = Cp1252ToUtf8(content);
  Parse(content);
}

void IniFile::Parse(const std::string& content) {
  sections_.push_back(Section{});  // lines before the first section
  if (content.find('\n') != std::string::npos && content.find("\r\n") == std::string::npos)
    lineEnd_ = "\n";
  std::size_t position = 0;
  while (position < content.size()) {
    std::size_t end = content.find('\n', position);
    if (end == std::string::npos) end = content.size();
    std::string text = content.substr(position, end - position);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    position = end + 1;

    const std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const auto close = trimmed.find(']');
      Section section;
      section.name = std::string(Trim(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      section.header = text;
      const std::string folded = CaseFoldUtf8(section.name);
      sectionIndex_.try_emplace(folded, sections_.size());  // the first of duplicates wins
      sections_.push_back(std::move(section));
      continue;
    }
    Line line;
    line.text = text;
    const auto equals = trimmed.find('=');
    if (equals != std::string_view::npos && trimmed.front() != ';' && trimmed.front() != '#') {
      line.key = std::string(Trim(trimmed.substr(0, equals)));
      line.value = std::string(Unquote(Trim(trimmed.substr(equals + 1))));
    }
    Section& section = sections_.back();
    if (!line.key.empty())
      section.keyIndex.try_emplace(CaseFoldUtf8(line.key), section.lines.size());
    section.lines.push_back(std::move(line));
  }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = sectionIndex_.find(CaseFoldUtf8(name));
  if (found == sectionIndex_.end()) return nullptr;
  const Section& section = sections_[found->second];
  return section.erased ? nullptr : &section;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const IniFile*>(this)->FindSection(name));
}

IniFile::Section& IniFile::SectionForWrite(std::string_view name) {
  if (Section* section = FindSection(name)) return *section;
  Section section;
  section.name = std::string(name);
  section.header = "[" + section.name + "]";
  sectionIndex_[CaseFoldUtf8(name)] = sections_.size();
  sections_.push_back(std::move(section));
  return sections_.back();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const Section* found = FindSection(section);
  if (found != nullptr) {
    const auto line = found->keyIndex.find(CaseFoldUtf8(key));
    if (line != found->keyIndex.end())
      return Truncate(found->lines[line->second].value, kMaxValueLength);
  }
  return Truncate(fallback, kMaxValueLength);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  return StrToIntDef(ReadString(section, key, ""), fallback);
}

long double IniFile::ReadFloat(std::string_view section, std::string_view key,
                               long double fallback) const {
  const std::string text = ReadString(section, key, "");
  if (text.empty()) return fallback;
  return TryStrToFloat(text).value_or(fallback);
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  return found != nullptr && found->keyIndex.count(CaseFoldUtf8(key)) > 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& target = SectionForWrite(section);
  const std::string folded = CaseFoldUtf8(key);
  const auto found = target.keyIndex.find(folded);
  if (found != target.keyIndex.end()) {
    Line& line = target.lines[found->second];
    if (line.value == value && line.text == line.key + "=" + line.value) return;
    line.value = std::string(value);
    line.text = line.key + "=" + line.value;
  } else {
    // A new key goes behind the last non-blank line of its section.
    std::size_t at = target.lines.size();
    while (at > 0 && Trim(target.lines[at - 1].text).empty()) --at;
    Line line{std::string(key) + "=" + std::string(value), std::string(key), std::string(value)};
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    if (at + 1 < target.lines.size()) {
      for (auto& entry : target.keyIndex)
        if (entry.second >= at) ++entry.second;
    }
    target.keyIndex[folded] = at;
  }
  dirty_ = true;
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, IntToStr(value));
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, long double value) {
  WriteString(section, key, FloatToStr(value));
}

void IniFile::EraseSection(std::string_view section) {
  // Every section of that name goes, duplicates included.
  const std::string folded = CaseFoldUtf8(section);
  bool erased = false;
  for (std::size_t i = 1; i < sections_.size(); ++i) {
    if (!sections_[i].erased && CaseFoldUtf8(sections_[i].name) == folded) {
      sections_[i].erased = true;
      sections_[i].lines.clear();
      sections_[i].keyIndex.clear();
      erased = true;
    }
  }
  if (!erased) return;
  sectionIndex_.erase(folded);
  dirty_ = true;
}

std::string IniFile::Serialise() const {
  std::string out;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& section = sections_[i];
    if (section.erased) continue;
    if (i > 0) out += section.header + lineEnd_;
    for (const Line& line : section.lines) out += line.text + lineEnd_;
  }
  return out;
}

void IniFile::Flush() {
  if (!dirty_) return;
  if (unreadable_) throw WriteError(path_);
  // Through a link the file it points to is written; the link stays.
  const std::string target = FollowLinks(path_);
  const fs::path folder = PathOf(target).parent_path();
  std::error_code error;
  if (!folder.empty() && !fs::exists(folder, error)) fs::create_directories(folder, error);
  WriteFileAtomically(path_, Serialise());
  existed_ = true;
  dirty_ = false;
}

}  // namespace quarvel
