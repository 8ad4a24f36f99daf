// Small shapes for the merge commands: a points and a normals section, the
// vertices that use them and face-normal lists, written as the reader leaves
// a file, and a form that holds one with the buttons as opening leaves them.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ExportedShape.h"
#include "support/FormFixture.h"

namespace quarvel::testing {

struct MergeShape {
  std::vector<std::string> points;            // "x y z" as written
  std::vector<std::string> normals;           // "x y z" as written
  std::vector<std::pair<int, int>> vertices;  // point and normal of each
  // Each face-normal list as the lines it takes, from "normal_idxs" on.
  std::vector<std::vector<std::string>> faceNormals;
};

inline std::vector<std::string> BuildMergeShape(const MergeShape& shape) {
  std::vector<std::string> lines = {"SIMISA@@@@@@@@@@JINX0s1t______", "", "shape ("};
  lines.push_back("\tpoints ( " + std::to_string(shape.points.size()));
  for (const std::string& point : shape.points) lines.push_back("\t\tpoint ( " + point + " )");
  lines.push_back("\t)");
  lines.push_back("\tuv_points ( 1");
  lines.push_back("\t\tuv_point ( 0 0 )");
  lines.push_back("\t)");
  lines.push_back("\tnormals ( " + std::to_string(shape.normals.size()));
  for (const std::string& normal : shape.normals) lines.push_back("\t\tvector ( " + normal + " )");
  lines.push_back("\t)");
  lines.push_back("\tvertices ( " + std::to_string(shape.vertices.size()));
  for (const auto& [point, normal] : shape.vertices) {
    lines.push_back("\t\tvertex ( 00000000 " + std::to_string(point) + " " +
                    std::to_string(normal) + " FFFFFFFF FF000000");
    lines.push_back("\t\t\tvertex_uvs ( 1 0 )");
    lines.push_back("\t\t)");
  }
  lines.push_back("\t)");
  for (const auto& list : shape.faceNormals)
    for (const std::string& line : list) lines.push_back("\t\t" + line);
  lines.push_back(")");
  return lines;
}

class MergeTest : public ::testing::Test {
 protected:
  // As opening leaves the form, without the analysis: these shapes have no
  // elements, and merging does not look at them.
  void Load(const std::vector<std::string>& lines) {
    source = lines;
    f.form.ResetWindow();
    f.form.session.text.Assign(lines);
    f.form.session.text.SetModified(false);
    f.form.session.path = f.dir.File("shape.s");
    f.form.PunkteButton.enabled = true;
    f.form.NormalenButton.enabled = true;
    f.form.LoadSettings();
    f.dialogs.shown.clear();
  }
  void Load(const MergeShape& shape) { Load(BuildMergeShape(shape)); }

  // Runs a handler as the window does, general error handler included.
  bool Run(Outcome (Form::*handler)()) {
    return static_cast<bool>(f.form.Run([this, handler] { return (f.form.*handler)(); }));
  }

  const std::vector<std::string>& Text() const { return f.form.session.text.All(); }
  const std::string& Line(const std::string& holding) const {
    return Text()[LineWith(Text(), holding)];
  }
  // The lines of the section whose header holds `keyword`, header included.
  std::vector<std::string> Section(const std::string& keyword) const {
    std::size_t i = LineWith(Text(), keyword);
    std::vector<std::string> section;
    while (i < Text().size() && Text()[i] != "\t)") section.push_back(Text()[i++]);
    return section;
  }
  // The point and normal index of every vertex, in order.
  std::vector<std::pair<int, int>> Vertices() const {
    std::vector<std::pair<int, int>> vertices;
    for (const std::string& line : Text()) {
      if (line.find("vertex (") == std::string::npos) continue;
      int point = 0, normal = 0;
      std::sscanf(line.c_str(), " vertex ( %*s %d %d", &point, &normal);
      vertices.emplace_back(point, normal);
    }
    return vertices;
  }
  // The message shown last.
  std::string LastMessage() const {
    return f.dialogs.Count() == 0 ? "" : f.dialogs.Shown(f.dialogs.Count() - 1).text;
  }

  FormFixture f;
  std::vector<std::string> source;
};

}  // namespace quarvel::testing
