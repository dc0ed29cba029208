#pragma once

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
struct AppSettings;

// The product band of the dialogs; clicking it opens the home page.
void AddDialogBanner(QDialog* dialog, QVBoxLayout* layout);

// The log folder and file rows that the debug dialogs share, filled from the data folder.
class DebugInfoBox {
 public:
  // Makes the group " Debug Information "; the dialog places `group`.
  explicit DebugInfoBox(QDialog* dialog, const QString& note = {});
  class QGroupBox* group;
  QLineEdit* edtFolder;
  QPushButton* btnFolder;
  QLineEdit* edtFile;
  QPushButton* btnFile;
  void OpenFolder();
  void OpenFile();

 private:
  QDialog* dialog_;
};

// "Quillmove Debug Log Options": switches the debug log and its level.
class TfmDebug : public QDialog {
  Q_OBJECT
 public:
  TfmDebug(AppSettings& settings, QWidget* parent = nullptr);

  QCheckBox* cbEnable;
  QComboBox* cbxLevel;
  std::unique_ptr<DebugInfoBox> info;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  // btnOK: stores into the settings, applies to the running log, closes.
  void accept() override;

 private:
  AppSettings& settings_;
};
