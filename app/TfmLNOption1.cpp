#include "app/TfmLNOption1.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "misc/WinUtil.h"

namespace {
// With a separator at the end: the registry's Path may have none.
QString NotesFolder() {
  char folder[260];
  GetNotesProgramFolder(folder, sizeof folder);
  QString path = QString::fromUtf8(folder);
  if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')))
    path += QLatin1Char('/');
  return path;
}
}  // namespace

TfmLNOption1::TfmLNOption1(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmLNOption1"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify Lotus Notes access options (1 of 2):"));
  auto* form = new QFormLayout;
  edtNotesPath = new QLineEdit(this);
  edtNotesPath->setObjectName(QStringLiteral("edtNotesPath"));
  btnNotesBrowse = new QPushButton(QStringLiteral("..."), this);
  btnNotesBrowse->setObjectName(QStringLiteral("btnNotesBrowse"));
  btnNotesBrowse->setAccessibleName(tr("Browse for the Notes program"));
  AddEditRow(form, tr("&Notes.exe Path:"), edtNotesPath, btnNotesBrowse);
  lblNotesVersion = new QLabel(this);
  lblNotesVersion->setObjectName(QStringLiteral("lblNotesVersion"));
  form->addRow(tr("Lotus Notes Version:"), lblNotesVersion);
  cbLNPassword = new QCheckBox(tr("Pass&word Required:"), this);
  cbLNPassword->setObjectName(QStringLiteral("cbLNPassword"));
  edtLNPassword = new QLineEdit(this);
  edtLNPassword->setObjectName(QStringLiteral("edtLNPassword"));
  edtLNPassword->setEchoMode(QLineEdit::Password);
  edtLNPassword->setMaxLength(63);
  edtLNPassword->setAccessibleName(tr("Notes password"));
  form->addRow(cbLNPassword, edtLNPassword);
  cbLNSavePassword = new QCheckBox(tr("&Save the Password"), this);
  cbLNSavePassword->setObjectName(QStringLiteral("cbLNSavePassword"));
  form->addRow(QString(), cbLNSavePassword);
  edtIDFile = new QLineEdit(this);
  edtIDFile->setObjectName(QStringLiteral("edtIDFile"));
  btnIDFileBrowse = new QPushButton(QStringLiteral("..."), this);
  btnIDFileBrowse->setObjectName(QStringLiteral("btnIDFileBrowse"));
  btnIDFileBrowse->setAccessibleName(tr("Browse for the user ID file"));
  AddEditRow(form, tr("User &ID File:"), edtIDFile, btnIDFileBrowse);
  layout->addLayout(form);
  layout->addStretch(1);

  connect(btnNotesBrowse, &QPushButton::clicked, this, [this] {
    QString start = edtNotesPath->text().isEmpty() ? DefaultProgram() : edtNotesPath->text();
    QString file =
        AppPrompt::Current().OpenFileName(this, tr("Find the Lotus Notes Program"), start,
                                          {tr("Lotus Notes executable file (notes.exe) (*.exe)")});
    if (!file.isEmpty()) edtNotesPath->setText(file);
  });
  connect(btnIDFileBrowse, &QPushButton::clicked, this, [this] {
    QString start = edtIDFile->text().isEmpty() ? DefaultIdFile() : edtIDFile->text();
    QString file = AppPrompt::Current().OpenFileName(
        this, tr("Find the Lotus Notes User ID File"), start,
        {tr("Lotus Notes user ID file (user.id) (*.id)"), tr("All Files(*.*) (*)")});
    if (!file.isEmpty()) edtIDFile->setText(file);
  });
}

QString TfmLNOption1::DefaultProgram() const {
  QString folder = NotesFolder();
  return folder.isEmpty() ? QString() : folder + QStringLiteral("Notes.exe");
}

QString TfmLNOption1::DefaultIdFile() const {
  QString folder = NotesFolder();
  return folder.isEmpty() ? QString() : folder + QStringLiteral("Data/user.id");
}

bool TfmLNOption1::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    if (s.LNAppName.empty()) s.LNAppName = U(DefaultProgram());
    edtNotesPath->setText(Q(s.LNAppName));
    char version[64];
    bool found = GetNotesVersion(version, sizeof version) && version[0];
    SetVersionLabel(lblNotesVersion, found ? QString::fromUtf8(version) : tr("Unknown"), found);
    if (s.LNIDFile.empty()) s.LNIDFile = U(DefaultIdFile());
    edtIDFile->setText(Q(s.LNIDFile));
    cbLNPassword->setChecked(s.LNNeedPassword);
    cbLNSavePassword->setChecked(s.LNSavePassword);
    edtLNPassword->setText(Q(s.LNPassword));
    return true;
  }
  if (edtNotesPath->text().isEmpty()) {
    ShowError(this, tr("Invalid path for Lotus Notes note.exe. Lotus Notes executable not found."));
    return false;
  }
  s.LNAppName = U(edtNotesPath->text());
  s.LNPassword = U(edtLNPassword->text());
  s.LNIDFile = U(edtIDFile->text());
  s.LNNeedPassword = cbLNPassword->isChecked();
  s.LNSavePassword = cbLNSavePassword->isChecked();
  return true;
}
