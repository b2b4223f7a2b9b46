#include "platform/base/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace files {
namespace {

// mkstemp's pattern: the name of the file, hidden, with six characters of its own.
constexpr std::string_view kTemporaryTail = "XXXXXX";
// A new temporary that an earlier writer's clean-up removed before it was locked is made again.
constexpr int kTemporaryTries = 8;

std::string SystemMessage(int code) { return std::generic_category().message(code); }

// True for the names ReplaceFile gives the temporaries of target: ".<target>.XXXXXX", the X being
// letters and digits.
bool IsTemporaryOf(const std::string& name, const std::string& target) {
  const std::string prefix = "." + target + ".";
  if (name.size() != prefix.size() + kTemporaryTail.size() || !name.starts_with(prefix)) {
    return false;
  }
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

// True when path still names the file open on fd.
bool StillNames(int fd, const std::string& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// A new locked temporary beside the target; -1 (errno set) when none can be made.
int CreateLockedTemporary(const std::filesystem::path& folder, const std::string& target,
                          std::string& path) {
  for (int attempt = 0; attempt < kTemporaryTries; ++attempt) {
    path = (folder / ("." + target + "." + std::string(kTemporaryTail))).string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX) == 0 && StillNames(fd, path)) return fd;
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

// A writer keeps its temporary locked until the rename, so one whose lock can be taken was left
// by a writer that died.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& target) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::filesystem::path path = it->path();
    if (!IsTemporaryOf(path.filename().string(), target)) continue;
    std::error_code statusError;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, statusError))) {
      continue;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || executable.empty()) return std::filesystem::current_path(error);
  return executable.parent_path();
}

bool WriteSyncedFile(const std::filesystem::path& fileName, std::string_view bytes,
                     std::string& error) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot create " + fileName.string() + ": " + SystemMessage(errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    error = "cannot write " + fileName.string() + ": " + SystemMessage(writeErrno);
    ::unlink(fileName.c_str());
  }
  return ok;
}

bool RenameSynced(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string& error) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = "cannot replace " + to.string() + ": " + SystemMessage(errno);
    return false;
  }
  SyncFolder(to.has_parent_path() ? to.parent_path() : std::filesystem::path("."));
  return true;
}

bool ReplaceFile(const std::filesystem::path& fileName, std::string_view bytes,
                 std::string& error) {
  const std::filesystem::path folder =
      fileName.has_parent_path() ? fileName.parent_path() : std::filesystem::path(".");
  const std::string target = fileName.filename().string();
  RemoveStaleTemporaries(folder, target);

  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(fileName.c_str(), &existing) == 0) mode = existing.st_mode & 07777;

  std::string temporary;
  const int fd = CreateLockedTemporary(folder, target, temporary);
  if (fd < 0) {
    error =
        "cannot create a temporary file beside " + fileName.string() + ": " + SystemMessage(errno);
    return false;
  }
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (!ok) error = "cannot write " + fileName.string() + ": " + SystemMessage(errno);
  ok = ok && RenameSynced(temporary, fileName, error);
  if (!ok) ::unlink(temporary.c_str());
  // The lock is held until the temporary has its final name or is gone.
  ::close(fd);
  return ok;
}

}  // namespace files
