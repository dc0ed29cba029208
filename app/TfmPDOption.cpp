#include "app/TfmPDOption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "misc/WinUtil.h"
#include "palm/PmAddrInfo.h"
#include "palm/PmDateInfo.h"
#include "palm/PmEx2Port.h"
#include "palm/PmMemoInfo.h"
#include "palm/PmTodoInfo.h"
#include "palm/PmUsers.h"

namespace {

int CheckPalmFile(int type, const std::string& path) {
  static const bool ready = [] {
    PmAddrInfo::SetEx2Factory(&PmEx2PortOf<PmAddrEx2Util>::Make);
    PmDateInfo::SetEx2Factory(&PmEx2PortOf<PmDateEx2Util>::Make);
    PmTodoInfo::SetEx2Factory(&PmEx2PortOf<PmTodoEx2Util>::Make);
    PmMemoInfo::SetEx2Factory(&PmEx2PortOf<PmMemoEx2Util>::Make);
    return true;
  }();
  (void)ready;
  switch (type) {
    case kTypeContacts:
      return PmAddrInfo().CheckFileType(path);
    case kTypeCalendar:
      return PmDateInfo().CheckFileType(path);
    case kTypeTasks:
      return PmTodoInfo().CheckFileType(path);
    default:
      return PmMemoInfo().CheckFileType(path);
  }
}

TfmPDOption::FileCheck& Check() {
  static TfmPDOption::FileCheck check;
  return check;
}

struct TypeTexts {
  const char* tab;
  const char* box;
  const char* title;
  const char* kind;
};
constexpr std::array<TypeTexts, 4> kTypes = {{
    {"Contacts", "Open Palm Desktop Contacts by File Name:", "Open Palm Desktop Contacts data file",
     "contacts"},
    {"Calendar", "Open Palm Desktop Calendar by File Name:", "Open Palm Desktop Calendar data file",
     "calendar"},
    {"Tasks", "Open Palm Desktop Tasks by File Name:", "Open Palm Desktop Task data file", "task"},
    {"Notes", "Open Palm Desktop Memos by File Name:", "Open Palm Desktop Memos data file", "memo"},
}};
constexpr std::array<const char*, 4> kTabNames = {"tAddr", "tDate", "tTodo", "tMemo"};

}  // namespace

void TfmPDOption::SetFileCheck(FileCheck check) {
  Check() = std::move(check);
}

TfmPDOption::TfmPDOption(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmPDOption"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify Palm Desktop  access options:"));
  auto* form = new QFormLayout;
  cbPDUser = new QComboBox(this);
  cbPDUser->setObjectName(QStringLiteral("cbPDUser"));
  cbPDUser->setMinimumWidth(260);
  form->addRow(tr("Select Palm &User Profile :"), cbPDUser);
  lblPDVersion = new QLabel(this);
  lblPDVersion->setObjectName(QStringLiteral("lblPDVersion"));
  form->addRow(tr("Palm Desktop version:"), lblPDVersion);
  layout->addLayout(form);
  layout->addSpacing(12);
  layout->addWidget(new QLabel(tr("More Advanced Options:"), this));
  pcMain = new QTabWidget(this);
  pcMain->setObjectName(QStringLiteral("pcMain"));
  for (int t = 0; t < 4; ++t) {
    auto* tab = new QWidget(pcMain);
    tab->setObjectName(QString::fromLatin1(kTabNames[t]));
    auto* tabLayout = new QVBoxLayout(tab);
    cbFile[t] = new QCheckBox(tr(kTypes[t].box), tab);
    edtFile[t] = new QLineEdit(tab);
    edtFile[t]->setAccessibleName(tr(kTypes[t].box));
    btnBrowse[t] = new QPushButton(QStringLiteral("..."), tab);
    btnBrowse[t]->setAccessibleName(tr(kTypes[t].title));
    tabLayout->addWidget(cbFile[t]);
    tabLayout->addLayout(EditRow(edtFile[t], btnBrowse[t]));
    tabLayout->addStretch(1);
    tabs[t] = tab;
    pcMain->addTab(tab, tr(kTypes[t].tab));
    connect(cbFile[t], &QCheckBox::toggled, this, [this, t](bool on) {
      edtFile[t]->setEnabled(on);
      btnBrowse[t]->setEnabled(on);
    });
    connect(btnBrowse[t], &QPushButton::clicked, this, [this, t] { Browse(t); });
  }
  layout->addWidget(pcMain);
  auto* note =
      new QLabel(tr("(The \"Open by File Name\" options are used when you are migrating Palm "
                    "Desktop data without having the Palm Desktop installed)."),
                 this);
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addStretch(1);
}

bool TfmPDOption::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  bool* use[4] = {&s.UsePDAddrFile, &s.UsePDDateFile, &s.UsePDTaskFile, &s.UsePDNoteFile};
  FixedText<256>* names[4] = {&s.PDAddrFileName, &s.PDDateFileName, &s.PDTaskFileName,
                              &s.PDNoteFileName};
  if (!save) {
    DiscoverPalmUsers();
    std::string folder;
    int major = 0, minor = 0, build = 0, revision = 0;
    bool found = GetPalmDesktopFolder(folder) == 0 &&
                 GetFileVersion(folder + "palm.exe", major, minor, build, revision);
    SetVersionLabel(
        lblPDVersion,
        found ? QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision)
              : tr("Not Found."),
        found);
    cbPDUser->clear();
    int selected = -1;
    const auto& users = PalmUsers();
    for (const PmUser& u : users) {
      cbPDUser->addItem(QString::fromStdString(u.UserName), u.UserID);
      if (selected < 0 && u.UserID == s.PDUserID) selected = cbPDUser->count() - 1;
    }
    // A stored id of 0 means the first user; one no longer present falls back to it as well.
    if (selected < 0 && !users.empty()) selected = 0;
    cbPDUser->setCurrentIndex(selected);
    const bool on[4] = {s.SyncAddr, s.SyncDate, s.SyncTask, s.SyncNote};
    for (int t = 0; t < 4; ++t) {
      pcMain->setTabVisible(t, on[t]);
      cbFile[t]->setChecked(*use[t]);
      edtFile[t]->setEnabled(*use[t]);
      btnBrowse[t]->setEnabled(*use[t]);
      edtFile[t]->setText(Q(*names[t]));
    }
    return true;
  }
  if (cbPDUser->currentIndex() >= 0) s.PDUserID = cbPDUser->currentData().toInt();
  for (int t = 0; t < 4; ++t) {
    *use[t] = cbFile[t]->isChecked();
    *names[t] = U(edtFile[t]->text());
  }
  return RunEngine([](AppEngine& e) { return e.LoadBothSides(kAppPalmDesktop, kAppGoogle); });
}

void TfmPDOption::Browse(int type) {
  const auto t = static_cast<std::size_t>(type);
  QString file = AppPrompt::Current().OpenFileName(
      this, tr(kTypes[t].title), QString(),
      {tr("Palm Desktop 4.x Database File(*.dat) (*.dat)"),
       tr("Palm Desktop 6.x Database File(*.mdb) (*.mdb)"), tr("All Files(*.*) (*)")});
  if (file.isEmpty()) return;
  int layout = Check() ? Check()(type, U(file)) : CheckPalmFile(type, U(file));
  if (layout == 255) {
    ShowError(this, tr("Invalid Palm Desktop %1 database file, please try another one.")
                        .arg(QString::fromLatin1(kTypes[t].kind)));
    edtFile[t]->setFocus();
    return;
  }
  edtFile[t]->setText(file);
}
