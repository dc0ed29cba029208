#include "platform/ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <mutex>
#include <thread>
#include <utility>

extern char** environ;

namespace platform {
namespace {

struct LauncherSlot {
  std::mutex lock;
  ShellLauncher launcher;
};

LauncherSlot& Slot() {
  static LauncherSlot slot;
  return slot;
}

bool SpawnXdgOpen(const std::string& target) {
  // A file named "-x" would otherwise be read as an option.
  std::string arg = target.front() == '-' ? "./" + target : target;
  std::string program = "xdg-open";
  char* argv[] = {program.data(), arg.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  // Nobody waits for the handler, but its exit status must still be collected.
  std::thread([pid] {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace

bool ShellOpen(const std::string& target) {
  if (target.empty()) return false;
  ShellLauncher launcher;
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    launcher = Slot().launcher;
  }
  return launcher ? launcher(target) : SpawnXdgOpen(target);
}

void SetShellLauncher(ShellLauncher launcher) {
  std::lock_guard<std::mutex> guard(Slot().lock);
  Slot().launcher = std::move(launcher);
}

}  // namespace platform
