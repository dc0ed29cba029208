#pragma once

#include "app/TfmPage.h"

class QRadioButton;
class QCheckBox;

// Index 0: the source application and the data types.
class TfmSource : public TfmPage {
  Q_OBJECT
 public:
  TfmSource(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QRadioButton* rbtnOL;
  QRadioButton* rbtnLN;
  QRadioButton* rbtnACT;
  QRadioButton* rbtnPD;
  QCheckBox* cbAddr;
  QCheckBox* cbDate;
};
