#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

namespace platform {
namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Writes `content` to a fresh temporary beside `path`; empty on failure.
std::string WriteTemporary(const std::string& path, std::string_view content, mode_t mode,
                           bool flush) {
  std::random_device rd;
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    tmp = path + ".tmp" + std::to_string(rd());
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) return {};
  }
  if (fd < 0) return {};
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && (!flush || ::fsync(fd) == 0);
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmp.c_str());
    return {};
  }
  return tmp;
}

void SyncFolder(const std::string& path) {
  int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  if (path.empty()) return false;
  std::string tmp = WriteTemporary(path, content, mode, true);
  if (tmp.empty()) return false;
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  SyncFolder(path);  // makes the rename itself durable
  return true;
}

AtomicFileBatch::~AtomicFileBatch() {
  for (const auto& [tmp, path] : staged_) ::unlink(tmp.c_str());
}

bool AtomicFileBatch::Stage(const std::string& path, std::string_view content, mode_t mode) {
  if (path.empty()) return false;
  std::string tmp = WriteTemporary(path, content, mode, false);
  if (tmp.empty()) return false;
  staged_.emplace_back(std::move(tmp), path);
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
  for (const std::string& folder : folders) SyncFolder(folder + "/x");
  return failed;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace platform
