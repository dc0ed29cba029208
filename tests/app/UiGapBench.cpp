// Runs a long stand-in load through the Qt host and reports the UI thread's largest event-loop
// gap, the largest gap between wait-window paints and the slowest answer to posted input.
// Usage: qm_bench_ui_gap [SECONDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "FakeEngine.h"
#include "app/QtEngineHost.h"
#include "app/TfmWait.h"
#include "misc/CxIniUtil.h"

namespace {
// Answers posted key presses and records how long each waited.
class Probe : public QWidget {
 public:
  QElapsedTimer clock;
  qint64 worstInputMs = 0;
  int answered = 0;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    qint64 sent = e->text().toLongLong();
    worstInputMs = std::max(worstInputMs, clock.elapsed() - sent);
    ++answered;
  }
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  AppSettings settings;
  CxIniUtil none("/nonexistent/", "none.ini");
  LoadAppSettings(settings, none);
  QtEngineHost host(settings);
  Probe probe;
  probe.resize(200, 100);
  probe.show();
  host.SetOwner(&probe);
  AppEngine engine(settings, host, "");
  ResetFakeEngine();
  FakeEngine().loadMillis = seconds * 1000;

  probe.clock.start();
  qint64 lastTick = 0, worstLoopMs = 0, lastPaintAt = -1, worstPaintMs = 0;
  int lastPaints = 0;
  QTimer tick;
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    qint64 now = probe.clock.elapsed();
    if (lastTick) worstLoopMs = std::max(worstLoopMs, now - lastTick);
    lastTick = now;
    int paints = host.WaitWindow()->PaintCount();
    if (paints != lastPaints) {
      if (lastPaintAt >= 0) worstPaintMs = std::max(worstPaintMs, now - lastPaintAt);
      lastPaintAt = now;
      lastPaints = paints;
    }
  });
  tick.start();
  // The keyboard device is made by the first key event; make it here, not on the input thread.
  QKeyEvent first(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  std::atomic<bool> done{false};
  std::thread input([&] {
    while (!done) {
      QString stamp = QString::number(probe.clock.elapsed());
      QCoreApplication::postEvent(
          &probe, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, stamp));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  bool ok = host.Run([&engine] { return engine.LoadBothSides(kAppPalmDesktop, kAppGoogle); });
  done = true;
  input.join();
  QApplication::processEvents();
  std::printf(
      "load %d s, result %d\nwait-window paints %d, largest paint gap %lld ms\n"
      "largest event-loop gap %lld ms\ninput events %d, slowest answer %lld ms\n",
      seconds, ok, host.WaitWindow()->PaintCount(), worstPaintMs, worstLoopMs, probe.answered,
      probe.worstInputMs);
  return 0;
}
