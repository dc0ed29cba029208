#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "misc/UserPrompt.h"
#include "src/EngineHost.h"

class QWidget;
class TfmWait;
struct AppSettings;

// The engine's host in the wizard. Drivers run on a worker thread while the UI thread keeps its
// event loop; whatever a driver shows is handed to the UI thread, and the driver waits for the
// person's answer there. No widget is touched from the worker.
class QtEngineHost : public QObject, public EngineHost {
  Q_OBJECT
 public:
  QtEngineHost(AppSettings& settings, QObject* parent = nullptr);
  ~QtEngineHost() override;

  // The window that owns the boxes and gets the focus back from the wait window.
  void SetOwner(QWidget* owner);
  QWidget* Owner() const { return owner_; }

  // Runs a driver on the worker thread and returns its result once it ended; events are
  // processed meanwhile. False at once when a driver is already running.
  bool Run(const std::function<bool()>& driver);
  bool Busy() const { return busy_; }

  TfmWait* WaitWindow() const { return wait_; }

  void OpenWaitWindow(const std::string& text) override;
  void SetWaitText(const std::string& text) override;
  void WatchStatusFile(const std::string& path) override;
  void CloseWaitWindow() override;
  void ShowMessage(const std::string& caption, const std::string& text, Icon icon) override;
  void ShowErrorReport(const std::string& what) override;
  void Warn(const std::string& text) override;

 Q_SIGNALS:
  void BusyChanged(bool busy);

 private:
  class PromptBridge : public UserPrompt {
   public:
    explicit PromptBridge(QtEngineHost& host) : host_(host) {}
    void ShowMessage(const std::string& caption, const std::string& text, Icon icon) override;

   private:
    QtEngineHost& host_;
  };

  // Runs f on the UI thread and waits for it.
  void OnUiThread(const std::function<void()>& f);
  void ShowWarnings();

  AppSettings& settings_;
  QPointer<QWidget> owner_;
  TfmWait* wait_ = nullptr;
  PromptBridge bridge_;
  std::atomic<bool> busy_{false};
  std::mutex warningsLock_;
  std::vector<std::string> warnings_;
};
