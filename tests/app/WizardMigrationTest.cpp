// A whole Palm Desktop -> local account migration through the wizard, over the real engine and
// the real helper programs (found beside this program), on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "WizardWalk.h"
#include "app/QtEngineHost.h"
#include "app/TfmData.h"
#include "app/TfmFinish.h"
#include "app/TfmGGOption.h"
#include "app/TfmMain.h"
#include "app/TfmPDOption.h"
#include "app/TfmSource.h"
#include "demo/PmDemoInstall.h"
#include "misc/CxIniUtil.h"
#include "palm/PmUsers.h"
#include "platform/Registry.h"

class WizardMigrationTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir home_;
  QuietPrompt prompt_;
  PmDemoInstallation install_;
  std::string dataFolder_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<QtEngineHost> host_;
  std::unique_ptr<AppEngine> engine_;
  std::unique_ptr<TfmMain> main_;

  TfmMain& M() { return *main_; }

  // Walks from the source page to the review page of Palm user `id`.
  void WalkToReview(std::int32_t id) {
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmSource));
    M().fmSource->rbtnPD->setChecked(true);
    M().fmSource->cbAddr->setChecked(true);
    M().fmSource->cbDate->setChecked(true);
    M().btnNext->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmGGOption));
    M().fmGGOption->edtEmail->setText(QStringLiteral("Demo@Example.org"));
    M().fmGGOption->edtPassword->setText(QStringLiteral("demo-password"));
    M().btnNext->click();
    QVERIFY2(M().CurrentPage() == M().fmPDOption, qPrintable(prompt_.messages.join('\n')));
    QComboBox* users = M().fmPDOption->cbPDUser;
    QCOMPARE(users->count(), static_cast<int>(install_.users.size()));
    users->setCurrentIndex(users->findData(id));
    QVERIFY(users->currentIndex() >= 0);
    M().btnNext->click();
    QVERIFY2(M().CurrentPage() == M().fmPDData, qPrintable(prompt_.messages.join('\n')));
  }

  QString Statuses(ReviewModel* model) { return ::Statuses(*settings_, model); }
  static int Changed(const QString& statuses) {
    const QStringList parts = statuses.split(QLatin1Char('/'));
    return parts.size() == 3 ? parts[0].toInt() + parts[1].toInt() : -1;
  }

  // Every row of a review list has this status and tick.
  static void CheckRows(ReviewModel* model, int rows, std::uint32_t status, QColor colour) {
    QCOMPARE(model->rowCount(), rows);
    for (int row = 0; row < rows; ++row) {
      QModelIndex i = model->index(row, 0);
      QCOMPARE(model->data(i, ReviewModel::kStatusColorRole).value<QColor>(), colour);
      QCOMPARE(model->data(i, Qt::CheckStateRole).value<Qt::CheckState>(),
               status ? Qt::Checked : Qt::Unchecked);
    }
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("HOME", home_.path().toUtf8());
    const std::string palm = home_.path().toStdString() + "/Palm";
    std::string error;
    QVERIFY2(WritePalmDemoInstallation(palm, PmDemoOptions{}, install_, error), error.c_str());
    QVERIFY(!install_.users.empty());
    auto registry = std::make_shared<platform::MemoryRegistry>();
    registry->SetText(platform::RegRoot::kCurrentUser,
                      "Software\\U.S. Robotics\\Pilot Desktop\\Core", "DesktopPath", palm);
    platform::SetRegistry(registry);
    ResetPalmUsers();
    QVERIFY(GetAppDataFolder(dataFolder_));
    QVERIFY(QDir().mkpath(QString::fromStdString(dataFolder_)));
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
    ResetPalmUsers();
  }

  void firstRunMigratesEverything() {
    const PmDemoUser& user = install_.users.front();
    const AppSettings& s = *settings_;
    WalkToReview(user.id);
    TfmData* page = M().fmPDData;
    QVERIFY(page->TabShown(kTypeContacts) && page->TabShown(kTypeCalendar));
    QVERIFY(!page->TabShown(kTypeTasks) && !page->TabShown(kTypeNotes));
    // A fresh account: every record is new and ticked.
    const auto contacts = static_cast<int>(user.contacts);
    const auto events = static_cast<int>(user.events);
    CheckRows(page->Model(kTypeContacts), contacts, 1, FromColorRef(s.NewColor));
    CheckRows(page->Model(kTypeCalendar), events, 1, FromColorRef(s.NewColor));
    QCOMPARE(page->CountLabel(kTypeContacts)->text(),
             QStringLiteral("%1 Contact records in total").arg(contacts));
    QCOMPARE(page->CountLabel(kTypeCalendar)->text(),
             QStringLiteral("%1 Calendar records in total").arg(events));

    M().btnNext->click();
    QVERIFY2(M().CurrentPage() == M().fmFinish, qPrintable(prompt_.messages.join('\n')));
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QString::number(contacts));
    QCOMPARE(M().fmFinish->lblDateCount->text(), QString::number(events));
    const QString account =
        QString::fromStdString(dataFolder_) + QStringLiteral("accounts/demo@example.org");
    QCOMPARE(Files(account + "/contacts", "*.vcf"), contacts);
    QCOMPARE(Files(account + "/calendar", "*.ics"), events);
    QVERIFY(QFileInfo::exists(QString::fromStdString(engine_->MigrationLogPath())));
    QCOMPARE(QString::fromStdString(TfmFinish::LocalAccountFolder(dataFolder_, "Demo@Example.org")),
             account);
    QVERIFY2(prompt_.messages.isEmpty(), qPrintable(prompt_.messages.join('\n')));
  }

  void secondRunFindsEverythingTheSame() {
    // "Perform New Migration": the same user against the filled account.
    M().fmFinish->btnNew->click();
    const PmDemoUser& user = install_.users.front();
    WalkToReview(user.id);
    TfmData* page = M().fmPDData;
    const QStringList marked{Statuses(page->Model(kTypeContacts)),
                             Statuses(page->Model(kTypeCalendar))};
    qInfo("second run, new/different/same: contacts %s, calendar %s", qPrintable(marked[0]),
          qPrintable(marked[1]));
    // Refresh reads the source again against the account as loaded: the same marks.
    page->btnRefresh->click();
    QCOMPARE(Statuses(page->Model(kTypeContacts)), marked[0]);
    QCOMPARE(Statuses(page->Model(kTypeCalendar)), marked[1]);
    QCOMPARE(page->Model(kTypeContacts)->rowCount(), static_cast<int>(user.contacts));
    // Everything written to the account reads back the same.
    QCOMPARE(marked[0], QStringLiteral("0/0/%1").arg(user.contacts));
    QCOMPARE(marked[1], QStringLiteral("0/0/%1").arg(user.events));
    // Only what is not the same is ticked and submitted.
    M().btnNext->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmFinish));
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QString::number(Changed(marked[0])));
    QCOMPARE(M().fmFinish->lblDateCount->text(), QString::number(Changed(marked[1])));
    QVERIFY2(prompt_.messages.isEmpty(), qPrintable(prompt_.messages.join('\n')));
  }
};

QTEST_MAIN(WizardMigrationTest)
#include "WizardMigrationTest.moc"
