// The per-shape settings file: what the user planned for one shape (the
// sub-object of every element per LOD, the sort and animation marks, the LOD
// set-up and the merge tolerances), kept beside the shape as a profile file.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "plan/Plan.h"
#include "ports/Texts.h"
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
// The element names the plan was made for: "Anzahl" and one key per row.
inline constexpr std::string_view kElementSection = "Elemente";

// ---- Writing ----------------------------------------------------------------

// The tolerances go through 64-bit doubles, so a file reads the same whatever
// precision the writer computed with.
void WriteTolerances(IniFile& file, long double pointTolerance, long double normalTolerance);
// Replaces the sections of LODs 1..lodCount; those of higher LODs, left from
// a plan with more LODs, stay as they are.
void WriteAssignment(IniFile& file, const Plan& plan, int elements, int subobjects);
void WriteAnimationMarks(IniFile& file, const Plan& plan, int matrices);
void WriteLodSetup(IniFile& file, const Plan& plan);
void WriteElementNames(IniFile& file, const ShapeTables& tables);
// All of the plan, as the settings file holds it.
void WritePlan(IniFile& file, const ShapeTables& tables, const Plan& plan,
               const PlanSummary& summary);

// ---- Reading ----------------------------------------------------------------

// Empty or unreadable values give 0.
long double ReadTolerance(const IniFile& file, std::string_view key);
// The stored LOD count, 0 when none is stored or it is unreadable; a count
// beyond the 99 LODs the window offers is taken as 99.
int ReadLodCount(const IniFile& file);
// The stored distances of LODs 1..lodCount, into the plan and the summary
// (which gets `lodCount` lines).
void ReadDistances(const IniFile& file, int lodCount, Plan& plan, PlanSummary& summary);
// The entries of every element for LODs 1..lodCount, growing the summary's
// sub-objects so that every sub-object number read has its line.
void ReadElementAssignment(const IniFile& file, int lodCount, int elements, Plan& plan,
                           PlanSummary& summary);
void ReadSortMarks(const IniFile& file, int lodCount, int subobjects, Plan& plan);
void ReadAnimationMarks(const IniFile& file, int matrices, Plan& plan);
// How the elements the stored plan was made for differ from `tables`' (the
// first difference: their count or a name), nullopt when they do not or the
// file does not tell. A file written before the names were kept tells the
// count by the keys of its first LOD's assignment.
std::optional<Message> PlanForOtherElements(const IniFile& file, const ShapeTables& tables);

}  // namespace quarvel
