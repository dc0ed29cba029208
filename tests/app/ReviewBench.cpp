// Fills a review list with many contacts and reports how long the fill, the first paint and a
// sort take. Usage: qm_bench_review [COUNT]
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>

#include "FakeEngine.h"
#include "app/QtEngineHost.h"
#include "app/TfmData.h"
#include "misc/CxIniUtil.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  AppSettings settings;
  CxIniUtil none("/nonexistent/", "none.ini");
  LoadAppSettings(settings, none);
  settings.SyncAddr = true;
  settings.SyncDate = false;
  QtEngineHost host(settings);
  AppEngine engine(settings, host, "");
  ResetFakeEngine();
  FakeManyContacts(count);
  engine.LoadBothSides(kAppPalmDesktop, kAppGoogle);
  WizardContext ctx{settings, engine, host, "", {}, {}};
  TfmPDData page(ctx, nullptr);
  page.resize(746, 470);
  page.show();
  QApplication::processEvents();

  QElapsedTimer t;
  t.start();
  page.UpdatePage(false);
  const qint64 fill = t.nsecsElapsed();
  page.repaint();
  QApplication::processEvents();
  const qint64 shown = t.nsecsElapsed();
  t.restart();
  page.List(kTypeContacts)->sortByColumn(0, Qt::AscendingOrder);
  page.repaint();
  const qint64 sorted = t.nsecsElapsed();
  t.restart();
  page.List(kTypeContacts)->scrollToBottom();
  page.repaint();
  const qint64 scrolled = t.nsecsElapsed();
  std::printf(
      "records %d\nfill %.1f ms\nfill+paint %.1f ms\nsort by name %.1f ms\n"
      "scroll to end %.1f ms\n",
      page.Model(kTypeContacts)->rowCount(), fill / 1e6, shown / 1e6, sorted / 1e6, scrolled / 1e6);
  return 0;
}
