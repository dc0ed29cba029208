#pragma once

#include <string>

#include "app/TfmPage.h"

class QLabel;
class QPushButton;

// The last page: what was migrated, the migration log, the account, and a new run.
class TfmFinish : public TfmPage {
  Q_OBJECT
 public:
  TfmFinish(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QLabel* lblAddrCount;
  QLabel* lblDateCount;
  QPushButton* btnLog;
  QPushButton* btnGoogle;
  QPushButton* btnNew;

  // The local account's folder for this e-mail address when the Google helpers keep the account
  // on this machine; empty otherwise.
  static std::string LocalAccountFolder(const std::string& dataFolder, const std::string& email);

 private:
  void OpenAccount();
};
