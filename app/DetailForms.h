#pragma once

#include <functional>

class QWidget;
struct AppSettings;

// Entry points of the per-record detail dialogs and the custom field map. The dialogs are not
// built yet: each entry point reports what it was handed to the observer (tests) and opens
// nothing.
struct DetailRequest {
  int app = 0;       // the review page's source
  int dataType = 0;  // DataType
  const void* record = nullptr;
  const void* manager = nullptr;
};

// Returns whether a dialog was shown.
bool OpenDetailForm(QWidget* parent, const DetailRequest& request);
// True when the map was closed with OK.
bool OpenFieldMapDialog(QWidget* parent, AppSettings& settings);

void SetDetailFormObserver(std::function<void(const DetailRequest&)> observer);
