#include "app/TfmACTOption.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "misc/WinUtil.h"
#include "platform/PlatformPaths.h"

std::string DiscoverActDatabase(const std::string& documentsFolder) {
  if (documentsFolder.empty()) return {};
  QDir act(QString::fromStdString(documentsFolder) + QStringLiteral("/ACT"));
  const QStringList folders =
      act.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  if (folders.isEmpty()) return {};
  QDir databases(act.filePath(folders.first()) + QStringLiteral("/Databases"));
  const QStringList pads =
      databases.entryList({QStringLiteral("*.pad")}, QDir::Files | QDir::Hidden, QDir::Name);
  if (pads.isEmpty()) return {};
  return U(databases.filePath(pads.first()));
}

namespace {
std::string ActProgramPath() {
  char path[260];
  GetActProgramPath(path, sizeof path);
  return path;
}
}  // namespace

TfmACTOption::TfmACTOption(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmACTOption"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify ACT! by Sage data access options:"));
  auto* form = new QFormLayout;
  edtAppPath = new QLineEdit(this);
  edtAppPath->setObjectName(QStringLiteral("edtAppPath"));
  btnAppBrowse = new QPushButton(QStringLiteral("..."), this);
  btnAppBrowse->setObjectName(QStringLiteral("btnAppBrowse"));
  btnAppBrowse->setAccessibleName(tr("Browse for the ACT! program"));
  AddEditRow(form, tr("&App Path:"), edtAppPath, btnAppBrowse);
  edtPadName = new QLineEdit(this);
  edtPadName->setObjectName(QStringLiteral("edtPadName"));
  btnPadBrowse = new QPushButton(QStringLiteral("..."), this);
  btnPadBrowse->setObjectName(QStringLiteral("btnPadBrowse"));
  btnPadBrowse->setAccessibleName(tr("Browse for the ACT! database"));
  AddEditRow(form, tr("PA&D Path:"), edtPadName, btnPadBrowse);
  auto* what = new QLabel(tr("What is ACT! PAD?"), this);
  what->setToolTip(
      tr("The .pad file names an ACT! database; ACT! keeps it in the "
         "Databases folder under \"My Documents\\ACT\"."));
  what->setStyleSheet(QStringLiteral("color: palette(link);"));
  form->addRow(QString(), what);
  edtUserName = new QLineEdit(this);
  edtUserName->setObjectName(QStringLiteral("edtUserName"));
  edtUserName->setMaxLength(63);
  form->addRow(tr("&User:"), edtUserName);
  edtPassword = new QLineEdit(this);
  edtPassword->setObjectName(QStringLiteral("edtPassword"));
  edtPassword->setEchoMode(QLineEdit::Password);
  edtPassword->setMaxLength(63);
  form->addRow(tr("Pass&word:"), edtPassword);
  layout->addLayout(form);
  cbSaveUser = new QCheckBox(tr("Save User &Name"), this);
  cbSaveUser->setObjectName(QStringLiteral("cbSaveUser"));
  cbSavePassword = new QCheckBox(tr("&Save Password"), this);
  cbSavePassword->setObjectName(QStringLiteral("cbSavePassword"));
  auto* saves = new QHBoxLayout;
  saves->addWidget(cbSaveUser);
  saves->addWidget(cbSavePassword);
  saves->addStretch(1);
  layout->addLayout(saves);
  cbFieldMap = new QCheckBox(tr("Enable ACT! Contacts User-Defined Field Mapping"), this);
  btnMap = new QPushButton(tr("Setup Field Mapping  Now"), this);
  cbFieldMap->hide();
  btnMap->hide();
  layout->addStretch(1);
  connect(btnPadBrowse, &QPushButton::clicked, this, &TfmACTOption::BrowsePad);
  connect(btnAppBrowse, &QPushButton::clicked, this, &TfmACTOption::BrowseApp);
}

bool TfmACTOption::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    if (s.ACTPadName.empty()) s.ACTPadName = DiscoverActDatabase(platform::DocumentsFolder());
    if (s.ACTAppName.empty()) s.ACTAppName = ActProgramPath();
    edtAppPath->setText(Q(s.ACTAppName));
    edtPadName->setText(Q(s.ACTPadName));
    edtUserName->setText(Q(s.ACTUserName));
    edtPassword->setText(Q(s.ACTPassword));
    cbSaveUser->setChecked(s.ACTSaveUser);
    cbSavePassword->setChecked(s.ACTSavePassword);
    return true;
  }
  s.ACTSaveUser = cbSaveUser->isChecked();
  s.ACTSavePassword = cbSavePassword->isChecked();
  s.ACTAppName = U(edtAppPath->text());
  s.ACTPadName = U(edtPadName->text());
  s.ACTUserName = U(edtUserName->text());
  s.ACTPassword = U(edtPassword->text());
  if (edtAppPath->text().isEmpty() || !QFileInfo::exists(edtAppPath->text())) {
    ShowError(this, tr("The ACT! application is not found on your computer."));
    return false;
  }
  if (edtPadName->text().isEmpty() || !QFileInfo::exists(edtPadName->text())) {
    ShowError(this, tr("Invalid ACT! Pad file name."));
    return false;
  }
  if (edtUserName->text().isEmpty()) {
    ShowError(this, tr("Invalid ACT! login user name."));
    return false;
  }
  return RunEngine([](AppEngine& e) { return e.LoadBothSides(kAppACT, kAppGoogle); });
}

void TfmACTOption::BrowsePad() {
  QString start = edtPadName->text();
  if (start.isEmpty())
    start = QString::fromStdString(DiscoverActDatabase(platform::DocumentsFolder()));
  QString file = AppPrompt::Current().OpenFileName(this, tr("Open ACT! Database"), start,
                                                   {tr("ACT! Database File (*.pad)")});
  if (!file.isEmpty()) edtPadName->setText(file);
}

void TfmACTOption::BrowseApp() {
  QString file = AppPrompt::Current().OpenFileName(
      this, tr("Find the ACT! Program"), QString::fromStdString(ActProgramPath()),
      {tr("ACT! executable file (ActSage.exe) (*.exe)")});
  if (!file.isEmpty()) edtAppPath->setText(file);
}
