// The Outlook, ACT! and Lotus Notes roads through the wizard, each into its own local account,
// over the real engine, the stand-in Outlook and our helper programs, on the offscreen platform:
// the demo data of each source, then a second pass that finds everything the same.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "RoadsDemo.h"
#include "WizardWalk.h"
#include "app/QtEngineHost.h"
#include "app/TfmACTOption.h"
#include "app/TfmData.h"
#include "app/TfmFinish.h"
#include "app/TfmGGOption.h"
#include "app/TfmLNOption1.h"
#include "app/TfmLNOption2.h"
#include "app/TfmMain.h"
#include "app/TfmOLOption.h"
#include "app/TfmSource.h"
#include "misc/CxIniUtil.h"
#include "platform/Registry.h"

namespace {

// Every row of a list; the cells of one column.
QStringList Column(ReviewModel* model, int column) {
  QStringList cells;
  for (int row = 0; row < model->rowCount(); ++row)
    cells << model->data(model->index(row, column), Qt::DisplayRole).toString();
  return cells;
}

}  // namespace

class WizardRoadsTest : public QObject {
  Q_OBJECT
 private:
  // One source's road: its radio button, its option pages filled in, its account and what its
  // demo data holds.
  struct Road {
    const char* name;
    std::function<QRadioButton*()> radio;
    std::function<void()> fillOptions;  // from the first option page to the review page
    std::function<TfmData*()> review;
    QString email;
    int contacts, events;
    bool tasks;  // the tasks tab too, for the importance words of the native rows
  };

  QTemporaryDir home_;
  QuietPrompt prompt_;
  std::string dataFolder_;
  RoadsDemo demo_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<QtEngineHost> host_;
  std::unique_ptr<AppEngine> engine_;
  std::unique_ptr<TfmMain> main_;

  TfmMain& M() { return *main_; }
  QString Home(const char* path) const { return home_.path() + QLatin1Char('/') + path; }
  QString Messages() const { return prompt_.messages.join(QLatin1Char('\n')); }

  std::vector<Road> Roads() {
    return {
        {"Outlook", [this] { return M().fmSource->rbtnOL; },
         [this] {
           QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmOLOption));
           QCOMPARE(M().fmOLOption->edtOLPath->text(), demo_.outlookProgram);
           QVERIFY(M().fmOLOption->lblOLVersion->text().startsWith(QStringLiteral("12.")));
           M().btnNext->click();
         },
         [this] { return M().fmOLData; }, QStringLiteral("Outlook-Demo@Example.org"), 200, 160,
         false},
        {"ACT!", [this] { return M().fmSource->rbtnACT; },
         [this] {
           QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmACTOption));
           TfmACTOption* page = M().fmACTOption;
           QCOMPARE(page->edtAppPath->text(), demo_.actProgram);
           // Found where ACT! keeps its databases under the documents folder.
           QCOMPARE(page->edtPadName->text(), demo_.actPad);
           page->edtUserName->setText(QStringLiteral("Chris Demo"));
           page->edtPassword->setText(QStringLiteral("act-demo"));
           M().btnNext->click();
         },
         [this] { return M().fmACTData; }, QStringLiteral("ACT-Demo@Example.org"), 6, 6, true},
        {"Lotus Notes", [this] { return M().fmSource->rbtnLN; },
         [this] {
           QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmLNOption1));
           TfmLNOption1* one = M().fmLNOption1;
           QCOMPARE(one->edtNotesPath->text(), demo_.notesProgram);
           QCOMPARE(one->lblNotesVersion->text(), QStringLiteral("8.5.3.0"));
           one->edtIDFile->setText(demo_.notesIdFile);
           one->cbLNPassword->setChecked(true);
           one->edtLNPassword->setText(QStringLiteral("demo-notes"));
           M().btnNext->click();
           QVERIFY2(M().CurrentPage() == M().fmLNOption2, qPrintable(Messages()));
           TfmLNOption2* two = M().fmLNOption2;
           two->edtLNAddrPath->setText(demo_.notesAddressBook);
           two->edtLNDBPath->setText(demo_.notesMailServerName);
           M().btnNext->click();
         },
         [this] { return M().fmLNData; }, QStringLiteral("Notes-Demo@Example.org"), 5, 6, true},
    };
  }

  // From the source page to the review page of one road.
  TfmData* WalkToReview(const Road& road) {
    if (M().CurrentPage() != M().fmSource) return nullptr;
    road.radio()->setChecked(true);
    M().fmSource->cbAddr->setChecked(true);
    M().fmSource->cbDate->setChecked(true);
    M().btnNext->click();
    if (M().CurrentPage() != M().fmGGOption) return nullptr;
    // The wizard offers contacts and calendar only; tasks are turned on here for their rows.
    settings_->SyncTask = road.tasks;
    M().fmGGOption->edtEmail->setText(road.email);
    M().fmGGOption->edtPassword->setText(QStringLiteral("demo-password"));
    M().btnNext->click();
    road.fillOptions();
    if (QTest::currentTestFailed()) return nullptr;
    return M().CurrentPage() == road.review() ? road.review() : nullptr;
  }

  void Migrate(const Road& road) {
    const AppSettings& s = *settings_;
    // First pass: a fresh account, every record new and ticked.
    TfmData* page = WalkToReview(road);
    QVERIFY2(page, qPrintable(QStringLiteral("%1: %2").arg(road.name, Messages())));
    QVERIFY(page->TabShown(kTypeContacts) && page->TabShown(kTypeCalendar));
    QCOMPARE(page->TabShown(kTypeTasks), road.tasks);
    QCOMPARE(Statuses(s, page->Model(kTypeContacts)), QStringLiteral("%1/0/0").arg(road.contacts));
    QCOMPARE(Statuses(s, page->Model(kTypeCalendar)), QStringLiteral("%1/0/0").arg(road.events));
    QCOMPARE(page->CountLabel(kTypeCalendar)->text(),
             QStringLiteral("%1 Calendar records in total").arg(road.events));
    if (road.tasks) {
      // The native rows: each task's importance in the source's own words. (Their marks are not
      // looked at: the engine loads no Google tasks for the wizard, which never moves tasks.)
      const QStringList words = Column(page->Model(kTypeTasks), 1);
      for (const char* word : {"High", "Normal", "Low"})
        QVERIFY2(words.contains(QLatin1String(word)), qPrintable(words.join(',')));
    }
    M().btnNext->click();
    QVERIFY2(M().CurrentPage() == M().fmFinish, qPrintable(Messages()));
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QString::number(road.contacts));
    QCOMPARE(M().fmFinish->lblDateCount->text(), QString::number(road.events));
    const QString account = QString::fromStdString(
        TfmFinish::LocalAccountFolder(dataFolder_, road.email.toStdString()));
    QCOMPARE(Files(account + "/contacts", "*.vcf"), road.contacts);
    QCOMPARE(Files(account + "/calendar", "*.ics"), road.events);
    QVERIFY2(prompt_.messages.isEmpty(), qPrintable(Messages()));

    // Second pass against the filled account: everything the same, nothing ticked.
    M().fmFinish->btnNew->click();
    page = WalkToReview(road);
    QVERIFY2(page, qPrintable(QStringLiteral("%1: %2").arg(road.name, Messages())));
    QCOMPARE(Statuses(s, page->Model(kTypeContacts)), QStringLiteral("0/0/%1").arg(road.contacts));
    QCOMPARE(Statuses(s, page->Model(kTypeCalendar)), QStringLiteral("0/0/%1").arg(road.events));
    M().btnNext->click();
    QVERIFY2(M().CurrentPage() == M().fmFinish, qPrintable(Messages()));
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QStringLiteral("0"));
    QCOMPARE(M().fmFinish->lblDateCount->text(), QStringLiteral("0"));
    QVERIFY2(prompt_.messages.isEmpty(), qPrintable(Messages()));
    M().fmFinish->btnNew->click();
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_DATA_HOME", Home("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", Home("config").toUtf8());
    qputenv("HOME", home_.path().toUtf8());
    qunsetenv("XDG_DOCUMENTS_DIR");
    QVERIFY(GetAppDataFolder(dataFolder_));
    QVERIFY(QDir().mkpath(QString::fromStdString(dataFolder_)));
    auto registry = std::make_shared<platform::MemoryRegistry>();
    QString error;
    QVERIFY2(WriteRoadsDemo(home_.path(), dataFolder_, QStringLiteral(QM_SOURCE_DIR), *registry,
                            demo_, error),
             qPrintable(error));
    platform::SetRegistry(registry);
    AppPrompt::Install(&prompt_);

    settings_ = std::make_unique<AppSettings>();
    CxIniUtil none("/nonexistent/", "none.ini");
    LoadAppSettings(*settings_, none);
    host_ = std::make_unique<QtEngineHost>(*settings_);
    engine_ = std::make_unique<AppEngine>(*settings_, *host_, dataFolder_);
    engine_->SetHelperFolder(QCoreApplication::applicationDirPath().toStdString() + "/");
    engine_->SetRepaintPause(0);
    main_ = std::make_unique<TfmMain>(*settings_, *engine_, *host_, dataFolder_);
    main_->show();
  }

  void cleanupTestCase() {
    main_.reset();
    engine_.reset();
    host_.reset();
    AppPrompt::Install(nullptr);
    platform::SetRegistry(nullptr);
  }

  void road_data() {
    QTest::addColumn<int>("index");
    const std::vector<Road> roads = Roads();
    for (std::size_t i = 0; i < roads.size(); ++i)
      QTest::newRow(roads[i].name) << static_cast<int>(i);
  }
  void road() {
    QFETCH(int, index);
    prompt_.messages.clear();
    Migrate(Roads()[static_cast<std::size_t>(index)]);
  }
};

QTEST_MAIN(WizardRoadsTest)
#include "WizardRoadsTest.moc"
