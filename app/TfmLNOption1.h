#pragma once

#include "app/TfmPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Lotus Notes options, page 1 of 2: program, version, password and ID file.
class TfmLNOption1 : public TfmPage {
  Q_OBJECT
 public:
  TfmLNOption1(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QLineEdit* edtNotesPath;
  QPushButton* btnNotesBrowse;
  QLabel* lblNotesVersion;
  QCheckBox* cbLNPassword;
  QLineEdit* edtLNPassword;
  QCheckBox* cbLNSavePassword;
  QLineEdit* edtIDFile;
  QPushButton* btnIDFileBrowse;

 private:
  QString DefaultProgram() const;
  QString DefaultIdFile() const;
};
