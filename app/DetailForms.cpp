#include "app/DetailForms.h"

#include "app/AppPrompt.h"
#include "misc/CxDebugUtil.h"

namespace {
std::function<void(const DetailRequest&)>& Observer() {
  static std::function<void(const DetailRequest&)> observer;
  return observer;
}
}  // namespace

bool OpenDetailForm(QWidget*, const DetailRequest& request) {
  QM_LOG_INFO("Detail form requested: application %d, data type %d", request.app, request.dataType);
  if (Observer()) Observer()(request);
  return false;
}

bool OpenFieldMapDialog(QWidget* parent, AppSettings&) {
  QM_LOG_INFO("The custom field map is not available in this build.");
  AppPrompt::Current().ShowMessage(
      parent, QStringLiteral("Information"),
      QStringLiteral("User-defined field mapping cannot be set up in this version yet."),
      EngineHost::Icon::kInformation);
  return false;
}

void SetDetailFormObserver(std::function<void(const DetailRequest&)> observer) {
  Observer() = std::move(observer);
}
