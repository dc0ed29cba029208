#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qmtest-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path with a trailing separator, the form folders take in this code base.
  std::string folder() const { return path_ + "/"; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` to `rel` inside the folder, making the folders on the way; returns its path.
  std::string Write(const std::string& rel, std::string_view bytes) const {
    const std::string p = file(rel);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  template <class Byte>
  std::string Write(const std::string& rel, const std::vector<Byte>& bytes) const {
    return Write(rel, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// What a command run through the shell left: its exit status (-1 when it did not exit), its
// standard output and, when it went to a file, its standard error.
struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `command` with standard output captured. Standard error goes to `errFile` (read back into
// `err`) or, without one, to /dev/null. A file of the test's own keeps parallel tests apart.
inline CommandRun RunCommand(const std::string& command, const std::string& errFile = {}) {
  CommandRun r;
  const std::string full = command + " 2>'" + (errFile.empty() ? "/dev/null" : errFile) + "'";
  FILE* p = popen(full.c_str(), "r");
  if (!p) return r;
  char buf[65536];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  if (!errFile.empty()) r.err = ReadFile(errFile);
  return r;
}
