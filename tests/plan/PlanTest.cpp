// The plan's edge: what a typed or stored entry means to the commands, and
// storage that keeps what a smaller count hides.
#include "plan/Plan.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

TEST(Plan, AnEntryReadsAsItsNumberAndBelongsOnlyWhenSpeltPlainly) {
  struct Case {
    const char* text;
    std::optional<int> value;
    std::optional<int> plain;
  };
  const Case cases[] = {{"1", 1, 1},
                        {"0", 0, 0},
                        {"05", 5, std::nullopt},
                        {"+5", 5, std::nullopt},
                        {"00", 0, std::nullopt},
                        {"999", 999, 999},
                        {"", std::nullopt, std::nullopt},
                        {"x", std::nullopt, std::nullopt},
                        {"-1", -1, std::nullopt}};
  for (const Case& c : cases) {
    const SubobjectChoice choice = SubobjectChoice::FromText(c.text);
    EXPECT_EQ(choice.Text(), c.text);
    EXPECT_EQ(choice.Value(), c.value) << c.text;
    EXPECT_EQ(choice.PlainNumber(), c.plain) << c.text;
    EXPECT_EQ(choice.InEverySubobject(), c.plain == 0) << c.text;
    for (int subobject : {1, 5, 999})
      EXPECT_EQ(choice.IsIn(subobject), c.plain == 0 || c.plain == subobject)
          << c.text << " in " << subobject;
  }
  EXPECT_EQ(SubobjectChoice(7), SubobjectChoice::FromText("7"));
  EXPECT_TRUE(Mark::FromText("X").IsSet());
  EXPECT_FALSE(Mark::FromText("y").IsSet());
  EXPECT_EQ(Mark::FromText("y").Text(), "y") << "a stored text is kept as it stands";
}

TEST(Plan, ASmallerCountHidesValuesThatALargerOneBringsBack) {
  Rows<Mark> marks;
  marks.SetCount(3);
  marks.Set(3, Mark::Set());
  marks.SetCount(1);
  EXPECT_EQ(marks.Count(), 1);
  marks.SetCount(3);
  EXPECT_TRUE(marks[3].IsSet());
  EXPECT_FALSE(marks[7].IsSet()) << "never written reads as empty";

  Plan plan;
  plan.SetChoice(2, 5, {});
  EXPECT_TRUE(plan.assignment.empty()) << "an empty entry needs no room";
  plan.SetChoice(2, 5, SubobjectChoice(3));
  EXPECT_EQ(plan.Choice(2, 5).Value(), 3);
  EXPECT_TRUE(plan.Choice(1, 5).Empty());
  EXPECT_TRUE(plan.Choice(2, 6).Empty());
  plan.SetSortMark(4, 2, Mark::Set());
  EXPECT_TRUE(plan.SortMarked(4, 2));
  EXPECT_FALSE(plan.SortMarked(4, 1));
}

}  // namespace
}  // namespace quarvel
