// "Normalen zusammenfassen": the sign test, the normal index of the vertices
// and the face-normal lists, however the reader has split them.
#include <gtest/gtest.h>

#include "cleanup/MergeShape.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// Normals 1, 3 and 5 merge into 0, 2 and 4: the new indices are
// 0 0 1 1 2 2 3 4.
MergeShape EightNormals() {
  MergeShape shape;
  shape.points = {"0 0 0", "1 0 0", "0 0 1", "0 1 0", "1 1 1", "2 2 2", "3 3 3", "4 4 4"};
  shape.normals = {"0 1 0",  "0 1.0005 0", "1 0 0",     "0.9995 0 0",
                   "0 0 -1", "0 0 -1",     "0.6 0.8 0", "-0.6 0.8 0"};
  shape.vertices = {{7, 5}, {2, 7}};
  return shape;
}

class NormalMerging : public MergeTest {
 protected:
  // `moves`: how far the chains of merges take an entry at most.
  std::string Question(long long merged, const std::string& tolerance,
                       const std::string& moves = "0") const {
    return std::to_string(merged) + " " + f.Lang(66) + " " + tolerance + ". " +
           WithValue(f.Lang(80), "distance", moves) + " " + f.Lang(64);
  }
  void Merge(const Lines& lines, long double tolerance = 0.001L) {
    Load(lines);
    f.form.session.plan.normalTolerance = tolerance;
    f.dialogs.Answer(Answer::Yes);
    ASSERT_TRUE(Run(&Form::NormalenButtonClick)) << LastMessage();
  }
  void Merge(const MergeShape& shape) { Merge(BuildMergeShape(shape)); }
};

TEST_F(NormalMerging, ComponentsMustShareTheirSignsBeforeTheirDifferencesCount) {
  // The first box for two normals: the question when they merge.
  const auto firstBox = [this](const std::string& first, const std::string& second, bool merge) {
    MergeShape shape;
    shape.normals = {first, second};
    Load(shape);
    f.form.session.plan.normalTolerance = 0.001L;
    if (merge) f.dialogs.Answer(Answer::No);
    f.form.NormalenButtonClick();
    return f.dialogs.Count() > 0 ? f.dialogs.Shown(0).text : "";
  };
  EXPECT_EQ(firstBox("0 1 0", "0.0005 1 0", false), f.Lang(67));  // signs 0 and +1
  EXPECT_EQ(firstBox("-0.0004 1 0", "0.0004 1 0", false), f.Lang(67));
  EXPECT_EQ(firstBox("0.0004 0.9999 0", "0.0008 1 0", true), Question(1, "0.001", "0.000412"));
  // Both zeros have sign 0.
  EXPECT_EQ(firstBox("-0.0 1 0", "0 1.0005 0.0", true), Question(1, "0.001", "0.0005"));
}

TEST_F(NormalMerging, VerticesAndFaceListsGetTheNewIndicesWithTheirSpacingKept) {
  MergeShape shape = EightNormals();
  shape.faceNormals = {{"normal_idxs ( 2 5 3 7 3 )"}, {"normal_idxs (  3\t1 3  6 2 4 3 )"}};
  Merge(shape);
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(3, "0.001", "0.0005"));
  EXPECT_EQ(Section("normals ("), (Lines{"\tnormals ( 5", "\t\tvector ( 0 1 0 )",
                                         "\t\tvector ( 1 0 0 )", "\t\tvector ( 0 0 -1 )",
                                         "\t\tvector ( 0.6 0.8 0 )", "\t\tvector ( -0.6 0.8 0 )"}));
  // Point indices and colours stay; only the normal index changes.
  EXPECT_EQ(Line("vertex ( 00000000 7"), "\t\tvertex ( 00000000 7 2 FFFFFFFF FF000000");
  EXPECT_EQ(Line("vertex ( 00000000 2"), "\t\tvertex ( 00000000 2 4 FFFFFFFF FF000000");
  EXPECT_EQ(Line("normal_idxs ( 2"), "\t\tnormal_idxs ( 2 2 3 4 3 )");
  EXPECT_EQ(Line("normal_idxs (  3"), "\t\tnormal_idxs (  3\t0 3  3 2 2 3 )");
  EXPECT_EQ(Section("points ("), Lines(source.begin() + 3, source.begin() + 12));
  EXPECT_FALSE(f.form.NormalenButton.enabled);
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
}

TEST_F(NormalMerging, AListGoesOnOverAsManyLinesAsTheReaderSplitItInto) {
  // Broken after the count, after an entry (the reader leaves the blank it
  // cut at), between the two tokens of an entry, and a list that is followed
  // by a vertex-like line it must not swallow.
  MergeShape shape = EightNormals();
  shape.faceNormals = {{"normal_idxs ( 4", "5 3 ", "7 3 1", " 3 3", "3 )"},
                       {"normal_idxs ( 1 6 3 )", "flags ( 1 00000000 )"}};
  Merge(shape);
  const std::size_t list = LineWith(Text(), "normal_idxs ( 4");
  EXPECT_EQ(Lines(Text().begin() + static_cast<std::ptrdiff_t>(list),
                  Text().begin() + static_cast<std::ptrdiff_t>(list) + 7),
            (Lines{"\t\tnormal_idxs ( 4", "\t\t2 3 ", "\t\t4 3 0", "\t\t 3 1", "\t\t3 )",
                   "\t\tnormal_idxs ( 1 3 3 )", "\t\tflags ( 1 00000000 )"}));
  EXPECT_EQ(Text().size(), source.size() - 3);
}

TEST_F(NormalMerging, PointsAndNormalsMergeInEitherOrderToTheSameText) {
  MergeShape shape = EightNormals();
  shape.points = {"0 0 0", "0 0 0.0001", "5 5 5", "0 0 0", "1 1 1", "2 2 2", "3 3 3", "1 1 1"};
  shape.vertices = {{7, 5}, {3, 7}, {1, 1}};
  shape.faceNormals = {{"normal_idxs ( 2 5 3 7 3 )"}};
  const Lines lines = BuildMergeShape(shape);
  const auto both = [&](Outcome (Form::*first)(), Outcome (Form::*second)()) {
    Load(lines);
    f.form.session.plan.pointTolerance = 0.001L;
    f.form.session.plan.normalTolerance = 0.001L;
    f.dialogs.Answer(Answer::Yes);
    f.dialogs.Answer(Answer::Yes);
    EXPECT_TRUE(Run(first));
    EXPECT_TRUE(Run(second));
    EXPECT_FALSE(f.form.PunkteButton.enabled);
    EXPECT_FALSE(f.form.NormalenButton.enabled);
    return Text();
  };
  const Lines pointsFirst = both(&Form::PunkteButtonClick, &Form::NormalenButtonClick);
  EXPECT_EQ(both(&Form::NormalenButtonClick, &Form::PunkteButtonClick), pointsFirst);
  EXPECT_EQ(Vertices(), (std::vector<std::pair<int, int>>{{2, 2}, {0, 4}, {0, 0}}));
  EXPECT_EQ(Line("normal_idxs"), "\t\tnormal_idxs ( 2 2 3 4 3 )");
}

TEST_F(NormalMerging, AFaceListItCannotRenumberLeavesTheWholeTextAsItWas) {
  const auto refusal = [&](const Lines& lines) {
    Load(lines);
    f.dialogs.Answer(Answer::Yes);
    f.form.session.plan.normalTolerance = 0.001L;
    EXPECT_FALSE(Run(&Form::NormalenButtonClick));
    EXPECT_EQ(Text(), source);
    EXPECT_TRUE(f.form.SMemo.visible);
    EXPECT_FALSE(f.form.NormalenButton.enabled);
    EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
    return LastMessage();
  };
  const std::string unchanged =
      " Die Normalen wurden nicht zusammengefasst, der Text ist unverändert.";
  MergeShape shape = EightNormals();
  shape.faceNormals = {{"normal_idxs ( 3 5 3", "8 3 1 3 )"}};
  Lines lines = BuildMergeShape(shape);
  const std::string second = std::to_string(LineWith(lines, "normal_idxs") + 2);
  EXPECT_EQ(refusal(lines),
            "Zeile " + second + ": '8' ist kein Index eines der 8 Normalen." + unchanged);

  // The text ends before the list has its three entries.
  shape.faceNormals = {{"normal_idxs ( 3 5 3", "7 3 1"}};
  lines = BuildMergeShape(shape);
  lines.pop_back();
  const std::string first = std::to_string(LineWith(lines, "normal_idxs") + 1);
  EXPECT_EQ(
      refusal(lines),
      "Zeile " + first + ": Die Liste \"normal_idxs\" endet vor ihren 3 Einträgen." + unchanged);
  // A list that stops early runs into the next line's tokens.
  shape.faceNormals = {{"normal_idxs ( 3 5 3 7 3 )"}};
  EXPECT_EQ(refusal(BuildMergeShape(shape)),
            "Zeile " + first + ": ')' ist kein Index eines der 8 Normalen." + unchanged);
  shape.faceNormals = {{"normal_idxs ( -1 5 3 )"}};
  EXPECT_EQ(refusal(BuildMergeShape(shape)),
            "Zeile " + first + ": '-1' ist keine gültige Anzahl von Einträgen." + unchanged);

  shape.faceNormals.clear();
  lines = BuildMergeShape(shape);
  const std::size_t vertex = LineWith(lines, "vertex (");
  lines[vertex] = "\t\tvertex ( 00000000 7 normal FFFFFFFF FF000000";
  EXPECT_EQ(refusal(lines), "Zeile " + std::to_string(vertex + 1) +
                                ": 'normal' ist kein Index eines der 8 Normalen." + unchanged);
}

}  // namespace
}  // namespace quarvel::testing
