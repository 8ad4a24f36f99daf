// Plans and shapes the rewrite cannot split exactly are refused before
// anything changes, with a message that says what is wrong and where.
#include <gtest/gtest.h>

#include "form/Form.h"
#include "generation/Generation.h"
#include "generation/GenerationHelpers.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string kGeneralError =
    "Allgemeiner Fehler, z.B. Eintragungen unvollständig, Datei fehlerhaft oder leer. Abbruch der "
    "Aktion.";

std::string Number(std::size_t line) {
  return std::to_string(line + 1);
}

// The refusal of a shape the check of the whole text finds damaged.
std::string Damaged(std::size_t line, const std::string& message) {
  return "Die Datei ist fehlerhaft (Zeile " + Number(line) + "): " + message +
         " Abbruch der Aktion.";
}

// Two elements with a vertex state and a set of six vertices each.
Lines TwoElements() {
  return BuildExportedShape(ElementsWithOwnSets(2, 6));
}

// `lines` with the line `offset` lines after the first one holding `find`
// replaced by `line`.
Lines Edited(Lines lines, const std::string& find, std::size_t offset, const std::string& line) {
  lines[LineWith(lines, find) + offset] = line;
  return lines;
}

// The generation's steps before the rewrite for two LODs of one sub-object,
// refusing in the language of `texts`.
struct Prepared {
  Prepared(Form& form, const TextSource& texts)
      : layout(PrepareGeneration(form.session.text, form.session.plan, 2, texts)),
        input{form.session.tables, form.session.plan, form.session.index, 2, 1, texts},
        plan(CountAndCheck(input, 1)) {}
  Checked<GenerationLayout> layout;
  GenerationInput input;
  Checked<GenerationPlan> plan;
};

using GenerationRefusal = GenerationTest;

TEST_F(GenerationRefusal, EmptyLodsAndDistancesThatAreNoPlainNumbers) {
  const auto empty = [](int lod) {
    return "LOD " + std::to_string(lod) +
           " ist leer oder ein leeres Subobjekt liegt vor nicht-leeren Subobjekten. Dies würde "
           "zum Absturz des Simulators führen. Abbruch der Aktion.";
  };
  const Lines lines = TwoElements();
  const auto secondEmpty = [&] {
    SetLods({"150", "800"});
    Plan(2, {"999", "999"});
  };
  EXPECT_EQ(RefusalFor(lines, secondEmpty), empty(2));
  EXPECT_EQ(RefusalFor(lines, [&] { Plan(1, {"1", "3"}); }), empty(1));  // a gap before 3

  const auto distance = [](int lod, const std::string& typed) {
    return "Für LOD " + std::to_string(lod) + " ist keine gültige Entfernung eingetragen (\"" +
           typed +
           "\"). Bitte auf der Seite \"Einstellungen/Settings\" eine Zahl von 1 bis 2000 "
           "eintragen. Abbruch der Aktion.";
  };
  EXPECT_EQ(RefusalFor(lines, [&] { SetLods({"150", ""}); }), distance(2, ""));
  EXPECT_EQ(RefusalFor(lines, [&] { SetLods({"1 50", "300"}); }), distance(1, "1 50"));
  // Beyond what can be typed, but a distance the simulator reads.
  Load(lines);
  SetLods({"2500", "4000.5"});
  GenerateCleanly();
  EXPECT_EQ(ReadContent(ParseShapeTree(Text())).distances, (Lines{"2500", "4000.5"}));
}

TEST_F(GenerationRefusal, SortingNeedsAWholeSphereBeforeTheSortVectorsAndFlagsThatTakeTheBit) {
  const auto sorted = [this] { Mark(1, 1); };
  // The volumes list moved behind the sort vectors.
  Lines lines = TwoElements();
  const auto volumes = lines.begin() + static_cast<std::ptrdiff_t>(LineWith(lines, "volumes"));
  const Lines list(volumes, volumes + 5);
  lines.erase(volumes, volumes + 5);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(LineWith(lines, "sort_vectors")) + 3,
               list.begin(), list.end());
  EXPECT_EQ(RefusalFor(lines, sorted),
            Damaged(LineWith(lines, "shape ("), "Im Block \"shape\" fehlt der Block \"volumes\"."));

  ExportedShape shape = ElementsWithOwnSets(2, 6);
  shape.flags = "0000040a";
  lines = BuildExportedShape(shape);
  const std::string header = Number(LineWith(lines, "sub_object_header"));
  EXPECT_EQ(RefusalFor(lines, sorted),
            "Der Flags-Wert \"0000040a\" in Zeile " + header +
                " ist keine Dezimalzahl; daraus lässt sich kein sortiertes Subobjekt erzeugen. "
                "Abbruch der Aktion.");
  Load(lines);
  GenerateCleanly();  // unsorted, the flags are only copied
  EXPECT_EQ(LinesWith("sub_object_header")[0],
            Tabs(7) + "sub_object_header ( 0000040a -1 -1 000001d2 000001c4");

  shape.flags = "00000900";
  EXPECT_EQ(RefusalFor(BuildExportedShape(shape), sorted),
            "Im Flags-Wert \"00000900\" in Zeile " + header +
                " lässt sich die Sortierung nicht eintragen (die drittletzte Ziffer ist keine 0 "
                "bis 8). Abbruch der Aktion.");

  shape.flags = "00000901";  // odd: kept as it is, the indices set all the same
  Load(BuildExportedShape(shape));
  sorted();
  GenerateCleanly();
  EXPECT_EQ(LinesWith("sub_object_header")[0],
            Tabs(7) + "sub_object_header ( 00000901 0 1 000001d2 000001c4");
}

TEST_F(GenerationRefusal, PrimitiveListsTheWriterCannotSplit) {
  const Lines plain = TwoElements();
  const std::size_t first = LineWith(plain, "prim_state_idx ( 0");

  // A second triangle list under the first prim_state_idx.
  Lines lines = plain;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(first) + 6,
               plain.begin() + static_cast<std::ptrdiff_t>(first) + 1,
               plain.begin() + static_cast<std::ptrdiff_t>(first) + 6);
  lines[LineWith(lines, "primitives (")] = Tabs(7) + "primitives ( 5";
  EXPECT_EQ(RefusalFor(lines),
            "In Zeile " + Number(first + 6) +
                " beginnt eine weitere Dreiecksliste (\"indexed_trilist\") ohne eigenes "
                "\"prim_state_idx\" (Primitiv ab Zeile " +
                Number(first) +
                "); solche Subobjekte kann das Programm nicht zerlegen. Abbruch der Aktion.");

  const std::size_t list = LineWith(plain, "primitives (");
  EXPECT_EQ(RefusalFor(Edited(plain, "primitives (", 0, Tabs(7) + "primitives ( 6")),
            Damaged(list, "\"primitives\" gibt 6 Einträge an, enthält aber 4."));

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

  ExportedShape shape = ElementsWithOwnSets(2, 6);
  shape.primitives = {{0, 1}, {0, 2}};
  EXPECT_EQ(RefusalFor(BuildExportedShape(shape),
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
  EXPECT_EQ(RefusalFor(lines,
                       [&] {
                         Plan(1, {"1", "0"});
                       }),
            "Das Element \"Element1\" (Zeile 2 der Elementtabelle) hat im Subobjekt kein "
            "Primitiv, ist aber für LOD 1, Subobjekt 0 (alle) eingeplant. Abbruch der Aktion.");
  Load(lines);
  Plan(1, {"1", "999"});
  GenerateCleanly();
}

TEST_F(GenerationRefusal, EveryPlannedElementDrawsFromItsOwnVertexSetInTheWritersLayout) {
  const std::string noSet =
      "Zum Element \"Element1\" (Zeile 2 der Elementtabelle) gehört kein Vertex-Set mit seinem "
      "Vertex-State 1. Abbruch der Aktion.";
  ExportedShape shape = ElementsWithOwnSets(2, 6);
  shape.setVertices = {6};  // vertex state 1 has no set at all
  EXPECT_EQ(RefusalFor(BuildExportedShape(shape)), noSet);
  EXPECT_EQ(
      RefusalFor(Edited(TwoElements(), "vertex_set ( 1", 0, Tabs(8) + "vertex_set ( 0 6 6 )")),
      noSet);

  // A triangle of element 1 reaches into element 0's set.
  const std::size_t indices = LineWith(TwoElements(), "prim_state_idx ( 1") + 2;
  Lines lines =
      Edited(TwoElements(), "prim_state_idx ( 1", 2, Tabs(9) + "vertex_idxs ( 6 6 7 8 9 10 0 )");
  EXPECT_EQ(RefusalFor(lines), "Das Primitiv ab Zeile " + Number(indices - 2) +
                                   " (Element \"Element1\") benutzt den Vertex 0, der nicht in "
                                   "seinem Vertex-Set 1 liegt (Zeile " +
                                   Number(indices) + "). Abbruch der Aktion.");
  Load(lines);
  Plan(1, {"1", "999"});
  GenerateCleanly();  // never written, never renumbered

  lines[indices] = Tabs(9) + "vertex_idxs ( 6 6 7 8 9 10 11 6 7 8 )";
  EXPECT_EQ(RefusalFor(lines),
            Damaged(indices, "\"vertex_idxs\" gibt 6 Werte an, enthält aber 9."));

  const std::size_t sets = LineWith(TwoElements(), "vertex_sets");
  EXPECT_EQ(RefusalFor(Edited(TwoElements(), "vertex_sets", 2, Tabs(8) + "vertex_set ( 1 7 5 )")),
            "Die Vertex-Sets ab Zeile " + Number(sets) +
                " folgen nicht lückenlos aufeinander (Zeile " + Number(sets + 2) +
                "). Abbruch der Aktion.");

  // A vertex with its texture coordinates on its first line: sound, but not
  // the three lines per vertex that the writer keeps or drops.
  lines = TwoElements();
  const std::size_t vertices = LineWith(lines, "vertices");
  lines[vertices + 1] += " " + lines[vertices + 2].substr(lines[vertices + 2].find("vertex_uvs"));
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(vertices) + 2);
  EXPECT_EQ(RefusalFor(lines), "Die Vertex-Liste ab Zeile " + Number(vertices) +
                                   " hat nicht 12 Einträge zu je drei Zeilen. Abbruch der "
                                   "Aktion.");
}

// Numbers the rewrite reads must be decimal: what the grammar takes for a
// number (a hex word in a list of indices, a word for a count) is damage.
TEST_F(GenerationRefusal, NumbersTheRewriteReadsMustBeDecimal) {
  struct Case {
    std::string find;
    std::size_t offset;
    std::string line, message;
    bool sorted;
  };
  const Case cases[] = {
      {"geometry_nodes", 0, Tabs(9) + "geometry_nodes ( 1x",
       "\"geometry_nodes\" hat keine gültige Anzahl: '1x' ist kein gültiger Integerwert.", false},
      {"prim_state_idx ( 1", 2, Tabs(9) + "vertex_idxs ( 6 6 7 8 9 0x0a 11 )",
       "'0x0a' in \"vertex_idxs\" ist kein gültiger Integerwert.", false},
      {"volumes", 0, Tabs(1) + "volumes ( one",
       "\"volumes\" hat keine gültige Anzahl: 'one' ist kein gültiger Integerwert.", true},
  };
  for (const Case& c : cases) {
    const Lines lines = Edited(TwoElements(), c.find, c.offset, c.line);
    const auto setup = [&] {
      if (c.sorted) Mark(1, 1);
    };
    EXPECT_EQ(RefusalFor(lines, setup), Damaged(LineWith(lines, c.line), c.message));
  }
}

// A damage the layout checks pass over is found by the check of the whole
// shape, before anything changes: the result would carry it into every
// sub-object.
TEST_F(GenerationRefusal, ADamagedShapeIsNeverSplit) {
  const auto damaged = Damaged;
  Lines lines = TwoElements();
  lines.pop_back();  // the shape's last ")"
  EXPECT_EQ(RefusalFor(lines,
                       [&] {
                         SetLods({"300", "2000"});
                       }),
            damaged(LineWith(lines, "shape ("),
                    "Die Klammer hinter \"shape\" wird nicht geschlossen (es fehlt 1 "
                    "schließende Klammer)."));

  lines = Edited(TwoElements(), "vertex ( 00000000 5 1", 0,
                 Tabs(8) + "vertex ( 00000000 999 1 ffffffff ff808080");
  EXPECT_EQ(RefusalFor(lines), damaged(LineWith(lines, "vertex ( 00000000 999"),
                                       "\"vertex\" verweist auf Punkt 999, den es nicht gibt "
                                       "(\"points\" hat 12 Einträge)."));

  lines = Edited(TwoElements(), "normal_idxs ( 1", 0, Tabs(9) + "normal_idxs ( 1 5 3 )");
  EXPECT_EQ(RefusalFor(lines), damaged(LineWith(lines, "normal_idxs ( 1 5"),
                                       "\"normal_idxs\" verweist auf Normale 5, die es nicht "
                                       "gibt (\"normals\" hat 2 Einträge)."));
}

// The rewrite itself never leaves half a text: a number it cannot read, had
// it slipped past the checks, ends it with the line named, in the language of
// the refusal around it.
TEST_F(GenerationRefusal, TheRewriteStopsAtANumberItCannotRead) {
  struct Case {
    const char* language;
    std::string before, after;
  };
  const Case cases[] = {
      {"Deutsch",
       "Die LOD's und Subobjekte konnten nicht erzeugt werden: 'six' ist kein gültiger "
       "Integerwert (Zeile ",
       "). Der Text ist unverändert."},
      {"English", "The LODs and sub-objects could not be made: 'six' is no valid integer (line ",
       "). The text is unchanged."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    Load(TwoElements());
    const Prepared prepared(f.form, LanguageTexts(c.language));
    ASSERT_TRUE(prepared.layout);
    ASSERT_TRUE(prepared.plan) << prepared.plan.refusal();
    const auto& [layout, input, plan] = prepared;
    Lines lines = Text();
    const std::size_t set = LineWith(lines, "vertex_set ( 1");
    lines[set] = Tabs(8) + "vertex_set ( 1 six 6 )";
    const Lines before = lines;
    const Checked<Lines> rewritten = RewriteShape(lines, *layout, input, *plan, {});
    ASSERT_FALSE(rewritten);
    EXPECT_EQ(rewritten.refusal(), c.before + Number(set) + ": \"" + lines[set] + "\"" + c.after);
    EXPECT_EQ(lines, before);
  }
}

// The checks before the rewrite refuse in the language the input carries,
// not in the one the program was written in.
TEST_F(GenerationRefusal, TheChecksRefuseInTheInputsLanguage) {
  Load(TwoElements());
  const TextSource english = LanguageTexts("English");
  const Prepared prepared(f.form, english);
  ASSERT_TRUE(prepared.layout);
  ASSERT_TRUE(prepared.plan) << prepared.plan.refusal();
  const auto& [layout, input, plan] = prepared;

  const Lines changed = Edited(Text(), "vertex_sets", 2, Tabs(8) + "vertex_set ( 1 7 5 )");
  EXPECT_EQ(CheckSourceLayout(changed, *layout, input, *plan).value_or(""),
            "The vertex set in line " + Number(LineWith(changed, "vertex_set ( 1 7")) +
                " does not match the analysis of the file (was the text changed since it was "
                "opened?). Action cancelled.");

  Lines damaged = Text();
  damaged.pop_back();  // the shape's last ")"
  const Refusal refusal = CheckSourceIntegrity(damaged, english);
  ASSERT_TRUE(refusal);
  const std::string frame =
      "The file is damaged (line " + Number(LineWith(damaged, "shape (")) + "): ";
  EXPECT_EQ(refusal->substr(0, frame.size()), frame);
  EXPECT_TRUE(refusal->size() > frame.size() + 18 &&
              refusal->substr(refusal->size() - 18) == " Action cancelled.")
      << *refusal;
}

}  // namespace
}  // namespace quarvel::testing
