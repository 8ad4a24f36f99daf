// Which paths a save may replace, and the temporary file that becomes the
// new version: in place only when complete, gone when abandoned or when the
// program is stopped.
#include "common/FileReplace.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>

#include "common/Utf8Path.h"
#include "shape/ShapeFile.h"
#include "support/FileSystem.h"
#include "support/FormFixture.h"
#include "support/LanguageTexts.h"

namespace quarvel::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSpecial =
    " ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird nicht "
    "ersetzt.";

TEST(FileReplace, OnlyAbsentPathsAndRegularFilesMayBeReplaced) {
  TempDir dir;
  EXPECT_EQ(RefusalToReplace(dir.File("new.s")), std::nullopt);
  EXPECT_EQ(RefusalToReplace(dir.File("no folder/new.s")), std::nullopt);  // fails when made
  WriteBytes(dir.File("plain.s"), "x");
  EXPECT_EQ(RefusalToReplace(dir.File("plain.s")), std::nullopt);

  fs::create_directory(dir.File("folder.s"));
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("folder.s"))),
            dir.File("folder.s") + " ist ein Ordner und wird nicht ersetzt.");
  EXPECT_THROW(WriteFileAtomically(dir.File("folder.s"), "x"), WriteError);
  EXPECT_TRUE(fs::is_directory(PathOf(dir.File("folder.s"))));
#ifdef _WIN32
  // Device names answer in every folder; "NUL" swallows whatever is written.
  EXPECT_EQ(InGerman(RefusalToReplace("NUL")), "NUL" + kSpecial);
#else
  MakeFifo(dir.File("fifo.s"));
  MakeSocket(dir.File("socket.s"));
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("fifo.s"))), dir.File("fifo.s") + kSpecial);
  EXPECT_EQ(InGerman(RefusalToReplace(dir.File("socket.s"))), dir.File("socket.s") + kSpecial);
  // Only root can make a device node; /dev/null itself is never put at risk.
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod(dir.File("null.s").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(InGerman(RefusalToReplace(dir.File("null.s"))), dir.File("null.s") + kSpecial);
  }
  // A link that leads nowhere (it loops): FollowLinks leaves it, and it stays.
  fs::create_symlink("loop-b.s", dir.File("loop-a.s"));
  fs::create_symlink("loop-a.s", dir.File("loop-b.s"));
  EXPECT_EQ(FollowLinks(dir.File("loop-a.s")), dir.File("loop-a.s"));
  EXPECT_NE(RefusalToReplace(dir.File("loop-a.s")), std::nullopt);
#endif
}

// On Windows the read-only attribute, which binds administrators too.
TEST(FileReplace, WriteProtectedFilesAreNeverReplaced) {
  TempDir dir;
  WriteBytes(dir.File("locked.s"), "keep");
  fs::permissions(PathOf(dir.File("locked.s")),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto result = RunUnprivileged(dir.path(), [&] {
    std::string said = InGerman(RefusalToReplace(dir.File("locked.s"))).value_or("replaceable");
    try {
      WriteFileAtomically(dir.File("locked.s"), "lost");
    } catch (const WriteError&) {
      said += " / refused";
    }
    return said + " / " + ReadBytes(dir.File("locked.s"));
  });
  if (!result) GTEST_SKIP() << "running as root and no unprivileged user to drop to";
  EXPECT_EQ(*result, dir.File("locked.s") +
                         " ist schreibgeschützt und wird nicht ersetzt. / refused / keep");
  fs::permissions(PathOf(dir.File("locked.s")), fs::perms::owner_write, fs::perm_options::add);
}

TEST(FileReplace, LinksAreFollowedToTheFileTheyPointTo) {
  TempDir dir;
  EXPECT_EQ(FollowLinks(dir.File("plain.s")), dir.File("plain.s"));
  WriteBytes(dir.File("a.s"), "x");
  WriteBytes(dir.File("b.s"), "x");
  EXPECT_EQ(IdentityOf(dir.File("a.s")), IdentityOf(dir.File("./a.s")));
  EXPECT_NE(IdentityOf(dir.File("a.s")), IdentityOf(dir.File("b.s")));
  EXPECT_EQ(IdentityOf(dir.File("missing.s")), std::nullopt);
  SKIP_ON_WINDOWS("symbolic links need a privilege there");
  fs::create_directory(dir.File("real"));
  fs::create_symlink("real/target.s", dir.File("first.s"));
  fs::create_symlink(dir.File("first.s"), dir.File("second.s"));
  // Relative links count from the link's folder, absolute ones as they are,
  // also when the file does not exist yet.
  EXPECT_EQ(FollowLinks(dir.File("second.s")), dir.File("real/target.s"));
  WriteBytes(dir.File("real/target.s"), "x");
  EXPECT_EQ(IdentityOf(dir.File("second.s")), IdentityOf(dir.File("real/target.s")));
}

TEST(FileReplace, TheNewVersionKeepsThePermissionsAndTheOldOneBecomesTheBackup) {
  TempDir dir;
  const std::string target = dir.File("x.s");
  WriteBytes(target, "old");
  WriteBytes(dir.File("x.BAK"), "older");
#ifdef _WIN32
  const std::string mode = "666";  // all Windows keeps of the bits
#else
  const std::string mode = "640";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  {
    ReplacementFile file(target);
    ASSERT_EQ(file.Failure(), std::nullopt);
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_EQ(file.PutInPlace(dir.File("x.BAK")), std::nullopt);
  }
  EXPECT_EQ(PictureOf(dir.path()), (FolderPicture{{"x.BAK", "file " + mode + ": old"},
                                                  {"x.s", "file " + mode + ": new"}}));

  // Abandoned: the target stays, the temporary file goes.
  {
    ReplacementFile file(target);
    file.Write("never", 5);
  }
  EXPECT_EQ(PictureOf(dir.path()).size(), 2u);
  EXPECT_EQ(ReadBytes(target), "new");

  // Without a backup, and into a file that was not there.
  WriteFileAtomically(target, "newer");
  WriteFileAtomically(dir.File("y.s"), "first");
  EXPECT_EQ(EntryOf(dir.path(), "x.s"), "file " + mode + ": newer");
  EXPECT_EQ(ReadBytes(dir.File("y.s")), "first");
  EXPECT_EQ(PictureOf(dir.path()).size(), 3u);
}

// Folders and files named outside ASCII: every step of a save, the backup
// included, by the names the user gave.
TEST(FileReplace, NamesWithUmlautsAreSavedUnderThoseNames) {
  TempDir dir;
  const std::string folder = dir.File("Zürich Hbf – Gleis 3");
  fs::create_directory(PathOf(folder));
  const std::string target = folder + "/Ölwagen.s";
  WriteFileAtomically(target, "old");
  EXPECT_EQ(RefusalToReplace(target), std::nullopt);
  ASSERT_TRUE(IdentityOf(target).has_value());
  {
    ReplacementFile file(target);
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_EQ(file.PutInPlace(BackupPathFor(target)), std::nullopt);
  }
  EXPECT_EQ(ReadShapeFileBytes(target), "new");
  EXPECT_EQ(ReadShapeFileBytes(folder + "/Ölwagen.BAK"), "old");
  EXPECT_EQ(PictureOf(PathOf(folder)).size(), 2u);  // and no temporary file
#ifdef _WIN32
  // The system's own names, in UTF-16: not what the ANSI code page makes of them.
  EXPECT_TRUE(fs::exists(dir.path() / L"Z\u00fcrich Hbf \u2013 Gleis 3" / L"\u00d6lwagen.BAK"));
#endif
}

// A save stopped by Ctrl+C or SIGTERM halfway leaves no temporary file and
// the target as it was.
TEST(FileReplace, AStoppedWriteLeavesNoTemporaryFile) {
#ifdef _WIN32
  GTEST_SKIP() << "no signals on Windows; its console handler is in FileReplace.cpp";
#else
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
#endif
}

// A run killed with SIGKILL cannot clean up; the next save in the folder
// removes what it left, but never the file of a run still at work.
TEST(FileReplace, TemporaryFilesOfKilledRunsAreRemovedByTheNextSave) {
  TempDir dir;
#ifdef _WIN32
  // Process numbers there are multiples of four, and never this high.
  const unsigned long gone = 99999996;
  const unsigned long alive = ::GetCurrentProcessId();
#else
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);  // gone: its number names no process now
  const pid_t gone = child, alive = ::getppid();
#endif
  const std::string left = dir.File(".qv-" + std::to_string(gone) + "-42.tmp");
  const std::string working = dir.File(".qv-" + std::to_string(alive) + "-42.tmp");
  const std::string foreign = dir.File(".qv-notes.tmp");
  for (const std::string& file : {left, working, foreign}) WriteBytes(file, "31 MB");
  WriteFileAtomically(dir.File("a.s"), "new");
  EXPECT_FALSE(fs::exists(PathOf(left)));
  EXPECT_TRUE(fs::exists(PathOf(working)));
  EXPECT_TRUE(fs::exists(PathOf(foreign)));
}

}  // namespace
}  // namespace quarvel::testing
