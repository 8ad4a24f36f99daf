// Every real shape, split automatically under several limits: the split's
// own counts are the sub-object table's counts, every sub-object stays
// within the limit unless an element alone exceeds it, and no sub-object is
// left empty, so the generation accepts the plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "assignment/AutoSplit.h"
#include "common/Convert.h"
#include "form/TableColumns.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

// The shapes of both manifests, relative to the corpus folder.
std::vector<std::string> CorpusShapes() {
  std::vector<std::string> files;
  for (const std::string& folder : {std::string(), std::string("tsm/")})
    for (const ManifestRow& row : ReadManifest(CorpusDir() + "/" + folder))
      files.push_back(folder + row.at("file"));
  return files;
}

// Splits LOD 1 under `limit` and holds the result to the sub-object table.
void SplitAndCompare(FormFixture& f, int limit) {
  SCOPED_TRACE("limit " + std::to_string(limit));
  Form& form = f.form;
  AutoSplitPlan plan;
  ASSERT_EQ(
      PlanAutoSplit(form.session.tables, form.session.plan, form.session.index, 1, limit, {}, plan),
      std::nullopt);
  ApplyAutoSplit(form.session.plan, plan);
  form.RefreshAssignment();

  ASSERT_EQ(form.StringGrid2.RowCount() - 1, plan.Subobjects());
  for (int s = 1; s <= plan.Subobjects(); ++s) {
    SCOPED_TRACE("sub-object " + std::to_string(s));
    const long long vertices = plan.vertices[static_cast<std::size_t>(s - 1)];
    EXPECT_EQ(form.StringGrid2.Cell(kVertexCountColumn, s), IntToStr(vertices));
    EXPECT_EQ(form.session.SubobjectVertices(1, s), vertices);
    EXPECT_GT(vertices, 0) << "a gap";
    const bool holdsOversized =
        std::any_of(plan.oversized.begin(), plan.oversized.end(),
                    [s](const AutoSplitPlan::OversizedElement& e) { return e.subobject == s; });
    if (!holdsOversized) {
      EXPECT_LE(vertices, limit);
    }
  }
  for (const AutoSplitPlan::OversizedElement& element : plan.oversized)
    EXPECT_GT(element.vertices, limit);

  // No vertex set goes into two sub-objects, which would write it twice;
  // the "0" elements' sets are in every one, as the modeller asked.
  std::map<int, int> subobjectOfSet;
  std::set<int> everywhere;
  const int rows = form.session.Elements();
  for (int row = 1; row <= rows; ++row)
    if (form.session.plan.Choice(row, 1).InEverySubobject())
      everywhere.insert(form.session.index.ElementVtxStates[static_cast<std::size_t>(row - 1)]);
  for (int row = 1; row <= rows; ++row) {
    const std::optional<int> subobject = form.session.plan.Choice(row, 1).PlainNumber();
    const int set = form.session.index.ElementVtxStates[static_cast<std::size_t>(row - 1)];
    if (!subobject || *subobject == 0 || everywhere.count(set) != 0) continue;
    const auto [it, fresh] = subobjectOfSet.emplace(set, *subobject);
    EXPECT_EQ(it->second, *subobject) << "vertex set " << set << " of row " << row;
  }
}

TEST(AutoSplitCorpus, EverySplitCountsAsTheSubobjectTableAndLeavesNoGap) {
  if (CorpusDir().empty()) GTEST_SKIP() << "QUARVEL_CORPUS is not set: no real shapes to split";
  const std::vector<std::string> shapes = CorpusShapes();
  ASSERT_GT(shapes.size(), 20u);
  for (const std::string& shape : shapes) {
    SCOPED_TRACE(shape);
    FormFixture f;
    f.LoadShape(ReadShapeLines(CorpusDir() + "/" + shape));
    const int elements = f.form.session.Elements();
    ASSERT_GT(elements, 0);
    const int total = f.form.session.SubobjectVertices(1, 1);
    for (int limit : {total / 5 + 1, total / 2 + 1, total, 1000, 14000}) SplitAndCompare(f, limit);

    if (elements < 3) continue;
    // The first element in every sub-object, the second in none.
    f.form.StringGrid1.SetCell(AssignmentColumn(1), 1, "0");
    f.form.StringGrid1.SetCell(AssignmentColumn(1), 2, "999");
    f.form.RefreshAssignment();
    // What every sub-object holds: no cell names sub-object 99.
    const int every =
        SubobjectVertexCounts(f.form.session.plan, elements, f.form.session.index, 1, 99)[98];
    for (int limit : {total / 2 + 1, total})
      if (limit >= every) SplitAndCompare(f, limit);
    EXPECT_EQ(f.form.StringGrid1.Cell(AssignmentColumn(1), 1), "0");
    EXPECT_EQ(f.form.StringGrid1.Cell(AssignmentColumn(1), 2), "999");
    AutoSplitPlan plan;
    if (every > 1) {
      EXPECT_NE(PlanAutoSplit(f.form.session.tables, f.form.session.plan, f.form.session.index, 1,
                              every - 1, {}, plan),
                std::nullopt);
    }
  }
}

}  // namespace
}  // namespace quarvel::testing
