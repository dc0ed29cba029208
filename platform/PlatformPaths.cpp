#include "platform/PlatformPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string DataHome() {
  // XDG: a relative value is invalid and must be ignored.
  std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty() && xdg.front() == '/') return StripTrailingSeparators(xdg);
  std::string home = Env("HOME");
  if (home.empty()) return {};
  return StripTrailingSeparators(home) + "/.local/share";
}

std::string DocumentsFolder() {
  std::string xdg = Env("XDG_DOCUMENTS_DIR");
  if (!xdg.empty() && xdg.front() == '/') return StripTrailingSeparators(xdg);
  std::string home = Env("HOME");
  if (home.empty()) return {};
  return StripTrailingSeparators(home) + "/Documents";
}

std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "./";
  std::string path(buf.data(), static_cast<size_t>(n));
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

bool EnsureFolder(const std::string& path) {
  if (path.empty()) return false;
  std::string p = StripTrailingSeparators(path);
  if (::mkdir(p.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
