// Shapes the rewrite cannot split exactly are refused before anything
// changes, with a message that says what is wrong and where.
#include <gtest/gtest.h>

#include <functional>

#include "form/Form.h"
#include "generation/Generation.h"
#include "generation/GenerationHelpers.h"
#include "support/ShapeBuilder.h"

namespace quarvel::testing {
namespace {

const char* const kGeneralError =
    "Allgemeiner Fehler, z.B. Eintragungen unvollständig, Datei fehlerhaft oder leer. Abbruch der "
    "Aktion.";

std::string Tabs(std::size_t count) {
  return std::string(count, '\t');
}
std::string Number(std::size_t line) {
  return std::to_string(line + 1);
}

ExportedShape TwoElements() {
  return ElementsWithOwnSets(2, 6);
}

class GenerationRefusal : public GenerationTest {
 protected:
  // Loads `lines`, lets `setup` adjust the plan, runs the command and
  // returns its only message; the text must be as loaded.
  std::string RefusalFor(const std::vector<std::string>& lines,
                         const std::function<void()>& setup = {}) {
    f.dialogs.ClearShown();
    Load(lines);
    if (setup) setup();
    Generate();
    EXPECT_EQ(f.dialogs.Count(), 1u);
    EXPECT_EQ(Text(), source);
    EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);
    EXPECT_EQ(f.dialogs.CurrentCursor(), Cursor::Normal);
    return f.dialogs.Count() == 1 ? f.dialogs.Shown(0).text : "";
  }

  // The same shape is split without a word when the plan leaves out what
  // the refusal was about.
  void AcceptedWith(const std::vector<std::string>& lines, const std::function<void()>& setup) {
    f.dialogs.ClearShown();
    Load(lines);
    setup();
    GenerateCleanly();
  }
};

TEST_F(GenerationRefusal, SortingNeedsAWholeSphereBeforeTheSortVectors) {
  ExportedShape shape = TwoElements();
  shape.oneLineSortVectors = true;
  std::vector<std::string> lines = BuildExportedShape(shape);
  // The volumes list moved behind the one-line sort vectors.
  const std::size_t volumes = LineWith(lines, "volumes");
  const std::vector<std::string> list(lines.begin() + static_cast<std::ptrdiff_t>(volumes),
                                      lines.begin() + static_cast<std::ptrdiff_t>(volumes) + 5);
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(volumes),
              lines.begin() + static_cast<std::ptrdiff_t>(volumes) + 5);
  const std::size_t vectors = LineWith(lines, "sort_vectors");
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(vectors) + 1, list.begin(), list.end());

  f.dialogs.ClearShown();
  Load(lines);
  Mark(1, 1);
  Generate();
  ASSERT_EQ(f.dialogs.Count(), 1u);
  EXPECT_EQ(f.dialogs.Shown(0).text, kGeneralError);
  // The one change that stays: the list split into two lines.
  std::vector<std::string> split = lines;
  split[vectors] = Tabs(1) + "sort_vectors ( 0 ";
  split.insert(split.begin() + static_cast<std::ptrdiff_t>(vectors) + 1, "\t)");
  EXPECT_EQ(Text(), split);
  EXPECT_TRUE(f.form.Sub_ObjectsButton.enabled);

  // A centre line without ")" has no end to cut the radius from.
  lines = BuildExportedShape(TwoElements());
  lines[LineWith(lines, "vector ( 0.5")] = Tabs(3) + "vector 0.5 1.25 -2 7.75";
  EXPECT_EQ(RefusalFor(lines, [&] { Mark(1, 1); }), kGeneralError);
  AcceptedWith(lines, [] {});
}

TEST_F(GenerationRefusal, FlagsThatCannotTakeTheSortBit) {
  ExportedShape shape = TwoElements();
  shape.flags = "0000040a";
  std::vector<std::string> lines = BuildExportedShape(shape);
  const std::size_t header = LineWith(lines, "sub_object_header");
  EXPECT_EQ(RefusalFor(lines, [&] { Mark(1, 1); }),
            "Der Flags-Wert \"0000040a\" in Zeile " + Number(header) +
                " ist keine Dezimalzahl; daraus lässt sich kein sortiertes Subobjekt erzeugen. "
                "Abbruch der Aktion.");
  AcceptedWith(lines, [] {});  // unsorted, the flags are only copied
  EXPECT_EQ(LinesWith("sub_object_header")[0],
            Tabs(7) + "sub_object_header ( 0000040a -1 -1 000001d2 000001c4");

  shape.flags = "00000900";
  EXPECT_EQ(RefusalFor(BuildExportedShape(shape), [&] { Mark(1, 1); }),
            "Im Flags-Wert \"00000900\" in Zeile " + Number(header) +
                " lässt sich die Sortierung nicht eintragen (die drittletzte Ziffer ist keine 0 "
                "bis 8). Abbruch der Aktion.");

  shape.flags = "00000901";  // odd: kept as it is
  AcceptedWith(BuildExportedShape(shape), [&] { Mark(1, 1); });
  EXPECT_EQ(LinesWith("sub_object_header")[0],
            Tabs(7) + "sub_object_header ( 00000901 0 1 000001d2 000001c4");
}

TEST_F(GenerationRefusal, PrimitiveListsTheWriterCannotSplit) {
  const std::vector<std::string> plain = BuildExportedShape(TwoElements());
  const std::size_t first = LineWith(plain, "prim_state_idx ( 0");

  // A second triangle list under the first prim_state_idx.
  std::vector<std::string> lines = plain;
  const std::vector<std::string> trilist(plain.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                                         plain.begin() + static_cast<std::ptrdiff_t>(first) + 6);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(first) + 6, trilist.begin(),
               trilist.end());
  lines[LineWith(lines, "primitives (")] = Tabs(7) + "primitives ( 5";
  EXPECT_EQ(RefusalFor(lines),
            "In Zeile " + Number(first + 6) +
                " beginnt eine weitere Dreiecksliste (\"indexed_trilist\") ohne eigenes "
                "\"prim_state_idx\" (Primitiv ab Zeile " +
                Number(first) +
                "); solche Subobjekte kann das Programm nicht zerlegen. Abbruch "
                "der Aktion.");

  // A count that disagrees with the entries.
  lines = plain;
  const std::size_t list = LineWith(lines, "primitives (");
  lines[list] = Tabs(7) + "primitives ( 6";
  EXPECT_EQ(RefusalFor(lines), "Die Anzahl in Zeile " + Number(list) +
                                   " (6) passt nicht zu den 2 Primitiven der Liste (erwartet: "
                                   "4). Abbruch der Aktion.");

  // A triangle list closed on its flags line: the writer would take the
  // next primitive's first line for the closing one.
  lines = plain;
  lines[first + 4] += " )";
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first) + 5);
  EXPECT_EQ(
      RefusalFor(lines),
      "Das Primitiv ab Zeile " + Number(first) +
          " hat nicht den erwarteten Aufbau (\"indexed_trilist\" mit \"vertex_idxs\", "
          "\"normal_idxs\" und \"flags\", dann die schließende Klammer). Abbruch der Aktion.");
}

TEST_F(GenerationRefusal, EveryPlannedElementNeedsOnePrimitiveOfItsOwn) {
  ExportedShape shape = TwoElements();
  shape.primitives = {{0, 1}, {0, 2}};
  std::vector<std::string> lines = BuildExportedShape(shape);
  const std::size_t first = LineWith(lines, "prim_state_idx ( 0");
  EXPECT_EQ(RefusalFor(lines,
                       [&] {
                         Plan(1, {"1", "999"});
                       }),
            "Das Element \"Element0\" wird von zwei Primitiven benutzt (Zeilen " + Number(first) +
                " und " + Number(first + 6) + "). Abbruch der Aktion.");

  ExportedShape single = ElementsWithOwnSets(1);
  single.primitives = {{0, 1}, {0, 2}};
  EXPECT_EQ(RefusalFor(BuildExportedShape(single)),
            "Das Subobjekt hat mehr Primitive (2) als die Datei Elemente (1). Abbruch der Aktion.");

  shape.primitives = {{0, 1}};
  lines = BuildExportedShape(shape);
  EXPECT_EQ(RefusalFor(lines),
            "Das Element \"Element1\" (Zeile 2 der Elementtabelle) hat im Subobjekt kein "
            "Primitiv, ist aber für LOD 1, Subobjekt 1 eingeplant. Abbruch der Aktion.");
  AcceptedWith(lines, [&] { Plan(1, {"1", "999"}); });
}

TEST_F(GenerationRefusal, EveryPlannedElementDrawsFromItsOwnVertexSet) {
  // Vertex state 1 has no vertex set.
  ExportedShape shape = TwoElements();
  shape.setVertices = {6};
  EXPECT_EQ(RefusalFor(BuildExportedShape(shape)),
            "Zum Element \"Element1\" (Zeile 2 der Elementtabelle) gehört kein Vertex-Set mit "
            "seinem Vertex-State 1. Abbruch der Aktion.");

  // Set 1 says it belongs to vertex state 0.
  std::vector<std::string> lines = BuildExportedShape(TwoElements());
  lines[LineWith(lines, "vertex_set ( 1")] = Tabs(8) + "vertex_set ( 0 6 6 )";
  EXPECT_EQ(RefusalFor(lines),
            "Zum Element \"Element1\" (Zeile 2 der Elementtabelle) gehört kein Vertex-Set mit "
            "seinem Vertex-State 1. Abbruch der Aktion.");

  // A triangle of element 1 reaches into element 0's set.
  lines = BuildExportedShape(TwoElements());
  const std::size_t indices = LineWith(lines, "prim_state_idx ( 1") + 2;
  lines[indices] = Tabs(9) + "vertex_idxs ( 6 6 7 8 9 10 0 )";
  EXPECT_EQ(RefusalFor(lines), "Das Primitiv ab Zeile " + Number(indices - 2) +
                                   " (Element \"Element1\") benutzt den Vertex 0, der nicht in "
                                   "seinem Vertex-Set 1 liegt (Zeile " +
                                   Number(indices) + "). Abbruch der Aktion.");
  AcceptedWith(lines, [&] { Plan(1, {"1", "999"}); });  // never written, never renumbered

  // More indices than the count says.
  lines[indices] = Tabs(9) + "vertex_idxs ( 6 6 7 8 9 10 11 6 7 8 )";
  EXPECT_EQ(RefusalFor(lines), "Das Primitiv ab Zeile " + Number(indices - 2) +
                                   " (Element \"Element1\") hat 9 Vertex-Indizes; angegeben "
                                   "sind 6 (Zeile " +
                                   Number(indices) +
                                   "), und es müssen ganze Dreiecke sein. Abbruch der Aktion.");
}

TEST_F(GenerationRefusal, TheVertexListMustBeLaidOutAsTheWriterReadsIt) {
  std::vector<std::string> lines = BuildExportedShape(TwoElements());
  const std::size_t sets = LineWith(lines, "vertex_sets");
  lines[sets + 2] = Tabs(8) + "vertex_set ( 1 7 5 )";
  EXPECT_EQ(RefusalFor(lines), "Die Vertex-Sets ab Zeile " + Number(sets) +
                                   " folgen nicht lückenlos aufeinander (Zeile " +
                                   Number(sets + 2) + "). Abbruch der Aktion.");

  // A vertex with a second line of texture coordinates, the count unchanged.
  lines = BuildExportedShape(TwoElements());
  const std::size_t vertices = LineWith(lines, "vertices");
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(vertices) + 2, lines[vertices + 2]);
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(vertices) + 1 + 3 * 12);
  EXPECT_EQ(RefusalFor(lines), "Die Vertex-Liste ab Zeile " + Number(vertices) +
                                   " hat nicht 12 Einträge zu je drei Zeilen. Abbruch der "
                                   "Aktion.");
}

TEST_F(GenerationRefusal, NumbersTheRewriteReadsMustBeDecimal) {
  std::vector<std::string> lines = BuildExportedShape(TwoElements());
  const std::size_t nodes = LineWith(lines, "geometry_nodes");
  lines[nodes] = Tabs(9) + "geometry_nodes ( 1x";
  EXPECT_EQ(RefusalFor(lines), "'1x' in Zeile " + Number(nodes) +
                                   " ist kein gültiger Integerwert. Abbruch der Aktion.");

  lines = BuildExportedShape(TwoElements());
  const std::size_t indices = LineWith(lines, "prim_state_idx ( 1") + 2;
  lines[indices] = Tabs(9) + "vertex_idxs ( 6 6 7 8 9 0x0a 11 )";
  EXPECT_EQ(RefusalFor(lines), "'0x0a' in Zeile " + Number(indices) +
                                   " ist kein gültiger Integerwert. Abbruch der Aktion.");

  lines = BuildExportedShape(TwoElements());
  const std::size_t volumes = LineWith(lines, "volumes");
  lines[volumes] = Tabs(1) + "volumes ( one";
  EXPECT_EQ(RefusalFor(lines, [&] { Mark(1, 1); }),
            "'one' in Zeile " + Number(volumes) +
                " ist kein gültiger Integerwert. Abbruch der "
                "Aktion.");
}

TEST_F(GenerationRefusal, DistancesMustBePlainNumbers) {
  const std::vector<std::string> lines = BuildExportedShape(TwoElements());
  EXPECT_EQ(RefusalFor(lines,
                       [&] {
                         SetLods({"150", ""});
                       }),
            "Für LOD 2 ist keine gültige Entfernung eingetragen (\"\"). Bitte auf der Seite "
            "\"Einstellungen/Settings\" eine Zahl von 1 bis 2000 eintragen. Abbruch der Aktion.");
  EXPECT_EQ(RefusalFor(lines,
                       [&] {
                         SetLods({"1 50", "300"});
                       }),
            "Für LOD 1 ist keine gültige Entfernung eingetragen (\"1 50\"). Bitte auf der Seite "
            "\"Einstellungen/Settings\" eine Zahl von 1 bis 2000 eintragen. Abbruch der Aktion.");
  // Beyond what can be typed, but a distance the simulator reads.
  AcceptedWith(lines, [&] { SetLods({"2500", "4000.5"}); });
  EXPECT_EQ(ReadContent(ParseShapeTree(Text())).distances,
            (std::vector<std::string>{"2500", "4000.5"}));
}

// The rewrite itself never leaves half a text: a number it cannot read, had
// it slipped past the checks, ends it with the line named.
TEST_F(GenerationRefusal, TheRewriteStopsAtANumberItCannotRead) {
  Load(BuildExportedShape(TwoElements()));
  std::vector<std::string> lines = source;
  GenerationLayout layout;
  ASSERT_TRUE(PrepareGeneration(f.form.shapeText, f.form.StringGrid1, 2, layout));
  Form& form = f.form;
  const GenerationInput input{
      form.StringGrid1,
      form.StringGrid2,
      form.StringGrid4,
      form.shapeIndex,
      2,
      1,
      [&form](int row, int lod, int subobject) { return form.InSubobject(row, lod, subobject); },
      [&form](int lod, int subobject) { return form.SubobjectVertexCount(lod, subobject); }};
  GenerationPlan plan;
  ASSERT_EQ(CountAndCheck(input, 1, plan), "");
  const std::size_t set = LineWith(lines, "vertex_set ( 1");
  lines[set] = Tabs(8) + "vertex_set ( 1 six 6 )";
  const std::vector<std::string> before = lines;
  try {
    RewriteShape(lines, layout, input, plan, {});
    ADD_FAILURE() << "no error";
  } catch (const RewriteError& error) {
    EXPECT_EQ(std::string(error.what()), "'six' ist kein gültiger Integerwert (Zeile " +
                                             Number(set) + ": \"" + lines[set] + "\").");
  }
  EXPECT_EQ(lines, before);
}

}  // namespace
}  // namespace quarvel::testing
