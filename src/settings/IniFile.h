#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quarvel {

// A Windows profile (INI) file: "[section]" lines open sections, "key=value"
// lines follow. Section and key names match without regard to case, an absent
// key gives the caller's default, a read returns at most 2047 characters, and
// lines the program does not touch (comments, other sections) survive a write.
//
// Changes are kept in memory and reach the disk with Flush(), atomically
// (temporary file synced to the disk, then renamed), so a failed write or a
// power cut never leaves half a file.
// Files are written in UTF-8; files in the Windows code page 1252 are read.
class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& Path() const { return path_; }
  bool ExistedOnDisk() const { return existed_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Decimal integers; anything else gives the fallback.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // With the current decimal separator; empty or unreadable gives the fallback.
  long double ReadFloat(std::string_view section, std::string_view key, long double fallback) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // General format, up to 15 significant digits, current decimal separator.
  void WriteFloat(std::string_view section, std::string_view key, long double value);
  void EraseSection(std::string_view section);

  bool Dirty() const { return dirty_; }
  // The file's content as Flush() would write it.
  std::string Text() const { return Serialise(); }
  // Writes pending changes; throws WriteError naming the file on failure (the
  // file on disk then stays as it was, the changes stay pending). A file that
  // exists but could not be read is never written over, nor is a folder, a
  // device or a write-protected file; through a symbolic link the file it
  // points to is written.
  void Flush();
  // Re-reads the file from disk, dropping pending changes.
  void Reload();

  static constexpr std::size_t kMaxValueLength = 2047;

 private:
  struct Line {
    std::string text;  // the line as in the file (for untouched lines)
    std::string key;   // empty when the line holds no key
    std::string value;
  };
  struct Section {
    std::string name;    // empty for the lines before the first section
    std::string header;  // the "[name]" line as in the file
    std::vector<Line> lines;
    std::unordered_map<std::string, std::size_t> keyIndex;  // folded key -> line
    bool erased = false;
  };

  void Parse(const std::string& content);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& SectionForWrite(std::string_view name);
  std::string Serialise() const;

  std::string path_;
  bool existed_ = false;
  bool dirty_ = false;
  bool unreadable_ = false;  // on disk but not readable: never overwritten
  std::string lineEnd_ = "\r\n";
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> section
};

}  // namespace quarvel
