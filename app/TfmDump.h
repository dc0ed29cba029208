#pragma once

#include <QDialog>
#include <memory>

#include "app/TfmDebug.h"

class QLabel;
class QPushButton;
struct AppSettings;

// "Handle Quillmove Exception": what went wrong, where the debug log is, how to report it.
class TfmDump : public QDialog {
  Q_OBJECT
 public:
  TfmDump(AppSettings& settings, const QString& what, QWidget* parent = nullptr);

  QLabel* lblSupport;
  std::unique_ptr<DebugInfoBox> info;
  QPushButton* btnOK;
  QPushButton* btnExit;
  QPushButton* btnDebug;

  // The mailto: address lblSupport opens.
  static QUrl SupportMail();

 private:
  AppSettings& settings_;
};
