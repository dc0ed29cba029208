#include "helper/CxHelperDataReader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "platform/AsciiCase.h"
#include "platform/PlatformPaths.h"

extern char** environ;

namespace {

// Helpers that outlived their wait. They are never killed, but once they end their exit status
// must still be collected, or each would stay behind as a zombie.
struct Abandoned {
  std::mutex lock;
  std::vector<pid_t> pids;
};

Abandoned& AbandonedHelpers() {
  static Abandoned a;
  return a;
}

void Abandon(pid_t pid) {
  std::lock_guard<std::mutex> guard(AbandonedHelpers().lock);
  AbandonedHelpers().pids.push_back(pid);
}

void ReapAbandoned() {
  Abandoned& a = AbandonedHelpers();
  std::lock_guard<std::mutex> guard(a.lock);
  std::erase_if(a.pids, [](pid_t pid) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
  });
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  return platform::EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".exe");
}

std::string CurrentDirectory() {
  std::vector<char> buf(4096);
  if (!::getcwd(buf.data(), buf.size())) return {};
  return buf.data();
}

// Waits for the child to end; false on time-out. `status` gets the wait status.
enum class WaitOutcome { kEnded, kTimedOut, kFailed };

WaitOutcome WaitForChild(pid_t pid, std::chrono::milliseconds limit, int& status, int& error) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + limit;
  auto remaining = [&] {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : left.count();
  };
  int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    for (;;) {
      pollfd p{pidfd, POLLIN, 0};
      long long left = remaining();
      int timeout = left > 60000 ? 60000 : static_cast<int>(left);
      int r = ::poll(&p, 1, timeout);
      if (r > 0) break;
      if (r < 0 && errno != EINTR) {
        error = errno;
        ::close(pidfd);
        return WaitOutcome::kFailed;
      }
      if (r == 0 && remaining() == 0) {
        ::close(pidfd);
        return WaitOutcome::kTimedOut;
      }
    }
    ::close(pidfd);
    for (;;) {
      pid_t r = ::waitpid(pid, &status, 0);
      if (r == pid) return WaitOutcome::kEnded;
      if (r < 0 && errno != EINTR) {
        error = errno;
        return WaitOutcome::kFailed;
      }
    }
  }
  // Kernels without pidfd: poll the child's state.
  for (;;) {
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WaitOutcome::kEnded;
    if (r < 0 && errno != EINTR) {
      error = errno;
      return WaitOutcome::kFailed;
    }
    if (remaining() == 0) return WaitOutcome::kTimedOut;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class SpawnAttributes {
 public:
  SpawnAttributes() {
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attr);
  }
  ~SpawnAttributes() {
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attr);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
};

}  // namespace

CxHelperDataReader::CxHelperDataReader() : helperFolder_(platform::ExecutableFolder()) {}

CxHelperDataReader::~CxHelperDataReader() {
  Release();
  ReapAbandoned();
  failure_.clear();
  if (!paramFileName_.empty()) ::unlink((folder_ + paramFileName_).c_str());
  if (!dataFileName_.empty()) ::unlink((folder_ + dataFileName_).c_str());
}

void CxHelperDataReader::SetHelperFolder(std::string_view folder) {
  helperFolder_ = std::string(folder);
  if (!helperFolder_.empty() && helperFolder_.back() != '/') helperFolder_ += '/';
}

void CxHelperDataReader::Release() {
  if (pid_ > 0) Abandon(pid_);
  pid_ = -1;
}

std::string CxHelperDataReader::ResolveProgram() const {
  std::string path = helperFolder_ + program_;
  if (IsExecutableFile(path) || !EndsWithExe(program_)) return path;
  std::string bare = path.substr(0, path.size() - 4);
  return IsExecutableFile(bare) ? bare : path;
}

HelperRunResult CxHelperDataReader::Run() {
  Release();
  ReapAbandoned();

  // The process's own current directory stays as it is (other threads rely on it); the helper
  // gets its directory through the spawn instead.
  QM_LOG_INFO("Original current directory: %s", CurrentDirectory().c_str());
  std::string current = currentFolder_.empty() ? helperFolder_ : currentFolder_;
  QM_LOG_INFO("Set current directory: %s", current.c_str());

  std::string program = ResolveProgram();
  std::string paramPath = folder_ + paramFileName_;
  QM_LOG_INFO("Executing command: \"%s\" \"%s\"", program.c_str(), paramPath.c_str());

  SpawnAttributes sa;
  int err = 0;
  if (!current.empty()) err = ::posix_spawn_file_actions_addchdir_np(&sa.actions, current.c_str());
  // No console to read from; and none of our own files go with it.
  if (!err)
    err = ::posix_spawn_file_actions_addopen(&sa.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!err) err = ::posix_spawn_file_actions_addclosefrom_np(&sa.actions, STDERR_FILENO + 1);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  if (!err) err = ::posix_spawnattr_setsigmask(&sa.attr, &none);
  if (!err) err = ::posix_spawnattr_setsigdefault(&sa.attr, &defaults);
  if (!err) {
    auto flags = static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    err = ::posix_spawnattr_setflags(&sa.attr, flags);
  }

  std::string arg0 = program;
  char* argv[] = {arg0.data(), paramPath.data(), nullptr};
  pid_t pid = -1;
  if (!err) err = ::posix_spawn(&pid, program.c_str(), &sa.actions, &sa.attr, argv, environ);
  if (err) {
    QM_LOG_ERROR("CreateProcess Error: %s", std::strerror(err));
    failure_ =
        "The helper program " + program + " could not be started: " + std::strerror(err) + ".";
    return HelperRunResult::kStartFailed;
  }
  QM_LOG_INFO("Command executed successfully.");

  int status = 0;
  int waitError = 0;
  switch (WaitForChild(pid, waitLimit_, status, waitError)) {
    case WaitOutcome::kEnded:
      if (WIFSIGNALED(status)) {
        QM_LOG_ERROR("Helper utility program ended by signal %d.", WTERMSIG(status));
        failure_ = "The helper program " + program + " ended abnormally (" +
                   strsignal(WTERMSIG(status)) + ").";
        return HelperRunResult::kSignalled;
      }
      QM_LOG_INFO("Helper utility program exited successfully.");
      return HelperRunResult::kExited;
    case WaitOutcome::kTimedOut:
      QM_LOG_INFO("The helper utility program has no response. Got timeout event.");
      pid_ = pid;
      return HelperRunResult::kTimedOut;
    case WaitOutcome::kFailed:
      break;
  }
  QM_LOG_ERROR("Got unexpected error, return code=%d", waitError);
  failure_ =
      "Waiting for the helper program " + program + " failed: " + std::strerror(waitError) + ".";
  pid_ = pid;
  return HelperRunResult::kWaitFailed;
}
