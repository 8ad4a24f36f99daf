#include "session/Verbs.h"

#include "cleanup/MergeTable.h"

namespace quarvel {

namespace {

std::function<bool(const Session&)> Once(Operation operation) {
  return [operation](const Session& session) { return session.Available(operation); };
}

}  // namespace

std::vector<Verb>& VerbTable() {
  static std::vector<Verb> table = {
      {.name = "generate",
       .run = [](Session& session) { return session.Generate({}); },
       .available = Once(Operation::Generate),
       .unavailable = "generate: this shape cannot be split (it has more than one distance level "
                      "or sub-object, or was split already)"},
      {.name = "delete-animations",
       .run = [](Session& session) { return session.DeleteAnimations({}); }},
      {.name = "merge-points",
       .run = [](Session& session) { return session.Merge(MergeKind::Points, {}); },
       .available = Once(Operation::MergePoints),
       .unavailable = "merge-points: points are merged once per opened text, and they were"},
      {.name = "merge-normals",
       .run = [](Session& session) { return session.Merge(MergeKind::Normals, {}); },
       .available = Once(Operation::MergeNormals),
       .unavailable = "merge-normals: normals are merged once per opened text, and they were"},
      {.name = "fix-materials",
       .run = [](Session& session) { return session.FixMaterials(); },
       .available = Once(Operation::FixMaterials),
       .unavailable = "fix-materials: the material errors were corrected already"},
  };
  return table;
}

const Verb* FindVerb(const std::string& name) {
  for (const Verb& verb : VerbTable())
    if (verb.name == name) return &verb;
  return nullptr;
}

}  // namespace quarvel
