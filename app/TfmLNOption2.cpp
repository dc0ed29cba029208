#include "app/TfmLNOption2.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "misc/WinUtil.h"

namespace {
QString NotesDataFolder() {
  char folder[260];
  GetNotesDataFolder(folder, sizeof folder);
  return QString::fromUtf8(folder);
}
}  // namespace

TfmLNOption2::TfmLNOption2(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmLNOption2"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify Lotus Notes access options (2 of 2):"));
  auto* addrLabel = new QLabel(tr("&Address book database (example: [some path]\\name.nsf, or "
                                  "[Server]!![Database file] for remote address book) ,"),
                               this);
  addrLabel->setWordWrap(true);
  edtLNAddrPath = new QLineEdit(this);
  edtLNAddrPath->setObjectName(QStringLiteral("edtLNAddrPath"));
  addrLabel->setBuddy(edtLNAddrPath);
  btnLNAddrBrowse = new QPushButton(QStringLiteral("..."), this);
  btnLNAddrBrowse->setObjectName(QStringLiteral("btnLNAddrBrowse"));
  btnLNAddrBrowse->setAccessibleName(tr("Browse for the address book"));
  layout->addWidget(addrLabel);
  layout->addLayout(EditRow(edtLNAddrPath, btnLNAddrBrowse));
  layout->addSpacing(10);

  auto* dbLabel = new QLabel(tr("Calendar and Todo (&Mail) database (format: [Server]!![Database], "
                                "example: Primary1/Org1!!mail/mydb.nsf) "),
                             this);
  dbLabel->setWordWrap(true);
  edtLNDBPath = new QLineEdit(this);
  edtLNDBPath->setObjectName(QStringLiteral("edtLNDBPath"));
  dbLabel->setBuddy(edtLNDBPath);
  layout->addWidget(dbLabel);
  layout->addWidget(edtLNDBPath);
  layout->addSpacing(10);

  lblNotesLabel = new QLabel(tr("Notebook database path (example: some path\\notebook.nsf)"), this);
  lblNotesLabel->setObjectName(QStringLiteral("lblNotesLabel"));
  edtLNNotePath = new QLineEdit(this);
  edtLNNotePath->setObjectName(QStringLiteral("edtLNNotePath"));
  btnLNNoteBrowse = new QPushButton(QStringLiteral("..."), this);
  btnLNNoteBrowse->setObjectName(QStringLiteral("btnLNNoteBrowse"));
  layout->addWidget(lblNotesLabel);
  layout->addLayout(EditRow(edtLNNotePath, btnLNNoteBrowse));

  cbFieldMap = new QCheckBox(tr("Enable Lotus Notes Contacts User-Defined Field Mapping"), this);
  btnMap = new QPushButton(tr("Setup Field Mapping  Now"), this);
  cbFieldMap->hide();
  btnMap->hide();
  layout->addStretch(1);

  connect(btnLNAddrBrowse, &QPushButton::clicked, this, [this] {
    QString file = AppPrompt::Current().OpenFileName(
        this, tr("Open Lotus Notes Address Book"), edtLNAddrPath->text(),
        {tr("Lotus Notes Contacts Database file (names.nsf) (*.nsf)")});
    if (!file.isEmpty()) edtLNAddrPath->setText(file);
  });
  connect(btnLNNoteBrowse, &QPushButton::clicked, this, [this] {
    QString file = AppPrompt::Current().OpenFileName(
        this, tr("Open Lotus Notes Notebook"), edtLNNotePath->text(),
        {tr("Lotus Notes Notebook Database file (notebook.nsf) (*.nsf)")});
    if (!file.isEmpty()) edtLNNotePath->setText(file);
  });
}

bool TfmLNOption2::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    QString dataFolder = NotesDataFolder();
    if (s.LNAddrName.empty() && !dataFolder.isEmpty())
      s.LNAddrName = U(dataFolder + QStringLiteral("names.nsf"));
    if (s.LNNoteName.empty() && !dataFolder.isEmpty()) {
      QString notebook = dataFolder + QStringLiteral("notebook.nsf");
      if (QFileInfo::exists(notebook)) s.LNNoteName = U(notebook);
    }
    edtLNAddrPath->setText(Q(s.LNAddrName));
    edtLNDBPath->setText(Q(s.LNDateName));
    edtLNNotePath->setText(Q(s.LNNoteName));
    for (QWidget* w : {static_cast<QWidget*>(lblNotesLabel), static_cast<QWidget*>(edtLNNotePath),
                       static_cast<QWidget*>(btnLNNoteBrowse)})
      w->setVisible(showNotebookRow);
    edtLNAddrPath->setEnabled(s.SyncAddr);
    btnLNAddrBrowse->setEnabled(s.SyncAddr);
    edtLNDBPath->setEnabled(s.SyncDate || s.SyncTask);
    return true;
  }
  s.LNAddrName = U(edtLNAddrPath->text());
  s.LNDateName = U(edtLNDBPath->text());
  s.LNNoteName = U(edtLNNotePath->text());
  return RunEngine([](AppEngine& e) { return e.LoadBothSides(kAppLotusNotes, kAppGoogle); });
}
