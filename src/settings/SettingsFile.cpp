#include "settings/SettingsFile.h"

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

void WriteAssignment(IniFile& file, const Plan& plan, int elements, int subobjects) {
  for (int lod = 1; lod <= plan.lodCount; ++lod) {
    const std::string assignment = Numbered(kAssignmentSection, lod);
    const std::string sort = Numbered(kSortSection, lod);
    file.EraseSection(assignment);
    file.EraseSection(sort);
    for (int row = 1; row <= elements; ++row)
      file.WriteString(assignment, IntToStr(row), plan.Choice(row, lod).Text());
    for (int row = 1; row <= subobjects; ++row)
      file.WriteString(sort, IntToStr(row), plan.SortMark(lod, row).Text());
  }
}

void WriteAnimationMarks(IniFile& file, const Plan& plan, int matrices) {
  file.EraseSection(kAnimationSection);
  for (int row = 1; row <= matrices; ++row)
    file.WriteString(kAnimationSection, IntToStr(row), plan.animationMarks[row].Text());
}

void WriteLodSetup(IniFile& file, const Plan& plan) {
  file.EraseSection(kLodSection);
  file.WriteInteger(kLodSection, "Anzahl", plan.lodCount);
  for (int lod = 1; lod <= plan.lodCount; ++lod)
    file.WriteString(kLodSection, IntToStr(lod), plan.distances[lod]);
}

void WriteElementNames(IniFile& file, const ShapeTables& tables) {
  file.EraseSection(kElementSection);
  file.WriteInteger(kElementSection, "Anzahl", tables.elements.Count());
  for (int row = 1; row <= tables.elements.Count(); ++row)
    file.WriteString(kElementSection, IntToStr(row), tables.elements[row].name);
}

void WritePlan(IniFile& file, const ShapeTables& tables, const Plan& plan,
               const PlanSummary& summary) {
  WriteTolerances(file, plan.pointTolerance, plan.normalTolerance);
  WriteAssignment(file, plan, tables.elements.Count(), summary.subobjects.Count());
  WriteAnimationMarks(file, plan, tables.matrices.Count());
  WriteLodSetup(file, plan);
  WriteElementNames(file, tables);
}

// ---- Reading ------------------------------------------------------------------

long double ReadTolerance(const IniFile& file, std::string_view key) {
  return TryStrToFloatEitherSeparator(file.ReadString(kDeltaSection, key, "")).value_or(0);
}

int ReadLodCount(const IniFile& file) {
  const int count = file.ReadInteger(kLodSection, "Anzahl", 0);
  // The window offers at most 99 LODs, and a hand-edited huge count would
  // otherwise size every table far beyond anything the commands accept.
  return count > kMaxLodCount ? kMaxLodCount : count;
}

void ReadDistances(const IniFile& file, int lodCount, Plan& plan, PlanSummary& summary) {
  summary.lods.SetCount(lodCount);
  for (int lod = 1; lod <= lodCount; ++lod) {
    std::string distance = file.ReadString(kLodSection, IntToStr(lod), "2000");
    LodLine& line = summary.lods.At(lod);
    line.number = lod;
    line.distance = distance;
    plan.distances.Set(lod, std::move(distance));
  }
}

void ReadElementAssignment(const IniFile& file, int lodCount, int elements, Plan& plan,
                           PlanSummary& summary) {
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string section = Numbered(kAssignmentSection, lod);
    for (int row = 1; row <= elements; ++row) {
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
        if (*number > summary.subobjects.Count()) summary.subobjects.SetCount(*number);
      } else {
        value = "1";
      }
      plan.SetChoice(row, lod, SubobjectChoice::FromText(std::move(value)));
    }
  }
}

void ReadSortMarks(const IniFile& file, int lodCount, int subobjects, Plan& plan) {
  for (int lod = 1; lod <= lodCount; ++lod) {
    const std::string section = Numbered(kSortSection, lod);
    for (int row = 1; row <= subobjects; ++row) {
      const std::string key = IntToStr(row);
      std::string mark;
      if (lod == 1) {
        mark = file.ReadString(section, key, "-1");
        if (mark == "-1") mark = file.ReadString(kLegacySortSection, key, "");
      } else {
        mark = file.ReadString(section, key, "");
      }
      plan.SetSortMark(lod, row, Mark::FromText(std::move(mark)));
    }
  }
}

void ReadAnimationMarks(const IniFile& file, int matrices, Plan& plan) {
  for (int row = 1; row <= matrices; ++row)
    plan.animationMarks.Set(row,
                            Mark::FromText(file.ReadString(kAnimationSection, IntToStr(row), "")));
}

std::optional<Message> PlanForOtherElements(const IniFile& file, const ShapeTables& tables) {
  const int elements = tables.elements.Count();
  const auto otherCount = [&](int stored) -> std::optional<Message> {
    if (stored == elements) return std::nullopt;
    return Message{Text::PlanOtherCount,
                   {{"stored", IntToStr(stored)}, {"elements", IntToStr(elements)}}};
  };
  if (file.SectionExists(kElementSection)) {
    if (auto differs = otherCount(file.ReadInteger(kElementSection, "Anzahl", 0))) return differs;
    for (int row = 1; row <= elements; ++row) {
      const std::string stored = file.ReadString(kElementSection, IntToStr(row), "");
      if (stored != tables.elements[row].name)
        return Message{
            Text::PlanOtherName,
            {{"row", IntToStr(row)}, {"stored", stored}, {"name", tables.elements[row].name}}};
    }
    return std::nullopt;
  }
  const std::string first = Numbered(kAssignmentSection, 1);
  const std::string_view section = file.SectionExists(first) ? std::string_view(first)
                                   : file.SectionExists(kLegacyAssignmentSection)
                                       ? kLegacyAssignmentSection
                                       : std::string_view();
  if (section.empty()) return std::nullopt;
  // Every save writes one key per element, numbered from 1.
  int stored = 0;
  while (file.ValueExists(section, IntToStr(stored + 1))) ++stored;
  return otherCount(stored);
}

}  // namespace quarvel
