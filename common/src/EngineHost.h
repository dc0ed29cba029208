#pragma once

#include <string>

// Everything the engine shows the person goes through a host: the console host of
// `quillmove-cli migrate` and the wizard's Qt host. The engine's drivers run on one worker thread
// and call the host from it; a host that needs its own (UI) thread hands the call over and, for
// the calls that return an answer or must be seen before the work goes on, waits for it. No
// engine code knows which host it has.
class EngineHost {
 public:
  enum class Icon { kError, kInformation, kWarning };

  virtual ~EngineHost() = default;

  // The wait window over the parent window: opened with a text, its text changed, told to show
  // the first line of a helper's status file (which the model deletes first; empty path: stop),
  // and closed. Opening an open window changes its text.
  virtual void OpenWaitWindow(const std::string& text) = 0;
  virtual void SetWaitText(const std::string& text) = 0;
  virtual void WatchStatusFile(const std::string& path) = 0;
  virtual void CloseWaitWindow() = 0;

  // A modal message box; returns when the person has dismissed it. Errors are captioned "Error".
  virtual void ShowMessage(const std::string& caption, const std::string& text, Icon icon) = 0;

  // The error-report dialog of the submit guard, with what was caught.
  virtual void ShowErrorReport(const std::string& what) = 0;

  // A load that kept only part of its input, or a file skipped by a helper: the load goes on.
  // The console host prints it; the wizard shows it once the load has ended.
  virtual void Warn(const std::string& text) = 0;
};
