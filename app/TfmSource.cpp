#include "app/TfmSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/AppPrompt.h"

TfmSource::TfmSource(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmSource"), parent) {
  auto* layout = new QVBoxLayout(this);
  auto* apps =
      new QGroupBox(tr(" Choose which application data you need to migrate to Google "), this);
  auto* appsLayout = new QVBoxLayout(apps);
  rbtnOL = new QRadioButton(tr("Microsoft &Outlook"), apps);
  rbtnLN = new QRadioButton(tr("&Lotus Notes"), apps);
  rbtnACT = new QRadioButton(tr("&ACT! by Sage"), apps);
  rbtnPD = new QRadioButton(tr("&Palm Desktop"), apps);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* b : {rbtnOL, rbtnLN, rbtnACT, rbtnPD}) {
    group->addButton(b);
    appsLayout->addWidget(b);
  }
  rbtnOL->setObjectName(QStringLiteral("rbtnOL"));
  rbtnLN->setObjectName(QStringLiteral("rbtnLN"));
  rbtnACT->setObjectName(QStringLiteral("rbtnACT"));
  rbtnPD->setObjectName(QStringLiteral("rbtnPD"));

  auto* types =
      new QGroupBox(tr("Choose which types of data you need to migrate to Google "), this);
  auto* typesLayout = new QVBoxLayout(types);
  cbAddr = new QCheckBox(tr("Google Gmail &Contacts"), types);
  cbDate = new QCheckBox(tr("Google Ca&lendar"), types);
  cbAddr->setObjectName(QStringLiteral("cbAddr"));
  cbDate->setObjectName(QStringLiteral("cbDate"));
  typesLayout->addWidget(cbAddr);
  typesLayout->addWidget(cbDate);

  layout->addWidget(apps);
  layout->addSpacing(12);
  layout->addWidget(types);
  layout->addStretch(1);
}

bool TfmSource::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    switch (s.SourceApp) {
      case kAppLotusNotes:
        rbtnLN->setChecked(true);
        break;
      case kAppACT:
        rbtnACT->setChecked(true);
        break;
      case kAppPalmDesktop:
        rbtnPD->setChecked(true);
        break;
      default:
        rbtnOL->setChecked(true);
        break;
    }
    cbAddr->setChecked(s.SyncAddr);
    cbDate->setChecked(s.SyncDate);
    return true;
  }
  s.SourceApp = rbtnOL->isChecked()    ? kAppOutlook
                : rbtnLN->isChecked()  ? kAppLotusNotes
                : rbtnACT->isChecked() ? kAppACT
                : rbtnPD->isChecked()  ? kAppPalmDesktop
                                       : kAppOutlook;
  s.SyncAddr = cbAddr->isChecked();
  s.SyncDate = cbDate->isChecked();
  s.SyncTask = false;
  s.SyncNote = false;
  if (!s.SyncAddr && !s.SyncDate) {
    ShowError(this, tr("Please migrate at least one type of application data, either Contacts or "
                       "Calendar."));
    return false;
  }
  if (ctx_.setPageCount) ctx_.setPageCount(s.SourceApp == kAppLotusNotes ? 6 : 5);
  return true;
}
