// A sub-object above the vertex limit is asked about once, after every
// other check and before anything changes; No leaves the text and the
// command as they were.
#include <gtest/gtest.h>

#include "generation/GenerationHelpers.h"

namespace quarvel::testing {
namespace {

class VertexLimitQuestion : public GenerationTest {
 protected:
  // Two elements of 600 vertices each, both in sub-object 1: 1200 vertices
  // against a limit of 1000.
  void LoadTwoElements(bool oneLineSortVectors = false) {
    ExportedShape shape = ElementsWithOwnSets(2, 600);
    shape.oneLineSortVectors = oneLineSortVectors;
    Load(shape);
    f.form.VertLimitSpinEditChange(1000);
  }
  Outcome Generate() {
    return f.form.Run([this] { return f.form.Sub_ObjectsButtonClick(); });
  }
  // Answers No to the one question the command asks, of `kind`, and returns
  // its text.
  std::string DeclinedQuestion(BoxKind kind) {
    f.dialogs.Answer(Answer::No);
    EXPECT_EQ(Generate().kind(), Outcome::Kind::Declined);
    EXPECT_EQ(f.dialogs.Count(), 1u);
    if (f.dialogs.Count() != 1) return "";
    EXPECT_EQ(f.dialogs.Shown(0).kind, kind);
    EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::YesNo);
    return f.dialogs.Shown(0).text;
  }
};

TEST_F(VertexLimitQuestion, NoLeavesTheTextAndTheCommandAsTheyWere) {
  LoadTwoElements(true);  // the preparation would split "sort_vectors ( 0 )"
  EXPECT_EQ(DeclinedQuestion(BoxKind::Confirmation),
            "Subobjekt 1 von LOD 1 hat 1200 Vertices, mehr als die Grenze von 1000 Vertices, "
            "trotzdem erzeugen?");
  EXPECT_EQ(Text(), source);
  EXPECT_FALSE(f.form.session.text.Modified());
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_TRUE(f.form.SMemo.visible);
  EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);

  // After a split within the limit nothing is asked.
  f.dialogs.shown.clear();
  Plan(1, {"1", "2"});
  GenerateCleanly();
  EXPECT_EQ(LinesWith("sub_objects ( 2").size(), 1u);
}

TEST_F(VertexLimitQuestion, YesWritesThePlanAndTheQuestionNamesTheLargestSubobject) {
  LoadTwoElements();
  SetLods({"300", "2000"});
  Plan(1, {"1", "2"});
  Plan(2, {"1", "1"});
  f.form.VertLimitSpinEditChange(1000);
  f.dialogs.Answer(Answer::Yes);
  EXPECT_TRUE(Generate().IsDone());
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text,
            "Subobjekt 1 von LOD 2 hat 1200 Vertices, mehr als die Grenze von 1000 Vertices, "
            "trotzdem erzeugen?");
  EXPECT_FALSE(f.form.Sub_ObjectsButton.enabled);
  EXPECT_EQ(LinesWith("sub_objects ( ").size(), 2u);
  for (const std::string& problem : ConsistencyProblems(ParseShapeTree(Text())))
    ADD_FAILURE() << problem;
}

TEST_F(VertexLimitQuestion, TheOtherChecksComeFirst) {
  LoadTwoElements();
  SetLods({"300", "2000"});
  Plan(2, {"999", "999"});
  EXPECT_EQ(Generate().kind(), Outcome::Kind::Refused);
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text.rfind("LOD 2 ist leer", 0), 0u) << f.dialogs.Shown(0).text;
}

TEST_F(VertexLimitQuestion, SeveralSubobjectsAboveTheLimitAreCounted) {
  ExportedShape shape = ElementsWithOwnSets(4, 600);
  Load(shape);
  f.form.VertLimitSpinEditChange(1000);
  Plan(1, {"1", "1", "2", "0"});
  EXPECT_EQ(DeclinedQuestion(BoxKind::Confirmation),
            "Subobjekt 1 von LOD 1 hat 1800 Vertices, mehr als die Grenze von 1000 Vertices "
            "(insgesamt 2 Subobjekte über der Grenze von 1000), trotzdem erzeugen?");
}

TEST_F(VertexLimitQuestion, AboveWhat16BitIndicesReachItWarns) {
  Load(ElementsWithOwnSets(1, 65536));
  EXPECT_EQ(DeclinedQuestion(BoxKind::Warning),
            "Subobjekt 1 von LOD 1 hat 65536 Vertices, mehr als 65535, die ein Subobjekt mit "
            "16-Bit-Indizes höchstens haben kann: das Ergebnis wird im Simulator nicht richtig "
            "dargestellt, trotzdem erzeugen?");
  EXPECT_EQ(Text(), source);
}

}  // namespace
}  // namespace quarvel::testing
