#include "misc/UserPrompt.h"

#include <atomic>

#include "misc/CxDebugUtil.h"

namespace {

class LoggingPrompt final : public UserPrompt {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, Icon) override {
    QM_LOG_ERROR("%s: %s", caption.c_str(), text.c_str());
  }
};

LoggingPrompt g_logging;
std::atomic<UserPrompt*> g_prompt{nullptr};

}  // namespace

UserPrompt& TheUserPrompt() {
  UserPrompt* p = g_prompt.load();
  return p ? *p : g_logging;
}

void SetUserPrompt(UserPrompt* prompt) {
  g_prompt.store(prompt);
}
