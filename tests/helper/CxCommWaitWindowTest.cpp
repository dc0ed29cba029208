#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>

#include "google/HelperTestUtil.h"
#include "helper/CxCommWaitWindow.h"
#include "helper/CxHelperDataReader.h"

namespace {

using namespace std::chrono_literals;

TEST(CxCommWaitWindow, CellsForClientWidths) {
  struct {
    int width;
    int cells;
  } cases[] = {{480, 18}, {478, 18}, {465, 18}, {464, 17}, {65, 2},  {64, 1},
               {40, 1},   {39, 1},   {15, 1},   {0, 1},    {-100, 1}};
  for (auto c : cases) EXPECT_EQ(CxCommWaitWindow::CellCount(c.width), c.cells) << c.width;
}

TEST(CxCommWaitWindow, TicksMoveTimeAndBlocks) {
  CxCommWaitWindow w;
  w.SetText("Loading Google Contacts ...");
  for (int i = 0; i < 25; ++i) w.Tick();
  WaitFrame f = w.Frame(480);
  EXPECT_EQ(f.elapsedSeconds, 2);
  EXPECT_EQ(f.elapsedText, "2 seconds");
  EXPECT_EQ(f.statusText, "Loading Google Contacts ...");
  ASSERT_EQ(f.blocks.size(), 7u);  // 25 mod 18
  EXPECT_EQ(f.blocks[0], (WaitRect{20, 100, 20, 12}));
  EXPECT_EQ(f.blocks[6], (WaitRect{170, 100, 20, 12}));
  for (int i = 25; i < 36; ++i) w.Tick();
  EXPECT_TRUE(w.Frame(480).blocks.empty());  // wrapped after 2 x 18 ticks
  // The last block stays inside the client area.
  for (int i = 0; i < 17; ++i) w.Tick();
  WaitFrame full = w.Frame(480);
  ASSERT_EQ(full.blocks.size(), 17u);
  EXPECT_LE(full.blocks.back().x + full.blocks.back().width, 480 - 20);
  // A window narrower than its margins still draws without dividing by zero.
  EXPECT_TRUE(w.Frame(10).blocks.empty());
}

TEST(CxCommWaitWindow, StatusFileFirstLine) {
  TempDir dir;
  std::string path = dir.file("GAddrStatus.dat");
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), "");
  WriteFile(path, "Loaded 10 of 200\r\nsecond line\r\n");
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), "Loaded 10 of 200");
  WriteFile(path, std::string(5000, 'x'));
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), std::string(1023, 'x'));
  // A cut that would split a character keeps the whole ones only.
  WriteFile(path, std::string(1022, 'x') + "\xE2\x82\xAC tail");
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), std::string(1022, 'x'));
  WriteFile(path, std::string("ab\0cd\n", 6));
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), "ab");
  WriteFile(path, "\nafter an empty line");
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(path), "");
  // Not a regular file: never blocks, never read.
  std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(fifo), "");
  EXPECT_EQ(CxCommWaitWindow::ReadStatusLine(dir.path()), "");
}

TEST(CxCommWaitWindow, WatchedFileReplacesTextOnlyWhenItHasALine) {
  TempDir dir;
  std::string path = dir.file("GAddrStatus.dat");
  WriteFile(path, "left from an earlier run");
  CxCommWaitWindow w;
  w.SetText("Loading Google Contacts ...");
  w.WatchStatusFile(path);
  EXPECT_FALSE(std::filesystem::exists(path));
  w.Tick();
  EXPECT_EQ(w.Text(), "Loading Google Contacts ...");
  WriteFile(path, "Contact 1 of 3\n");
  w.Tick();
  EXPECT_EQ(w.Text(), "Contact 1 of 3");
  WriteFile(path, "");
  w.Tick();
  EXPECT_EQ(w.Text(), "Contact 1 of 3");
  std::filesystem::remove(path);
  w.Tick();
  EXPECT_EQ(w.Text(), "Contact 1 of 3");
  WriteFile(path, "Contact 3 of 3\n");
  w.WatchStatusFile("");
  w.Tick();
  EXPECT_EQ(w.Text(), "Contact 1 of 3");
  w.SetText(std::string(2000, 'y'));
  EXPECT_EQ(w.Text().size(), 1023u);
}

class FakePainter : public CxWaitPainter {
 public:
  explicit FakePainter(bool opens = true) : opens_(opens) {}
  bool Open() override {
    opened = true;
    return opens_;
  }
  int ClientWidth() const override { return 478; }
  void Paint(const WaitFrame& f) override {
    std::lock_guard<std::mutex> g(lock);
    frames.push_back(f);
  }
  void Close() override { closed = true; }

  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> g(lock);
    std::vector<std::string> t;
    for (const auto& f : frames)
      if (t.empty() || t.back() != f.statusText) t.push_back(f.statusText);
    return t;
  }
  std::size_t Frames() {
    std::lock_guard<std::mutex> g(lock);
    return frames.size();
  }

  std::atomic<bool> opened{false};
  std::atomic<bool> closed{false};
  std::mutex lock;
  std::vector<WaitFrame> frames;

 private:
  bool opens_;
};

TEST(WaitWindow, ThreadPaintsUntilStopped) {
  SetWaitText("nobody listens");  // no window: nothing happens
  StopWaitWindow();
  auto painter = std::make_shared<FakePainter>();
  ASSERT_TRUE(StartWaitWindow(painter));
  // Set at once after the start: not lost.
  SetWaitText("Loading information from Google account ...");
  EXPECT_FALSE(StartWaitWindow(std::make_shared<FakePainter>()));  // one at a time
  auto until = std::chrono::steady_clock::now() + 5s;
  while (painter->Frames() < 3 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  StopWaitWindow();
  EXPECT_TRUE(painter->opened);
  EXPECT_TRUE(painter->closed);
  EXPECT_EQ(CurrentWaitWindow(), nullptr);
  std::size_t frames = painter->Frames();
  EXPECT_GE(frames, 3u);
  EXPECT_EQ(painter->Texts().back(), "Loading information from Google account ...");
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(painter->Frames(), frames);  // nothing after the stop
  // A new window may follow.
  auto next = std::make_shared<FakePainter>();
  ASSERT_TRUE(StartWaitWindow(next));
  StopWaitWindow();
  EXPECT_TRUE(next->closed);
}

TEST(WaitWindow, WindowThatCannotBeMadeEndsItsThread) {
  auto painter = std::make_shared<FakePainter>(false);
  ASSERT_TRUE(StartWaitWindow(painter));
  auto until = std::chrono::steady_clock::now() + 5s;
  while (CurrentWaitWindow() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(CurrentWaitWindow(), nullptr);
  EXPECT_EQ(painter->Frames(), 0u);
  EXPECT_FALSE(painter->closed);
  auto next = std::make_shared<FakePainter>();
  ASSERT_TRUE(StartWaitWindow(next));
  StopWaitWindow();
}

// The engine's way: watch the helper's status file, run the helper, and the window follows the
// lines the helper writes.
TEST(WaitWindow, ShowsTheStatusLinesOfARunningHelper) {
  HelperSandbox box;
  box.Switches("StatusLines=3\nStatusDelayMs=150\n");
  WriteFile(box.file("GFakeStatus.dat"), "stale");
  auto painter = std::make_shared<FakePainter>();
  ASSERT_TRUE(StartWaitWindow(painter));
  SetWaitText("Loading Fake ...");
  WatchStatusFile(box.file("GFakeStatus.dat"));

  // The helper reads the status file name from its parameters.
  std::string params = Bytes()
                           .I32(2)
                           .I32(1003)
                           .I32(8)
                           .Text(box.folder())
                           .I32(1010)
                           .I32(8)
                           .Text("GFakeStatus.dat")
                           .str();
  WriteFile(box.file("GFakeParam.dat"), params);
  CxHelperDataReader r;
  r.SetHelperFolder(box.helperFolder());
  r.SetProgram("GFakeUtil");
  r.SetFolder(box.folder());
  r.SetParamFileName("GFakeParam.dat");
  EXPECT_EQ(r.Run(), HelperRunResult::kExited);
  std::this_thread::sleep_for(200ms);
  StopWaitWindow();

  auto texts = painter->Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "Status line 3");
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "stale"), 0);
}

}  // namespace
