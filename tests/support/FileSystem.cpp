#include "support/FileSystem.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "common/Utf8Path.h"
#include "support/FormFixture.h"

namespace quarvel::testing {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// Windows knows of a file only whether it is read-only: 666 or 444.
std::string Kind(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) return "missing";
  char octal[16];
  std::snprintf(octal, sizeof(octal), " %o", static_cast<unsigned>(status.permissions()) & 0777u);
  const std::string mode = octal;
  if (fs::is_directory(status)) return "folder" + mode;
  return "file" + mode + ": " + ReadBytes(Utf8Of(path));
}

}  // namespace

FolderPicture PictureOf(const fs::path& folder) {
  FolderPicture picture;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    std::string name = Utf8Of(it->path().lexically_relative(folder));
    std::replace(name.begin(), name.end(), '\\', '/');
    picture[name] = Kind(it->path());
  }
  return picture;
}

std::string EntryOf(const fs::path& folder, const std::string& path) {
  return Kind(folder / PathOf(path));
}

void MakeFifo(const std::string&) {
  throw std::runtime_error("Windows has no FIFOs in folders");
}

void MakeSocket(const std::string&) {
  throw std::runtime_error("Windows has no socket nodes in folders");
}

void WithFullDisk(std::size_t, const std::function<void()>&) {
  throw std::runtime_error("Windows has no limit on the size of files a process writes");
}

// Read-only attributes bind every user on Windows, administrators too.
std::optional<std::string> RunUnprivileged(const fs::path&,
                                           const std::function<std::string()>& body) {
  return body();
}

#else

namespace {

constexpr uid_t kNobody = 65534;

std::string Kind(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return "missing";
  char octal[16];
  std::snprintf(octal, sizeof(octal), " %o", static_cast<unsigned>(info.st_mode & 07777));
  const std::string mode = octal;
  if (S_ISLNK(info.st_mode)) return "link to " + fs::read_symlink(path).string();
  if (S_ISDIR(info.st_mode)) return "folder" + mode;
  if (S_ISFIFO(info.st_mode)) return "fifo" + mode;
  if (S_ISSOCK(info.st_mode)) return "socket" + mode;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "device" + mode;
  return "file" + mode + ": " + ReadBytes(path.string());
}

}  // namespace

FolderPicture PictureOf(const fs::path& folder) {
  FolderPicture picture;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it)
    picture[it->path().lexically_relative(folder).string()] = Kind(it->path());
  return picture;
}

std::string EntryOf(const fs::path& folder, const std::string& path) {
  return Kind(folder / path);
}

void MakeFifo(const std::string& path) {
  if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path);
}

void MakeSocket(const std::string& path) {
  const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) throw std::runtime_error("socket path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const bool bound =
      ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(descriptor);
  if (!bound) throw std::runtime_error("bind " + path);
}

void WithFullDisk(std::size_t bytes, const std::function<void()>& body) {
  struct Limit {
    rlimit saved{};
    void (*previousHandler)(int) = SIG_DFL;
    ~Limit() {
      ::setrlimit(RLIMIT_FSIZE, &saved);
      std::signal(SIGXFSZ, previousHandler);
    }
  } limit;
  if (::getrlimit(RLIMIT_FSIZE, &limit.saved) != 0) throw std::runtime_error("getrlimit");
  // A write beyond the limit then fails with EFBIG instead of ending the program.
  limit.previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = limit.saved;
  small.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_FSIZE, &small) != 0) throw std::runtime_error("setrlimit");
  body();
}

std::optional<std::string> RunUnprivileged(const fs::path& folder,
                                           const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  fs::permissions(folder, fs::perms::all);
  int pipe[2];
  if (::pipe(pipe) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    ::close(pipe[0]);
    std::string result = "\x01";  // no user to drop to
    if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
      result = body();
    for (std::size_t done = 0; done < result.size();) {
      const ssize_t written = ::write(pipe[1], result.data() + done, result.size() - done);
      if (written <= 0) break;
      done += static_cast<std::size_t>(written);
    }
    ::_exit(0);  // no destructors: the folders belong to the parent
  }
  ::close(pipe[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof(buffer))) > 0;)
    result.append(buffer, static_cast<std::size_t>(got));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return "the unprivileged child failed with status " + std::to_string(status);
  if (result == "\x01") return std::nullopt;
  return result;
}

#endif

}  // namespace quarvel::testing
