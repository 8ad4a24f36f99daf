#include "format/Grammar.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace quarvel::format {

namespace {

// One row per block: its id, its name and what it holds, written as
//   u uint, i sint, d dword (flags, colours), f float, s string, t token name;
//   # a uint that counts the repeated item at the end (#2: in pairs of values);
//   <a|b> a child block of one of these names, <> a block of any name;
//   * repeated up to the end of the block, ? present only when there is room.
// An empty grammar means the contents are not known. `within` limits a row
// to blocks inside another block, where a name means something else.
struct Row {
  TokenId id;
  std::string_view name;
  std::string_view grammar;
  std::string_view within = {};
};

// Ids are positions in the simulator's list of core tokens; the grammars
// follow the order and types of its own shape grammar, confirmed by loaders
// of the format and by exact round trips through real files. Where sources
// disagree, the choice and why:
// - colour: four floats (A R G B). One source reads the first as a uint; no
//   file holds a colour, and a text reader takes "1" as a float anyway.
// - tcb_key: the last five values (tension, continuity, bias, in, out) as
//   floats; one source has uints. Real files hold 0 there, which has the
//   same bytes either way, and integer text reads as a float.
// - max_data and its children come from one source only and no real file;
//   max_data takes any block, so that a different layout is still read.
constexpr std::array kRows = std::to_array<Row>({
    {0x00, "error", ""},
    {0x01, "comment", ""},
    {0x02, "point", "f f f"},
    {0x03, "vector", "f f f"},
    {0x04, "quat", ""},
    {0x05, "normals", "# <vector>*"},
    {0x06, "normal_idxs", "#2 u*"},  // per triangle a normal and the constant 3
    {0x07, "points", "# <point>*"},
    {0x08, "uv_point", "f f"},
    {0x09, "uv_points", "# <uv_point>*"},
    {0x0A, "colour", "f f f f"},
    {0x0B, "colours", "# <colour>*"},
    {0x0C, "packed_colour", ""},
    {0x0D, "image", "s"},
    {0x0E, "images", "# <image>*"},
    {0x0F, "texture", "u u f d?"},
    {0x10, "textures", "# <texture>*"},
    {0x11, "light_material", "d u u u u f"},
    {0x12, "light_materials", "# <light_material>*"},
    {0x13, "linear_key", "u f f f"},
    {0x14, "tcb_key", "u f f f f f f f f f"},
    {0x15, "linear_pos", "# <linear_key>*"},
    {0x16, "tcb_pos", "# <tcb_key>*"},
    {0x17, "slerp_rot", "u f f f f"},
    {0x18, "tcb_rot", "# <tcb_key|slerp_rot>*"},
    {0x19, "controllers", "# <tcb_rot|linear_pos|tcb_pos>*"},
    {0x1A, "anim_node", "<controllers>"},
    {0x1B, "anim_nodes", "# <anim_node>*"},
    {0x1C, "animation", "u u <anim_nodes>"},
    {0x1D, "animations", "# <animation>*"},
    {0x1E, "anim", ""},
    {0x1F, "lod_controls", "# <lod_control>*"},
    {0x20, "lod_control", "<distance_levels_header> <distance_levels>"},
    {0x21, "distance_levels_header", "u f?"},
    {0x22, "distance_level_header", "<dlevel_selection> <hierarchy>"},
    {0x23, "dlevel_selection", "f"},
    {0x24, "distance_levels", "# <distance_level>*"},
    {0x25, "distance_level", "<distance_level_header> <sub_objects>"},
    {0x26, "sub_objects", "# <sub_object>*"},
    {0x27, "sub_object", "<sub_object_header> <vertices> <vertex_sets> <primitives>"},
    {0x28, "sub_object_header",
     "d i i d d <geometry_info> <subobject_shaders>? <subobject_light_cfgs>? u?"},
    {0x29, "geometry_info", "u u u u u u u u u u <geometry_nodes> <geometry_node_map>"},
    {0x2A, "geometry_nodes", "# <geometry_node>*"},
    {0x2B, "geometry_node", "u u u u u <cullable_prims>"},
    {0x2C, "geometry_node_map", "# i*"},
    {0x2D, "cullable_prims", "u u u"},
    {0x2E, "vtx_state", "d u i u d i?"},
    {0x2F, "vtx_states", "# <vtx_state>*"},
    {0x30, "vertex", "d u u d d <vertex_uvs> f?"},
    {0x31, "vertex_uvs", "# u*"},
    {0x32, "vertices", "# <vertex>*"},
    {0x33, "vertex_set", "u u u"},
    {0x34, "vertex_sets", "# <vertex_set>*"},
    // The count includes the prim_state_idx entries.
    {0x35, "primitives", "# <prim_state_idx|indexed_trilist|indexed_line_list|point_list>*"},
    {0x36, "prim_state", "d u <tex_idxs> f i u? u? u?"},
    {0x37, "prim_states", "# <prim_state>*"},
    {0x38, "prim_state_idx", "u"},
    {0x39, "indexed_point_list", ""},
    {0x3A, "point_list", "u u"},
    {0x3B, "indexed_line_list", "<vertex_idxs>"},
    {0x3C, "indexed_trilist", "<vertex_idxs> <normal_idxs> <flags>"},
    {0x3D, "tex_idxs", "# u*"},
    {0x3E, "tri", ""},
    {0x3F, "vertex_idxs", "# u*"},
    {0x40, "flags", "# d*"},
    {0x41, "matrix", "f f f f f f f f f f f f"},
    {0x42, "matrices", "# <matrix>*"},
    {0x43, "hierarchy", "# i*"},
    {0x44, "volumes", "# <vol_sphere>*"},
    {0x45, "vol_sphere", "<vector> f"},
    {0x46, "shape_header", "d d?"},
    {0x47, "shape",
     "<shape_header> <volumes> <shader_names> <texture_filter_names> <points> <uv_points> "
     "<normals> <sort_vectors> <colours> <matrices> <images> <textures> <light_materials> "
     "<light_model_cfgs> <vtx_states> <prim_states> <lod_controls> <animations>? "
     "<shape_named_data>?"},
    {0x48, "shader_names", "# <named_shader>*"},
    {0x49, "shader_name", ""},
    {0x4A, "texture_filter_names", "# <named_filter_mode>*"},
    {0x4B, "texture_filter_name", ""},
    {0x4C, "sort_vectors", "# <vector>*"},
    {0x4D, "uvop_arg_sets", ""},
    {0x4E, "uvop_arg_set", ""},
    {0x4F, "light_model_cfgs", "# <light_model_cfg>*"},
    {0x50, "light_model_cfg", "d <uv_ops>"},
    {0x51, "uv_ops", "# <>*"},
    {0x52, "uvop_copy", "u"},
    {0x53, "uv_op_share", "u u"},
    {0x54, "uv_op_copy", "u u"},
    {0x55, "uv_op_uniformscale", "u u f"},
    {0x56, "uv_op_user_uninformscale", "u u t"},
    {0x57, "uv_op_nonuniformscale", "u u f f"},
    {0x58, "uv_op_user_nonuninformscale", "u u t"},
    {0x59, "uv_op_transform", "u u f f f f f f"},
    {0x5A, "uv_op_user_transform", "u u t"},
    {0x5B, "uv_op_reflectxy", ""},
    {0x5C, "uv_op_reflectmap", "u"},
    {0x5D, "uv_op_reflectmapfull", "u"},
    {0x5E, "uv_op_spheremap", "u"},
    {0x5F, "uv_op_spheremapfull", "u"},
    {0x60, "uv_op_specularmap", "u"},
    {0x61, "uv_op_embossbump", "u u f"},
    {0x62, "user_uv_args", ""},
    {0x63, "io_dev", ""},
    {0x64, "io_map", ""},
    {0x65, "sguid", ""},
    {0x66, "dlev_cfg_table", ""},
    {0x67, "dlev_cfg", ""},
    {0x68, "subobject_shaders", "# u*"},
    {0x69, "subobject_light_cfgs", "# u*"},
    {0x6A, "shape_named_data", "<shape_named_data_header> <shape_named_geometry>*"},
    {0x6B, "shape_named_data_header", "u"},
    {0x6C, "shape_named_geometry", "s u <shape_geom_ref>*"},
    {0x6D, "shape_geom_ref", "u u u u u"},
    {0x6E, "material_palette", ""},
    {0x6F, "blend_config", ""},
    {0x70, "blend_config_header", ""},
    {0x71, "filtermode_cfgs", ""},
    {0x72, "filter_mode_cfg", ""},
    {0x73, "blend_mode_cfgs", ""},
    {0x74, "blend_mode_cfg", ""},
    {0x75, "texture_stage_progs", ""},
    {0x76, "texture_stage_prog", ""},
    {0x77, "blend_mode_cfg_refs", ""},
    {0x78, "shader_cfgs", ""},
    {0x79, "shader_cfg", ""},
    {0x7A, "texture_slots", ""},
    {0x7B, "texture_slot", ""},
    {0x7C, "named_filter_modes", ""},
    {0x7D, "named_filter_mode", "s"},
    {0x7E, "filtermode_cfg_refs", ""},
    {0x7F, "filtermode_cfg_ref", ""},
    {0x80, "named_shaders", ""},
    {0x81, "named_shader", "s"},
    {0x82, "shader_cfg_refs", ""},
    {0x83, "shader_cfg_ref", ""},
    {0xF5, "max_data", "<>*"},
    {0xF6, "max_dlev_data", "<max_smoothing_data|hierarchy>*"},
    // A uint, the dwords and a last uint, which in binary cannot be told
    // from one more dword: it is read and written as one.
    {0xF7, "max_smoothing_data", "u d*"},
    {0xF8, "max_sort_priorities", "# u*"},
    {0xF9, "uv_op_diffusemap", ""},
    // Inside max_data the sub-objects are a list of numbers.
    {0x26, "sub_objects", "# u*", "max_data"},
});

constexpr std::string_view kFileGrammar = "<shape> <max_data>?";

class Table {
 public:
  Table() {
    for (const Row& row : kRows) {
      auto rule = std::make_unique<BlockRule>();
      rule->id = row.id;
      rule->name = row.name;
      rules_.push_back(std::move(rule));
    }
    file_.name = "";
    for (std::size_t i = 0; i < kRows.size(); ++i) {
      BlockRule& rule = *rules_[i];
      Parse(kRows[i].grammar, rule);
      if (kRows[i].within.empty()) {
        byName_[rule.name] = &rule;
        if (byId_[rule.id] == nullptr) byId_[rule.id] = &rule;
      }
    }
    for (std::size_t i = 0; i < kRows.size(); ++i)
      if (!kRows[i].within.empty())
        overrides_.push_back({byName_.at(kRows[i].within)->id, rules_[i].get()});
    Parse(kFileGrammar, file_);
  }

  const BlockRule* ByName(std::string_view name, const BlockRule* parent) const {
    if (parent != nullptr)
      for (const Override& o : overrides_)
        if (o.parent == parent->id && o.rule->name == name) return o.rule;
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
  }
  const BlockRule* ById(TokenId id, const BlockRule* parent) const {
    if (parent != nullptr)
      for (const Override& o : overrides_)
        if (o.parent == parent->id && o.rule->id == id) return o.rule;
    return id < byId_.size() ? byId_[id] : nullptr;
  }
  const BlockRule& File() const { return file_; }

 private:
  struct Override {
    TokenId parent;
    const BlockRule* rule;
  };

  TokenId IdOf(std::string_view name) const {
    for (const Row& row : kRows)
      if (row.name == name) return row.id;
    throw std::logic_error("grammar names an unknown block: " + std::string(name));
  }

  void Parse(std::string_view grammar, BlockRule& rule) const {
    rule.known = !grammar.empty();
    std::size_t at = 0;
    while (at < grammar.size()) {
      if (grammar[at] == ' ') {
        ++at;
        continue;
      }
      GrammarItem item;
      if (grammar[at] == '<') {
        const std::size_t close = grammar.find('>', at);
        item.kind = GrammarItem::Kind::Child;
        std::string_view names = grammar.substr(at + 1, close - at - 1);
        while (!names.empty()) {
          const std::size_t bar = names.find('|');
          item.children.push_back(IdOf(names.substr(0, bar)));
          names = bar == std::string_view::npos ? std::string_view() : names.substr(bar + 1);
        }
        at = close + 1;
      } else if (grammar[at] == '#') {
        item.counts = true;
        item.type = ValueType::Uint;
        ++at;
        if (at < grammar.size() && grammar[at] >= '1' && grammar[at] <= '9')
          item.perEntry = static_cast<std::uint8_t>(grammar[at++] - '0');
      } else {
        static constexpr std::string_view kLetters = "uidfst";
        const std::size_t type = kLetters.find(grammar[at++]);
        if (type == std::string_view::npos) throw std::logic_error("bad grammar");
        item.type = static_cast<ValueType>(type);
      }
      for (; at < grammar.size() && grammar[at] != ' '; ++at) {
        if (grammar[at] == '*') item.repeated = true;
        if (grammar[at] == '?') item.optional = true;
      }
      rule.items.push_back(std::move(item));
    }
    for (std::size_t i = 0; i < rule.items.size(); ++i) {
      if (rule.items[i].counts) rule.countItem = static_cast<int>(i);
      if (rule.items[i].repeated) rule.countedItem = static_cast<int>(i);
    }
    if (rule.countItem >= 0 && rule.countedItem < 0) throw std::logic_error("count of nothing");
  }

  std::vector<std::unique_ptr<BlockRule>> rules_;
  std::unordered_map<std::string_view, const BlockRule*> byName_;
  std::array<const BlockRule*, 256> byId_{};
  std::vector<Override> overrides_;
  BlockRule file_;
};

const Table& TheTable() {
  static const Table table;
  return table;
}

}  // namespace

bool GrammarItem::Allows(TokenId id) const {
  return children.empty() || std::find(children.begin(), children.end(), id) != children.end();
}

const BlockRule* RuleByName(std::string_view name, const BlockRule* parent) {
  return TheTable().ByName(name, parent);
}

const BlockRule* RuleById(TokenId id, const BlockRule* parent) {
  return TheTable().ById(id, parent);
}

const BlockRule& FileRule() {
  return TheTable().File();
}

bool IsCommentBlock(std::string_view name) {
  return name == "comment" || name == "skip" || name == "info" ||
         (name.size() > 1 && name[0] == '_');
}

}  // namespace quarvel::format
