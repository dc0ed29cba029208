#include "app/AppPrompt.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

#include "app/TfmDump.h"
#include "misc/CxDebugUtil.h"

namespace {

AppPrompt* installed = nullptr;

QMessageBox::Icon BoxIcon(EngineHost::Icon icon) {
  switch (icon) {
    case EngineHost::Icon::kError:
      return QMessageBox::Critical;
    case EngineHost::Icon::kWarning:
      return QMessageBox::Warning;
    case EngineHost::Icon::kInformation:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

void AppPrompt::ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                            EngineHost::Icon icon) {
  QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
  box.exec();
}

QString AppPrompt::OpenFileName(QWidget* parent, const QString& title, const QString& start,
                                const QStringList& filters) {
  return QFileDialog::getOpenFileName(parent, title, start, filters.join(QStringLiteral(";;")));
}

bool AppPrompt::OpenUrl(const QUrl& url) {
  if (QDesktopServices::openUrl(url)) return true;
  QString shown = url.isLocalFile() ? url.toLocalFile() : url.toString();
  QM_LOG_ERROR("Cannot open %s", shown.toUtf8().constData());
  ShowMessage(nullptr, QStringLiteral("Error"),
              QStringLiteral("Cannot open \"%1\": the desktop has no program for it.").arg(shown),
              EngineHost::Icon::kError);
  return false;
}

void AppPrompt::ShowErrorReport(QWidget* parent, AppSettings& settings, const QString& what) {
  TfmDump dump(settings, what, parent);
  dump.exec();
}

AppPrompt& AppPrompt::Current() {
  static AppPrompt interactive;
  return installed ? *installed : interactive;
}

void AppPrompt::Install(AppPrompt* prompt) {
  installed = prompt;
}

void ShowError(QWidget* parent, const QString& text, EngineHost::Icon icon) {
  AppPrompt::Current().ShowMessage(parent, QStringLiteral("Error"), text, icon);
}
