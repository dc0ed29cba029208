#pragma once

#include "app/TfmPage.h"

class QCheckBox;
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

 private:
  bool& CustomSwitch();
  void OpenMap();
};
