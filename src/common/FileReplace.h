// Putting a new version of a file in place: the one rule of which paths a
// save may replace, and the temporary file that becomes the new version only
// when it is complete and on the disk.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/Texts.h"

namespace quarvel {

// A file as the system knows it, whatever name, link or hard link leads to it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The file `path` leads to (links followed); nullopt when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The path a save to `path` writes: `path` with the symbolic links of its last
// component followed, also to a file that does not exist yet, so that a save
// through a link writes the file the link points to and leaves the link. A
// loop of links is left as it is (and then refused by RefusalToReplace).
std::string FollowLinks(const std::string& path);

// Why a save may not replace what is at `path` (the path itself, links not
// followed), as a message naming it; nullopt when it may: nothing is there,
// or a regular file the user may write. Folders, devices, pipes, sockets,
// symbolic links and write-protected files are never replaced.
std::optional<Message> RefusalToReplace(const std::string& path);

// A new version of `target`, written into a temporary file in the same folder
// and put in place only when complete. The temporary file is removed when the
// version is abandoned and also when the program is stopped by SIGINT,
// SIGTERM or SIGHUP (on Windows: Ctrl-C, Ctrl-Break, the console closed)
// while it exists.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string target);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // The first failure, as a message naming the file; nullopt while all is well.
  const std::optional<Message>& Failure() const { return failure_; }
  // Appends bytes; false once anything failed.
  bool Write(const char* data, std::size_t size);
  // Puts the new version in place: its bytes reach the disk first, it gets
  // the permissions (and, where allowed, the owner; on Windows the hidden,
  // system and archive attributes) of the file it replaces,
  // the present file becomes `backup` (replacing that) when `backup` is not
  // empty, and the folder reaches the disk last. At every moment the target
  // holds either the old or the new version. On failure (returned) the
  // target is as it was, and so is the backup unless the file system has no
  // hard links and the very last rename failed.
  std::optional<Message> PutInPlace(const std::string& backup = "");

 private:
  void Fail(Message message);
  void RemoveTemporary();

  std::string target_;
  std::string temporary_;
  int descriptor_ = -1;
  int slot_ = -1;  // in the table the signal handler removes files from
  std::optional<Message> failure_;
};

// From now on SIGINT and SIGTERM stop the program at once, removing its
// temporary files, even when it was started to ignore them (as a background
// job of a script is); SIGHUP does so unless it is ignored.
void StopOnSignals();

// The turn of one run at saving some files: while it is held, every other
// run (another program or thread) that wants a lock on one of them waits.
// The locks are advisory, on hidden lock files beside the files (removed
// when given back), since a save replaces the file itself by another one.
class SaveLock {
 public:
  // Waits at most `wait` for the locks of every file `paths` name (links
  // followed). A folder where no lock file can be made gives no lock and no
  // wait: a save there fails anyway.
  SaveLock(const std::vector<std::string>& paths, std::chrono::milliseconds wait);
  ~SaveLock();
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

  // False when another run held a lock for longer than the wait.
  bool Held() const { return held_; }

 private:
  struct Lock {
    std::string path;
    int descriptor = -1;
    int slot = -1;
  };
  void GiveBack();

  std::vector<Lock> locks_;
  bool held_ = true;
};

// Replaces the file `path` leads to by `bytes`, or creates it, under the rule
// of RefusalToReplace and through a ReplacementFile. Throws WriteError naming
// `path` when it may not or cannot.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quarvel
