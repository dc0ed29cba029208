#pragma once

#include "app/TfmPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Outlook options: the program path and its version.
class TfmOLOption : public TfmPage {
  Q_OBJECT
 public:
  TfmOLOption(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QLineEdit* edtOLPath;
  QPushButton* btnOLBrowse;
  QLabel* lblOLVersion;
  QCheckBox* cbFieldMap;
  QPushButton* btnMap;
};
