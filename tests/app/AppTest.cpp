// The wizard on the offscreen platform, over the engine's stand-in.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

#include "FakeEngine.h"
#include "app/AppPrompt.h"
#include "app/DetailForms.h"
#include "app/QtEngineHost.h"
#include "app/TfmACTOption.h"
#include "app/TfmData.h"
#include "app/TfmDebug.h"
#include "app/TfmFinish.h"
#include "app/TfmGGOption.h"
#include "app/TfmLNOption1.h"
#include "app/TfmLNOption2.h"
#include "app/TfmMain.h"
#include "app/TfmOLOption.h"
#include "app/TfmPDOption.h"
#include "app/TfmSource.h"
#include "app/TfmWait.h"
#include "misc/CxIniUtil.h"

namespace {

struct Shown {
  QString caption;
  QString text;
  EngineHost::Icon icon;
};

// Records what would be shown and answers file dialogs from a queue.
class RecordingPrompt : public AppPrompt {
 public:
  std::vector<Shown> messages;
  QStringList files;  // answers of the next file dialogs
  std::vector<QUrl> opened;
  QStringList reports;
  void ShowMessage(QWidget*, const QString& c, const QString& t, EngineHost::Icon i) override {
    messages.push_back({c, t, i});
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QStringList&) override {
    return files.isEmpty() ? QString() : files.takeFirst();
  }
  bool OpenUrl(const QUrl& url) override {
    opened.push_back(url);
    return true;
  }
  void ShowErrorReport(QWidget*, AppSettings&, const QString& what) override { reports << what; }
  // The last message, ignoring the Palm users' discovery that no Palm Desktop is installed.
  QString Last() const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
      if (!it->text.startsWith(QLatin1String("Can not find any Palm users"))) return it->text;
    return {};
  }
};

QString Plain(const QString& caption) {
  return QString(caption).remove(QLatin1Char('&'));
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir home_;
  RecordingPrompt prompt_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<QtEngineHost> host_;
  std::unique_ptr<AppEngine> engine_;
  std::unique_ptr<TfmMain> main_;

  AppSettings& S() { return *settings_; }
  TfmMain& M() { return *main_; }

  void Start() {
    main_.reset();
    engine_.reset();
    host_.reset();
    settings_ = std::make_unique<AppSettings>();
    CxIniUtil none("/nonexistent/", "none.ini");
    LoadAppSettings(*settings_, none);  // the defaults of a first run
    prompt_ = RecordingPrompt();
    host_ = std::make_unique<QtEngineHost>(*settings_);
    engine_ = std::make_unique<AppEngine>(*settings_, *host_, U(home_.path()) + "/");
    ResetFakeEngine();
    main_ = std::make_unique<TfmMain>(*settings_, *engine_, *host_, U(home_.path()) + "/");
    main_->show();
  }

  void ChooseSource(int app, bool contacts = true, bool calendar = true) {
    TfmSource* p = M().fmSource;
    QRadioButton* b = app == kAppACT           ? p->rbtnACT
                      : app == kAppLotusNotes  ? p->rbtnLN
                      : app == kAppPalmDesktop ? p->rbtnPD
                                               : p->rbtnOL;
    b->setChecked(true);
    p->cbAddr->setChecked(contacts);
    p->cbDate->setChecked(calendar);
  }

  // Fills every options page so that Next passes; returns the object names of the pages seen.
  QStringList WalkToFinish() {
    QStringList seen{M().CurrentPage()->objectName()};
    QTemporaryDir* dir = &home_;
    for (int guard = 0; guard < 8 && M().PageIndex() < M().PageCount() - 1; ++guard) {
      TfmPage* page = M().CurrentPage();
      if (page == M().fmGGOption) {
        M().fmGGOption->edtEmail->setText(QStringLiteral("ann@example.org"));
        M().fmGGOption->edtPassword->setText(QStringLiteral("secret"));
      } else if (page == M().fmOLOption) {
        M().fmOLOption->edtOLPath->setText(QStringLiteral("/opt/outlook.exe"));
      } else if (page == M().fmACTOption) {
        M().fmACTOption->edtAppPath->setText(dir->path());
        M().fmACTOption->edtPadName->setText(dir->path());
        M().fmACTOption->edtUserName->setText(QStringLiteral("ann"));
      } else if (page == M().fmLNOption1) {
        M().fmLNOption1->edtNotesPath->setText(QStringLiteral("/opt/notes/Notes.exe"));
      }
      M().btnNext->click();
      seen << M().CurrentPage()->objectName();
    }
    return seen;
  }

  void WalkTo(TfmPage* target) {
    for (int guard = 0; guard < 8 && M().CurrentPage() != target; ++guard) {
      int before = M().PageIndex();
      TfmPage* page = M().CurrentPage();
      if (page == M().fmGGOption) {
        M().fmGGOption->edtEmail->setText(QStringLiteral("ann@example.org"));
        M().fmGGOption->edtPassword->setText(QStringLiteral("secret"));
      }
      M().btnNext->click();
      if (M().PageIndex() == before) return;
    }
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_DATA_HOME", home_.path().toUtf8());
    qputenv("HOME", home_.path().toUtf8());
    AppPrompt::Install(&prompt_);
  }
  void cleanupTestCase() {
    main_.reset();
    engine_.reset();
    host_.reset();
    AppPrompt::Install(nullptr);
  }

  void pageOrder_data() {
    QTest::addColumn<int>("app");
    QTest::addColumn<QStringList>("pages");
    QTest::newRow("Outlook") << int(kAppOutlook)
                             << QStringList{"fmSource", "fmGGOption", "fmOLOption", "fmOLData",
                                            "fmFinish"};
    QTest::newRow("ACT!") << int(kAppACT)
                          << QStringList{"fmSource", "fmGGOption", "fmACTOption", "fmACTData",
                                         "fmFinish"};
    QTest::newRow("Palm Desktop") << int(kAppPalmDesktop)
                                  << QStringList{"fmSource", "fmGGOption", "fmPDOption", "fmPDData",
                                                 "fmFinish"};
    QTest::newRow("Lotus Notes") << int(kAppLotusNotes)
                                 << QStringList{"fmSource",    "fmGGOption", "fmLNOption1",
                                                "fmLNOption2", "fmLNData",   "fmFinish"};
  }
  void pageOrder() {
    QFETCH(int, app);
    QFETCH(QStringList, pages);
    Start();
    ChooseSource(app);
    QCOMPARE(WalkToFinish(), pages);
    QCOMPARE(M().PageCount(), static_cast<int>(pages.size()));
    for (TfmPage* p : M().findChildren<TfmPage*>()) QCOMPARE(p->isVisible(), p == M().fmFinish);
    // Only the options page that loads reaches the engine with the source; the Google page
    // loads nothing.
    const auto& loads = FakeEngine().loads;
    QCOMPARE(loads.size(), std::size_t{2});
    QCOMPARE(loads[0], std::make_pair(int(kAppGoogle), int(kAppGoogle)));
    QCOMPARE(loads[1], std::make_pair(app, int(kAppGoogle)));
  }

  void buttonStates() {
    Start();
    auto state = [&] {
      return QStringLiteral("%1%2|%3%4|%5")
          .arg(Plain(M().btnPrev->text()), M().btnPrev->isEnabled() ? "+" : "-",
               Plain(M().btnNext->text()), M().btnNext->isEnabled() ? "+" : "-",
               Plain(M().btnClose->text()));
    };
    QCOMPARE(state(), QStringLiteral("< Prev-|Next >+|Close"));
    ChooseSource(kAppLotusNotes);
    M().btnNext->click();
    QCOMPARE(state(), QStringLiteral("< Prev+|Next >+|Close"));
    WalkToFinish();
    QCOMPARE(M().PageIndex(), 5);
    QCOMPARE(state(), QStringLiteral("Restart+|Next >-|Finish"));
    M().btnPrev->click();
    QCOMPARE(M().PageIndex(), 0);
    QCOMPARE(state(), QStringLiteral("< Prev-|Next >+|Close"));
    // A shorter sequence once another source is chosen.
    ChooseSource(kAppOutlook);
    WalkToFinish();
    QCOMPARE(M().PageIndex(), 4);
  }

  void validationMessages() {
    Start();
    ChooseSource(kAppOutlook, false, false);
    M().btnNext->click();
    QCOMPARE(M().PageIndex(), 0);
    QCOMPARE(prompt_.Last(), QStringLiteral("Please migrate at least one type of application "
                                            "data, either Contacts or Calendar."));
    QCOMPARE(prompt_.messages.back().caption, QStringLiteral("Error"));
    QCOMPARE(prompt_.messages.back().icon, EngineHost::Icon::kError);

    ChooseSource(kAppACT);
    M().btnNext->click();
    TfmGGOption* gg = M().fmGGOption;
    gg->edtEmail->clear();
    M().btnNext->click();
    QCOMPARE(prompt_.Last(),
             QStringLiteral("Please enter the Email address of your Google account."));
    QCOMPARE(prompt_.messages.back().icon, EngineHost::Icon::kInformation);
    gg->edtEmail->setText(QStringLiteral("ann@example.org"));
    gg->edtPassword->clear();
    M().btnNext->click();
    QCOMPARE(prompt_.Last(), QStringLiteral("Please enter the password of your Google account."));
    QCOMPARE(M().focusWidget(), static_cast<QWidget*>(gg->edtPassword));
    QCOMPARE(M().PageIndex(), 1);
    // A Gmail address is served by Google's own sign-in: the page says so and asks no password.
    QVERIFY(gg->lblConsent->isHidden());
    QVERIFY(gg->lblPlace->text().contains(QStringLiteral("folder on this computer")));
    gg->edtEmail->setText(QStringLiteral("ann@gmail.com"));
    QVERIFY(!gg->lblConsent->isHidden());
    QVERIFY(gg->lblPlace->isHidden());
    const std::size_t shown = prompt_.messages.size();
    QVERIFY(gg->UpdatePage(true));
    QCOMPARE(prompt_.messages.size(), shown);
    gg->edtEmail->setText(QStringLiteral("ann@example.org"));
    QVERIFY(gg->lblConsent->isHidden());
    gg->edtPassword->setText(QStringLiteral("pw"));
    M().btnNext->click();
    QCOMPARE(M().PageIndex(), 2);

    // ACT!: the checks run in order, and what was typed is stored even when one fails.
    TfmACTOption* act = M().fmACTOption;
    struct Case {
      QString app, pad, user, message;
    };
    const QString dir = home_.path();
    const Case cases[] = {
        {"", dir, "ann", "The ACT! application is not found on your computer."},
        {dir + "/missing.exe", dir, "ann", "The ACT! application is not found on your computer."},
        {dir, dir + "/missing.pad", "", "Invalid ACT! Pad file name."},
        {dir, "", "ann", "Invalid ACT! Pad file name."},
        {dir, dir, "", "Invalid ACT! login user name."},
    };
    for (const Case& c : cases) {
      act->edtAppPath->setText(c.app);
      act->edtPadName->setText(c.pad);
      act->edtUserName->setText(c.user);
      M().btnNext->click();
      QCOMPARE(prompt_.Last(), c.message);
      QCOMPARE(M().PageIndex(), 2);
      QCOMPARE(Q(S().ACTPadName), c.pad);
    }

    Start();
    ChooseSource(kAppOutlook);
    WalkTo(M().fmOLOption);
    M().fmOLOption->edtOLPath->clear();
    M().btnNext->click();
    QCOMPARE(prompt_.Last(),
             QStringLiteral("Invalid path for outlook.exe. Outlook executable not found."));

    Start();
    ChooseSource(kAppLotusNotes);
    WalkTo(M().fmLNOption1);
    M().fmLNOption1->edtNotesPath->clear();
    M().btnNext->click();
    QCOMPARE(prompt_.Last(), QStringLiteral("Invalid path for Lotus Notes note.exe. Lotus Notes "
                                            "executable not found."));
    QCOMPARE(M().PageIndex(), 2);

    // Palm Desktop: a file no layout reads is refused with its type named.
    Start();
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDOption);
    TfmPDOption* pd = M().fmPDOption;
    TfmPDOption::SetFileCheck([](int type, const std::string&) { return type == 1 ? 255 : 2; });
    pd->cbFile[1]->setChecked(true);
    prompt_.files = QStringList{"/tmp/bad.dat"};
    pd->btnBrowse[1]->click();
    QCOMPARE(prompt_.Last(), QStringLiteral("Invalid Palm Desktop calendar database file, please "
                                            "try another one."));
    QVERIFY(pd->edtFile[1]->text().isEmpty());
    pd->cbFile[0]->setChecked(true);
    prompt_.files = QStringList{"/tmp/address.dat"};
    pd->btnBrowse[0]->click();
    QCOMPARE(pd->edtFile[0]->text(), QStringLiteral("/tmp/address.dat"));
    TfmPDOption::SetFileCheck(nullptr);
  }

  void storedSettingsAndFills() {
    Start();
    // First run: Outlook, both types, Save Email on, Save Password off.
    QVERIFY(M().fmSource->rbtnOL->isChecked());
    QVERIFY(M().fmSource->cbAddr->isChecked() && M().fmSource->cbDate->isChecked());
    ChooseSource(kAppPalmDesktop, false, true);
    M().btnNext->click();
    TfmGGOption* gg = M().fmGGOption;
    QVERIFY(gg->cbSaveEmail->isChecked());
    QVERIFY(!gg->cbSavePassword->isChecked());
    // Calendar only: no field map.
    QVERIFY(!gg->cbFieldMap->isEnabled() && !gg->cbFieldMap->isChecked() &&
            !gg->btnMap->isEnabled());
    QCOMPARE(S().SourceApp, int(kAppPalmDesktop));
    QVERIFY(!S().SyncAddr && S().SyncDate && !S().SyncTask && !S().SyncNote);
    gg->edtEmail->setText(QStringLiteral("Ann@Example.org"));
    gg->edtPassword->setText(QString(80, QLatin1Char('p')));
    gg->cbSavePassword->setChecked(true);
    M().btnNext->click();
    QCOMPARE(Q(S().GGEmail), QStringLiteral("Ann@Example.org"));
    QCOMPARE(S().GGPassword.size(), std::size_t{63});
    QVERIFY(S().GGSavePassword);
    QCOMPARE(FakeEngine().fieldMaps, 1);
    // Only the calendar tab of the Palm page; the stored source shows on a later visit.
    TfmPDOption* pd = M().fmPDOption;
    QVERIFY(!pd->pcMain->isTabVisible(0) && pd->pcMain->isTabVisible(1));
    pd->cbFile[1]->setChecked(true);
    pd->edtFile[1]->setText(QStringLiteral("/data/datebook.dat"));
    M().btnNext->click();
    QVERIFY(S().UsePDDateFile);
    QCOMPARE(Q(S().PDDateFileName), QStringLiteral("/data/datebook.dat"));

    // Contacts on: the field map follows the source's switch.
    Start();
    S().SourceApp = kAppLotusNotes;
    S().LNCustom = true;
    M().fmSource->UpdatePage(false);
    QVERIFY(M().fmSource->rbtnLN->isChecked());
    M().btnNext->click();
    QVERIFY(M().fmGGOption->cbFieldMap->isChecked() && M().fmGGOption->btnMap->isEnabled());
    M().fmGGOption->cbFieldMap->setChecked(false);
    QVERIFY(!M().fmGGOption->btnMap->isEnabled());
    // Lotus Notes page 2 with contacts off disables the address book; with calendar off too, the
    // mail database.
    S().SyncAddr = false;
    M().fmLNOption2->UpdatePage(false);
    QVERIFY(!M().fmLNOption2->edtLNAddrPath->isEnabled());
    QVERIFY(M().fmLNOption2->edtLNDBPath->isEnabled());
    QVERIFY(M().fmLNOption2->lblNotesLabel->isHidden());
    S().SyncDate = false;
    M().fmLNOption2->UpdatePage(false);
    QVERIFY(!M().fmLNOption2->edtLNDBPath->isEnabled());
  }

  void reviewColoursTicksAndSelection() {
    Start();
    S().NewColor = 0x0000FF;   // red
    S().DiffColor = 0x00FF00;  // green
    S().SameColor = 0x808080;
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDData);
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmPDData));
    TfmData* page = M().fmPDData;
    ReviewModel* contacts = page->Model(kTypeContacts);
    QCOMPARE(contacts->rowCount(), 5);
    const std::uint32_t statuses[] = {0, 2, 1, 1, 0};
    for (int row = 0; row < 5; ++row) {
      QModelIndex i = contacts->index(row, 0);
      std::uint32_t s = statuses[row];
      QColor expected = s == 1   ? QColor(255, 0, 0)
                        : s == 2 ? QColor(0, 255, 0)
                                 : QColor(128, 128, 128);
      QCOMPARE(contacts->data(i, ReviewModel::kStatusColorRole).value<QColor>(), expected);
      QVERIFY(!contacts->data(i, Qt::DecorationRole).value<QIcon>().isNull());
      QVERIFY(contacts->data(contacts->index(row, 1), Qt::DecorationRole).isNull());
      QCOMPARE(contacts->data(i, Qt::CheckStateRole).value<Qt::CheckState>(),
               s ? Qt::Checked : Qt::Unchecked);
    }
    QCOMPARE(page->CountLabel(kTypeContacts)->text(), QStringLiteral("5 Contact records in total"));
    QCOMPARE(page->CountLabel(kTypeCalendar)->text(),
             QStringLiteral("3 Calendar records in total"));
    QVERIFY(!page->TabShown(kTypeTasks) && !page->TabShown(kTypeNotes));

    page->btnSelAll->click();
    QCOMPARE(contacts->TickedCount(), 5);
    page->btnSelDiff->click();
    QCOMPARE(contacts->TickedCount(), 3);
    QCOMPARE(contacts->data(contacts->index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Unchecked);
    page->btnClear->click();
    QCOMPARE(contacts->TickedCount() + page->Model(kTypeCalendar)->TickedCount(), 0);
    page->btnSelDiff->click();

    // Untick "Cid" in a sorted view: the lists keep list order, not view order.
    page->List(kTypeContacts)->sortByColumn(0, Qt::DescendingOrder);
    for (int row = 0; row < 5; ++row)
      if (contacts->data(contacts->index(row, 0), Qt::DisplayRole).toString() == "Cid")
        contacts->setData(contacts->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    // Double-click hands the record to the detail entry point.
    std::vector<DetailRequest> requests;
    SetDetailFormObserver([&](const DetailRequest& r) { requests.push_back(r); });
    Q_EMIT page->List(kTypeContacts)->activated(contacts->index(0, 0));
    SetDetailFormObserver(nullptr);
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].record, contacts->RecordAt(0));

    M().btnNext->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmFinish));
    auto& sel = engine_->SelectedContacts();
    QStringList names;
    for (std::uint32_t i = 0; i < sel.Count(); ++i) names << Q(sel.Peek(i)->DisplayName);
    QCOMPARE(names, (QStringList{"Bob", "Dee"}));
    QCOMPARE(engine_->SelectedEvents().Count(), 2u);
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QStringLiteral("2"));
    QCOMPARE(M().fmFinish->lblDateCount->text(), QStringLiteral("2"));

    // Calendar only: the contacts list is emptied and the finish page says 0.
    M().btnPrev->click();
    ChooseSource(kAppPalmDesktop, false, true);
    WalkTo(M().fmPDData);
    QVERIFY(!M().fmPDData->TabShown(kTypeContacts));
    M().btnNext->click();
    QCOMPARE(engine_->SelectedContacts().Count(), 0u);
    QCOMPARE(M().fmFinish->lblAddrCount->text(), QStringLiteral("0"));
  }

  void prevThenNextReloads() {
    Start();
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDData);
    ReviewModel* contacts = M().fmPDData->Model(kTypeContacts);
    contacts->ClearSelection();
    M().btnPrev->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmPDOption));
    FakeEngine().contacts.pop_back();
    M().btnNext->click();
    QCOMPARE(FakeEngine().loads.size(), std::size_t{3});
    QCOMPARE(contacts->rowCount(), 4);
    QCOMPARE(contacts->TickedCount(), 3);
  }

  void refreshReloadsTheSourceOnly() {
    Start();
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDData);
    TfmData* page = M().fmPDData;
    QCOMPARE(FakeEngine().targetLoads, 1);
    FakeEngine().contacts.pop_back();
    page->btnRefresh->click();
    QCOMPARE(FakeEngine().loads.size(), std::size_t{2});
    QCOMPARE(FakeEngine().targetLoads, 1);
    QCOMPARE(FakeEngine().reloads.size(), std::size_t{1});
    QCOMPARE(FakeEngine().reloads[0], std::make_pair(int(kAppPalmDesktop), int(kAppGoogle)));
    QCOMPARE(page->Model(kTypeContacts)->rowCount(), 4);
    QCOMPARE(page->CountLabel(kTypeContacts)->text(), QStringLiteral("4 Contact records in total"));
    // A failed reload shows no rows from a half-loaded source, and counts that say so.
    FakeEngine().failLoad = true;
    page->btnRefresh->click();
    QCOMPARE(prompt_.Last(), QString::fromStdString(FakeEngine().failText));
    QCOMPARE(page->Model(kTypeContacts)->rowCount(), 0);
    QCOMPARE(page->CountLabel(kTypeContacts)->text(), QStringLiteral("0 Contact records in total"));
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(page));
  }

  void columnsFitTheirContents() {
    Start();
    const QString name = QStringLiteral("Augusta Ada King-Noel");
    const QString email = QStringLiteral("augusta.king@lovelace.example");
    FakeEngine().contacts[2].DisplayName = U(name);
    FakeEngine().contacts[3].Email1 = U(email);
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDData);
    TfmData* page = M().fmPDData;
    QTreeView* list = page->List(kTypeContacts);
    QHeaderView* header = list->header();
    QApplication::processEvents();
    // The name shows whole beside its tick box and status marker; so does the address.
    const QFontMetrics fm(list->font());
    const int box = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list);
    const int marker = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    QVERIFY(header->sectionSize(0) >= fm.horizontalAdvance(name) + box + marker);
    QVERIFY(header->sectionSize(1) >= fm.horizontalAdvance(email));

    // A company wider than the window leaves the later columns in sight.
    FakeEngine().contacts[0].Company = std::string(63, 'W');
    page->btnRefresh->click();
    QApplication::processEvents();
    int before = 0;
    for (int c = 0; c < 4; ++c) before += header->sectionSize(c);
    QVERIFY(before + header->sectionSizeHint(4) <= list->viewport()->width());

    // The person's own width survives a Refresh.
    header->resizeSection(1, 77);
    page->btnRefresh->click();
    QApplication::processEvents();
    QCOMPARE(header->sectionSize(1), 77);
  }

  void everyTaskAndNoteRowShowsItsStatus() {
    Start();
    S().NewColor = 0x0000FF;
    S().SameColor = 0x808080;
    // Never compared, a task keeps what its load left: zero, or a source's own record flags.
    const CommonTask counterpart;
    std::vector<CommonTask>& tasks = FakeEngine().tasks;
    tasks.assign(3, CommonTask());
    tasks[1].Status = 0x40;
    tasks[2].MatchedRecord = &counterpart;  // compared, and the same
    FakeEngine().notes[0].MatchedRecord = nullptr;
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmGGOption);
    S().SyncTask = S().SyncNote = true;  // the wizard itself offers contacts and calendar only
    WalkTo(M().fmPDData);
    const QColor fresh(255, 0, 0), same(128, 128, 128);
    ReviewModel* m = M().fmPDData->Model(kTypeTasks);
    for (int row = 0; row < 3; ++row) {
      const QModelIndex i = m->index(row, 0);
      QCOMPARE(m->data(i, ReviewModel::kStatusColorRole).value<QColor>(), row < 2 ? fresh : same);
      QCOMPARE(m->data(i, Qt::CheckStateRole).value<Qt::CheckState>(),
               row < 2 ? Qt::Checked : Qt::Unchecked);
    }
    m = M().fmPDData->Model(kTypeNotes);
    QCOMPARE(m->data(m->index(0, 0), ReviewModel::kStatusColorRole).value<QColor>(), fresh);
  }

  void statusColoursStayReadable_data() {
    QTest::addColumn<int>("colorRef");
    QTest::addColumn<QColor>("base");
    QTest::addColumn<bool>("asText");
    const QColor white(255, 255, 255), dark(0x20, 0x20, 0x20);
    QTest::newRow("black on white") << 0x000000 << white << true;
    QTest::newRow("black on dark") << 0x000000 << dark << false;
    QTest::newRow("red on white") << 0x0000FF << white << false;
    QTest::newRow("blue on white") << 0xFF0000 << white << true;
    QTest::newRow("green on dark") << 0x008000 << dark << false;
    QTest::newRow("light green on white") << 0x00FF00 << white << false;
    QTest::newRow("light green on dark") << 0x00FF00 << dark << true;
    QTest::newRow("grey on dark") << 0x808080 << dark << false;
    QTest::newRow("light grey on dark") << 0xC0C0C0 << dark << true;
  }
  void accentColoursStayReadable() {
    const QColor bases[] = {Qt::white, QColor(0x2b, 0x2b, 0x2b), QColor(0x80, 0x80, 0x80)};
    for (const QColor& base : bases)
      for (const QColor& wanted : {QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)}) {
        const QColor shown = ReadableOn(wanted, base);
        QVERIFY2(
            Contrast(shown, base) >= kReadableContrast || shown == Qt::white || shown == Qt::black,
            qPrintable(wanted.name() + " on " + base.name() + " -> " + shown.name()));
        if (Contrast(wanted, base) >= kReadableContrast) QCOMPARE(shown, wanted);
      }
  }

  void statusColoursStayReadable() {
    QFETCH(int, colorRef);
    QFETCH(QColor, base);
    QFETCH(bool, asText);
    ResetFakeEngine();
    CommAddrMgr mgr;
    for (const CommonContact& c : FakeEngine().contacts) mgr.Add(&c);
    ReviewModel model(ReviewModel::ContactKind());
    model.Fill(mgr);
    // Every status gets the colour under test; the marker always carries it.
    model.SetColors(colorRef, colorRef, colorRef, base);
    for (int row = 0; row < model.rowCount(); ++row) {
      QModelIndex i = model.index(row, 0);
      QCOMPARE(model.data(i, ReviewModel::kStatusColorRole).value<QColor>(),
               FromColorRef(colorRef));
      QVERIFY(!model.data(i, Qt::DecorationRole).value<QIcon>().isNull());
      QVariant text = model.data(model.index(row, 1), Qt::ForegroundRole);
      QCOMPARE(text.isValid(), asText);
      if (asText) QCOMPARE(text.value<QColor>(), FromColorRef(colorRef));
    }
  }

  void failedLoadAndSubmitStay() {
    Start();
    ChooseSource(kAppPalmDesktop);
    FakeEngine().failLoad = true;
    WalkTo(M().fmPDData);
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmPDOption));
    QCOMPARE(prompt_.Last(), QString::fromStdString(FakeEngine().failText));
    QVERIFY(M().btnPrev->isEnabled() && M().btnNext->isEnabled());
    FakeEngine().failLoad = false;
    FakeEngine().throwSubmit = true;
    WalkTo(M().fmPDData);
    M().btnNext->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmPDData));
    QCOMPARE(prompt_.reports.size(), 1);
    // A partial load's warning reaches the person once the load has ended.
    M().btnPrev->click();
    FakeEngine().warning = "Kept 10 of 12 records; stopped at byte 4096.";
    M().btnNext->click();
    QCOMPARE(prompt_.messages.back().caption, QStringLiteral("Warning"));
  }

  void waitWindowRepaintsDuringLoad() {
    Start();
    ChooseSource(kAppPalmDesktop);
    WalkTo(M().fmPDOption);
    FakeEngine().loadMillis = 3000;
    TfmWait* wait = host_->WaitWindow();
    const int paintsBefore = wait->PaintCount();
    int visibleTicks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { visibleTicks += wait->isVisible(); });
    probe.start(100);
    M().btnNext->click();
    QCOMPARE(M().CurrentPage(), static_cast<TfmPage*>(M().fmPDData));
    QVERIFY2(wait->PaintCount() - paintsBefore >= 20,
             qPrintable(QString::number(wait->PaintCount() - paintsBefore)));
    QVERIFY(wait->Frame().elapsedSeconds >= 2);
    QVERIFY(visibleTicks >= 20);
    QVERIFY(!wait->isVisible());
    QCOMPARE(wait->size(), QSize(480, 150));
  }

  void reviewModelIsConsistent() {
    ResetFakeEngine();
    CommAddrMgr mgr;
    for (const CommonContact& c : FakeEngine().contacts) mgr.Add(&c);
    ReviewModel model(ReviewModel::ContactKind());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.Fill(mgr);
    QPersistentModelIndex eve(model.index(4, 1));
    model.sort(0, Qt::DescendingOrder);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("Eve"));
    QCOMPARE(eve.row(), 0);
    QCOMPARE(eve.column(), 1);
    model.SelectAll();
    model.sort(-1);
    QCOMPARE(eve.row(), 4);
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
  }

  void debugDialog() {
    AppSettings s;
    s.LogLevel = 2;
    s.EnableDebug = false;
    TfmDebug dialog(s);
    QCOMPARE(dialog.cbxLevel->currentIndex(), 2);
    QCOMPARE(dialog.info->edtFile->text(), dialog.info->edtFolder->text() + "appdebug.log");
    dialog.cbEnable->setChecked(true);
    dialog.cbxLevel->setCurrentIndex(1);
    dialog.btnCancel->click();
    QCOMPARE(s.LogLevel, 2);
    QVERIFY(!s.EnableDebug);
    TfmDebug again(s);
    again.btnOK->click();
    QCOMPARE(s.LogLevel, 3);
    prompt_.messages.clear();
    QFile::remove(again.info->edtFile->text());
    again.info->btnFile->click();
    QCOMPARE(prompt_.Last(), QStringLiteral("Debug log file doesn't exist"));
  }

  void actDatabaseDiscovery() {
    QTemporaryDir docs;
    const std::string root = U(docs.path());
    QCOMPARE(DiscoverActDatabase(root), std::string());
    QDir(docs.path()).mkpath("ACT/B/Databases");
    QDir(docs.path()).mkpath("ACT/A/Databases");
    QCOMPARE(DiscoverActDatabase(root), std::string());  // the first folder has no database
    QFile(docs.path() + "/ACT/A/Databases/zeta.pad").open(QIODevice::WriteOnly);
    QFile(docs.path() + "/ACT/A/Databases/alpha.pad").open(QIODevice::WriteOnly);
    QCOMPARE(QString::fromStdString(DiscoverActDatabase(root)),
             docs.path() + "/ACT/A/Databases/alpha.pad");
  }

  void finishOpensLocalAccount() {
    Start();
    S().GGEmail = "Ann@Example.org";
    const std::string data = U(home_.path()) + "/";
    QCOMPARE(TfmFinish::LocalAccountFolder(data, "Ann@Example.org"), std::string());
    QDir(home_.path()).mkpath("accounts/ann@example.org");
    M().fmFinish->btnGoogle->click();
    QCOMPARE(prompt_.opened.back(),
             QUrl::fromLocalFile(home_.path() + "/accounts/ann@example.org"));
    S().GGEmail = "bob@example.org";
    M().fmFinish->btnGoogle->click();
    QCOMPARE(prompt_.opened.back().scheme(), QStringLiteral("https"));
  }
};

QTEST_MAIN(AppTest)
#include "AppTest.moc"
