#include "helper/CxCommWaitWindow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "misc/Utf8.h"

namespace {

struct WaitSlot {
  std::mutex lock;
  std::shared_ptr<CxCommWaitWindow> window;
  std::thread thread;

  ~WaitSlot() {
    if (window) window->RequestStop();
    if (thread.joinable()) thread.join();
  }
};

WaitSlot& Slot() {
  static WaitSlot slot;
  return slot;
}

void WaitThread(std::shared_ptr<CxCommWaitWindow> window, std::shared_ptr<CxWaitPainter> painter) {
  if (painter->Open()) {
    painter->Paint(window->Frame(painter->ClientWidth()));
    while (!window->WaitForStop(CxCommWaitWindow::kTick)) {
      window->Tick();
      painter->Paint(window->Frame(painter->ClientWidth()));
    }
    painter->Close();
  }
  std::lock_guard<std::mutex> guard(Slot().lock);
  if (Slot().window == window) Slot().window.reset();
}

}  // namespace

void CxCommWaitWindow::SetText(std::string_view text) {
  std::string copy(Utf8Prefix(text, kMaxTextBytes));
  std::lock_guard<std::mutex> guard(lock_);
  text_ = std::move(copy);
}

std::string CxCommWaitWindow::Text() const {
  std::lock_guard<std::mutex> guard(lock_);
  return text_;
}

void CxCommWaitWindow::WatchStatusFile(std::string_view path) {
  std::string p(path);
  if (!p.empty()) ::unlink(p.c_str());
  std::lock_guard<std::mutex> guard(lock_);
  statusPath_ = std::move(p);
}

void CxCommWaitWindow::Tick() {
  std::string path;
  {
    std::lock_guard<std::mutex> guard(lock_);
    path = statusPath_;
  }
  std::string line = path.empty() ? std::string() : ReadStatusLine(path);
  std::lock_guard<std::mutex> guard(lock_);
  if (!line.empty()) text_ = std::move(line);
  elapsedMs_ += kTick.count();
  ++ticks_;
}

int CxCommWaitWindow::CellCount(int clientWidth) {
  // Narrower than the margins: one cell, never a division by zero.
  int cells = (clientWidth - 40) / 25 + 1;
  return cells < 1 ? 1 : cells;
}

WaitFrame CxCommWaitWindow::Frame(int clientWidth) const {
  WaitFrame f;
  std::uint64_t ticks = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    f.statusText = text_;
    f.elapsedSeconds = static_cast<int>(elapsedMs_ / 1000);
    ticks = ticks_;
  }
  const int top = 0;
  const int width = clientWidth > 20 ? clientWidth - 20 : 0;
  f.statusRect = {20, top, width, 50};
  f.elapsedLabel = "Time Elapsed:";
  f.elapsedLabelRect = {20, top + 30, width, 50};
  f.elapsedText = std::to_string(f.elapsedSeconds) + " seconds";
  f.elapsedTextRect = {140, top + 30, width > 120 ? width - 120 : 0, 50};
  f.cells = CellCount(clientWidth);
  auto shown = static_cast<int>(ticks % static_cast<std::uint64_t>(f.cells));
  for (int i = 0; i < shown; ++i) f.blocks.push_back(WaitRect{20 + 25 * i, top + 100, 20, 12});
  return f;
}

void CxCommWaitWindow::RequestStop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  stopSignal_.notify_all();
}

bool CxCommWaitWindow::WaitForStop(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> guard(lock_);
  return stopSignal_.wait_for(guard, timeout, [this] { return stop_; });
}

std::string CxCommWaitWindow::ReadStatusLine(const std::string& path) {
  // Non-blocking open: a FIFO in the status file's place must not hang the wait window.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat st {};
  std::string line;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // A little more than is kept, so that a character cut at the limit is recognised as such.
    char buf[kMaxTextBytes + 4];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) line.assign(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  std::size_t end = line.find_first_of("\r\n");
  if (end != std::string::npos) line.resize(end);
  return std::string(Utf8Prefix(line, kMaxTextBytes));
}

bool StartWaitWindow(std::shared_ptr<CxWaitPainter> painter) {
  if (!painter) return false;
  WaitSlot& slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  if (slot.window) return false;
  // A thread that ended on its own (its window could not be made) is collected here.
  if (slot.thread.joinable()) slot.thread.join();
  // Published before the thread runs, so the engine's first texts are never lost.
  auto window = std::make_shared<CxCommWaitWindow>();
  slot.window = window;
  try {
    slot.thread = std::thread(WaitThread, window, std::move(painter));
  } catch (const std::system_error&) {
    slot.window.reset();
    return false;
  }
  return true;
}

std::shared_ptr<CxCommWaitWindow> CurrentWaitWindow() {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return Slot().window;
}

void SetWaitText(std::string_view text) {
  if (auto w = CurrentWaitWindow()) w->SetText(text);
}

void WatchStatusFile(std::string_view path) {
  if (auto w = CurrentWaitWindow()) w->WatchStatusFile(path);
}

void StopWaitWindow() {
  std::shared_ptr<CxCommWaitWindow> window;
  std::thread thread;
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    window = std::move(Slot().window);
    thread = std::move(Slot().thread);
  }
  if (window) window->RequestStop();
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id())
    thread.detach();
  else
    thread.join();
}
