// The check of a whole shape: hand-damaged copies of a sound shape, each
// with the message and line a modeller gets, sound shapes with the blocks
// some tools add, and the layouts that only warn.
#include "format/ShapeCheck.h"

#include <gtest/gtest.h>

#include <functional>

#include "SyntheticShape.h"
#include "support/ExportedShape.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

using Lines = std::vector<std::string>;

// Two elements with six vertices each: 12 points and vertices, 2 normals,
// 1 uv point, 1 matrix, 1 image and texture, 2 vertex and primitive states.
Lines Sound() {
  return BuildExportedShape(ElementsWithOwnSets(2, 6));
}

std::string Describe(const ShapeProblem& problem) {
  return std::to_string(problem.line + 1) + ": " +
         (problem.kind == ProblemKind::Error ? "error: " : "warning: ") + problem.message;
}

std::vector<std::string> Described(const Lines& lines) {
  std::vector<std::string> all;
  for (const ShapeProblem& problem : CheckShape(lines, LanguageTexts("Deutsch")))
    all.push_back(Describe(problem));
  return all;
}

// `lines` with `from` replaced by `to` in the first line that holds `from`.
Lines Edited(Lines lines, const std::string& from, const std::string& to) {
  std::string& line = lines[LineWith(lines, from)];
  line.replace(line.find(from), from.size(), to);
  return lines;
}

TEST(ShapeCheck, SoundShapesHaveNoProblem) {
  EXPECT_EQ(Described(Sound()), std::vector<std::string>{});
  ExportedShape animated = ElementsWithOwnSets(3);
  animated.matrices = {"MAIN", "WHEEL"};
  animated.vtxStateMatrices = {0, 1, 0};
  animated.animNodes = {{"MAIN", {}}, {"WHEEL", {2, 3}}};
  EXPECT_EQ(Described(BuildExportedShape(animated)), std::vector<std::string>{});
  // The benchmarks' shape, whose generation must not be refused.
  EXPECT_EQ(Described(bench::MakeSyntheticShape(bench::OptionsForSize(0.3))),
            std::vector<std::string>{});

  // Rotation keys of both kinds, a data block of the modelling tool behind
  // the shape, and a comment.
  Lines keyed = BuildExportedShape(animated);
  const std::size_t keys = LineWith(keyed, "tcb_key (");
  keyed[keys] = "\t\t\t\t\t\t\tslerp_rot ( 0 0 0 0 1 )";
  keyed.insert(keyed.begin() + static_cast<std::ptrdiff_t>(LineWith(keyed, "shape (")) + 1,
               "\tcomment ( exported by hand )");
  for (const char* line :
       {"max_data (", "\tmax_dlev_data (", "\t\tmax_smoothing_data ( 1 000000ff 2 )",
        "\t\thierarchy ( 1 -1 )", "\t)", "\tsub_objects ( 2 0 1 )",
        "\tmax_sort_priorities ( 2 0 1 )", ")"})
    keyed.push_back(line);
  EXPECT_EQ(Described(keyed), std::vector<std::string>{});
}

TEST(ShapeCheck, EveryDamageIsNamedWithItsLine) {
  struct Damage {
    const char* what;
    std::function<Lines()> shape;
    std::string atLineWith;  // in the damaged shape
    std::string message;
  };
  const std::vector<Damage> damages = {
      {"the last parenthesis missing",
       [] {
         Lines lines = Sound();
         lines.pop_back();
         return lines;
       },
       "shape (",
       "Die Klammer hinter \"shape\" wird nicht geschlossen (es fehlt 1 schließende Klammer)."},
      {"one parenthesis too many",
       [] {
         Lines lines = Sound();
         lines.push_back(")");
         return lines;
       },
       "MISSING", "Schließende Klammer ohne zugehörige öffnende."},
      {"a count above its entries", [] { return Edited(Sound(), "points ( 12", "points ( 13"); },
       "points (", "\"points\" gibt 13 Einträge an, enthält aber 12."},
      {"a count that is no number",
       [] { return Edited(Sound(), "vertices ( 12", "vertices ( twelve"); }, "vertices (",
       "\"vertices\" hat keine gültige Anzahl: 'twelve' ist kein gültiger Integerwert."},
      {"index list shorter than its count",
       [] { return Edited(Sound(), "vertex_idxs ( 3 0 1 2", "vertex_idxs ( 4 0 1 2"); },
       "vertex_idxs ( 4", "\"vertex_idxs\" gibt 4 Werte an, enthält aber 3."},
      {"normal pairs short of their count",
       [] { return Edited(Sound(), "normal_idxs ( 1 0 3", "normal_idxs ( 2 0 3"); },
       "normal_idxs ( 2", "\"normal_idxs\" gibt 2 Einträge an (4 Werte), enthält aber 2."},
      {"a vertex on a point that is not there",
       [] { return Edited(Sound(), "vertex ( 00000000 5 1", "vertex ( 00000000 999 1"); },
       "vertex ( 00000000 999",
       "\"vertex\" verweist auf Punkt 999, den es nicht gibt (\"points\" hat 12 Einträge)."},
      {"a vertex on a normal that is not there",
       [] { return Edited(Sound(), "vertex ( 00000000 5 1", "vertex ( 00000000 5 7"); },
       "vertex ( 00000000 5 7",
       "\"vertex\" verweist auf Normale 7, die es nicht gibt (\"normals\" hat 2 Einträge)."},
      {"a vertex index that is no number",
       [] { return Edited(Sound(), "vertex ( 00000000 5 1", "vertex ( 00000000 five 1"); }, "five",
       "'five' in \"vertex\" ist kein gültiger Integerwert."},
      {"texture coordinates that are not there",
       [] { return Edited(Sound(), "vertex_uvs ( 1 0 )", "vertex_uvs ( 1 3 )"); },
       "vertex_uvs ( 1 3",
       "\"vertex_uvs\" verweist auf UV-Punkt 3, den es nicht gibt (\"uv_points\" hat 1 "
       "Eintrag)."},
      {"a triangle beyond the sub-object's vertices",
       [] { return Edited(Sound(), "vertex_idxs ( 6 6 7 8", "vertex_idxs ( 6 6 7 12"); },
       "vertex_idxs ( 6 6 7 12",
       "\"vertex_idxs\" verweist auf Vertex 12, den es nicht gibt (\"vertices\" hat 12 "
       "Einträge)."},
      {"a triangle index that is no whole triangle",
       [] { return Edited(Sound(), "vertex_idxs ( 3 0 1 2", "vertex_idxs ( 2 0 1"); },
       "vertex_idxs ( 2",
       "\"vertex_idxs\" gibt 2 Werte an; ganze Dreiecke brauchen ein Vielfaches von 3."},
      {"a face normal that is not there",
       [] { return Edited(Sound(), "normal_idxs ( 1 0 3", "normal_idxs ( 1 2 3"); },
       "normal_idxs ( 1 2",
       "\"normal_idxs\" verweist auf Normale 2, die es nicht gibt (\"normals\" hat 2 Einträge)."},
      {"a vertex state on a matrix that is not there",
       [] { return Edited(Sound(), "vtx_state ( 00000000 0", "vtx_state ( 00000000 1"); },
       "vtx_state ( 00000000 1",
       "\"vtx_state\" verweist auf Matrix 1, die es nicht gibt (\"matrices\" hat 1 Eintrag)."},
      {"a primitive state on a vertex state that is not there",
       [] { return Edited(Sound(), "tex_idxs ( 1 0 ) 0 1", "tex_idxs ( 1 0 ) 0 5"); },
       "tex_idxs ( 1 0 ) 0 5",
       "\"prim_state\" verweist auf Vertex-State 5, den es nicht gibt (\"vtx_states\" hat 2 "
       "Einträge)."},
      {"a primitive state on a texture that is not there",
       [] { return Edited(Sound(), "tex_idxs ( 1 0 ) 0 1", "tex_idxs ( 1 2 ) 0 1"); },
       "tex_idxs ( 1 2",
       "\"tex_idxs\" verweist auf Textur 2, die es nicht gibt (\"textures\" hat 1 Eintrag)."},
      {"a texture on an image that is not there",
       [] { return Edited(Sound(), "texture ( 0", "texture ( 4"); }, "texture ( 4",
       "\"texture\" verweist auf Bild 4, das es nicht gibt (\"images\" hat 1 Eintrag)."},
      {"a primitive on a primitive state that is not there",
       [] { return Edited(Sound(), "prim_state_idx ( 1 )", "prim_state_idx ( 2 )"); },
       "prim_state_idx ( 2",
       "\"prim_state_idx\" verweist auf Prim-State 2, den es nicht gibt (\"prim_states\" hat 2 "
       "Einträge)."},
      {"a vertex set of a vertex state that is not there",
       [] { return Edited(Sound(), "vertex_set ( 1 6 6 )", "vertex_set ( 3 6 6 )"); },
       "vertex_set ( 3",
       "\"vertex_set\" verweist auf Vertex-State 3, den es nicht gibt (\"vtx_states\" hat 2 "
       "Einträge)."},
      {"a vertex set beyond the vertices",
       [] { return Edited(Sound(), "vertex_set ( 1 6 6 )", "vertex_set ( 1 6 7 )"); },
       "vertex_set ( 1 6 7",
       "\"vertex_set\" umfasst 7 Vertices ab Vertex 6, das Subobjekt hat aber 12."},
      {"a node map entry beyond the nodes",
       [] { return Edited(Sound(), "geometry_node_map ( 1 0 )", "geometry_node_map ( 1 1 )"); },
       "geometry_node_map",
       "\"geometry_node_map\" verweist auf Geometrieknoten 1, den es nicht gibt "
       "(\"geometry_nodes\" hat 1 Eintrag)."},
      {"a parent matrix that is not there",
       [] { return Edited(Sound(), "hierarchy ( 1 -1 )", "hierarchy ( 1 3 )"); }, "hierarchy",
       "\"hierarchy\" verweist auf Matrix 3, die es nicht gibt (\"matrices\" hat 1 Eintrag)."},
      {"a sort vector that is not there",
       [] { return Edited(Sound(), "00000400 -1 -1", "00000400 4 -1"); }, "sub_object_header",
       "\"sub_object_header\" verweist auf Sortiervektor 4, den es nicht gibt (\"sort_vectors\" "
       "hat 1 Eintrag)."},
      // What only the grammar knows: the type of every value, what a block
      // may hold and what it must.
      {"numbers where the vertices belong",
       [] { return Edited(Sound(), "vertices ( 12", "vertices ( 12 7 7 7"); }, "vertices ( 12 7",
       "\"vertices\" hat zu viele Werte ('7' ist einer zu viel)."},
      {"a hex number where a float belongs",
       [] { return Edited(Sound(), "point ( 0 0.5 -0 )", "point ( 0x10 0.2 0 )"); }, "0x10",
       "'0x10' in \"point\" ist keine gültige Gleitkommazahl."},
      {"a dword where a float belongs",
       [] { return Edited(Sound(), "point ( 0 0.5 -0 )", "point ( ff000000 0.2 0 )"); },
       "ff000000 0.2", "'ff000000' in \"point\" ist keine gültige Gleitkommazahl."},
      {"a float where an index belongs",
       [] { return Edited(Sound(), "vertex ( 00000000 5 1", "vertex ( 00000000 5.5 1"); }, "5.5",
       "'5.5' in \"vertex\" ist kein gültiger Integerwert."},
      {"a negative count", [] { return Edited(Sound(), "uv_points ( 1", "uv_points ( -1"); },
       "uv_points (", "\"uv_points\" hat keine gültige Anzahl: '-1' ist negativ."},
      {"a vector among the points",
       [] { return Edited(Sound(), "point ( 0 0.5 -0 )", "vector ( 0 0.5 -0 )"); },
       "vector ( 0 0.5",
       "\"points\" darf hier keinen Block \"vector\" enthalten (erwartet: \"point\")."},
      {"a uv point among the points",
       [] { return Edited(Sound(), "point ( 0 0.5 -0 )", "uv_point ( 0 0.5 )"); },
       "uv_point ( 0 0.5",
       "\"points\" darf hier keinen Block \"uv_point\" enthalten (erwartet: \"point\")."},
      {"a vertex with far too many values",
       [] {
         std::string values;
         for (int i = 0; i < 5000; ++i) values += " 1";
         return Edited(Sound(), "ffffffff ff808080", "ffffffff ff808080" + values);
       },
       "vertex ( 00000000 0", "\"vertex\" hat zu viele Werte ('1' ist einer zu viel)."},
      {"a value missing", [] { return Edited(Sound(), "uv_point ( 0 1 )", "uv_point ( 0 )"); },
       "uv_point ( 0 )",
       "\"uv_point\" hat zu wenige Werte: an Stelle 2 fehlt eine Gleitkommazahl."},
      {"a vertex without texture coordinates",
       [] {
         Lines lines = Sound();
         lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(LineWith(lines, "vertex_uvs")));
         return lines;
       },
       "vertex ( 00000000 0", "Im Block \"vertex\" fehlt der Block \"vertex_uvs\"."},
      {"a distance level without its distance",
       [] {
         Lines lines = Sound();
         lines.erase(lines.begin() +
                     static_cast<std::ptrdiff_t>(LineWith(lines, "dlevel_selection")));
         return lines;
       },
       "distance_level_header",
       "Im Block \"distance_level_header\" fehlt der Block \"dlevel_selection\"."},
      {"the triangle lists in the wrong order",
       [] {
         Lines lines = Sound();
         std::swap(lines[LineWith(lines, "vertex_idxs")], lines[LineWith(lines, "normal_idxs")]);
         return lines;
       },
       "indexed_trilist", "Im Block \"indexed_trilist\" fehlt der Block \"vertex_idxs\"."},
  };
  const TextSource english = LanguageTexts("English");
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    const Lines lines = damage.shape();
    const std::size_t line =
        damage.atLineWith == "MISSING" ? lines.size() - 1 : LineWith(lines, damage.atLineWith);
    const std::optional<ShapeProblem> first = FirstShapeError(lines, LanguageTexts("Deutsch"));
    ASSERT_NE(first, std::nullopt);
    EXPECT_EQ(Describe(*first), std::to_string(line + 1) + ": error: " + damage.message);
    // The same problem in English, at the same line, with nothing left to fill.
    const std::optional<ShapeProblem> inEnglish = FirstShapeError(lines, english);
    ASSERT_NE(inEnglish, std::nullopt);
    EXPECT_EQ(inEnglish->line, first->line);
    EXPECT_NE(inEnglish->message, first->message);
    EXPECT_EQ(inEnglish->message.find_first_of("{}"), std::string::npos) << inEnglish->message;
  }
}

// A hand-written shape with two distance levels: everything here loads in
// some programs and breaks others.
Lines TwoLevels(int vertices, const std::string& secondLevelSubobjects) {
  Lines lines = {"SIMISA@@@@@@@@@@JINX0s1t______",
                 "shape (",
                 "\tshape_header ( 00000000 00000000 )",
                 "\tvolumes ( 0 )",
                 "\tshader_names ( 0 )",
                 "\ttexture_filter_names ( 0 )",
                 "\tpoints ( 1",
                 "\t\tpoint ( 0 0 0 )",
                 "\t)",
                 "\tuv_points ( 1",
                 "\t\tuv_point ( 0 0 )",
                 "\t)",
                 "\tnormals ( 1",
                 "\t\tvector ( 0 1 0 )",
                 "\t)",
                 "\tsort_vectors ( 0 )",
                 "\tcolours ( 0 )",
                 "\tmatrices ( 2",
                 "\t\tmatrix A ( 1 0 0 0 1 0 0 0 1 0 0 0 )",
                 "\t\tmatrix B ( 1 0 0 0 1 0 0 0 1 0 0 0 )",
                 "\t)",
                 "\timages ( 0 )",
                 "\ttextures ( 0 )",
                 "\tlight_materials ( 0 )",
                 "\tlight_model_cfgs ( 0 )",
                 "\tvtx_states ( 0 )",
                 "\tprim_states ( 0 )",
                 "\tlod_controls ( 1",
                 "\t\tlod_control (",
                 "\t\t\tdistance_levels_header ( 0 )",
                 "\t\t\tdistance_levels ( 2",
                 "\t\t\t\tdistance_level (",
                 "\t\t\t\t\tdistance_level_header (",
                 "\t\t\t\t\t\tdlevel_selection ( 500 )",
                 "\t\t\t\t\t\thierarchy ( 1 -1 )",
                 "\t\t\t\t\t)",
                 "\t\t\t\t\tsub_objects ( 1",
                 "\t\t\t\t\t\tsub_object (",
                 "\t\t\t\t\t\t\tsub_object_header ( 00000400 -1 -1 000001d2 000001c4",
                 "\t\t\t\t\t\t\t\tgeometry_info ( 0 0 0 0 0 0 0 0 0 0",
                 "\t\t\t\t\t\t\t\t\tgeometry_nodes ( 0 )",
                 "\t\t\t\t\t\t\t\t\tgeometry_node_map ( 1 -1 )",
                 "\t\t\t\t\t\t\t\t)",
                 "\t\t\t\t\t\t\t)",
                 "\t\t\t\t\t\t\tvertices ( " + std::to_string(vertices)};
  for (int v = 0; v < vertices; ++v)
    lines.push_back("\t\t\t\t\t\t\t\tvertex ( 00000000 0 0 ffffffff ff808080 vertex_uvs ( 1 0 ) )");
  for (const char* line :
       {"\t\t\t\t\t\t\t)", "\t\t\t\t\t\t\tvertex_sets ( 0 )", "\t\t\t\t\t\t\tprimitives ( 0 )",
        "\t\t\t\t\t\t)", "\t\t\t\t\t)", "\t\t\t\t)", "\t\t\t\tdistance_level (",
        "\t\t\t\t\tdistance_level_header (", "\t\t\t\t\t\tdlevel_selection ( 400 )",
        "\t\t\t\t\t\thierarchy ( 2 -1 0 )", "\t\t\t\t\t)"})
    lines.push_back(line);
  lines.push_back("\t\t\t\t\t" + secondLevelSubobjects);
  for (const char* line : {"\t\t\t\t)", "\t\t\t)", "\t\t)", "\t)", "\tanimations ( 0 )", ")"})
    lines.push_back(line);
  return lines;
}

TEST(ShapeCheck, LayoutsLoadersTripOverAreWarnedOf) {
  const Lines lines = TwoLevels(65536, "sub_objects ( 0 )");
  const auto at = [&lines](const std::string& text) {
    return std::to_string(LineWith(lines, text) + 1);
  };
  EXPECT_EQ(
      Described(lines),
      (std::vector<std::string>{
          at("hierarchy") +
              ": warning: \"hierarchy\" hat 1 Eintrag, die Datei aber 2 Matrizen; Programme, die "
              "einen Eintrag je Matrix erwarten, laden sie falsch.",
          at("geometry_node_map") +
              ": warning: \"geometry_node_map\" hat 1 Eintrag, die Datei aber 2 Matrizen; "
              "Programme, die einen Eintrag je Matrix erwarten, laden sie falsch.",
          at("vertices (") +
              ": warning: Das Subobjekt hat 65536 Vertices; mehr als 65535 passen nicht in die "
              "16-Bit-Indizes, Dreiecke würden falsch verbunden.",
          std::to_string(LineWith(lines, "dlevel_selection ( 400") - 1) +
              ": error: Das LOD (\"distance_level\") hat keine Subobjekte.",
          at("dlevel_selection ( 400") +
              ": warning: Die Entfernung 400 ist nicht größer als die des vorigen LOD's; die "
              "Stufen müssen von LOD zu LOD steigen.",
          at("animations") +
              ": warning: Leerer Block \"animations ( 0 )\": manche Programme laden eine Datei "
              "damit nicht; der Block kann entfallen.",
      }));
  // A text that is no shape, and a shape of which the first block is
  // missing (one problem per block: the others follow from it).
  EXPECT_EQ(Described({"hello"}),
            (std::vector<std::string>{
                "1: error: Die Datei beginnt nicht mit dem Kopf \"SIMISA@@@@@@@@@@JINX0s1t\".",
                "1: error: 'hello' steht außerhalb jedes Blocks.",
                "1: error: Die Datei enthält keinen Block \"shape\"."}));
  EXPECT_EQ(
      Described({"SIMISA", "shape (", "\tpoints ( 0 )", ")"}),
      std::vector<std::string>{"2: error: Im Block \"shape\" fehlt der Block \"shape_header\"."});
  // Blocks of newer tools are passed over with a warning.
  Lines newer = TwoLevels(1, "sub_objects ( 0 )");
  newer.insert(newer.begin() + 2, "\tshiny_new_block ( 1 2 ( 3 ) )");
  EXPECT_EQ(Described(newer)[0],
            "3: warning: Unbekannter Block \"shiny_new_block\": er wird übersprungen.");
}

TEST(ShapeCheck, TheSameDamageInThousandsOfPlacesIsListedTwentyTimes) {
  Lines lines = TwoLevels(30, "sub_objects ( 0 )");
  for (std::string& line : lines)
    if (line.find("vertex_uvs ( 1 0 )") != std::string::npos)
      line.replace(line.find("( 1 0 )"), 7, "( 2 0 )");
  int counted = 0;
  std::string summary;
  for (const ShapeProblem& problem : CheckShape(lines, LanguageTexts("Deutsch"))) {
    if (problem.message.find("vertex_uvs") == std::string::npos) continue;
    ++counted;
    summary = problem.message;
  }
  EXPECT_EQ(counted, 21);
  EXPECT_EQ(summary,
            "Ab hier 10 weitere Meldungen derselben Art zu \"vertex_uvs\"; sie werden nicht "
            "einzeln genannt.");
}

}  // namespace
}  // namespace quarvel::testing
