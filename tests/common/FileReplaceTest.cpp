// Which paths a save may replace, and the temporary file that becomes the
// new version: in place only when complete, gone when abandoned or when the
// program is stopped.
#include "common/FileReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

TEST(FileReplace, OnlyAbsentPathsAndRegularFilesMayBeReplaced) {
  TempDir dir;
  EXPECT_EQ(RefusalToReplace(dir.File("new.s")), std::nullopt);
  WriteBytes(dir.File("plain.s"), "x");
  EXPECT_EQ(RefusalToReplace(dir.File("plain.s")), std::nullopt);

  fs::create_directory(dir.File("folder.s"));
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("folder.s"))),
            dir.File("folder.s") + " ist ein Ordner und wird nicht ersetzt.");
  MakeFifo(dir.File("fifo.s"));
  MakeSocket(dir.File("socket.s"));
  const std::string special =
      " ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird nicht "
      "ersetzt.";
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("fifo.s"))), dir.File("fifo.s") + special);
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("socket.s"))), dir.File("socket.s") + special);
  // Only root can make a device node; /dev/null itself is never put at risk.
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod(dir.File("null.s").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(InGerman(RefusalToReplace(dir.File("null.s"))), dir.File("null.s") + special);
  }
  // A link that leads nowhere (it loops): FollowLinks leaves it, and it stays.
  fs::create_symlink("loop-b.s", dir.File("loop-a.s"));
  fs::create_symlink("loop-a.s", dir.File("loop-b.s"));
  EXPECT_EQ(FollowLinks(dir.File("loop-a.s")), dir.File("loop-a.s"));
  EXPECT_NE(RefusalToReplace(dir.File("loop-a.s")), std::nullopt);
}

TEST(FileReplace, WriteProtectedFilesAreNeverReplaced) {
  TempDir dir;
  WriteBytes(dir.File("locked.s"), "keep");
  fs::permissions(dir.File("locked.s"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto result = RunUnprivileged(dir.path(), [&] {
    return InGerman(RefusalToReplace(dir.File("locked.s"))).value_or("replaceable");
  });
  if (!result) GTEST_SKIP() << "running as root and no unprivileged user to drop to";
  EXPECT_EQ(*result, dir.File("locked.s") + " ist schreibgeschützt und wird nicht ersetzt.");
}

TEST(FileReplace, LinksAreFollowedToTheFileTheyPointTo) {
  TempDir dir;
  fs::create_directory(dir.File("real"));
  fs::create_symlink("real/target.s", dir.File("first.s"));
  fs::create_symlink(dir.File("first.s"), dir.File("second.s"));
  // Relative links count from the link's folder, absolute ones as they are,
  // also when the file does not exist yet.
  EXPECT_EQ(FollowLinks(dir.File("second.s")), dir.File("real/target.s"));
  EXPECT_EQ(FollowLinks(dir.File("plain.s")), dir.File("plain.s"));
  WriteBytes(dir.File("real/target.s"), "x");
  EXPECT_EQ(IdentityOf(dir.File("second.s")), IdentityOf(dir.File("real/target.s")));
  EXPECT_EQ(IdentityOf(dir.File("missing.s")), std::nullopt);
}

TEST(FileReplace, TheNewVersionKeepsThePermissionsAndTheOldOneBecomesTheBackup) {
  TempDir dir;
  const std::string target = dir.File("x.s");
  WriteBytes(target, "old");
  WriteBytes(dir.File("x.BAK"), "older");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    ReplacementFile file(target);
    ASSERT_EQ(file.Failure(), std::nullopt);
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_EQ(file.PutInPlace(dir.File("x.BAK")), std::nullopt);
  }
  EXPECT_EQ(PictureOf(dir.path()),
            (FolderPicture{{"x.BAK", "file 640: old"}, {"x.s", "file 640: new"}}));

  // Abandoned: the target stays, the temporary file goes.
  {
    ReplacementFile file(target);
    file.Write("never", 5);
  }
  EXPECT_EQ(PictureOf(dir.path()).size(), 2u);
  EXPECT_EQ(ReadBytes(target), "new");
}

// A save stopped by Ctrl+C or SIGTERM halfway leaves no temporary file and
// the target as it was.
TEST(FileReplace, AStoppedWriteLeavesNoTemporaryFile) {
  for (const int signal : {SIGTERM, SIGINT}) {
    TempDir dir;
    const std::string target = dir.File("x.s");
    WriteBytes(target, "old");
    const FolderPicture before = PictureOf(dir.path());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ReplacementFile file(target);
      file.Write("half of it", 10);
      ::raise(signal);
      ::_exit(0);  // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(PictureOf(dir.path()), before);
  }
}

// A run killed with SIGKILL cannot clean up; the next save in the folder
// removes what it left, but never the file of a run still at work.
TEST(FileReplace, TemporaryFilesOfKilledRunsAreRemovedByTheNextSave) {
  TempDir dir;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);  // gone: its number names no process now
  const std::string left = dir.File(".qv-" + std::to_string(child) + "-42.tmp");
  const std::string working = dir.File(".qv-" + std::to_string(::getppid()) + "-42.tmp");
  const std::string foreign = dir.File(".qv-notes.tmp");
  for (const std::string& file : {left, working, foreign}) WriteBytes(file, "31 MB");
  WriteFileAtomically(dir.File("a.s"), "new");
  EXPECT_FALSE(fs::exists(left));
  EXPECT_TRUE(fs::exists(working));
  EXPECT_TRUE(fs::exists(foreign));
}

}  // namespace
}  // namespace quarvel::testing
