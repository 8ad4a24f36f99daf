// What the save tests need of the file system: a picture of a folder to
// compare before and after, the special files a save must never replace, and
// a way to run as a user whom write protection binds.
#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

// For a test of what only POSIX systems have (FIFOs, sockets and device
// nodes in folders, symbolic links for every user, signals, a limit on the
// size of the files a process writes): on Windows it is skipped, saying why.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << "not on Windows: " << why
#else
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

namespace quarvel::testing {

// Every entry under `folder` by its relative path: its kind, its permissions
// and its content (a file's bytes, a link's target), so that two pictures are
// equal exactly when nothing in the folder changed.
using FolderPicture = std::map<std::string, std::string>;
FolderPicture PictureOf(const std::filesystem::path& folder);
// The entry of `path` (relative to `folder`) as PictureOf shows it.
std::string EntryOf(const std::filesystem::path& folder, const std::string& path);

void MakeFifo(const std::string& path);
// A listening Unix socket's node; it stays when the socket is closed.
void MakeSocket(const std::string& path);

// Runs `body` with writes limited to files of `bytes`, the way a full disk
// stops them, also for root.
void WithFullDisk(std::size_t bytes, const std::function<void()>& body);

// Runs `body` as a user without root's right to write every file: here when
// the tests run as a normal user, in a child process that drops to "nobody"
// when they run as root (`folder` is then opened to everyone, so that the
// child may make files in it). Returns what `body` returned, or nullopt when
// no such user can be had; the caller then skips.
std::optional<std::string> RunUnprivileged(const std::filesystem::path& folder,
                                           const std::function<std::string()>& body);

}  // namespace quarvel::testing
