#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "src/AppCommon.h"
#include "src/AppSettings.h"

class QtEngineHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QHBoxLayout;

// What the pages share: the settings record, the engine and its host, and the two wizard
// operations a page may call.
struct WizardContext {
  AppSettings& settings;
  AppEngine& engine;
  QtEngineHost& host;
  std::string dataFolder;  // ends with a separator; empty when there is none
  std::function<void(int)> setPageCount;
  std::function<void()> restart;
};

// A wizard page: filled from the settings when entered, validated and stored when left.
class TfmPage : public QWidget {
  Q_OBJECT
 public:
  TfmPage(WizardContext& ctx, const QString& name, QWidget* parent);
  // save false: fill; save true: validate, store and run the engine work of leaving the page.
  virtual bool UpdatePage(bool save) = 0;

 protected:
  QLabel* AddHeading(class QVBoxLayout* layout, const QString& text);
  // A line edit with its browse button "...", for a form row.
  static QHBoxLayout* EditRow(QLineEdit* edit, QPushButton* browse);
  // A form row of EditRow under a label whose mnemonic goes to the edit (a row given as a layout
  // gets a label without a buddy, which shows its '&').
  void AddEditRow(class QFormLayout* form, const QString& label, QLineEdit* edit,
                  QPushButton* browse);
  // Runs an engine driver on the worker thread.
  bool RunEngine(const std::function<bool(AppEngine&)>& driver);

  WizardContext& ctx_;
};

// UTF-8 fields to and from the controls.
inline QString Q(const TextStorage& t) {
  return QString::fromUtf8(t.c_str(), static_cast<qsizetype>(t.size()));
}
inline std::string U(const QString& s) {
  return s.toUtf8().toStdString();
}

// Blue and red as the version labels show them.
void SetVersionLabel(QLabel* label, const QString& text, bool found);
