#include "src/ConnectorTable.h"

#include "src/AppCodes.h"

int ConnectorTable::BaseSlot(int app) {
  switch (app) {
    case kAppPalmDesktop:
      return 0;
    case kAppACT:
      return 4;
    case kAppGoogle:
      return 8;
    case kAppLotusNotes:
      return 12;
    case kAppOutlook:
      return 20;
    case kAppDynamicsCRM:
      return 24;
    case kAppSalesforce:
      return 28;
    case kAppSugarCRM:
      return 32;
    default:
      return -1;
  }
}

int ConnectorTable::SlotOf(int app, int type) {
  int base = BaseSlot(app);
  if (base < 0 || type < kTypeContacts || type > kTypeNotes) return -1;
  return base + type;
}

CxConnector* ConnectorTable::At(int slot) const {
  if (slot < 0 || slot >= kSelectionSlot) return nullptr;
  return slots_[static_cast<std::size_t>(slot)].get();
}

CxConnector* ConnectorTable::Put(int slot, std::unique_ptr<CxConnector> connector) {
  if (slot < 0 || slot >= kSelectionSlot) return nullptr;
  auto& held = slots_[static_cast<std::size_t>(slot)];
  held = std::move(connector);
  return held.get();
}

void ConnectorTable::ClearSelections() {
  contacts_.RemoveAll(false);
  events_.RemoveAll(false);
  tasks_.RemoveAll(false);
  notes_.RemoveAll(false);
}

void ConnectorTable::Clear() {
  ClearSelections();
  for (auto& slot : slots_) slot.reset();
}
