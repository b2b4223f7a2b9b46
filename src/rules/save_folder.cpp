#include "rules/save_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace game {

TSaveFolder::~TSaveFolder() {
  if (fd_ >= 0) ::close(fd_);
}

bool TSaveFolder::Take(const std::filesystem::path& folder) {
  if (fd_ >= 0) return true;
  if (elsewhere_) return false;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;  // not made yet (or unreadable: the save itself says why)
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    fd_ = fd;
    return true;
  }
  const int error = errno;
  ::close(fd);
  // A file system without flock keeps no game from saving, as before there was a lock.
  elsewhere_ = error == EWOULDBLOCK;
  return !elsewhere_;
}

std::string SaveFolderTakenMessage(const std::filesystem::path& folder) {
  return "保存のフォルダ「" + folder.string() +
         "」は、起動中のもう一つのゲームが使っています。このゲームでは保存せずに遊びます。";
}

}  // namespace game
