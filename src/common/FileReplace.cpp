#include "common/FileReplace.h"

#include "common/Error.h"
#include "common/Utf8Path.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifndef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kStopSignalCount = sizeof(kStopSignals) / sizeof(kStopSignals[0]);
#endif

char temporaryPaths[kSlots][kPathCapacity];
// Where the file goes instead of being removed: the previous version of a
// target, already replaced, is on its way to the backup's name.
char restorePaths[kSlots][kPathCapacity];
volatile std::sig_atomic_t slotInUse[kSlots];
// Taking and giving back slots; the handler only reads.
std::mutex slotsMutex;

#ifdef _WIN32

std::wstring Wide(std::string_view utf8) {
  return PathOf(utf8).wstring();
}

// Windows has no signals to stop a console program: Ctrl-C, Ctrl-Break and
// closing the console window reach this handler, in a thread of its own,
// before the system ends the process. A lock file stays behind (this
// process still has it open); it holds no lock once the process is gone,
// and the next save beside it removes it.
BOOL WINAPI RemoveTemporariesAndStop(DWORD) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (!slotInUse[slot]) continue;
    if (restorePaths[slot][0] != '\0') {
      ::MoveFileExW(Wide(temporaryPaths[slot]).c_str(), Wide(restorePaths[slot]).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
      ::DeleteFileW(Wide(temporaryPaths[slot]).c_str());
    }
  }
  return FALSE;  // on to the system's handler, which ends the process
}

void InstallHandler(bool = false) {
  static std::once_flag installed;
  std::call_once(installed, [] { ::SetConsoleCtrlHandler(RemoveTemporariesAndStop, TRUE); });
}

#else

struct sigaction previousActions[kStopSignalCount];

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

#endif

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

#ifndef _WIN32
// From now on a stop puts the file of `slot` at `path` instead of removing it.
void RestoreOnStop(int slot, const std::string& path) {
  if (slot < 0 || path.size() >= kPathCapacity) return;
  slotInUse[slot] = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(restorePaths[slot], path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  slotInUse[slot] = 1;
}
#endif

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
#ifdef EDQUOT
    case EDQUOT:
      known(Text::ReasonQuota);
      break;
#endif
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

#ifdef _WIN32

// The POSIX error that says what the Windows one `error` says, where the
// messages know it; 0 for the rest.
int PosixErrorOf(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return EIO;
    default:
      return 0;
  }
}

// The message `text` about `path`, with why Windows refused (GetLastError).
Message WithSystemReason(Text text, std::string name, const std::string& path, DWORD error) {
  if (const int known = PosixErrorOf(error); known != 0)
    return WithReason(text, std::move(name), path, known);
  Message message{text, {{std::move(name), path}}};
  wchar_t* words = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
  std::string reason =
      length > 0 ? Utf8Of(fs::path(std::wstring(words, length))) : "error " + std::to_string(error);
  if (words != nullptr) ::LocalFree(words);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
    reason.pop_back();
  message.values.emplace_back("reason", reason);
  return message;
}

// A handle on whatever `path` names (links followed), asking for no access,
// so that folders and files open by others answer too.
HANDLE OpenForQuestions(const std::string& path) {
  return ::CreateFileW(Wide(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

unsigned long ProcessId() {
  return ::GetCurrentProcessId();
}

bool ProcessIsGone(unsigned long pid) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  // Access denied: a process of another user, alive.
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool gone = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  ::CloseHandle(process);
  return gone;
}

// Renames `from` over `to` in one step, written through. Another program
// reading `to` (an editor, a virus scanner, a second run checking it) blocks
// the rename for a moment on Windows, so it is tried for a while.
DWORD MoveOver(const std::wstring& from, const std::wstring& to) {
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                      error == ERROR_LOCK_VIOLATION;
    if (!busy || attempt == 100) return error;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void RemoveIfRegularFile(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return;
  ::DeleteFileW(path.c_str());
}

#else

unsigned long ProcessId() {
  return static_cast<unsigned long>(::getpid());
}

#endif

std::string FolderOf(const std::string& path) {
  const fs::path folder = PathOf(path).parent_path();
  return folder.empty() ? std::string(".") : Utf8Of(folder);
}

// The temporary files of this program: ".qv-PID-NUMBER.tmp", so that a
// later save can tell those of a run that was killed. Short on purpose: a
// long shape name plus a suffix must not exceed the file system's limit for
// a name.
constexpr std::string_view kTemporaryPrefix = ".qv-";
constexpr std::string_view kTemporarySuffix = ".tmp";

std::string TemporaryNameIn(const std::string& folder) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  return Utf8Of(PathOf(folder) /
                (std::string(kTemporaryPrefix) + std::to_string(ProcessId()) + "-" +
                 std::to_string(random() % 1000000000) + std::string(kTemporarySuffix)));
}

// The process that made the temporary file `name`, 0 when it is none of ours.
unsigned long OwnerOfTemporary(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0) return 0;
  unsigned long pid = 0;
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
    std::error_code error;
    if (!looked.insert(Utf8Of(fs::absolute(PathOf(folder), error).lexically_normal())).second)
      return;
  }
  std::error_code error;
  for (fs::directory_iterator entry(PathOf(folder), error), end; !error && entry != end;
       entry.increment(error)) {
    const unsigned long owner = OwnerOfTemporary(Utf8Of(entry->path().filename()));
    if (owner == 0 || owner == ProcessId()) continue;
#ifdef _WIN32
    if (ProcessIsGone(owner)) RemoveIfRegularFile(entry->path());
#else
    // A process that cannot be signalled for lack of permission is alive.
    if (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
    struct stat info {};
    if (::lstat(entry->path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
      ::unlink(entry->path().c_str());
#endif
  }
}

#ifndef _WIN32

// Renames are durable only once the folder that holds the names is on disk.
void SyncFolder(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  // Some file systems cannot sync a folder; the renames are done all the same.
  ::fsync(descriptor);
  ::close(descriptor);
}

#endif

}  // namespace

#ifdef _WIN32

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const HANDLE file = OpenForQuestions(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::string FollowLinks(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return path;
  // The system follows the whole chain of links when it opens the file; a
  // link to nothing stays as it is (and is refused by RefusalToReplace).
  const HANDLE file = OpenForQuestions(path);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring target(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(file, target.data(), MAX_PATH, FILE_NAME_NORMALIZED);
  if (length >= MAX_PATH) {
    target.resize(length);
    length = ::GetFinalPathNameByHandleW(file, target.data(), length, FILE_NAME_NORMALIZED);
  }
  ::CloseHandle(file);
  if (length == 0 || length > target.size()) return path;
  target.resize(length);
  // "\\?\C:\..." and "\\?\UNC\server\..." as the user writes them.
  if (target.starts_with(L"\\\\?\\UNC\\"))
    target = L"\\\\" + target.substr(8);
  else if (target.starts_with(L"\\\\?\\"))
    target = target.substr(4);
  return Utf8Of(fs::path(target));
}

std::optional<Message> RefusalToReplace(const std::string& path) {
  const TextValues named = {{"path", path}};
  // Devices (NUL, CON, COM1, pipes) answer to file names, in every folder.
  if (const HANDLE file = OpenForQuestions(path); file != INVALID_HANDLE_VALUE) {
    const bool disk = ::GetFileType(file) == FILE_TYPE_DISK;
    ::CloseHandle(file);
    if (!disk) return Message{Text::SpecialFileNotReplaced, named};
  }
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    // Nothing there: the new file is made (a missing folder fails then).
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    return WithSystemReason(Text::NotAccessible, "path", path, error);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Message{Text::FolderNotReplaced, named};
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return Message{Text::DanglingLinkNotReplaced, named};
  // ReplaceFileW would go over a read-only file; the attribute is the user's
  // word that the file stays.
  if (attributes & FILE_ATTRIBUTE_READONLY) return Message{Text::WriteProtectedNotReplaced, named};
  return std::nullopt;
}

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  const std::string folder = FolderOf(target_);
  RemoveLeftTemporaries(folder);
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    const std::string candidate = TemporaryNameIn(folder);
    // Shared for deleting, so that a stop can remove it while it is open.
    const HANDLE file = ::CreateFileW(Wide(candidate).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = ::GetLastError();
      continue;
    }
    descriptor_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_WRONLY);
    if (descriptor_ < 0) {
      ::CloseHandle(file);
      ::DeleteFileW(Wide(candidate).c_str());
      break;
    }
    temporary_ = candidate;
    slot_ = RegisterTemporary(temporary_);
    return;
  }
  Fail(WithSystemReason(Text::CannotCreateIn, "folder", folder, error));
}

void ReplacementFile::RemoveTemporary() {
  if (descriptor_ >= 0) ::_close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::DeleteFileW(Wide(temporary_).c_str());
  temporary_.clear();
  ReleaseTemporary(slot_);
}

std::optional<Message> ReplacementFile::PutInPlace(const std::string& backup) {
  const DWORD attributes = ::GetFileAttributesW(Wide(target_).c_str());
  const bool hadTarget =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!failure_ && !::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor_))))
    Fail(WithSystemReason(Text::NotWrittenToDisk, "path", target_, ::GetLastError()));
  if (descriptor_ >= 0 && ::_close(descriptor_) != 0)
    Fail(WithReason(Text::NotWrittenCompletely, "path", target_, errno));
  descriptor_ = -1;
  if (failure_) {
    RemoveTemporary();
    return failure_;
  }

  const std::wstring target = Wide(target_), temporary = Wide(temporary_);
  if (hadTarget) {
    // The new version looks as the old one did (hidden, say); the
    // read-only attribute is not there, or the save would have been refused.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = attributes & kKept;
    ::SetFileAttributesW(temporary.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
  }
  const auto cannotReplace = [&](DWORD error) {
    return WithSystemReason(Text::NotReplaced, "path", target_, error);
  };
  const auto cannotBackUp = [&](DWORD error) {
    return WithSystemReason(Text::BackupNotMade, "backup", backup, error);
  };

  if (!backup.empty() && hadTarget) {
    // As on POSIX systems: with a second name for the present file the
    // target never goes missing, which ReplaceFileW does not promise (a
    // reader between its two renames finds no file).
    const std::string oldVersion = TemporaryNameIn(FolderOf(target_));
    const std::wstring old = Wide(oldVersion);
    if (::CreateHardLinkW(old.c_str(), target.c_str(), nullptr)) {
      int oldSlot = RegisterTemporary(oldVersion);
      if (const DWORD error = MoveOver(temporary, target); error != ERROR_SUCCESS) {
        ::DeleteFileW(old.c_str());
        ReleaseTemporary(oldSlot);
        RemoveTemporary();
        return cannotReplace(error);
      }
      temporary_.clear();
      ReleaseTemporary(slot_);
      if (const DWORD error = MoveOver(old, Wide(backup)); error != ERROR_SUCCESS) {
        // Undone: the target is the old version again.
        MoveOver(old, target);
        ReleaseTemporary(oldSlot);
        return cannotBackUp(error);
      }
      ReleaseTemporary(oldSlot);
      return std::nullopt;
    }
    // No hard links on this file system (FAT, some shares): the system's
    // own replacement, which also makes the backup.
    const std::wstring backupName = Wide(backup);
    if (!::ReplaceFileW(target.c_str(), temporary.c_str(), backupName.c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      const DWORD error = ::GetLastError();
      // The present file went to the backup's name but the new one could
      // not follow it: the old version takes its name again.
      if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        ::MoveFileExW(backupName.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
      RemoveTemporary();
      return cannotReplace(error);
    }
  } else if (const DWORD error = MoveOver(temporary, target); error != ERROR_SUCCESS) {
    RemoveTemporary();
    return cannotReplace(error);
  }
  temporary_.clear();
  ReleaseTemporary(slot_);
  return std::nullopt;
}

#else

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

void ReplacementFile::RemoveTemporary() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  ReleaseTemporary(slot_);
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

#endif

ReplacementFile::~ReplacementFile() {
  RemoveTemporary();
}

bool ReplacementFile::Write(const char* data, std::size_t size) {
  while (!failure_ && size > 0) {
#ifdef _WIN32
    const int written = ::_write(descriptor_, data, std::min<std::size_t>(size, 1u << 30));
#else
    const ssize_t written = ::write(descriptor_, data, size);
#endif
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

void ReplacementFile::Fail(Message message) {
  if (!failure_) failure_ = std::move(message);
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
  for (const char c : Utf8Of(PathOf(target).filename())) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char name[40];
  std::snprintf(name, sizeof name, ".qv-%016llx.lock", static_cast<unsigned long long>(hash));
  return Utf8Of(PathOf(FolderOf(target)) / name);
}

struct LockAttempt {
  enum Kind { kHeld, kBusy, kNone } kind;
  int descriptor = -1;
};

}  // namespace

#ifdef _WIN32

namespace {

// Opened without sharing the right to delete: a lock file nobody holds open
// can be removed, one that another run has opened cannot, so the file a run
// locks is always the one with the name.
int OpenLockFile(const std::string& lockPath) {
  const HANDLE file = ::CreateFileW(Wide(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_RDWR);
  if (descriptor < 0) ::CloseHandle(file);
  return descriptor;
}

// One try at the lock file `lockPath`: held (with its descriptor), held by
// another run for now, or not to be had at all (no lock files there).
LockAttempt TryLock(const std::string& lockPath) {
  const int descriptor = OpenLockFile(lockPath);
  if (descriptor < 0) {
    // A run giving its lock back may be deleting the file just now.
    const bool beingRemoved =
        ::GetLastError() == ERROR_ACCESS_DENIED &&
        ::GetFileAttributesW(Wide(lockPath).c_str()) != INVALID_FILE_ATTRIBUTES;
    return {beingRemoved ? LockAttempt::kBusy : LockAttempt::kNone};
  }
  OVERLAPPED whole{};
  const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
  if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
    return {LockAttempt::kHeld, descriptor};
  const DWORD error = ::GetLastError();
  ::_close(descriptor);
  return {error == ERROR_LOCK_VIOLATION ? LockAttempt::kBusy : LockAttempt::kNone};
}

}  // namespace

void SaveLock::GiveBack() {
  // Closed first (which gives the lock back), then removed: the removal
  // fails, and the file stays, while another run has it open to wait on it.
  for (auto lock = locks_.rbegin(); lock != locks_.rend(); ++lock) {
    ReleaseTemporary(lock->slot);
    ::_close(lock->descriptor);
    ::DeleteFileW(Wide(lock->path).c_str());
  }
  locks_.clear();
}

#else

namespace {

LockAttempt TryLock(const std::string& lockPath) {
  const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) return {LockAttempt::kNone};
  if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
    // The run before may have removed the file while this one waited on
    // it: only the file that has the name counts.
    struct stat held {
    }, named{};
    if (::fstat(descriptor, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      return {LockAttempt::kHeld, descriptor};
  } else if (errno != EWOULDBLOCK && errno != EINTR) {
    ::close(descriptor);
    return {LockAttempt::kNone};  // a file system without locks: no turns to take
  }
  ::close(descriptor);
  return {LockAttempt::kBusy};
}

}  // namespace

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

#endif

SaveLock::SaveLock(const std::vector<std::string>& paths, std::chrono::milliseconds wait) {
  std::vector<std::string> lockPaths;
  for (const std::string& path : paths) lockPaths.push_back(LockPathFor(path));
  // One order for every run, so that two runs never wait for each other.
  std::sort(lockPaths.begin(), lockPaths.end());
  lockPaths.erase(std::unique(lockPaths.begin(), lockPaths.end()), lockPaths.end());
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (const std::string& lockPath : lockPaths) {
    for (;;) {
      const LockAttempt attempt = TryLock(lockPath);
      if (attempt.kind == LockAttempt::kHeld) {
        locks_.push_back({lockPath, attempt.descriptor, RegisterTemporary(lockPath)});
        break;
      }
      if (attempt.kind == LockAttempt::kNone) break;
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

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string target = FollowLinks(path);
  if (RefusalToReplace(target)) throw WriteError(path);
  ReplacementFile file(target);
  file.Write(bytes.data(), bytes.size());
  if (file.PutInPlace()) throw WriteError(path);
}

}  // namespace quarvel
