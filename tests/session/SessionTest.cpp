// The session without a window: what the command line and any later client
// get by calling it with a plan, and that it is what the window model gets.
#include "session/Session.h"

#include <gtest/gtest.h>

#include "cleanup/MergeTable.h"
#include "session/Verbs.h"
#include "support/ExportedShape.h"
#include "support/FakePorts.h"
#include "support/FormFixture.h"

namespace quarvel::testing {
namespace {

struct Opened {
  explicit Opened(const std::string& path) {
    EXPECT_TRUE(session.Open(path, {}).IsDone()) << dialogs.Count() << " boxes";
  }
  FakeDialogs dialogs;
  Session session{SessionPorts{dialogs, {}, {}}};
};

TEST(Session, SplitsAndGeneratesWithoutAWindowExactlyAsTheWindowModelDoes) {
  TempDir dir;
  ExportedShape shape = ElementsWithOwnSets(6, 400);
  const std::string path = dir.File("loco.s");
  WriteShapeLines(path, BuildExportedShape(shape));

  Opened alone(path);
  Session& session = alone.session;
  ASSERT_EQ(session.Elements(), 6);
  session.vertexLimit = 1000;
  ASSERT_TRUE(session.AutoSplit(1).IsDone());
  EXPECT_EQ(session.summary.subobjects.Count(), 3);
  EXPECT_EQ(session.plan.Choice(3, 1).Text(), "2");
  ASSERT_TRUE(FindVerb("generate")->run(session).IsDone());
  EXPECT_FALSE(session.Available(Operation::Generate));
  EXPECT_TRUE(session.text.Modified());

  FormFixture f;
  ASSERT_TRUE(f.form.OpenShape(path).IsDone());
  f.form.VertLimitSpinEditChange(1000);
  ASSERT_TRUE(f.form.AufteilenMenuItemClick().IsDone());
  ASSERT_TRUE(f.form.Sub_ObjectsButtonClick().IsDone());
  EXPECT_EQ(session.text.All(), f.form.session.text.All());

  alone.dialogs.Answer(Answer::Yes);
  ASSERT_TRUE(session.Undo({}).IsDone());
  EXPECT_EQ(session.text.All(), session.undoLines);
  EXPECT_TRUE(session.Available(Operation::Generate)) << "the text as opened splits again";
}

TEST(Session, RefusalsNameTheirCauseAndLeaveTheTextAsItWas) {
  TempDir dir;
  const std::string path = dir.File("loco.s");
  WriteShapeLines(path, BuildExportedShape(ElementsWithOwnSets(3, 800)));
  Opened opened(path);
  Session& session = opened.session;
  session.vertexLimit = 1000;
  session.oversize = OversizeHandling::Refuse;
  const std::vector<std::string> before = session.text.All();
  EXPECT_TRUE(session.Check().empty());
  const Outcome refused = session.Generate({});
  EXPECT_EQ(refused.kind(), Outcome::Kind::Refused);
  EXPECT_EQ(refused.cause(), Outcome::Cause::VertexLimit);
  EXPECT_EQ(session.text.All(), before);
  EXPECT_TRUE(session.Available(Operation::Generate));

  session.plan.distances.Set(1, "far");
  session.oversize = OversizeHandling::Proceed;
  EXPECT_EQ(session.Generate({}).cause(), Outcome::Cause::Other);
  EXPECT_EQ(session.text.All(), before);

  session.text.Replace(session.text.Count() - 1, "");  // the shape's last ")" goes
  EXPECT_FALSE(session.Check().empty());
}

}  // namespace
}  // namespace quarvel::testing
