#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "app/AppPrompt.h"
#include "app/QtEngineHost.h"
#include "app/TfmMain.h"
#include "misc/CxDebugUtil.h"
#include "src/AppCommon.h"
#include "src/AppSettings.h"

namespace {

int RunWizard(QApplication& app, AppSettings& settings) {
  std::string dataFolder;
  if (!GetAppDataFolder(dataFolder)) dataFolder.clear();
  LoadAppSettings();
  CxDebugUtil& log = CxDebugUtil::Instance();
  if (!dataFolder.empty()) log.SetFolder(dataFolder);
  log.SetEnabled(settings.EnableDebug);
  log.SetLevel(settings.LogLevel);

  QtEngineHost host(settings);
  int result = 0;
  {
    AppEngine engine(settings, host, dataFolder);
    {
      TfmMain window(settings, engine, host, dataFolder);
      window.show();
      result = app.exec();
    }
    // Shut-down: the settings first, then the lists that point into the connectors, then the
    // connectors with the engine.
    if (!SaveAppSettings())
      QM_LOG_ERROR("Cannot save the settings to %s", AppSettingsPath().c_str());
    engine.SelectedContacts().RemoveAll(false);
    engine.SelectedEvents().RemoveAll(false);
    engine.SelectedTasks().RemoveAll(false);
    engine.SelectedNotes().RemoveAll(false);
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmove for Google"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillmove for Google"));
  QApplication::setDesktopFileName(QStringLiteral("quillmove"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillmove/quillmove.svg")));
  AppSettings& settings = TheAppSettings();
  try {
    return RunWizard(app, settings);
  } catch (const std::exception& e) {
    QM_LOG_ERROR("Unhandled exception: %s", e.what());
    QMessageBox::critical(nullptr, QStringLiteral("Error"), QString::fromUtf8(e.what()));
    AppPrompt::Current().ShowErrorReport(nullptr, settings, QString::fromUtf8(e.what()));
  } catch (...) {
    QM_LOG_ERROR("Unhandled exception of unknown type");
    AppPrompt::Current().ShowErrorReport(nullptr, settings, QStringLiteral("unknown exception"));
  }
  return 1;
}
