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
       .unavailable = Text::VerbCannotGenerate},
      {.name = "delete-animations",
       .run = [](Session& session) { return session.DeleteAnimations({}); }},
      {.name = "merge-points",
       .run = [](Session& session) { return session.Merge(MergeKind::Points, {}); },
       .available = Once(Operation::MergePoints),
       .unavailable = Text::VerbPointsMerged},
      {.name = "merge-normals",
       .run = [](Session& session) { return session.Merge(MergeKind::Normals, {}); },
       .available = Once(Operation::MergeNormals),
       .unavailable = Text::VerbNormalsMerged},
      {.name = "fix-materials",
       .run = [](Session& session) { return session.FixMaterials(); },
       .available = Once(Operation::FixMaterials),
       .unavailable = Text::VerbMaterialsFixed},
  };
  return table;
}

const Verb* FindVerb(const std::string& name) {
  for (const Verb& verb : VerbTable())
    if (verb.name == name) return &verb;
  return nullptr;
}

}  // namespace quarvel
