// The jumps and the search of the text page through the form: where the caret
// goes, when the text view gets the focus, and the one message of the search.
#include <gtest/gtest.h>

#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

constexpr const char* kNotFound = "Text ab Cursor nicht gefunden.";

// Each line with its line end: "shape (" 0..8, "\tmatrices ( 1" 9..23,
// "\thierarchy ( 1 -1 )" 24..44, "\tlod_control ( hierarchy" 45..70,
// "\tgeometry_nodes ( 1" 71..91.
const std::vector<std::string> kText = {"shape (", "\tmatrices ( 1", "\thierarchy ( 1 -1 )",
                                        "\tlod_control ( hierarchy", "\tgeometry_nodes ( 1"};

struct Navigation : ::testing::Test {
  Navigation() { f.form.session.text.Assign(kText); }
  // Clicks like the window: the focus request is handled afterwards.
  FocusRequest Click(Outcome (Form::*handler)()) {
    f.form.focusRequest = FocusRequest::None;
    f.form.Run([&] { (f.form.*handler)(); });
    return f.form.focusRequest;
  }
  std::size_t& Caret() { return f.form.SMemo.caretPosition; }
  FormFixture f;
};

TEST_F(Navigation, JumpsGoToTheStartTheEndAndJustBehindTheFirstLetterOfMatrices) {
  Caret() = 30;
  EXPECT_EQ(Click(&Form::SButton1Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 0u);
  EXPECT_EQ(Click(&Form::SButton2Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 92u);  // every line with its line end
  EXPECT_EQ(Click(&Form::SButton3Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 11u);

  f.form.session.text.Assign({"shape (", "\timages ( 1"});
  Caret() = 12;
  EXPECT_EQ(Click(&Form::SButton3Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 0u);
  EXPECT_EQ(f.dialogs.Count(), 0u);
}

TEST_F(Navigation, LodWalksThroughTheHierarchiesThenSaysItFoundNoMore) {
  EXPECT_EQ(Click(&Form::SButton4Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 27u);  // two behind "hierarchy" at 25
  EXPECT_EQ(Click(&Form::SButton4Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 63u);  // three behind the one at 60
  EXPECT_EQ(Click(&Form::SButton4Click), FocusRequest::None);
  EXPECT_EQ(Caret(), 63u);
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).kind, BoxKind::Information);
  EXPECT_EQ(f.dialogs.Shown(0).text, kNotFound);
  EXPECT_EQ(f.dialogs.Shown(0).buttons, Buttons::Ok);

  // From the end the search starts again at the top.
  Caret() = 90;
  EXPECT_EQ(Click(&Form::SButton4Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 27u);
  EXPECT_EQ(Click(&Form::SButton5Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 75u);
}

TEST_F(Navigation, TheSearchEditSearchesCaseSensitivelyOnEnter) {
  f.form.SucheEdit.text = "Hierarchy";
  char key = '\r';
  f.form.Run([&] { f.form.SucheEditKeyPress(key); });
  EXPECT_EQ(key, 0);  // the edit never sees the Enter
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, kNotFound);

  f.form.SucheEdit.text = "lod_control";
  key = 'x';
  f.form.Run([&] { f.form.SucheEditKeyPress(key); });
  EXPECT_EQ(key, 'x');  // typed as it is
  EXPECT_EQ(Caret(), 0u);
  EXPECT_EQ(Click(&Form::SButton6Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 48u);

  // Nothing to search for: nothing happens, Enter or not.
  f.form.SucheEdit.text.clear();
  key = '\r';
  f.form.Run([&] { f.form.SucheEditKeyPress(key); });
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Click(&Form::SButton6Click), FocusRequest::None);
  EXPECT_EQ(Caret(), 48u);
  // A character no shape line can hold is found nowhere.
  f.form.SucheEdit.text = "\xE2\x82\xAC";
  EXPECT_EQ(Click(&Form::SButton6Click), FocusRequest::None);
  EXPECT_EQ(f.dialogs.Count(), 2u);
}

TEST_F(Navigation, CtrlFGoesToTheSearchEditAndF3RepeatsTheLastSearch) {
  EXPECT_EQ(Click(&Form::FindShortcut), FocusRequest::SucheEdit);
  f.form.SucheEdit.text = "( 1";
  EXPECT_EQ(Click(&Form::FindNextShortcut), FocusRequest::SMemo);  // nothing to repeat yet
  EXPECT_EQ(Caret(), 21u);
  EXPECT_EQ(Click(&Form::SButton4Click), FocusRequest::SMemo);
  EXPECT_EQ(Caret(), 28u);
  EXPECT_EQ(Click(&Form::FindNextShortcut), FocusRequest::SMemo);  // the next hierarchy
  EXPECT_EQ(Caret(), 63u);
}

TEST(NavigationWithoutText, JumpsGoToTheStartAndSearchesFindNothing) {
  FormFixture f;
  for (auto handler : {&Form::SButton1Click, &Form::SButton2Click, &Form::SButton3Click}) {
    f.form.SMemo.caretPosition = 5;
    f.form.Run([&] { (f.form.*handler)(); });
    EXPECT_EQ(f.form.SMemo.caretPosition, 0u);
  }
  f.form.Run([&] { f.form.SButton5Click(); });
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, kNotFound);
}

}  // namespace
}  // namespace quarvel::testing
