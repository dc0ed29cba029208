#pragma once

#include <string>

#include "app/TfmPage.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

// The ACT! options: program, database, login.
class TfmACTOption : public TfmPage {
  Q_OBJECT
 public:
  TfmACTOption(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QLineEdit* edtAppPath;
  QPushButton* btnAppBrowse;
  QLineEdit* edtPadName;
  QPushButton* btnPadBrowse;
  QLineEdit* edtUserName;
  QLineEdit* edtPassword;
  QCheckBox* cbSaveUser;
  QCheckBox* cbSavePassword;
  QCheckBox* cbFieldMap;
  QPushButton* btnMap;

 private:
  void BrowsePad();
  void BrowseApp();
};

// The first database of the first ACT! folder under the documents folder ("<documents>/ACT/
// <folder>/Databases/<name>.pad"), in name order; empty when any step finds nothing.
std::string DiscoverActDatabase(const std::string& documentsFolder);
