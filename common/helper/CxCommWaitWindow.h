#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct WaitRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WaitRect&, const WaitRect&) = default;
};

// Everything one paint of the wait window shows, in client coordinates. Texts are drawn on one
// line, vertically centred in their rectangle; the status text and the label in the bold font,
// the seconds in the normal one; blocks filled with kBlockColor on white.
struct WaitFrame {
  std::string statusText;
  WaitRect statusRect;
  std::string elapsedLabel;
  WaitRect elapsedLabelRect;
  std::string elapsedText;
  WaitRect elapsedTextRect;
  std::vector<WaitRect> blocks;
  int elapsedSeconds = 0;
  int cells = 1;
};

// Draws the wait window. Called on the wait window's own thread: an implementation that needs
// its UI thread must hand the work over without waiting for it.
class CxWaitPainter {
 public:
  virtual ~CxWaitPainter() = default;
  // Creates and shows the window; false when it cannot be made (the wait thread then ends).
  virtual bool Open() = 0;
  virtual int ClientWidth() const = 0;
  virtual void Paint(const WaitFrame& frame) = 0;
  // Removes the window and brings its owner back to the front.
  virtual void Close() = 0;
};

// The state of the wait window: a status line set by the engine or read from the running
// helper's status file, the elapsed time and the tick counter that moves the bar of blocks.
// Safe to use from the engine's thread and the wait thread at once.
class CxCommWaitWindow {
 public:
  static constexpr std::chrono::milliseconds kTick{100};
  static constexpr std::size_t kMaxTextBytes = 1023;
  static constexpr int kWindowWidth = 480;
  static constexpr int kWindowHeight = 150;
  static constexpr const char* kFontFamily = "Verdana";
  static constexpr int kFontPixelHeight = 11;
  static constexpr std::uint32_t kBlockColor = 0x0080C0;  // RGB(0, 128, 192)

  void SetText(std::string_view text);
  std::string Text() const;
  // Deletes the file, so that an old run's line is never shown, and reads it on each tick.
  // An empty path stops watching.
  void WatchStatusFile(std::string_view path);
  // One tick: the watched file's first line (when there is one) becomes the text; time advances.
  void Tick();
  WaitFrame Frame(int clientWidth) const;

  void RequestStop();
  // Waits up to one tick for a stop request; true when stopping.
  bool WaitForStop(std::chrono::milliseconds timeout);

  // Blocks that fit a client area of this width; at least one.
  static int CellCount(int clientWidth);
  // The first line of a status file, up to kMaxTextBytes; empty when there is none.
  static std::string ReadStatusLine(const std::string& path);

 private:
  mutable std::mutex lock_;
  std::condition_variable stopSignal_;
  bool stop_ = false;
  std::string text_;
  std::string statusPath_;
  std::int64_t elapsedMs_ = 0;
  std::uint64_t ticks_ = 0;
};

// The one wait window of the process. Each is safe to call when no window is running.
// True when the window's thread started; false when one is already running.
bool StartWaitWindow(std::shared_ptr<CxWaitPainter> painter);
void SetWaitText(std::string_view text);
void WatchStatusFile(std::string_view path);
// Stops the thread and waits for it (at most about one tick plus a paint).
void StopWaitWindow();
// The running window, or null.
std::shared_ptr<CxCommWaitWindow> CurrentWaitWindow();
