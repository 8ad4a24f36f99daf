// What the generation tests share: a form with a shape loaded, the plan and
// the LODs set the way the user sets them, and a look at the result.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"
#include "support/ShapeTree.h"

namespace quarvel::testing {

inline std::string Tabs(std::size_t count) {
  return std::string(count, '\t');
}

class GenerationTest : public ::testing::Test {
 protected:
  void Load(const std::vector<std::string>& lines) {
    f.dialogs.shown.clear();
    source = lines;
    f.LoadShape(lines);
    ASSERT_EQ(f.dialogs.Count(), 0u) << f.dialogs.Shown(0).text;
    ASSERT_TRUE(f.form.Sub_ObjectsButton.enabled);
  }
  void Load(const ExportedShape& shape) { Load(BuildExportedShape(shape)); }

  // The LOD count with its distances, as typed on the settings page.
  void SetLods(const std::vector<std::string>& distances) {
    const int count = static_cast<int>(distances.size());
    f.form.LODAnzSpinEditChange(count);
    for (int lod = 1; lod <= count; ++lod)
      f.form.StringGrid4.SetCell(1, lod, distances[static_cast<std::size_t>(lod - 1)]);
    f.form.LODAnzSpinEditExit();
  }

  // The L-cells of one LOD, element row 1 first.
  void Plan(int lod, const std::vector<std::string>& cells) {
    for (std::size_t row = 0; row < cells.size(); ++row)
      f.form.StringGrid1.SetCell(lod + 2, static_cast<int>(row) + 1, cells[row]);
    f.form.RefreshAssignment();
  }

  void Mark(int lod, int subobject, const std::string& mark = "x") {
    f.form.StringGrid2.SetCell(lod + 1, subobject, mark);
  }

  void Generate() {
    ASSERT_TRUE(f.form.Run([this] { f.form.Sub_ObjectsButtonClick(); }));
  }

  // Generates and expects no message and a shape the independent parser
  // finds consistent.
  void GenerateCleanly() {
    Generate();
    ASSERT_EQ(f.dialogs.Count(), 0u) << f.dialogs.Shown(0).text;
    for (const std::string& problem : ConsistencyProblems(ParseShapeTree(Text())))
      ADD_FAILURE() << problem;
  }

  // Loads `lines`, lets `setup` adjust the plan, runs the command and returns
  // its only message; the text must be as loaded and the command still
  // available.
  std::string RefusalFor(const std::vector<std::string>& lines,
                         const std::function<void()>& setup = {}) {
    Load(lines);
    if (setup) setup();
    Generate();
    EXPECT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(Text(), source);
    EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
    EXPECT_TRUE(f.form.SMemo.visible);
    EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
    return f.dialogs.Count() == 1 ? f.dialogs.Shown(0).text : "";
  }

  const std::vector<std::string>& Text() const { return f.form.session.text.All(); }

  // The lines of the n-th sub-object (from 0) of the whole text, from its
  // opening line to its closing line.
  std::vector<std::string> Subobject(std::size_t n) const {
    const auto& lines = Text();
    std::size_t found = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].find("sub_object (") == std::string::npos || found++ != n) continue;
      const std::size_t depth = lines[i].find_first_not_of('\t');
      for (std::size_t end = i + 1; end < lines.size(); ++end)
        if (lines[end] == Tabs(depth) + ")")
          return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                          lines.begin() + static_cast<std::ptrdiff_t>(end) + 1);
    }
    ADD_FAILURE() << "no sub-object " << n;
    return {};
  }

  // Every line holding `text`, in order.
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> found;
    for (const std::string& line : Text())
      if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
  }

  FormFixture f;
  std::vector<std::string> source;
};

// The triangles of each element of the source shape's only sub-object.
inline ElementTriangles SourceTriangles(const std::vector<std::string>& lines) {
  return ReadContent(ParseShapeTree(lines)).levels.at(0).at(0);
}

// The triangles a sub-object should hold: those of the given elements.
inline ElementTriangles Expected(const ElementTriangles& source, const std::vector<int>& elements) {
  ElementTriangles expected;
  for (int element : elements) expected[element] = source.at(element);
  return expected;
}

}  // namespace quarvel::testing
