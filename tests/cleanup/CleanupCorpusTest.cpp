// Every real shape merged at two tolerances: the command must decide as the
// scan of every earlier entry does, and the shape must stay whole: every
// count equal to its entries, every index below its section's new count, and
// every vertex still drawn with the point or normal it merged into.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include <sstream>

#include "cleanup/Cleanup.h"
#include "cleanup/MergeShape.h"
#include "cli/CliRun.h"
#include "format/ShapeCheck.h"
#include "support/LanguageTexts.h"
#include "support/ShapeTree.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> CorpusShapes() {
  std::vector<std::string> files;
  if (!CorpusDir().empty()) {
    for (const ManifestRow& row : ReadManifest(CorpusDir())) files.push_back(row.at("file"));
    for (const ManifestRow& row : ReadManifest(CorpusDir() + "/tsm"))
      files.push_back("tsm/" + row.at("file"));
  }
  if (files.empty()) files.push_back("");
  return files;
}

// The plan the literal scan makes for a section of `lines`.
struct ScanPlan {
  MergeSection section;
  MergeTable table;
  int kept = 0;
};

ScanPlan PlanByScan(const Lines& lines, MergeKind kind, long double tolerance) {
  ShapeText text;
  text.Assign(lines);
  ScanPlan plan;
  plan.section = ReadMergeSection(text, kind, *FindMergeHeader(text, kind));
  ReadMergeEntries(text, plan.section, plan.table);
  plan.kept =
      PlanMergeByScan(plan.table, static_cast<std::size_t>(plan.section.count), tolerance, kind);
  return plan;
}

void CollectProblems(const ShapeNode& node, long long points, long long normals,
                     std::vector<std::string>& problems) {
  const auto at = [&node](const std::string& what) {
    return "\"" + node.keyword + "\" in line " + std::to_string(node.line + 1) + ": " + what;
  };
  if (node.keyword == "points" || node.keyword == "normals") {
    if (node.values.size() != 1 || node.Int(0) != static_cast<long long>(node.children.size()))
      problems.push_back(at("count for " + std::to_string(node.children.size()) + " entries"));
  }
  if (node.keyword == "vertex" &&
      (node.values.size() < 3 || node.Int(1) < 0 || node.Int(1) >= points || node.Int(2) < 0 ||
       node.Int(2) >= normals))
    problems.push_back(at("index beyond its section"));
  if (node.keyword == "normal_idxs") {
    const long long entries = node.values.empty() ? -1 : node.Int(0);
    if (static_cast<long long>(node.values.size()) != 1 + 2 * entries)
      problems.push_back(at("count for " + std::to_string(node.values.size() - 1) + " values"));
    for (std::size_t i = 1; i < node.values.size(); i += 2)
      if (node.Int(i) < 0 || node.Int(i) >= normals) problems.push_back(at("index beyond normals"));
  }
  for (const ShapeNode& child : node.children) CollectProblems(child, points, normals, problems);
}

// The entries of both sections as text, the point and normal of every vertex
// and the normal of every face, in order.
struct Geometry {
  std::vector<std::string> points, normals;
  std::vector<long long> vertexPoints, vertexNormals, faceNormals;
  std::vector<std::string> problems;  // counts and indices that do not fit
};

Geometry ReadGeometry(const Lines& lines) {
  const ShapeNode root = ParseShapeTree(lines);
  const ShapeNode* shape = root.Child("shape");
  Geometry geometry;
  const auto entries = [](const ShapeNode* list, std::vector<std::string>& out) {
    for (const ShapeNode& entry : list->children) {
      std::string text;
      for (const std::string& value : entry.values) text += value + " ";
      out.push_back(text);
    }
  };
  entries(shape->Child("points"), geometry.points);
  entries(shape->Child("normals"), geometry.normals);
  const std::function<void(const ShapeNode&)> walk = [&](const ShapeNode& node) {
    if (node.keyword == "vertex") {
      geometry.vertexPoints.push_back(node.Int(1));
      geometry.vertexNormals.push_back(node.Int(2));
    }
    if (node.keyword == "normal_idxs")
      for (std::size_t i = 1; i < node.values.size(); i += 2)
        geometry.faceNormals.push_back(node.Int(i));
    for (const ShapeNode& child : node.children) walk(child);
  };
  walk(*shape);
  CollectProblems(*shape, shape->Child("points")->Int(0), shape->Child("normals")->Int(0),
                  geometry.problems);
  return geometry;
}

class CleanupCorpus : public MergeTest, public ::testing::WithParamInterface<std::string> {
 protected:
  // Merges `kind` at `tolerance`, checks the plan against the scan's and the
  // text against `old`, the geometry before; `old` becomes the one after.
  void MergeAndCompare(MergeKind kind, long double tolerance, Geometry& old) {
    const bool points = kind == MergeKind::Points;
    SCOPED_TRACE(::testing::Message() << (points ? "points" : "normals") << " at " << tolerance);
    const Lines before = Text();
    const ScanPlan expected = PlanByScan(before, kind, tolerance);
    const bool merges = expected.kept != expected.section.count;
    if (merges) f.dialogs.Answer(Answer::Yes);
    (points ? f.form.session.plan.pointTolerance : f.form.session.plan.normalTolerance) = tolerance;
    f.dialogs.shown.clear();
    ASSERT_TRUE(Run(points ? &Form::PunkteButtonClick : &Form::NormalenButtonClick))
        << LastMessage();
    ASSERT_EQ(f.dialogs.Count(), 1u);
    if (!merges) {
      EXPECT_EQ(f.dialogs.Shown(0).text, f.Lang(points ? 65 : 67));
      EXPECT_EQ(Text(), before);
      return;
    }
    EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Confirmation);
    for (std::size_t k = 0; k < static_cast<std::size_t>(expected.section.count); ++k) {
      ASSERT_EQ(f.form.session.mergeTable[k].newIndex, expected.table[k].newIndex) << "entry " << k;
      ASSERT_EQ(f.form.session.mergeTable[k].keep, expected.table[k].keep) << "entry " << k;
    }
    EXPECT_EQ(Line(std::string(SectionKeyword(kind)) + " ("),
              before[expected.section.header].substr(0, before[expected.section.header].find('(')) +
                  "( " + std::to_string(expected.kept));
    EXPECT_EQ(Text().size(),
              before.size() - static_cast<std::size_t>(expected.section.count - expected.kept));

    // Every reference now names the entry its old entry merged into (the
    // first with its new index), and the other section is untouched.
    std::vector<std::size_t> first(static_cast<std::size_t>(expected.kept));
    for (std::size_t k = expected.section.count; k-- > 0;)
      if (expected.table[k].keep) first[static_cast<std::size_t>(expected.table[k].newIndex)] = k;
    Geometry now = ReadGeometry(Text());
    for (const std::string& problem : now.problems) ADD_FAILURE() << problem;
    const auto& oldEntries = points ? old.points : old.normals;
    const auto& newEntries = points ? now.points : now.normals;
    const auto sameEntry = [&](const std::vector<long long>& was,
                               const std::vector<long long>& is) {
      ASSERT_EQ(is.size(), was.size());
      for (std::size_t i = 0; i < is.size(); ++i) {
        const auto merged = first[static_cast<std::size_t>(
            expected.table[static_cast<std::size_t>(was[i])].newIndex)];
        ASSERT_EQ(newEntries.at(static_cast<std::size_t>(is[i])), oldEntries.at(merged)) << i;
      }
    };
    sameEntry(points ? old.vertexPoints : old.vertexNormals,
              points ? now.vertexPoints : now.vertexNormals);
    if (!points) sameEntry(old.faceNormals, now.faceNormals);
    EXPECT_EQ(points ? now.normals : now.points, points ? old.normals : old.points);
    EXPECT_EQ(points ? now.vertexNormals : now.vertexPoints,
              points ? old.vertexNormals : old.vertexPoints);
    old = std::move(now);
  }
};

TEST_P(CleanupCorpus, MergesAsTheFullScanDoesAndStaysWellFormed) {
  if (GetParam().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  SCOPED_TRACE(GetParam());
  const Lines original = ReadShapeLines(CorpusDir() + "/" + GetParam());
  const Geometry geometry = ReadGeometry(original);
  // Each tolerance with the other order of the two commands.
  Load(original);
  Geometry current = geometry;
  MergeAndCompare(MergeKind::Points, 0, current);
  MergeAndCompare(MergeKind::Normals, 0, current);
  Load(original);
  current = geometry;
  MergeAndCompare(MergeKind::Normals, 0.01L, current);
  MergeAndCompare(MergeKind::Points, 0.01L, current);
}

// The whole clean-up from the command line, as a modeller runs it over a
// folder: the result reads back and passes the check of a whole shape.
TEST_P(CleanupCorpus, TheCommandLineCleansUpEveryShapeIntoAWholeShape) {
  if (GetParam().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set";
  SCOPED_TRACE(GetParam());
  const std::string shape = CorpusDir() + "/" + GetParam();
  const std::string out = f.dir.File("out.s");
  std::ostringstream output, errors;
  ASSERT_EQ(cli::RunCli({shape, "--points-tolerance", "0.001", "--do",
                         "merge-points,merge-normals,fix-materials", "-o", out},
                        output, errors, f.dir.File("quarvel-cli")),
            cli::kSuccess)
      << errors.str();
  const Lines cleaned = ReadShapeLines(out);
  ASSERT_FALSE(cleaned.empty());
  const std::optional<ShapeProblem> damage = FirstShapeError(cleaned, LanguageTexts("Deutsch"));
  EXPECT_FALSE(damage) << damage->line + 1 << ": " << damage->message;
}

INSTANTIATE_TEST_SUITE_P(Shapes, CleanupCorpus, ::testing::ValuesIn(CorpusShapes()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.empty() ? "none" : info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace quarvel::testing
