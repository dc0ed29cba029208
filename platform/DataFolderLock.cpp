#include "platform/DataFolderLock.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>

namespace platform {
namespace {

struct Hold {
  int fd = -1;
  int count = 0;
};

// flock belongs to an open file: a second open in this process would be refused like another
// program's, so the process keeps one per folder and counts its holders.
std::mutex& TableLock() {
  static std::mutex m;
  return m;
}

std::map<std::string, Hold>& Table() {
  static std::map<std::string, Hold> t;
  return t;
}

std::string Canonical(const std::string& folder) {
  char buf[PATH_MAX];
  if (::realpath(folder.c_str(), buf)) return buf;
  return folder;
}

}  // namespace

bool DataFolderLock::Lock(const std::string& folder) {
  Unlock();
  error_.clear();
  std::string shown = folder.empty() ? std::string(".") : folder;
  std::string key = Canonical(shown);
  std::lock_guard<std::mutex> guard(TableLock());
  Hold& hold = Table()[key];
  if (hold.count > 0) {
    ++hold.count;
    key_ = key;
    return true;
  }
  std::string path = key + "/" + kLockFileName;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error_ = "The data folder " + shown + " cannot be locked: " + std::strerror(errno) + ".";
    Table().erase(key);
    return false;
  }
  int r;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    int e = errno;
    ::close(fd);
    Table().erase(key);
    if (e == EWOULDBLOCK)
      error_ = "Another Quillmove program is using the data folder " + shown + ".";
    else
      error_ = "The data folder " + shown + " cannot be locked: " + std::strerror(e) + ".";
    return false;
  }
  hold.fd = fd;
  hold.count = 1;
  key_ = key;
  return true;
}

void DataFolderLock::Unlock() {
  if (key_.empty()) return;
  std::lock_guard<std::mutex> guard(TableLock());
  auto it = Table().find(key_);
  if (it != Table().end() && --it->second.count <= 0) {
    // Closing the last descriptor of the open file releases the flock.
    ::close(it->second.fd);
    Table().erase(it);
  }
  key_.clear();
}

}  // namespace platform
