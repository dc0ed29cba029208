#pragma once

// The stand-in Outlook's automation objects. Internal to the stand-in.

#include <memory>

#include "platform/OleAuto.h"
#include "platform/outlook/OlStore.h"

namespace platform::outlook {

// A new application object over a loaded store (one reference, the caller's); it is the live
// one until it goes away.
IDispatch* NewApplication(std::shared_ptr<Store> store);
// The live application (AddRef'ed), or null.
IDispatch* LiveApplication();
// The live application's store, or null.
std::shared_ptr<Store> LiveStore();
// Automation objects of the stand-in alive now.
long LiveObjects();

}  // namespace platform::outlook
