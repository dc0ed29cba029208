#pragma once

#include <memory>
#include <string>

// What the engine shows the user goes through this interface; the wizard implements it on its
// own thread. Without one installed, messages go to the debug log only.
class UserPrompt {
 public:
  enum Icon { kError, kInformation, kWarning };
  virtual ~UserPrompt() = default;
  virtual void ShowMessage(const std::string& caption, const std::string& text, Icon icon) = 0;
};

// The process-wide prompt; never null.
UserPrompt& TheUserPrompt();
// Installs a prompt (null restores the logging one). The caller keeps it alive while installed.
void SetUserPrompt(UserPrompt* prompt);
