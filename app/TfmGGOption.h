#pragma once

#include "app/TfmPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Index 1: the Google account and the field-map switch.
class TfmGGOption : public TfmPage {
  Q_OBJECT
 public:
  TfmGGOption(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QLineEdit* edtEmail;
  QLineEdit* edtPassword;
  QCheckBox* cbSaveEmail;
  QCheckBox* cbSavePassword;
  QCheckBox* cbFieldMap;
  QPushButton* btnMap;
  // Shown for an account served by Google's own sign-in, where no password is asked.
  QLabel* lblConsent;
  // Where the records of any other account go: its server, or a folder on this computer.
  QLabel* lblPlace;

 private:
  bool& CustomSwitch();
  bool SignsInThroughBrowser() const;
  void ShowSignIn();
  void OpenMap();
};
