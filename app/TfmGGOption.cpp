#include "app/TfmGGOption.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "BackendSettings.h"
#include "app/AppPrompt.h"
#include "app/DetailForms.h"
#include "platform/AsciiCase.h"

TfmGGOption::TfmGGOption(WizardContext& ctx, QWidget* parent)
    : TfmPage(ctx, QStringLiteral("fmGGOption"), parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeading(layout, tr("Please specify Google account access options:"));
  auto* form = new QFormLayout;
  edtEmail = new QLineEdit(this);
  edtEmail->setObjectName(QStringLiteral("edtEmail"));
  edtEmail->setMaxLength(63);
  edtPassword = new QLineEdit(this);
  edtPassword->setObjectName(QStringLiteral("edtPassword"));
  edtPassword->setEchoMode(QLineEdit::Password);
  edtPassword->setMaxLength(63);
  form->addRow(tr("Google Account &Email:"), edtEmail);
  form->addRow(tr("&Password:"), edtPassword);
  layout->addLayout(form);
  lblConsent = new QLabel(tr("Google signs this account in through its consent page, which "
                             "opens in your web browser: no password is needed here."),
                          this);
  lblConsent->setObjectName(QStringLiteral("lblConsent"));
  lblConsent->setWordWrap(true);
  lblConsent->setVisible(false);
  layout->addWidget(lblConsent);
  lblPlace = new QLabel(this);
  lblPlace->setObjectName(QStringLiteral("lblPlace"));
  lblPlace->setWordWrap(true);
  lblPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(lblPlace);

  cbSaveEmail = new QCheckBox(tr("Save E&mail"), this);
  cbSaveEmail->setObjectName(QStringLiteral("cbSaveEmail"));
  cbSavePassword = new QCheckBox(tr("&Save Password"), this);
  cbSavePassword->setObjectName(QStringLiteral("cbSavePassword"));
  auto* saves = new QHBoxLayout;
  saves->addWidget(cbSaveEmail);
  saves->addWidget(cbSavePassword);
  saves->addStretch(1);
  layout->addLayout(saves);
  layout->addSpacing(16);

  cbFieldMap = new QCheckBox(tr("Enable Google Contacts &User-Defined Field Mapping"), this);
  cbFieldMap->setObjectName(QStringLiteral("cbFieldMap"));
  btnMap = new QPushButton(tr("Setup Field &Mapping  Now"), this);
  btnMap->setObjectName(QStringLiteral("btnMap"));
  auto* map = new QHBoxLayout;
  map->addWidget(cbFieldMap);
  map->addWidget(btnMap);
  map->addStretch(1);
  layout->addLayout(map);
  layout->addStretch(1);

  connect(cbFieldMap, &QCheckBox::toggled, btnMap, &QPushButton::setEnabled);
  connect(edtEmail, &QLineEdit::textChanged, this, &TfmGGOption::ShowSignIn);
  connect(btnMap, &QPushButton::clicked, this, &TfmGGOption::OpenMap);
}

bool& TfmGGOption::CustomSwitch() {
  AppSettings& s = ctx_.settings;
  switch (s.SourceApp) {
    case kAppACT:
      return s.ACTCustom;
    case kAppLotusNotes:
      return s.LNCustom;
    case kAppPalmDesktop:
      return s.PDCustom;
    default:
      return s.OLCustom;
  }
}

// Google takes no passwords from programs: its accounts' helpers ask in the browser.
bool TfmGGOption::SignsInThroughBrowser() const {
  return HelperSettings::ForAccount(U(edtEmail->text().trimmed())).backend ==
         HelperSettings::kGoogle;
}

void TfmGGOption::ShowSignIn() {
  const std::string email = U(edtEmail->text().trimmed());
  const AccountSettings account = HelperSettings::ForAccount(email);
  lblConsent->setVisible(account.backend == HelperSettings::kGoogle);
  // A person should find the records where this page says they go.
  QString place;
  if (account.backend == HelperSettings::kDav) {
    place = tr("The records go to the CardDAV/CalDAV server %1; the password is that server's.")
                .arg(QString::fromStdString(account.Value("Url")));
  } else if (account.backend == HelperSettings::kLocal && email.find('@') != std::string::npos) {
    const std::string folder =
        HelperSettings::AccountsRoot(ctx_.dataFolder) + platform::FoldAscii(email);
    place = tr("The records go to a folder on this computer (%1), not to an online account. "
               "The account's server is chosen with \"quillmove-cli account set\".")
                .arg(QString::fromStdString(folder));
  }
  lblPlace->setText(place);
  lblPlace->setVisible(!place.isEmpty());
}

bool TfmGGOption::UpdatePage(bool save) {
  AppSettings& s = ctx_.settings;
  if (!save) {
    cbSaveEmail->setChecked(s.GGSaveEmail);
    cbSavePassword->setChecked(s.GGSavePassword);
    edtEmail->setText(Q(s.GGEmail));
    edtPassword->setText(Q(s.GGPassword));
    ShowSignIn();
    if (s.SyncAddr) {
      cbFieldMap->setEnabled(true);
      cbFieldMap->setChecked(CustomSwitch());
      btnMap->setEnabled(cbFieldMap->isChecked());
    } else {
      cbFieldMap->setEnabled(false);
      cbFieldMap->setChecked(false);
      btnMap->setEnabled(false);
    }
    return true;
  }
  if (edtEmail->text().isEmpty()) {
    ShowError(this, tr("Please enter the Email address of your Google account."),
              EngineHost::Icon::kInformation);
    edtEmail->setFocus();
    return false;
  }
  if (edtPassword->text().isEmpty() && !SignsInThroughBrowser()) {
    ShowError(this, tr("Please enter the password of your Google account."),
              EngineHost::Icon::kInformation);
    edtPassword->setFocus();
    return false;
  }
  s.GGSaveEmail = cbSaveEmail->isChecked();
  s.GGSavePassword = cbSavePassword->isChecked();
  s.GGEmail = U(edtEmail->text());
  s.GGPassword = U(edtPassword->text());
  CustomSwitch() = cbFieldMap->isChecked();
  const int source = s.SourceApp;
  return RunEngine([source](AppEngine& e) {
    e.ApplyCustomFieldMap(source);
    return e.LoadBothSides(kAppGoogle, kAppGoogle);
  });
}

void TfmGGOption::OpenMap() {
  if (!OpenFieldMapDialog(this, ctx_.settings)) return;
  const int source = ctx_.settings.SourceApp;
  RunEngine([source](AppEngine& e) { return e.ApplyCustomFieldMap(source); });
}
