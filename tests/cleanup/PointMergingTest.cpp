// "Punkte zusammenfassen": the question, the rebuilt points section and the
// vertices that follow it, and every way the command ends.
#include <gtest/gtest.h>

#include "cleanup/MergeShape.h"
#include "common/Convert.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

class PointMerging : public MergeTest {
 protected:
  // `moves`: how far the chains of merges take an entry at most.
  std::string Question(long long merged, const std::string& tolerance,
                       const std::string& moves = "0") const {
    return std::to_string(merged) + " " + f.Lang(63) + " " + tolerance + ". " +
           WithValue(f.Lang(79), "distance", moves) + " " + f.Lang(64);
  }
  // Loads, answers the question Yes and merges at `tolerance`.
  void Merge(const MergeShape& shape, long double tolerance) {
    Load(shape);
    f.form.session.plan.pointTolerance = tolerance;
    f.dialogs.Answer(Answer::Yes);
    ASSERT_TRUE(Run(&Form::PunkteButtonClick)) << LastMessage();
  }
};

TEST_F(PointMerging, TheNearestEarlierIndexWinsAndOnlyTheIndicesChange) {
  // Point 3 lies nearer to point 0 but matches point 2 first; point 1 merges
  // into 0, so the kept points 2 and 4 move down.
  MergeShape shape;
  shape.points = {"0 0 0", "0.0004 0 -0.0002", "0.0015 0 0", "0.0006 0 0", "7 8 9"};
  shape.normals = {"0 1 0"};
  shape.vertices = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
  SetDecimalSeparator(',');  // as under a German locale
  Merge(shape, 0.001L);

  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Confirmation);
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(2, "0.001", "0.0009"));
  EXPECT_EQ(DecimalSeparator(), ',');
  EXPECT_EQ(Section("points ("), (Lines{"\tpoints ( 3", "\t\tpoint ( 0 0 0 )",
                                        "\t\tpoint ( 0.0015 0 0 )", "\t\tpoint ( 7 8 9 )"}));
  EXPECT_EQ(Vertices(), (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {1, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(Text()[LineWith(Text(), "vertex (") + 9],
            "\t\tvertex ( 00000000 1 0 FFFFFFFF FF000000");
  EXPECT_EQ(Section("normals ("), (Lines{"\tnormals ( 1", "\t\tvector ( 0 1 0 )"}));
  EXPECT_EQ(Text().size(), source.size() - 2);

  EXPECT_FALSE(f.form.PunkteButton.enabled);
  EXPECT_TRUE(f.form.NormalenButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_TRUE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.CaptionRed(f.form.SpeichernBitBtn));
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST_F(PointMerging, ChainsPassOnTheFirstPointsIndex) {
  MergeShape shape;
  shape.points = {"0 0 0", "0.0008 0 0", "0.0016 0 0"};
  shape.vertices = {{2, 0}};
  Merge(shape, 0.001L);
  EXPECT_EQ(Section("points ("), (Lines{"\tpoints ( 1", "\t\tpoint ( 0 0 0 )"}));
  EXPECT_EQ(Vertices(), (std::vector<std::pair<int, int>>{{0, 0}}));
  // The question says that the chain takes the last point beyond the tolerance.
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(2, "0.001", "0.0016"));
}

TEST_F(PointMerging, AtToleranceZeroPointsMergeWhenTheirExtendedValuesAreEqual) {
  // 1e-22 is below the last digit of an extended 1, but 2e-20 is above that
  // of 0.1 (which a 64-bit double would not tell apart).
  MergeShape shape;
  shape.points = {"1.0 2 -0.0",
                  "1 2.0 0.0",
                  "1.0000000000000000000001 2E0 0",
                  "0.1 0 0",
                  "0.10000000000000000002 0 0",
                  "1e-1 0 0"};
  shape.vertices = {{5, 0}, {4, 0}};
  Merge(shape, 0);
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(3, "0"));
  EXPECT_EQ(Section("points ("),
            (Lines{"\tpoints ( 3", "\t\tpoint ( 1.0 2 -0.0 )", "\t\tpoint ( 0.1 0 0 )",
                   "\t\tpoint ( 0.10000000000000000002 0 0 )"}));
  EXPECT_EQ(Vertices(), (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}}));
}

TEST_F(PointMerging, AnsweringNoOrFindingNothingLeavesTextAndButton) {
  MergeShape shape;
  shape.points = {"0 0 0", "0 0 0"};
  shape.vertices = {{1, 0}};
  Load(shape);
  f.dialogs.Answer(Answer::No);
  f.form.PunkteButtonClick();
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(1, "0"));

  // A negative tolerance stays in force and merges nothing.
  f.form.session.plan.pointTolerance = -0.5L;
  f.form.PunkteButtonClick();
  // No points at all.
  shape.points.clear();
  shape.vertices.clear();
  const Lines empty = BuildMergeShape(shape);
  f.form.session.text.Assign(empty);
  f.form.session.text.SetModified(false);
  f.form.PunkteButtonClick();

  ASSERT_EQ(f.dialogs.Count(), 3u);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(f.dialogs.Shown(i).kind, BoxKind::Information);
    EXPECT_EQ(f.dialogs.Shown(i).text, f.Lang(65));
  }
  EXPECT_EQ(Text(), empty);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
}

TEST_F(PointMerging, WithoutAPointsHeaderBeforeTheLastLineNothingHappens) {
  for (const Lines& lines : {Lines{"SIMISA", "shape (", ")"}, Lines{"points ( 1", "shape (", ")"},
                             Lines{"SIMISA", "shape (", "\tpoints ( 0"}}) {
    f.form.session.text.Assign(lines);
    f.form.Label2.caption = "before";
    f.form.PunkteButtonClick();
    EXPECT_EQ(Text(), lines);
    EXPECT_EQ(f.form.Label2.caption, "before");
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  }
  f.form.session.text.Clear();
  f.form.PunkteButtonClick();
  EXPECT_EQ(f.dialogs.Count(), 0u);
}

TEST_F(PointMerging, NumbersThatAreNoNumbersStopBeforeTheTextChanges) {
  MergeShape shape;
  shape.points = {"0 0 0", "0 0 0", "1,5 0 0"};
  Load(shape);
  SetDecimalSeparator(',');
  f.form.Label2.caption = "before";
  EXPECT_FALSE(Run(&Form::PunkteButtonClick));
  EXPECT_EQ(LastMessage(), "'1,5' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
  EXPECT_EQ(DecimalSeparator(), ',');

  // The lines after the header are the points, whatever they hold.
  shape.points.back() = "1 1 1";
  const Lines good = BuildMergeShape(shape);
  const std::size_t header = LineWith(good, "points (");
  Lines lines = good;
  lines[header + 3] = "\t)";
  Load(lines);
  EXPECT_FALSE(Run(&Form::PunkteButtonClick));
  EXPECT_EQ(LastMessage(), "')' ist kein gültiger Gleitkommawert");

  // A count beyond the text meets lines that hold nothing.
  Load(Lines{"SIMISA", "\tpoints ( 99999", "\t\tpoint ( 0 0 0 )", "\t\tpoint ( 1 1 1 )"});
  EXPECT_FALSE(Run(&Form::PunkteButtonClick));
  EXPECT_EQ(LastMessage(), "'' ist kein gültiger Gleitkommawert");
  EXPECT_LT(f.form.session.mergeTable.Size(), 99999u);

  lines = good;
  lines[header] = "\tpoints ( 3a";
  Load(lines);
  f.form.Label2.caption = "before";
  EXPECT_FALSE(Run(&Form::PunkteButtonClick));
  EXPECT_EQ(LastMessage(), "'3a' ist kein gültiger Integerwert");
  EXPECT_EQ(f.form.Label2.caption, "before");

  EXPECT_EQ(Text(), source);
  EXPECT_TRUE(f.form.PunkteButton.enabled);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
  EXPECT_EQ(DecimalSeparator(), ',');
}

TEST_F(PointMerging, AnIndexItCannotRenumberLeavesTheWholeTextAsItWas) {
  MergeShape shape;
  shape.points = {"0 0 0", "0 0 0", "1 1 1"};
  shape.vertices = {{1, 0}, {2, 0}, {0, 0}};
  const Lines good = BuildMergeShape(shape);
  const std::size_t third = LineWith(good, "vertex (") + 6;
  const auto refusal = [&](const std::string& vertexLine, const std::string& header) {
    Lines lines = good;
    lines[third] = vertexLine;
    if (!header.empty()) lines[LineWith(lines, "points (")] = header;
    Load(lines);
    f.dialogs.Answer(Answer::Yes);
    EXPECT_FALSE(Run(&Form::PunkteButtonClick));
    EXPECT_EQ(Text(), source);
    EXPECT_FALSE(f.form.session.text.Modified());
    EXPECT_FALSE(f.form.CaptionRed(f.form.SpeichernBitBtn));
    EXPECT_TRUE(f.form.SMemo.visible);
    EXPECT_FALSE(f.form.PunkteButton.enabled);  // the rebuild had begun
    EXPECT_EQ(f.form.Label2.caption, f.LineCountCaption());
    EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
    EXPECT_EQ(f.dialogs.Shown(1).kind, BoxKind::Error);
    return LastMessage();
  };
  const std::string line = std::to_string(third + 1);
  const std::string unchanged =
      " Die Punkte wurden nicht zusammengefasst, der Text ist unverändert.";
  EXPECT_EQ(refusal("\t\tvertex ( 00000000 3 0 FFFFFFFF FF000000", ""),
            "Zeile " + line + ": '3' ist kein Index eines der 3 Punkte." + unchanged);
  EXPECT_EQ(refusal("\t\tvertex ( 00000000 -1 0 FFFFFFFF FF000000", ""),
            "Zeile " + line + ": '-1' ist kein Index eines der 3 Punkte." + unchanged);
  EXPECT_EQ(refusal("\t\tvertex ( 00000000 0x1 0 FFFFFFFF FF000000", ""),
            "Zeile " + line + ": '0x1' ist kein Index eines der 3 Punkte." + unchanged);
  EXPECT_EQ(refusal("\t\tvertex ( 00000000", ""),
            "Zeile " + line + ": '' ist kein Index eines der 3 Punkte." + unchanged);
  // A negative count takes no lines as points; what it means is unknown.
  EXPECT_EQ(refusal(good[third], "\tpoints ( -2"),
            "Zeile 4: '-2' ist keine gültige Anzahl." + unchanged);
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(-2, "0"));
}

TEST_F(PointMerging, ASectionBeyondTheTablesFirstSizeIsMergedWhole) {
  // 70000 points, each written twice in a row.
  MergeShape shape;
  for (int i = 0; i < 35000; ++i) {
    const std::string point = std::to_string(i) + " 0.5 -1";
    shape.points.push_back(point);
    shape.points.push_back(point);
  }
  shape.vertices = {{69999, 0}, {2, 0}};
  Merge(shape, 0.25L);
  EXPECT_EQ(f.dialogs.Shown(0).text, Question(35000, "0.25"));
  EXPECT_EQ(Line("points ("), "\tpoints ( 35000");
  EXPECT_EQ(Vertices(), (std::vector<std::pair<int, int>>{{34999, 0}, {1, 0}}));
  EXPECT_GE(f.form.session.mergeTable.Size(), 70000u);
}

TEST_F(PointMerging, TheToleranceEntryTakesEitherSeparatorAndKeepsANegativeValue) {
  struct Entry {
    Edit& edit;
    long double& tolerance;
    void (Form::*exit)();
    FocusRequest back;
  };
  const std::string warning =
      "Bitte positive Zahl eintragen, Dezimaltrennzeichen wie im Betriebssystem eingestellt.";
  for (const Entry& entry : {Entry{f.form.DeltaPointsEdit, f.form.session.plan.pointTolerance,
                                   &Form::DeltaPointsEditExit, FocusRequest::DeltaPointsEdit},
                             Entry{f.form.DeltaNormalsEdit, f.form.session.plan.normalTolerance,
                                   &Form::DeltaNormalsEditExit, FocusRequest::DeltaNormalsEdit}}) {
    f.dialogs.shown.clear();
    f.form.focusRequest = FocusRequest::None;
    SetDecimalSeparator(',');
    entry.edit.text = "0,001";
    (f.form.*entry.exit)();
    EXPECT_EQ(entry.tolerance, 0.001L);
    EXPECT_EQ(f.dialogs.Count(), 0u);
    EXPECT_EQ(f.form.focusRequest, FocusRequest::None);

    entry.edit.text = "0.5";  // the other separator: a tolerance has no thousands
    (f.form.*entry.exit)();
    EXPECT_EQ(entry.tolerance, 0.5L);
    EXPECT_EQ(f.form.focusRequest, FocusRequest::None);
    entry.edit.text = "0,5x";
    (f.form.*entry.exit)();
    EXPECT_EQ(entry.tolerance, 0.5L);
    EXPECT_EQ(f.form.focusRequest, entry.back);
    f.form.focusRequest = FocusRequest::None;

    entry.edit.text = "-0,5";
    (f.form.*entry.exit)();
    EXPECT_EQ(entry.tolerance, -0.5L);
    EXPECT_EQ(f.form.focusRequest, entry.back);
    ASSERT_EQ(f.dialogs.Count(), 2u);
    for (const auto& box : f.dialogs.shown) {
      EXPECT_EQ(box.kind, BoxKind::Error);
      EXPECT_EQ(box.text, warning);
    }
  }
}

TEST_F(PointMerging, TolerancesFromTheSettingsFileAreTheExtendedValuesOfTheirText) {
  // 0.1 and 1 + 1e-19 have no exact double; their extended values differ
  // from the doubles' ones.
  WriteBytes(f.dir.File("shape.Quarvel"),
             "[Delta]\r\nPoints=0.1\r\nNormals=1.0000000000000000001\r\n");
  MergeShape shape;
  shape.points = {"0 0 0"};
  Load(shape);
  EXPECT_EQ(f.form.session.plan.pointTolerance, 0.1L);
  EXPECT_NE(f.form.session.plan.pointTolerance, static_cast<long double>(0.1));
  EXPECT_EQ(f.form.session.plan.normalTolerance, 1.0000000000000000001L);
  EXPECT_NE(f.form.session.plan.normalTolerance, 1.0L);
}

}  // namespace
}  // namespace quarvel::testing
