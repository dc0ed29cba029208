// A harness, not a test: walks the wizard over the real engine, the demo Palm installation, the
// demo data of Outlook, ACT! and Lotus Notes and our helper programs, and saves a PNG of every page
// and dialog into a folder, to be looked at. Usage: qm_wizard_shots FOLDER [--dark]   (run under a
// display, e.g. xvfb-run; QT_SCALE_FACTOR for high-DPI shots). --dark uses a dark palette, as a
// dark desktop theme would.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "RoadsDemo.h"
#include "app/AppPrompt.h"
#include "app/QtEngineHost.h"
#include "app/TfmACTOption.h"
#include "app/TfmData.h"
#include "app/TfmDebug.h"
#include "app/TfmDump.h"
#include "app/TfmFinish.h"
#include "app/TfmGGOption.h"
#include "app/TfmLNOption1.h"
#include "app/TfmLNOption2.h"
#include "app/TfmMain.h"
#include "app/TfmOLOption.h"
#include "app/TfmPDOption.h"
#include "app/TfmSource.h"
#include "app/TfmWait.h"
#include "demo/PmDemoInstall.h"
#include "misc/CxIniUtil.h"
#include "palm/PmUsers.h"
#include "platform/Registry.h"

namespace {

QString out;

void Shot(QWidget* w, const QString& name) {
  QApplication::processEvents();
  QString path = out + "/" + name + ".png";
  if (!w->grab().save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
  std::printf("%s\n", qPrintable(path));
}

// Prints the boxes instead of waiting for a click.
class PrintingPrompt : public AppPrompt {
 public:
  void ShowMessage(QWidget*, const QString& caption, const QString& text,
                   EngineHost::Icon) override {
    std::printf("box %s: %s\n", qPrintable(caption), qPrintable(text));
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QStringList&) override {
    return {};
  }
  bool OpenUrl(const QUrl&) override { return true; }
  void ShowErrorReport(QWidget*, AppSettings&, const QString& what) override {
    std::printf("report: %s\n", qPrintable(what));
  }
};

void SetDark(QApplication& app) {
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  p.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
  p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  p.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
  p.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
  p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
  p.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
  p.setColor(QPalette::Highlight, QColor(0x3d, 0x6e, 0xa8));
  p.setColor(QPalette::HighlightedText, Qt::white);
  // Dark themes bring a light link colour; Qt's default blue is unreadable on this window.
  p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
  p.setColor(QPalette::LinkVisited, QColor(0xb4, 0x9c, 0xff));
  p.setColor(QPalette::ToolTipBase, QColor(0x33, 0x33, 0x33));
  p.setColor(QPalette::ToolTipText, QColor(0xe0, 0xe0, 0xe0));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  QApplication::setPalette(p);
}

// The review page's tabs of the types shown, one shot each.
void ShootReview(TfmMain& m, TfmData* page, const QString& prefix) {
  if (m.CurrentPage() != page) {
    std::fprintf(stderr, "%s: not on the review page\n", qPrintable(prefix));
    return;
  }
  const char* names[] = {"contacts", "calendar", "tasks", "notes"};
  for (int type = kTypeContacts; type <= kTypeNotes; ++type) {
    if (!page->TabShown(type)) continue;
    page->pData->setCurrentIndex(type);
    Shot(&m, prefix + QLatin1String(names[type]));
  }
  page->pData->setCurrentIndex(kTypeContacts);
}

// From the source page to the first option page of a source, the Google page filled in.
void ToOptions(TfmMain& m, AppSettings& settings, QRadioButton* source, const char* email) {
  source->setChecked(true);
  m.btnNext->click();
  // The wizard offers contacts and calendar only; tasks show the sources' importance words, and
  // notes the lists' one column.
  settings.SyncTask = source != m.fmSource->rbtnOL;
  settings.SyncNote = settings.SyncTask;
  m.fmGGOption->edtEmail->setText(QLatin1String(email));
  m.fmGGOption->edtPassword->setText(QStringLiteral("demo-password"));
  m.btnNext->click();
}

// The option pages of Outlook, ACT! and Lotus Notes filled with their demo data, and the review
// pages of each.
void ShootRoads(TfmMain& m, AppSettings& settings, const RoadsDemo& demo) {
  ToOptions(m, settings, m.fmSource->rbtnOL, "outlook-demo@example.org");
  Shot(&m, "20-outlook-option");
  m.btnNext->click();
  ShootReview(m, m.fmOLData, QStringLiteral("21-outlook-review-"));
  m.RestartWizard();

  ToOptions(m, settings, m.fmSource->rbtnACT, "act-demo@example.org");
  m.fmACTOption->edtUserName->setText(QStringLiteral("Chris Demo"));
  m.fmACTOption->edtPassword->setText(QStringLiteral("act-demo"));
  Shot(&m, "22-act-option");
  m.btnNext->click();
  ShootReview(m, m.fmACTData, QStringLiteral("23-act-review-"));
  m.RestartWizard();

  ToOptions(m, settings, m.fmSource->rbtnLN, "notes-demo@example.org");
  m.fmLNOption1->edtIDFile->setText(demo.notesIdFile);
  m.fmLNOption1->cbLNPassword->setChecked(true);
  m.fmLNOption1->edtLNPassword->setText(QStringLiteral("demo-notes"));
  Shot(&m, "24-notes-option1");
  m.btnNext->click();
  m.fmLNOption2->edtLNAddrPath->setText(demo.notesAddressBook);
  m.fmLNOption2->edtLNDBPath->setText(demo.notesMailServerName);
  // The notebook's row stays hidden: the wizard does not offer notes.
  m.fmLNOption2->edtLNNotePath->setText(demo.notesData + QStringLiteral("notebook.json"));
  Shot(&m, "25-notes-option2");
  m.btnNext->click();
  ShootReview(m, m.fmLNData, QStringLiteral("26-notes-review-"));
  m.RestartWizard();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: qm_wizard_shots FOLDER [--dark]\n");
    return 2;
  }
  out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  if (argc > 2 && QByteArray(argv[2]) == "--dark") SetDark(app);

  QTemporaryDir home;
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  const std::string palm = home.path().toStdString() + "/Palm";
  PmDemoInstallation install;
  std::string error;
  if (!WritePalmDemoInstallation(palm, PmDemoOptions{}, install, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  auto registry = std::make_shared<platform::MemoryRegistry>();
  registry->SetText(platform::RegRoot::kCurrentUser, "Software\\U.S. Robotics\\Pilot Desktop\\Core",
                    "DesktopPath", palm);
  std::string data;
  GetAppDataFolder(data);
  QDir().mkpath(QString::fromStdString(data));
  // The other sources' demo data, before the engine starts the stand-in Outlook over its store.
  qputenv("HOME", home.path().toUtf8());
  qunsetenv("XDG_DOCUMENTS_DIR");
  RoadsDemo roads;
  QString failed;
  if (!WriteRoadsDemo(home.path(), data, QStringLiteral(QM_SOURCE_DIR), *registry, roads, failed)) {
    std::fprintf(stderr, "%s\n", qPrintable(failed));
    return 1;
  }
  platform::SetRegistry(registry);
  PrintingPrompt prompt;
  AppPrompt::Install(&prompt);

  AppSettings settings;
  CxIniUtil none("/nonexistent/", "none.ini");
  LoadAppSettings(settings, none);
  QtEngineHost host(settings);
  AppEngine engine(settings, host, data);
  engine.SetHelperFolder(QCoreApplication::applicationDirPath().toStdString() + "/");
  TfmMain m(settings, engine, host, data);
  m.show();

  Shot(&m, "01-source");
  // The option pages of the other sources, each after the Google page.
  struct Other {
    QRadioButton* button;
    const char* name;
  };
  for (Other o : {Other{m.fmSource->rbtnOL, "03-outlook"}, Other{m.fmSource->rbtnACT, "04-act"},
                  Other{m.fmSource->rbtnLN, "05-notes1"}}) {
    o.button->setChecked(true);
    m.btnNext->click();
    m.fmGGOption->edtEmail->setText(QStringLiteral("demo@example.org"));
    m.fmGGOption->edtPassword->setText(QStringLiteral("demo-password"));
    m.btnNext->click();
    Shot(&m, QString::fromLatin1(o.name));
    m.RestartWizard();
  }
  m.fmSource->rbtnPD->setChecked(true);
  m.btnNext->click();
  m.fmGGOption->edtEmail->setText(QStringLiteral("demo@example.org"));
  m.fmGGOption->edtPassword->setText(QStringLiteral("demo-password"));
  Shot(&m, "02-google");
  m.btnNext->click();
  Shot(&m, "06-palm");
  // The wait window while the load runs.
  QTimer::singleShot(300, [&] { Shot(host.WaitWindow(), "07-wait"); });
  m.btnNext->click();
  Shot(&m, "08-review-contacts");
  m.fmPDData->pData->setCurrentIndex(kTypeCalendar);
  Shot(&m, "09-review-calendar");
  m.btnNext->click();
  Shot(&m, "10-finish");
  // The second run: everything the same.
  m.fmFinish->btnNew->click();
  m.btnNext->click();
  m.btnNext->click();
  m.btnNext->click();
  Shot(&m, "11-review-same");
  m.RestartWizard();
  ShootRoads(m, settings, roads);

  TfmDebug debug(settings, &m);
  debug.show();
  Shot(&debug, "12-debug");
  debug.hide();
  TfmDump dump(settings, QStringLiteral("std::bad_alloc while submitting contacts"), &m);
  dump.show();
  Shot(&dump, "13-dump");
  dump.hide();
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                  QStringLiteral("Loading Google Contacts Error: Invalid e-mail or password."),
                  QMessageBox::Ok, &m);
  box.show();
  Shot(&box, "14-error");
  box.hide();
  AppPrompt::Install(nullptr);
  platform::SetRegistry(nullptr);
  return 0;
}
