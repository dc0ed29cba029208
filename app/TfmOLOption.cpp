#include "app/TfmOLOption.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppPrompt.h"
#include "misc/WinUtil.h"

TfmOLOption::TfmOLOption(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmOLOption"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify Microsoft Outlook options:"));
  auto* form = new QFormLayout;
  edtOLPath = new QLineEdit(this);
  edtOLPath->setObjectName(QStringLiteral("edtOLPath"));
  btnOLBrowse = new QPushButton(QStringLiteral("..."), this);
  btnOLBrowse->setObjectName(QStringLiteral("btnOLBrowse"));
  // The program path is found, not chosen: the button has no action.
  btnOLBrowse->setEnabled(false);
  AddEditRow(form, tr("Outlook.exe &Path:"), edtOLPath, btnOLBrowse);
  lblOLVersion = new QLabel(this);
  lblOLVersion->setObjectName(QStringLiteral("lblOLVersion"));
  form->addRow(tr("Outlook Version:"), lblOLVersion);
  layout->addLayout(form);
  cbFieldMap = new QCheckBox(tr("Enable Outlook Contacts User-Defined Field Mapping"), this);
  btnMap = new QPushButton(tr("Setup Field Mapping  Now"), this);
  cbFieldMap->hide();
  btnMap->hide();
  layout->addStretch(1);
}

bool TfmOLOption::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    if (s.OLAppName.empty()) {
      char path[260];
      GetOutlookProgramPath(path, sizeof path);
      s.OLAppName = path;
    }
    edtOLPath->setText(Q(s.OLAppName));
    char version[64];
    bool found = GetOutlookVersion(version, sizeof version) && version[0];
    SetVersionLabel(lblOLVersion, found ? QString::fromUtf8(version) : tr("Unknown"), found);
    return true;
  }
  if (edtOLPath->text().isEmpty()) {
    ShowError(this, tr("Invalid path for outlook.exe. Outlook executable not found."));
    return false;
  }
  s.OLAppName = U(edtOLPath->text());
  return RunEngine([](AppEngine& e) { return e.LoadBothSides(kAppOutlook, kAppGoogle); });
}
