#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A symbolic link's final target; the path itself when it is no link (or a dangling one, whose
// target is then made).
std::string LinkTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    char buf[PATH_MAX];
    ssize_t n = ::readlink(current.c_str(), buf, sizeof buf - 1);
    if (n < 0) return current;
    std::string target(buf, static_cast<std::size_t>(n));
    current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
  }
  return current;
}

void SyncFolder(const std::string& folder) {
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

bool AtomicFileWriter::Failed(int error) {
  if (!failed_) error_ = std::strerror(error);
  failed_ = true;
  return false;
}

void AtomicFileWriter::Fail(int error) {
  Failed(error);
}

bool AtomicFileWriter::Open(const std::string& path, mode_t mode, bool replaceLinkTarget) {
  Abort();
  failed_ = false;
  error_.clear();
  if (path.empty()) return Failed(ENOENT);
  path_ = replaceLinkTarget ? LinkTarget(path) : path;
  // Two writers of one file never share a temporary. One seed per thread: a submit stages
  // thousands of files, and the system's random source costs an open and a read each time.
  thread_local std::mt19937_64 rng{std::random_device{}() ^
                                   (static_cast<std::uint64_t>(::getpid()) << 32)};
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    temp_ = path_ + ".tmp" + std::to_string(rng()) + std::to_string(::getpid());
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temp_.clear();
    return Failed(errno);
  }
  // The umask must not widen or narrow what was asked for.
  if (::fchmod(fd_, mode) != 0) {
    int e = errno;
    Abort();
    return Failed(e);
  }
  return true;
}

bool AtomicFileWriter::Write(std::string_view data) {
  if (fd_ < 0 || failed_) return false;
  while (!data.empty()) {
    ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(errno);
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool AtomicFileWriter::Commit(bool sync) {
  if (fd_ < 0) return failed_ ? false : Failed(EBADF);
  if (failed_) {
    std::string reason = error_;
    Abort();
    error_ = reason;
    failed_ = true;
    return false;
  }
  int e = 0;
  if (sync && ::fsync(fd_) != 0) e = errno;
  // A full disk may only show when the file is closed (network and some local file systems).
  if (::close(fd_) != 0 && e == 0) e = errno;
  fd_ = -1;
  if (e == 0 && ::rename(temp_.c_str(), path_.c_str()) != 0) e = errno;
  if (e != 0) {
    ::unlink(temp_.c_str());
    temp_.clear();
    return Failed(e);
  }
  temp_.clear();
  if (sync) SyncFolder(FolderOf(path_));  // makes the rename itself durable
  return true;
}

std::string AtomicFileWriter::CloseUnrenamed() {
  if (fd_ < 0 || failed_) {
    Abort();
    return {};
  }
  int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) {
    Failed(errno);
    Abort();
    return {};
  }
  return std::exchange(temp_, std::string());
}

void AtomicFileWriter::Abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode,
                         std::string* error) {
  AtomicFileWriter w;
  bool ok = w.Open(path, mode) && w.Write(content) && w.Commit();
  if (!ok && error) *error = w.Error();
  return ok;
}

AtomicFileBatch::~AtomicFileBatch() {
  for (const auto& [tmp, path] : staged_) ::unlink(tmp.c_str());
}

bool AtomicFileBatch::Stage(const std::string& path, std::string_view content, mode_t mode) {
  AtomicFileWriter w;
  if (!w.Open(path, mode) || !w.Write(content)) return false;
  std::string tmp = w.CloseUnrenamed();
  if (tmp.empty()) return false;
  staged_.emplace_back(std::move(tmp), w.Path());
  return true;
}

std::vector<std::string> AtomicFileBatch::Commit() {
  std::vector<std::string> failed;
  if (staged_.empty()) return failed;
  // One sync for every temporary: their data is on disk before any of them is renamed.
  int any = ::open(staged_.front().first.c_str(), O_RDONLY | O_CLOEXEC);
  bool synced = any >= 0 && ::syncfs(any) == 0;
  if (any >= 0) ::close(any);
  std::vector<std::string> folders;
  for (const auto& [tmp, path] : staged_) {
    if (!synced || ::rename(tmp.c_str(), path.c_str()) != 0) {
      ::unlink(tmp.c_str());
      failed.push_back(path);
      continue;
    }
    std::string folder = FolderOf(path);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  staged_.clear();
  for (const std::string& folder : folders) SyncFolder(folder);
  return failed;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<std::uintmax_t>(st.st_size) <= maxBytes;
  char buf[65536];
  while (ok) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    out.append(buf, static_cast<std::size_t>(n));
    ok = out.size() <= maxBytes;  // it may grow while we read
  }
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

}  // namespace platform
