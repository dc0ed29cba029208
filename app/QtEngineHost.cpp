#include "app/QtEngineHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <thread>

#include "app/AppPrompt.h"
#include "app/TfmWait.h"
#include "app/WaitModel.h"
#include "misc/CxDebugUtil.h"

QtEngineHost::QtEngineHost(AppSettings& settings, QObject* parent)
    : QObject(parent), settings_(settings), bridge_(*this) {
  wait_ = new TfmWait(nullptr);
  SetUserPrompt(&bridge_);
}

QtEngineHost::~QtEngineHost() {
  SetUserPrompt(nullptr);
  // The wait thread posts to the window; it must be gone before the window is.
  StopWaitWindow();
  QCoreApplication::removePostedEvents(wait_);
  delete wait_;
}

void QtEngineHost::SetOwner(QWidget* owner) {
  owner_ = owner;
  delete wait_;
  wait_ = new TfmWait(owner);
}

bool QtEngineHost::Run(const std::function<bool()>& driver) {
  if (busy_) return false;
  busy_ = true;
  Q_EMIT BusyChanged(true);
  QEventLoop loop;
  bool result = false;
  std::string caught;
  std::thread worker([&] {
    try {
      result = driver();
    } catch (const std::exception& e) {
      caught = e.what();
    } catch (...) {
      caught = "unknown exception";
    }
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  // A driver that forgot to close it must not leave the window on screen.
  StopWaitWindow();
  if (wait_->isVisible()) wait_->Close();
  busy_ = false;
  Q_EMIT BusyChanged(false);
  if (!caught.empty()) {
    QM_LOG_ERROR("Unhandled exception in the engine: %s", caught.c_str());
    result = false;
    ShowErrorReport(caught);
  }
  ShowWarnings();
  return result;
}

void QtEngineHost::OnUiThread(const std::function<void()>& f) {
  if (QThread::currentThread() == thread())
    f();
  else
    QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
}

void QtEngineHost::OpenWaitWindow(const std::string& text) {
  if (!CurrentWaitWindow()) StartWaitWindow(wait_->MakePainter());
  ::SetWaitText(text);
}

void QtEngineHost::SetWaitText(const std::string& text) {
  ::SetWaitText(text);
}

void QtEngineHost::WatchStatusFile(const std::string& path) {
  ::WatchStatusFile(path);
}

void QtEngineHost::CloseWaitWindow() {
  StopWaitWindow();
}

void QtEngineHost::ShowMessage(const std::string& caption, const std::string& text, Icon icon) {
  OnUiThread([&] {
    // The box must never hide behind the wait window.
    if (wait_->isVisible()) wait_->hide();
    AppPrompt::Current().ShowMessage(owner_, QString::fromStdString(caption),
                                     QString::fromStdString(text), icon);
  });
}

void QtEngineHost::ShowErrorReport(const std::string& what) {
  OnUiThread([&] {
    if (wait_->isVisible()) wait_->hide();
    AppPrompt::Current().ShowErrorReport(owner_, settings_, QString::fromStdString(what));
  });
}

void QtEngineHost::Warn(const std::string& text) {
  QM_LOG_ERROR("%s", text.c_str());
  {
    std::lock_guard<std::mutex> guard(warningsLock_);
    warnings_.push_back(text);
  }
  // Outside a driver there is no end of load to wait for.
  if (!busy_ && QThread::currentThread() == thread()) ShowWarnings();
}

void QtEngineHost::ShowWarnings() {
  std::vector<std::string> shown;
  {
    std::lock_guard<std::mutex> guard(warningsLock_);
    shown.swap(warnings_);
  }
  if (shown.empty()) return;
  QString text;
  for (const std::string& w : shown) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += QString::fromStdString(w);
  }
  AppPrompt::Current().ShowMessage(owner_, QStringLiteral("Warning"), text, Icon::kWarning);
}

void QtEngineHost::PromptBridge::ShowMessage(const std::string& caption, const std::string& text,
                                             Icon icon) {
  EngineHost::Icon shown = icon == kError         ? EngineHost::Icon::kError
                           : icon == kInformation ? EngineHost::Icon::kInformation
                                                  : EngineHost::Icon::kWarning;
  host_.ShowMessage(caption, text, shown);
}
