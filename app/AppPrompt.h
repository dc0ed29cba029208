#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include "src/EngineHost.h"

class QWidget;
struct AppSettings;

// Everything the wizard shows or asks outside its own pages goes through here: message boxes,
// file dialogs, the error report and the desktop's opener. Tests install one that records.
class AppPrompt {
 public:
  virtual ~AppPrompt() = default;

  virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                           EngineHost::Icon icon);
  // An existing file, or empty when cancelled.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& start,
                               const QStringList& filters);
  virtual bool OpenUrl(const QUrl& url);
  virtual void ShowErrorReport(QWidget* parent, AppSettings& settings, const QString& what);

  // The prompt in use; never null.
  static AppPrompt& Current();
  // Installs a prompt (null restores the interactive one). The caller keeps it alive.
  static void Install(AppPrompt* prompt);
};

// "Error" with the error icon, or the information icon for missing input.
void ShowError(QWidget* parent, const QString& text,
               EngineHost::Icon icon = EngineHost::Icon::kError);
