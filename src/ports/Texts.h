// The texts of the language file by what they say: the number is the key
// "S<number>" of every language's section. S1 to S16 and S72 are the
// commands' captions, which the command table names.
#pragma once
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace quarvel {

enum class Text : int {
  TabAssignment = 17,
  TabFile = 18,
  TabSettings = 19,
  SmallScreen = 20,
  SystemFound = 21,
  Lines = 22,
  LinesWritten = 23,
  Of = 24,
  SystemUnreliable = 25,
  SystemUntested = 26,
  Number = 27,
  Distance = 28,
  AllElements = 38,
  VertexLimitHint = 43,  // with {limit}
  ShapeFilter = 57,
  ConverterFilter = 58,
  NotWritten = 59,
  NotRead = 60,
  NoUnicodeMark = 61,
  OverwriteEntries = 62,
  PointsMergeable = 63,
  MergeNow = 64,
  NoPointsToMerge = 65,
  NormalsMergeable = 66,
  NoNormalsToMerge = 67,
  NothingToUndo = 68,
  AskUndo = 69,
  PlanChanged = 70,
  VertexLimitLabel = 71,
  SaveFormsFilter = 73,
  NotEncodable = 74,
  BuiltInConverter = 75,
  ConvertedToText = 76,
  ConvertedToCompressed = 77,
  LineWord = 78,            // "Zeile", before a line's number
  PointsMoveBy = 79,        // with {distance}
  NormalsMoveBy = 80,       // with {distance}
  WholeNumbersFromTo = 81,  // with {min} and {max}
  // The vertex limit's question and refusals before a generation.
  SubobjectOverLimit = 82,        // {subobject} {lod} {vertices} {limit}
  SubobjectBeyondIndices = 83,    // {subobject} {lod} {vertices} {most}
  SubobjectsOverLimitInAll = 84,  // {count} {limit}
  GenerateAnyway = 85,
  ActionCancelled = 86,
  GeneratedAnyway = 87,
  // The auto-split's report and refusals.
  AloneOverLimit = 88,          // {lod} {limit}
  OversizedSubobject = 89,      // {subobject} {vertices}
  EveryElementsOverLimit = 90,  // {lod} {vertices} {limit}
  TooManySubobjects = 91,       // {lod} {limit} {most}
  // The window's entry warnings and questions.
  EntryWholeNumbers = 92,
  EntryMark = 93,
  FillNumber = 94,
  AskShiftDown = 95,
  AskShiftUp = 96,
  AskOverwriteHere = 97,
  PositiveTolerance = 98,
  TextChangedSave = 99,
  DistanceEntry = 100,
  EnterValue = 101,
  NotFoundFromCursor = 102,
  NoShapeToSaveFor = 103,
  NoShapeToLoadFor = 104,
  AskOverwriteStored = 105,
  NoFileName = 106,
  AskPrint = 107,
  AskLandscape = 108,
  FindConverter = 109,
  ConverterNotFound = 110,
  ConverterNotStarted = 111,
  // The analysis's warnings and the generation's refusals.
  ManyDistanceLevels = 112,
  ManySubobjects = 113,
  GeneralGenerationError = 114,
  EmptyLod = 115,
  InvalidDistance = 116,
  NoDistanceLevel = 117,
  RewriteFailed = 118,
  // The animation clean-up's refusals.
  AnimationNameTwice = 119,
  AnimationBadCount = 120,
  AnimationPastEnd = 121,
};

// The highest number the language file holds.
inline constexpr Text kLastText = Text::AnimationPastEnd;

// The text of the language in use ("" when the language file lacks it).
using TextSource = std::function<std::string(Text)>;
inline std::string TextFrom(const TextSource& source, Text text) {
  return source ? source(text) : std::string();
}

// `text` with its placeholders `{name}` replaced by their values, where the
// language file leaves numbers and names to the program. One pass: a value
// that happens to hold a placeholder's spelling (a name from the shape)
// stays as it is.
inline std::string WithValues(
    const std::string& text,
    std::initializer_list<std::pair<std::string_view, std::string>> values) {
  std::string filled;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('{', at);
    if (open == std::string::npos) break;
    filled.append(text, at, open - at);
    const std::size_t close = text.find('}', open);
    const std::string_view name = close == std::string::npos
                                      ? std::string_view()
                                      : std::string_view(text).substr(open + 1, close - open - 1);
    const auto value = std::find_if(values.begin(), values.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    if (value == values.end()) {
      filled += '{';
      at = open + 1;
      continue;
    }
    filled += value->second;
    at = close + 1;
  }
  if (at < text.size()) filled.append(text, at, std::string::npos);
  return filled;
}

inline std::string WithValue(const std::string& text, std::string_view name,
                             const std::string& value) {
  return WithValues(text, {{name, value}});
}

}  // namespace quarvel
