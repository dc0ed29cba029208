#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/TfmPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The Palm Desktop options: the user, or per data type a file named by hand.
class TfmPDOption : public TfmPage {
  Q_OBJECT
 public:
  TfmPDOption(WizardContext& ctx, QWidget* parent);
  bool UpdatePage(bool save) override;

  QComboBox* cbPDUser;
  QLabel* lblPDVersion;
  QTabWidget* pcMain;
  // Per data type, in the table order.
  std::array<QWidget*, 4> tabs{};
  std::array<QCheckBox*, 4> cbFile{};
  std::array<QLineEdit*, 4> edtFile{};
  std::array<QPushButton*, 4> btnBrowse{};

  // The layout a Palm connector reads a file of a type in (1, 2 or 3), or 255 when none fits.
  using FileCheck = std::function<int(int dataType, const std::string& path)>;
  static void SetFileCheck(FileCheck check);

 private:
  void Browse(int type);
};
