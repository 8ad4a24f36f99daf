// The texts of the language file by what they say: the number is the key
// "S<number>" of every language's section. S1 to S16 and S72 are the
// commands' captions, which the command table names.
#pragma once
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  // The shape check and the readers of the shape's forms.
  RepeatsNotListed = 122,  // {count} {subject}
  OneEntry = 123,
  SomeEntries = 124,  // {count}
  NoEntries = 125,
  NoSuchPoint = 126,  // {owner} {value} {table} {entries}, as the next twelve
  NoSuchUvPoint = 127,
  NoSuchNormal = 128,
  NoSuchSortVector = 129,
  NoSuchVolume = 130,
  NoSuchMatrix = 131,
  NoSuchImage = 132,
  NoSuchTexture = 133,
  NoSuchShader = 134,
  NoSuchVtxState = 135,
  NoSuchPrimState = 136,
  NoSuchGeometryNode = 137,
  NoSuchVertex = 138,
  EmptyBlockTripsLoaders = 139,   // {block}
  NoWholeTriangles = 140,         // {block} {count}
  LodWithoutSubobjects = 141,     // {block}
  VerticesBeyondIndices = 142,    // {count} {most}
  NoLodInFile = 143,              // {block}
  DistanceNotRising = 144,        // {distance}
  VertexSetBeyondVertices = 145,  // {block} {count} {first} {vertices}
  NotOneEntryPerMatrix = 146,     // {block} {entries} {count}
  NotOneEntryForOneMatrix = 147,  // {block} {entries}
  NoFileHeader = 148,             // {header}
  UnknownBlockSkipped = 149,      // {block}
  UnknownContentsSkipped = 150,   // {block}
  NestedTooDeep = 151,            // {depth}
  StrayClosingBracket = 152,
  BracketWithoutName = 153,  // {where}: InTheFile or a block's quoted name
  InTheFile = 154,
  BlockOutOfPlaceInFile = 155,    // {child}
  BlockNotAllowedHere = 156,      // {block} {child}
  BlockNotAllowedExpected = 157,  // {block} {child} {names}
  ValueOutsideBlocks = 158,       // {value}
  TooManyValues = 159,            // {block} {value}
  TooFewValues = 160,             // {block} {position} {type}: one of the next five
  AnUnsignedNumber = 161,
  AWholeNumber = 162,
  AHexValue = 163,
  AFloat = 164,
  AName = 165,
  ValueNegative = 166,   // {value} {block}
  ValueNoInteger = 167,  // {value} {block}
  ValueNoHex = 168,      // {value} {block}
  ValueNoFloat = 169,    // {value} {block}
  CountNegative = 170,   // {block} {value}
  CountNoInteger = 171,  // {block} {value}
  OrWord = 172,
  FileLacksBlock = 173,         // {names}
  BlockLacksBlock = 174,        // {block} {names}
  BlocksCountWrong = 175,       // {block} {entries} {count}
  ValuesCountWrong = 176,       // {block} {declared} {count}
  EntriesCountWrong = 177,      // {block} {entries} {values} {count}
  OneBracketUnclosed = 178,     // {block}
  BracketsUnclosed = 179,       // {block} {count}
  NoBinarySubHeader = 180,      // {header}
  BinaryBlockNotAllowed = 181,  // {byte} {block} {where}, as BracketWithoutName
  BinaryBlockCutShort = 182,    // {byte}
  BinaryTextCutShort = 183,     // {byte}
  BinaryValueCutShort = 184,    // {byte}
  BinaryBlockTooLong = 185,     // {byte}
  BinaryContentsUnknown = 186,  // {byte} {block}
  BinaryBlockUnknown = 187,     // {byte} {id}
  BinaryNameCutShort = 188,     // {byte}
  BinaryBlockIncomplete = 189,  // {byte} {block}
  BinaryBytesTooMany = 190,     // {byte} {block} {count}
  CompressedHeaderIncomplete = 191,
  NoZlibData = 192,
  CompressedDamaged = 193,
  CompressedCutShort = 194,   // {size}: OneByte or SomeBytes
  CompressedSizeWrong = 195,  // {declared} {size}
  ChecksumWrong = 196,
  DataBehindStream = 197,  // {size}
  OneByte = 198,
  SomeBytes = 199,  // {count}
  // The generation's layout check and rewrite.
  SourceDamaged = 200,                 // {line} {message}
  LayoutNoInteger = 201,               // {token} {line}
  LayoutLacksKeyword = 202,            // {keyword} {line}
  SubobjectCutShort = 203,             // {line}
  PrimitivesBehindList = 204,          // {start} {line}
  FlagsNotDecimal = 205,               // {flags} {line}
  FlagsTakeNoSorting = 206,            // {flags} {line}
  LevelHeaderLacks = 207,              // {first} {last} {keyword}
  NodesMisshaped = 208,                // {line} {node} {cullable} {map}
  VerticesMisshaped = 209,             // {line} {count}
  VertexSetCountChanged = 210,         // {line}
  VertexSetMissing = 211,              // {line} {set} {count} {first}
  VertexSetChanged = 212,              // {line}
  VertexSetsWithGap = 213,             // {first} {line}
  VertexSetsWrongSum = 214,            // {line} {sum} {count}
  PrimitiveMisshaped = 215,            // {line} {trilist} {vertexidxs} {normalidxs} {flags}
  TrilistWithoutState = 216,           // {line} {trilist} {state} {primitive}
  NoStateWherePrimitive = 217,         // {line} {state}
  PrimitiveCountWrong = 218,           // {line} {count} {entries} {expected}
  MorePrimitivesThanElements = 219,    // {primitives} {elements}
  PrimitiveOfNoElement = 220,          // {line} {element}
  ElementInTwoPrimitives = 221,        // {name} {first} {second}
  TextBehindIndices = 222,             // {primitive} {name} {line}
  VertexOutsideSet = 223,              // {primitive} {name} {vertex} {set} {line}
  IndexCountWrong = 224,               // {primitive} {name} {indices} {count} {line}
  LayoutFaceCountChanged = 225,        // {name} {row}
  PlannedWithoutPrimitive = 226,       // {name} {row} {lod} {subobject}
  PlannedInAllWithoutPrimitive = 227,  // {name} {row} {lod}
  ElementWithoutVertexSet = 228,       // {name} {row} {state}
  ElementOnNodelessMatrix = 229,       // {name} {matrix}
  RewriteNoInteger = 230,              // {token} {line} {content}
  RewriteIndexNoInteger = 231,         // {token} {line}
  SphereAfterSortVectors = 232,        // {volumes} {sortvectors} {line}
  RewriteLacksKeyword = 233,           // {keyword} {line}
  ElementWithoutMatrix = 234,          // {row}
  ElementWithoutFaces = 235,           // {row}
  FlagsCannotBeSorted = 236,           // {flags} {line}
  RewriteBadNodeCount = 237,           // {line}
  RewriteNodeMapOpen = 238,            // {map} {line}
  RewriteNodeMapBeforeNodes = 239,     // {map} {line} {nodes}
  PrimitiveLacksKeyword = 240,         // {keyword} {line}
  WritingSubobject = 241,              // {lod} {subobject}
  WritingVertices = 242,
  WritingFaces = 243,
  // Files, the analysis, merging, the window's details and the command line.
  CannotWriteIn = 244,  // {path}
  ReasonDiskFull = 245,
  ReasonQuota = 246,
  ReasonTooLarge = 247,
  ReasonPermission = 248,
  ReasonReadOnlyDisk = 249,
  ReasonNoFolder = 250,
  ReasonNotAFolder = 251,
  ReasonIo = 252,
  NotAccessible = 253,              // {path} {reason}
  FolderNotReplaced = 254,          // {path}
  DanglingLinkNotReplaced = 255,    // {path}
  SpecialFileNotReplaced = 256,     // {path}
  WriteProtectedNotReplaced = 257,  // {path}
  CannotCreateIn = 258,             // {folder} {reason}
  NotWrittenCompletely = 259,       // {path} {reason}
  NotWrittenToDisk = 260,           // {path} {reason}
  NotReplaced = 261,                // {path} {reason}
  BackupNotMade = 262,              // {backup} {reason}
  SourceIsOwnBackup = 263,          // {path}
  BackupRefused = 264,              // {refusal}
  BackupIsSource = 265,             // {backup} {path}
  FileCannotBeRead = 266,           // {path}
  FileNotFound = 267,               // {path}
  IsFolderNotFile = 268,            // {path}
  NotRegularFile = 269,             // {path}
  NulCharacter = 270,               // {line}
  StartsWithLineEnd = 271,
  NotAnInteger = 272,        // {text}
  NotAFloat = 273,           // {text}
  NotAnIntegerInLine = 274,  // {text} {line}
  ImageIndexWord = 275,
  MatrixIndexWord = 276,
  TextureIndexWord = 277,
  VtxStateIndexWord = 278,
  PrimStateIndexWord = 279,
  IndexOutOfRange = 280,  // {what} {value} {line}
  MoreThan801 = 281,      // {what} {line}
  NoElements = 282,
  MatrixBeyondTable = 283,  // {matrix} {count} {line}
  PointsWord = 284,
  NormalsWord = 285,
  NotMerged = 286,     // {line} {what} {noun}
  NoValidCount = 287,  // {token}
  SectionBiggerThanTable = 288,
  SectionEndsEarly = 289,     // {keyword} {count}
  NoIndexOf = 290,            // {token} {count} {noun}
  CannotReplaceBy = 291,      // {token} {digits}
  NoValidEntryCount = 292,    // {token}
  NormalListEndsEarly = 293,  // {count}
  ScriptNotAnsi = 294,        // {path} {line}
  OldOutputNotRemoved = 295,  // {path}
  NoDefaultPrinter = 296,
  MenuUndo = 297,
  MenuRedo = 298,
  MenuCut = 299,
  MenuCopy = 300,
  MenuPaste = 301,
  MenuDelete = 302,
  MenuSelectAll = 303,
  MatricesWord = 304,
  ImagesWord = 305,
  TexturesWord = 306,
  VtxStatesWord = 307,
  ElementsWord = 308,
  VertexSetsWord = 309,
  CliTryHelp = 310,
  CliNeedsValue = 311,       // {option}
  CliToleranceNumber = 312,  // {option}
  CliLodsNumber = 313,
  CliDistanceNumber = 314,  // {value}
  CliUnknownCommand = 315,  // {command}
  CliPrintOnce = 316,
  CliFormatValue = 317,        // {value}
  CliVertexLimitNumber = 318,  // {min} {max}
  CliLangValue = 319,          // {value}
  CliUnknownOption = 320,      // {option}
  CliOneShape = 321,           // {option} {count}
  CliNoShape = 322,
  CliOutputOrInPlace = 323,
  CliJsonWith = 324,
  CliFormatWith = 325,
  CliCheckAlone = 326,
  CliInfoAndStdout = 327,
  CliDistancesForLods = 328,   // {distances} {lods}
  CliCannotRead = 329,         // {path}
  CliCannotReadBecause = 330,  // {path} {reason}
  CliNoUnicodeMark = 331,      // {path}
  CliNoPdf = 332,
  CliSettingsNotFound = 333,    // {path}
  CliNotAnalysed = 334,         // {path}
  CliEmpty = 335,               // {path}
  CliCannotSplit = 336,         // {lod}
  CliPrintUnavailable = 337,    // {reason}
  CliCannotWrite = 338,         // {path}
  CliCannotWriteBecause = 339,  // {path} {reason}
  CliCommandFailed = 340,       // {command}
  CliOverLimitHint = 341,       // {limit}
  CliNotInBinary = 342,         // {line} {reason}
  CliCannotWriteStdout = 343,
  CliSettingsNotWritten = 344,  // {settings} {path}
  VerbCannotGenerate = 345,
  VerbPointsMerged = 346,
  VerbNormalsMerged = 347,
  VerbMaterialsFixed = 348,
  InfoWarnings = 349,
  InfoElements = 350,  // {count}
  InfoRow = 351,
  InfoName = 352,
  InfoImage = 353,
  InfoFaces = 354,
  InfoSubobjects = 355,
  InfoNumber = 356,
  InfoVertices = 357,
  InfoSort = 358,
  InfoLods = 359,
  InfoDistance = 360,
  InfoMatrices = 361,
  InfoAnimation = 362,
  PrinterNoNewPage = 363,
  CannotInflate = 364,
  CannotDeflate = 365,
  CliOutputIsInput = 366,  // {path}
  CliPdfOverInput = 367,   // {path}
  CliStdoutTwice = 368,
  CliOutDirIsInputFolder = 369,   // {folder} {path}
  CliSameNameTwice = 370,         // {name}
  CliJobsNumber = 371,            // {max}
  CliLockWaitNumber = 372,        // {max}
  CliSummary = 373,               // {count} {clean} {warned} {failed}
  CliLockTimeout = 374,           // {path} {seconds}
  CliOverridesSettings = 375,     // {options}
  PlanOtherCount = 376,           // {stored} {elements}
  PlanOtherName = 377,            // {row} {stored} {name}
  CliPlanForOtherElements = 378,  // {settings} {difference}
  PlanForOtherElements = 379,     // {settings} {difference}
  CliNothingWritten = 380,
  CharacterBeyondLatin1 = 381,  // {line} {code}
  FileTooShort = 382,           // {path} {size}
  InfoOverLimit = 383,          // {limit}
  SettingsNotRegular = 384,     // {path}
  NoOpenGl = 385,               // {reason}
  CliChoiceValue = 386,         // {option} {choices} {value}
  CliSizeValue = 387,           // {value}
  CliPictureOverInput = 388,    // {path}
  CliLodNumber = 389,
  CliNoSuchLod = 390,  // {lod} {count}
  CliNothingToDraw = 391,
  CliPicturesNeedOutDir = 392,
  TabView = 393,
  ViewColourBy = 394,
  ViewBySubobject = 395,
  ViewByElement = 396,
  ViewByVtxState = 397,
  ViewFit = 398,
  ViewEmpty = 399,
  ViewLegendLine = 400,  // {number} {vertices}
  ViewEveryStriped = 401,
  ViewMouse = 402,
};

// The highest number the language file holds.
inline constexpr Text kLastText = Text::ViewMouse;

// The text of the language in use ("" when the language file lacks it).
using TextSource = std::function<std::string(Text)>;
inline std::string TextFrom(const TextSource& source, Text text) {
  return source ? source(text) : std::string();
}

// The values of a text's placeholders, by name.
using TextValues = std::vector<std::pair<std::string, std::string>>;

namespace detail {
template <typename Values>
std::string FillPlaceholders(const std::string& text, const Values& values) {
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
    const auto value = std::find_if(std::begin(values), std::end(values),
                                    [&](const auto& entry) { return entry.first == name; });
    if (value == std::end(values)) {
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
}  // namespace detail

// `text` with its placeholders `{name}` replaced by their values, where the
// language file leaves numbers and names to the program. One pass: a value
// that happens to hold a placeholder's spelling (a name from the shape)
// stays as it is.
inline std::string WithValues(
    const std::string& text,
    std::initializer_list<std::pair<std::string_view, std::string>> values) {
  return detail::FillPlaceholders(text, values);
}
inline std::string WithValues(const std::string& text, const TextValues& values) {
  return detail::FillPlaceholders(text, values);
}

// The text `text` of `source` with its placeholders filled.
inline std::string Worded(const TextSource& source, Text text,
                          std::initializer_list<std::pair<std::string_view, std::string>> values) {
  return WithValues(TextFrom(source, text), values);
}

// A text of the language file with the values of its placeholders, from a
// layer that does not know the language: whoever shows it words it.
struct Message {
  Text text{};
  TextValues values;
  // Placeholders whose value is a text of its own (a reason within a
  // sentence), worded in this order with the values before them.
  std::vector<std::pair<std::string, Text>> texts{};

  std::string In(const TextSource& source) const {
    TextValues all = values;
    for (const auto& [name, inner] : texts)
      all.emplace_back(name, WithValues(TextFrom(source, inner), all));
    return WithValues(TextFrom(source, text), all);
  }

  // This message as the placeholder `name` of the text `outer`, which has
  // the placeholders `more` besides.
  Message Inside(Text outer, const std::string& name, TextValues more = {}) const {
    Message whole{outer, values, texts};
    whole.values.insert(whole.values.end(), more.begin(), more.end());
    whole.texts.emplace_back(name, text);
    return whole;
  }
};

inline std::string WithValue(const std::string& text, std::string_view name,
                             const std::string& value) {
  return WithValues(text, {{name, value}});
}

}  // namespace quarvel
