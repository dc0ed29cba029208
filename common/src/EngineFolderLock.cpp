#include "src/EngineFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

EngineFolderLock::Result EngineFolderLock::Acquire(const std::string& folder) {
  Release();
  error_.clear();
  std::string path = folder + kFileName;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error_ = path + ": " + std::strerror(errno);
    return Result::kFailed;
  }
  int rc = 0;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Result::kBusy;
    error_ = path + ": " + std::strerror(err);
    return Result::kFailed;
  }
  fd_ = fd;
  return Result::kHeld;
}

void EngineFolderLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing drops the flock
  fd_ = -1;
}
