#include "common/FileReplace.h"

#include "common/Error.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace quarvel {

namespace fs = std::filesystem;

namespace {

// ---- Temporary files removed when the program is stopped -------------------
//
// The handler may only use async-signal-safe calls, so the paths live in a
// fixed table of plain character arrays; a slot counts only once its path is
// complete. A save holds at most two temporary files and two lock files at a
// time, and the command line saves up to 64 shapes at once.

constexpr int kSlots = 320;
constexpr std::size_t kPathCapacity = 4096;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kStopSignalCount = sizeof(kStopSignals) / sizeof(kStopSignals[0]);

char temporaryPaths[kSlots][kPathCapacity];
// Where the file goes instead of being removed: the previous version of a
// target, already replaced, is on its way to the backup's name.
char restorePaths[kSlots][kPathCapacity];
volatile std::sig_atomic_t slotInUse[kSlots];
struct sigaction previousActions[kStopSignalCount];
// Taking and giving back slots; the handler only reads.
std::mutex slotsMutex;

void RemoveTemporariesAndStop(int signal) {
  const int savedErrno = errno;
  for (int slot = 0; slot < kSlots; ++slot) {
    if (!slotInUse[slot]) continue;
    if (restorePaths[slot][0] != '\0') {
      ::rename(temporaryPaths[slot], restorePaths[slot]);
    } else {
      ::unlink(temporaryPaths[slot]);
    }
  }
  // The signal is blocked while this runs; once the previous action is back,
  // it ends the program (or reaches the handler that was there before).
  for (int k = 0; k < kStopSignalCount; ++k)
    if (kStopSignals[k] == signal) ::sigaction(signal, &previousActions[k], nullptr);
  errno = savedErrno;
  ::raise(signal);
}

// Asked at every new temporary file, so that a handler the program set up
// since (and that then comes after this one) does not leave files behind.
// `overIgnored` also takes over signals the program was started to ignore.
void InstallHandler(bool overIgnored = false) {
  const std::lock_guard<std::mutex> guard(slotsMutex);
  for (int k = 0; k < kStopSignalCount; ++k) {
    struct sigaction current {};
    if (::sigaction(kStopSignals[k], nullptr, &current) != 0) continue;
    const bool plain = !(current.sa_flags & SA_SIGINFO);
    if (plain && current.sa_handler == RemoveTemporariesAndStop) continue;
    // A program started to ignore the signal (nohup, a background job) goes
    // on ignoring it, unless told otherwise; an ignored SIGHUP always stays
    // ignored, since that is what nohup is for.
    const bool ignored = plain && current.sa_handler == SIG_IGN;
    if (ignored && (!overIgnored || kStopSignals[k] == SIGHUP)) continue;
    previousActions[k] = current;
    if (ignored) previousActions[k].sa_handler = SIG_DFL;
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndStop;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
    ::sigaction(kStopSignals[k], &action, nullptr);
  }
}

// The slot now holding `path`, or -1 when the table is full or the path too
// long (the file is then only removed by its owner).
int RegisterTemporary(const std::string& path) {
  InstallHandler();
  if (path.size() >= kPathCapacity) return -1;
  const std::lock_guard<std::mutex> guard(slotsMutex);
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slotInUse[slot]) continue;
    std::memcpy(temporaryPaths[slot], path.c_str(), path.size() + 1);
    restorePaths[slot][0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slotInUse[slot] = 1;
    return slot;
  }
  return -1;
}

// From now on a stop puts the file of `slot` at `path` instead of removing it.
void RestoreOnStop(int slot, const std::string& path) {
  if (slot < 0 || path.size() >= kPathCapacity) return;
  slotInUse[slot] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(restorePaths[slot], path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  slotInUse[slot] = 1;
}

void ReleaseTemporary(int& slot) {
  if (slot >= 0) {
    const std::lock_guard<std::mutex> guard(slotsMutex);
    slotInUse[slot] = 0;
  }
  slot = -1;
}

// ---- Messages ------------------------------------------------------------------

// The message `text` about `path`, with why the system refused `error`.
Message WithReason(Text text, std::string name, const std::string& path, int error) {
  Message message{text, {{std::move(name), path}}};
  const auto known = [&](Text reason) { message.texts.emplace_back("reason", reason); };
  switch (error) {
    case ENOSPC:
      known(Text::ReasonDiskFull);
      break;
    case EDQUOT:
      known(Text::ReasonQuota);
      break;
    case EFBIG:
      known(Text::ReasonTooLarge);
      break;
    case EACCES:
    case EPERM:
      known(Text::ReasonPermission);
      break;
    case EROFS:
      known(Text::ReasonReadOnlyDisk);
      break;
    case ENOENT:
      known(Text::ReasonNoFolder);
      break;
    case ENOTDIR:
      known(Text::ReasonNotAFolder);
      break;
    case EIO:
      known(Text::ReasonIo);
      break;
    default:
      message.values.emplace_back("reason", std::strerror(error));
  }
  return message;
}

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

// The temporary files of this program: ".qv-PID-NUMBER.tmp", so that a
// later save can tell those of a run that was killed. Short on purpose: a
// long shape name plus a suffix must not exceed the file system's limit for
// a name.
constexpr std::string_view kTemporaryPrefix = ".qv-";
constexpr std::string_view kTemporarySuffix = ".tmp";

std::string TemporaryNameIn(const std::string& folder) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  return (fs::path(folder) /
          (std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
           std::to_string(random() % 1000000000) + std::string(kTemporarySuffix)))
      .string();
}

// The process that made the temporary file `name`, 0 when it is none of ours.
pid_t OwnerOfTemporary(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0) return 0;
  pid_t pid = 0;
  for (const char c : name.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// Removes the temporary files that runs killed before they could clean up
// left in `folder`: ours by name, made by a process that is gone. Looked at
// once per folder and program run, since a route's folder holds thousands of
// files and a run saves hundreds of shapes there.
void RemoveLeftTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> looked;
  {
    const std::lock_guard<std::mutex> guard(mutex);
    if (!looked.insert(fs::absolute(folder).lexically_normal().string()).second) return;
  }
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    const pid_t owner = OwnerOfTemporary(name);
    // A process that cannot be signalled for lack of permission is alive.
    if (owner <= 0 || owner == ::getpid() || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
    struct stat info {};
    if (::lstat(entry->path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
      ::unlink(entry->path().c_str());
  }
}

// Renames are durable only once the folder that holds the names is on disk.
void SyncFolder(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  // Some file systems cannot sync a folder; the renames are done all the same.
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::string FollowLinks(const std::string& path) {
  // Links are followed as written: "folder/link/../x" may mean another file
  // than its lexical shortening when "link" leads to a folder.
  fs::path current(path);
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current.string();
    std::error_code error;
    const fs::path next = fs::read_symlink(current, error);
    if (error) return current.string();
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return path;
}

std::optional<Message> RefusalToReplace(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    // Nothing there: the new file is made (a missing folder fails then).
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return WithReason(Text::NotAccessible, "path", path, errno);
  }
  const TextValues named = {{"path", path}};
  if (S_ISDIR(info.st_mode)) return Message{Text::FolderNotReplaced, named};
  if (S_ISLNK(info.st_mode)) return Message{Text::DanglingLinkNotReplaced, named};
  if (!S_ISREG(info.st_mode)) return Message{Text::SpecialFileNotReplaced, named};
  // A rename would go over a write-protected file as long as the folder is
  // writable; the protection is the user's word that the file stays.
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return Message{Text::WriteProtectedNotReplaced, named};
  return std::nullopt;
}

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  const std::string folder = FolderOf(target_);
  RemoveLeftTemporaries(folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = TemporaryNameIn(folder);
    descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ >= 0) {
      temporary_ = candidate;
      slot_ = RegisterTemporary(temporary_);
      return;
    }
    if (errno != EEXIST) break;
  }
  Fail(WithReason(Text::CannotCreateIn, "folder", folder, errno));
}

ReplacementFile::~ReplacementFile() {
  RemoveTemporary();
}

void ReplacementFile::Fail(Message message) {
  if (!failure_) failure_ = std::move(message);
}

void ReplacementFile::RemoveTemporary() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  ReleaseTemporary(slot_);
}

bool ReplacementFile::Write(const char* data, std::size_t size) {
  while (!failure_ && size > 0) {
    const ssize_t written = ::write(descriptor_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(WithReason(Text::NotWrittenCompletely, "path", target_, errno));
      break;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return !failure_;
}

std::optional<Message> ReplacementFile::PutInPlace(const std::string& backup) {
  struct stat old {};
  const bool hadTarget = ::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (!failure_ && hadTarget) {
    // Root saving a user's shape leaves it the user's; anyone else cannot
    // change the owner and keeps their own.
    if (::fchown(descriptor_, old.st_uid, old.st_gid) != 0) {
    }
    ::fchmod(descriptor_, old.st_mode & 07777);
  }
  if (!failure_ && ::fsync(descriptor_) != 0)
    Fail(WithReason(Text::NotWrittenToDisk, "path", target_, errno));
  if (descriptor_ >= 0 && ::close(descriptor_) != 0)
    Fail(WithReason(Text::NotWrittenCompletely, "path", target_, errno));
  descriptor_ = -1;
  if (failure_) {
    RemoveTemporary();
    return failure_;
  }

  const auto cannotReplace = [&](int error) {
    return WithReason(Text::NotReplaced, "path", target_, error);
  };
  const auto cannotBackUp = [&](int error) {
    return WithReason(Text::BackupNotMade, "backup", backup, error);
  };
  const auto moveIntoPlace = [&]() -> int {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return errno;
    temporary_.clear();
    ReleaseTemporary(slot_);
    return 0;
  };

  if (!backup.empty() && hadTarget) {
    // With a second name for the present file the target never goes missing:
    // the new version replaces it in one step, then the old one takes the
    // backup's name in one step.
    const std::string oldVersion = TemporaryNameIn(FolderOf(target_));
    if (::link(target_.c_str(), oldVersion.c_str()) == 0) {
      int oldSlot = RegisterTemporary(oldVersion);
      if (const int error = moveIntoPlace(); error != 0) {
        ::unlink(oldVersion.c_str());
        ReleaseTemporary(oldSlot);
        RemoveTemporary();
        return cannotReplace(error);
      }
      // The target is new now: a stop from here on finishes the backup.
      RestoreOnStop(oldSlot, backup);
      if (::rename(oldVersion.c_str(), backup.c_str()) != 0) {
        const int error = errno;
        // Undone: the target is the old version again.
        ::rename(oldVersion.c_str(), target_.c_str());
        ReleaseTemporary(oldSlot);
        SyncFolder(FolderOf(target_));
        return cannotBackUp(error);
      }
      ReleaseTemporary(oldSlot);
    } else {
      // No hard links on this file system (FAT, some network shares): the
      // present file moves to the backup's name first.
      if (::rename(target_.c_str(), backup.c_str()) != 0) {
        const int error = errno;
        RemoveTemporary();
        return cannotBackUp(error);
      }
      if (const int error = moveIntoPlace(); error != 0) {
        ::rename(backup.c_str(), target_.c_str());
        RemoveTemporary();
        return cannotReplace(error);
      }
    }
  } else if (const int error = moveIntoPlace(); error != 0) {
    RemoveTemporary();
    return cannotReplace(error);
  }
  SyncFolder(FolderOf(target_));
  return std::nullopt;
}

void StopOnSignals() {
  InstallHandler(true);
}

namespace {

// The lock file of `path`: hidden beside it, named by a hash of the file's
// name so that even the longest name gives a name the file system takes.
std::string LockPathFor(const std::string& path) {
  const std::string target = FollowLinks(path);
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (const char c : fs::path(target).filename().string()) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, ".qv-%016llx.lock", static_cast<unsigned long long>(hash));
  return (fs::path(FolderOf(target)) / name).string();
}

}  // namespace

SaveLock::SaveLock(const std::vector<std::string>& paths, std::chrono::milliseconds wait) {
  std::vector<std::string> lockPaths;
  for (const std::string& path : paths) lockPaths.push_back(LockPathFor(path));
  // One order for every run, so that two runs never wait for each other.
  std::sort(lockPaths.begin(), lockPaths.end());
  lockPaths.erase(std::unique(lockPaths.begin(), lockPaths.end()), lockPaths.end());
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (const std::string& lockPath : lockPaths) {
    for (;;) {
      const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      if (descriptor < 0) break;
      if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        // The run before may have removed the file while this one waited on
        // it: only the file that has the name counts.
        struct stat held {
        }, named{};
        if (::fstat(descriptor, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
          locks_.push_back({lockPath, descriptor, RegisterTemporary(lockPath)});
          break;
        }
      } else if (errno != EWOULDBLOCK && errno != EINTR) {
        ::close(descriptor);
        break;  // a file system without locks: no turns to take
      }
      ::close(descriptor);
      if (std::chrono::steady_clock::now() >= deadline) {
        held_ = false;
        GiveBack();
        return;
      }
      // Short enough that the waiting run follows at once, long enough
      // not to keep a core busy.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

SaveLock::~SaveLock() {
  GiveBack();
}

void SaveLock::GiveBack() {
  // Removed before the lock is given back, so that whoever waits on this
  // file sees it gone and makes a new one.
  for (auto lock = locks_.rbegin(); lock != locks_.rend(); ++lock) {
    ::unlink(lock->path.c_str());
    ReleaseTemporary(lock->slot);
    ::close(lock->descriptor);
  }
  locks_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string target = FollowLinks(path);
  if (RefusalToReplace(target)) throw WriteError(path);
  ReplacementFile file(target);
  file.Write(bytes.data(), bytes.size());
  if (file.PutInPlace()) throw WriteError(path);
}

}  // namespace quarvel
