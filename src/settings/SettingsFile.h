// The per-shape settings file: what the user planned for one shape (the
// sub-object of every element per LOD, the sort and animation marks, the LOD
// set-up and the merge tolerances), kept beside the shape as a profile file.
#pragma once
#include <string>
#include <string_view>

#include "assignment/StringGrid.h"
#include "settings/IniFile.h"

namespace quarvel {

// The shape's path with the part of its file name from the last dot on
// replaced by ".Quarvel" (appended when the file name has no dot).
std::string SettingsPathFor(std::string_view shapePath);

// Section names; the numbered ones are followed by the LOD number.
inline constexpr std::string_view kDeltaSection = "Delta";
inline constexpr std::string_view kAssignmentSection = "SONR_L";
inline constexpr std::string_view kSortSection = "SOSORT_L";
inline constexpr std::string_view kLegacyAssignmentSection = "SONR";
inline constexpr std::string_view kLegacySortSection = "SOSORT";
inline constexpr std::string_view kAnimationSection = "ANIM";
inline constexpr std::string_view kLodSection = "LODs";

// The tables as the window holds them; row 0 of each is its header.
struct SettingsTables {
  StringGrid& elements;    // column L + 2: sub-object of the element in LOD L
  StringGrid& subobjects;  // column L + 1: sort mark of the sub-object in LOD L
  StringGrid& matrices;    // column 2: animation mark
  StringGrid& distances;   // column 1: greatest distance of the LOD in row i
  StringGrid& summary;     // the LOD summary mirrors the distances
};

// ---- Writing ----------------------------------------------------------------

// The tolerances go through 64-bit doubles, so a file reads the same whatever
// precision the writer computed with.
void WriteTolerances(IniFile& file, long double pointTolerance, long double normalTolerance);
// Replaces the sections of LODs 1..lodCount; those of higher LODs, left from
// a plan with more LODs, stay as they are.
void WriteAssignment(IniFile& file, int lodCount, const StringGrid& elements,
                     const StringGrid& subobjects);
void WriteAnimationMarks(IniFile& file, const StringGrid& matrices);
void WriteLodSetup(IniFile& file, int lodCount, const StringGrid& distances);

// ---- Reading ----------------------------------------------------------------

// Empty or unreadable values give 0.
long double ReadTolerance(const IniFile& file, std::string_view key);
// The stored LOD count, 0 when none is stored or it is unreadable; a count
// beyond the 99 LODs the window offers is taken as 99.
int ReadLodCount(const IniFile& file);
// Gives both distance tables `lodCount` data rows with the stored distances.
void ReadDistances(const IniFile& file, int lodCount, SettingsTables tables);
// Fills the L-cells of every element row, growing the sub-object table so
// that every sub-object number read has its row.
void ReadElementAssignment(const IniFile& file, int lodCount, SettingsTables tables);
void ReadSortMarks(const IniFile& file, int lodCount, SettingsTables tables);
void ReadAnimationMarks(const IniFile& file, SettingsTables tables);

}  // namespace quarvel
