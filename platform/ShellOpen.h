#pragma once

#include <functional>
#include <string>

// The shell's "open" verb: hands a file, folder or address to the desktop's default handler.
namespace platform {

// Starts the launcher ("xdg-open") with the target as its one argument and does not wait for
// it. False on an empty target or when the launcher cannot be started.
bool ShellOpen(const std::string& target);

using ShellLauncher = std::function<bool(const std::string& target)>;
// Replaces how targets are opened (tests); an empty function restores xdg-open.
void SetShellLauncher(ShellLauncher launcher);

}  // namespace platform
