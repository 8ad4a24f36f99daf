#include "settings/SettingsFile.h"

#include "assignment/TableColumns.h"
#include "common/Convert.h"

namespace quarvel {

namespace {

constexpr int kMaxLodCount = 99;

std::string Numbered(std::string_view section, int number) {
  std::string name(section);
  name += IntToStr(number);
  return name;
}

// The numbers the element table accepts from the user: a sub-object 1..99,
// 0 for every sub-object, 999 for none.
bool IsAssignableNumber(int value) {
  return (value >= 0 && value <= 99) || value == 999;
}

}  // namespace

std::string SettingsPathFor(std::string_view shapePath) {
#ifdef _WIN32
  const std::size_t nameStart = shapePath.find_last_of("/\\:") + 1;
#else
  const std::size_t nameStart = shapePath.find_last_of('/') + 1;
#endif
  const std::size_t dot = shapePath.rfind('.');
  std::string path(shapePath);
  if (dot != std::string_view::npos && dot >= nameStart) path.erase(dot);
  return path + ".Quarvel";
}

// ---- Writing ------------------------------------------------------------------

void WriteTolerances(IniFile& file, long double pointTolerance, long double normalTolerance) {
  file.WriteFloat(kDeltaSection, "Points", static_cast<double>(pointTolerance));
  file.WriteFloat(kDeltaSection, "Normals", static_cast<double>(normalTolerance));
}

void WriteAssignment(IniFile& file, int lodCount, const StringGrid& elements,
                     const StringGrid& subobjects) {
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string assignment = Numbered(kAssignmentSection, lod);
    const std::string sort = Numbered(kSortSection, lod);
    file.EraseSection(assignment);
    file.EraseSection(sort);
    for (int row = 1; row < elements.RowCount(); ++row)
      file.WriteString(assignment, IntToStr(row), elements.Cell(AssignmentColumn(lod), row));
    for (int row = 1; row < subobjects.RowCount(); ++row)
      file.WriteString(sort, IntToStr(row), subobjects.Cell(SortMarkColumn(lod), row));
  }
}

void WriteAnimationMarks(IniFile& file, const StringGrid& matrices) {
  file.EraseSection(kAnimationSection);
  for (int row = 1; row < matrices.RowCount(); ++row)
    file.WriteString(kAnimationSection, IntToStr(row), matrices.Cell(kAnimationMarkColumn, row));
}

void WriteLodSetup(IniFile& file, int lodCount, const StringGrid& distances) {
  file.EraseSection(kLodSection);
  file.WriteInteger(kLodSection, "Anzahl", lodCount);
  for (int lod = 1; lod <= lodCount; ++lod)
    file.WriteString(kLodSection, IntToStr(lod), distances.Cell(kDistanceColumn, lod));
}

// ---- Reading ------------------------------------------------------------------

long double ReadTolerance(const IniFile& file, std::string_view key) {
  return file.ReadFloat(kDeltaSection, key, 0);
}

int ReadLodCount(const IniFile& file) {
  const int count = file.ReadInteger(kLodSection, "Anzahl", 0);
  // The window offers at most 99 LODs, and a hand-edited huge count would
  // otherwise size every table far beyond anything the commands accept.
  return count > kMaxLodCount ? kMaxLodCount : count;
}

void ReadDistances(const IniFile& file, int lodCount, SettingsTables tables) {
  tables.distances.SetRowCount(lodCount + 1);
  tables.summary.SetRowCount(lodCount + 1);
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string number = IntToStr(lod);
    std::string distance = file.ReadString(kLodSection, number, "2000");
    tables.distances.SetCell(kLodNumberColumn, lod, number);
    tables.distances.SetCell(kDistanceColumn, lod, distance);
    tables.summary.SetCell(kSummaryLodColumn, lod, number);
    tables.summary.SetCell(kSummaryDistanceColumn, lod, std::move(distance));
  }
}

void ReadElementAssignment(const IniFile& file, int lodCount, SettingsTables tables) {
  StringGrid& elements = tables.elements;
  StringGrid& subobjects = tables.subobjects;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string section = Numbered(kAssignmentSection, lod);
    for (int row = 1; row < elements.RowCount(); ++row) {
      const std::string key = IntToStr(row);
      std::string value;
      if (lod == 1) {
        // Files of the single-LOD days name the section without the LOD; "-1"
        // stands for a key that is not there.
        value = file.ReadString(section, key, "-1");
        if (value == "-1") value = file.ReadString(kLegacyAssignmentSection, key, "1");
      } else {
        value = file.ReadString(section, key, "1");
      }
      if (value.empty()) value = "1";
      // A number the user could not have typed comes from a damaged or
      // hand-edited file; taken as it stands it would size the sub-object
      // table by the billions.
      const auto number = TryStrToInt(value);
      if (number && IsAssignableNumber(*number)) {
        if (*number >= subobjects.RowCount()) subobjects.SetRowCount(*number + 1);
      } else {
        value = "1";
      }
      elements.SetCell(AssignmentColumn(lod), row, std::move(value));
    }
  }
}

void ReadSortMarks(const IniFile& file, int lodCount, SettingsTables tables) {
  StringGrid& subobjects = tables.subobjects;
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string section = Numbered(kSortSection, lod);
    for (int row = 1; row < subobjects.RowCount(); ++row) {
      const std::string key = IntToStr(row);
      std::string mark;
      if (lod == 1) {
        mark = file.ReadString(section, key, "-1");
        if (mark == "-1") mark = file.ReadString(kLegacySortSection, key, "");
      } else {
        mark = file.ReadString(section, key, "");
      }
      subobjects.SetCell(SortMarkColumn(lod), row, std::move(mark));
    }
  }
}

void ReadAnimationMarks(const IniFile& file, SettingsTables tables) {
  for (int row = 1; row < tables.matrices.RowCount(); ++row)
    tables.matrices.SetCell(kAnimationMarkColumn, row,
                            file.ReadString(kAnimationSection, IntToStr(row), ""));
}

}  // namespace quarvel
