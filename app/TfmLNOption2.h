#pragma once

#include "app/TfmPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Lotus Notes options, page 2 of 2: the databases.
class TfmLNOption2 : public TfmPage {
  Q_OBJECT
 public:
  TfmLNOption2(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  // The notebook row is shown only when set; the wizard clears it at start-up.
  bool showNotebookRow = true;

  QLineEdit* edtLNAddrPath;
  QPushButton* btnLNAddrBrowse;
  QLineEdit* edtLNDBPath;
  QLabel* lblNotesLabel;
  QLineEdit* edtLNNotePath;
  QPushButton* btnLNNoteBrowse;
  QCheckBox* cbFieldMap;
  QPushButton* btnMap;
};
