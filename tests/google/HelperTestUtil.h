#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"

// Little-endian bytes as the exchange files hold them.
class Bytes {
 public:
  Bytes& I32(std::int32_t v) {
    for (int i = 0; i < 4; ++i)
      s_ += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& Text(const std::string& t) {
    I32(static_cast<std::int32_t>(t.size()));
    s_ += t;
    return *this;
  }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};

// A working folder and a helper folder holding the stand-in helper under a chosen name.
class HelperSandbox {
 public:
  explicit HelperSandbox(const std::string& helperName = "GFakeUtil",
                         const std::string& helperSubfolder = "helpers")
      : helperFolder_(helpers_.folder() + helperSubfolder + "/") {
    std::filesystem::create_directories(helperFolder_);
    if (!helperName.empty())
      std::filesystem::create_symlink(std::string(QM_BIN_DIR) + "/fake_helper",
                                      helperFolder_ + helperName);
  }
  const std::string& helperFolder() const { return helperFolder_; }
  std::string folder() const { return work_.folder(); }
  std::string file(const std::string& name) const { return work_.file(name); }
  void Switches(const std::string& lines) { WriteFile(file("FakeHelper.ini"), "[Fake]\n" + lines); }

  struct Run {
    long pid = 0;
    int argc = 0;
    std::string op, cwd, arg;
  };
  std::vector<Run> Trace() const {
    std::vector<Run> runs;
    std::istringstream in(ReadFile(file("FakeHelperTrace.txt")));
    std::string line;
    static const std::regex form("pid=(\\d+) argc=(\\d+) op=(.*) cwd=(.*) arg=(.*)");
    std::smatch m;
    while (std::getline(in, line))
      if (std::regex_match(line, m, form))
        runs.push_back(Run{std::stol(m[1]), std::stoi(m[2]), m[3], m[4], m[5]});
    return runs;
  }

 private:
  TempDir work_;
  TempDir helpers_;
  std::string helperFolder_;
};

// True when the child ended within the time (or was already collected by someone else).
inline bool WaitForExit(long pid, std::chrono::milliseconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

inline void KillAndCollect(long pid) {
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  WaitForExit(pid, std::chrono::seconds(5));
}
