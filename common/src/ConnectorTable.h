#pragma once

#include <array>
#include <memory>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxConnector.h"
#include "misc/CxList.h"

// The engine's 40 slots: one connector per application and data type (contacts, calendar, tasks,
// notes) in slots 0-35, the four selection lists in 36-39. The table owns every connector; the
// selection lists own nothing.
class ConnectorTable {
 public:
  static constexpr int kSlots = 40;
  static constexpr int kSelectionSlot = 36;

  ConnectorTable() = default;
  ConnectorTable(const ConnectorTable&) = delete;
  ConnectorTable& operator=(const ConnectorTable&) = delete;
  ~ConnectorTable() { Clear(); }

  // The first of an application's four slots; -1 for a code without slots.
  static int BaseSlot(int app);
  // -1 when the application or the data type has no slot.
  static int SlotOf(int app, int type);

  // The connector in a slot, or null (also for 36-39 and out of range).
  CxConnector* At(int slot) const;
  // Puts a connector into a connector slot, destroying the one there. Null when the slot is
  // not a connector slot (the connector is then destroyed).
  CxConnector* Put(int slot, std::unique_ptr<CxConnector> connector);

  template <class Manager>
  CxSource<Manager>* Source(int slot) const {
    return dynamic_cast<CxSource<Manager>*>(At(slot));
  }
  template <class Manager>
  CxTarget<Manager>* Target(int slot) const {
    return dynamic_cast<CxTarget<Manager>*>(At(slot));
  }

  CxList<CommonContact>& SelectedContacts() { return contacts_; }
  CxList<CommonEvent>& SelectedEvents() { return events_; }
  CxList<CommonTask>& SelectedTasks() { return tasks_; }
  CxList<CommonNote>& SelectedNotes() { return notes_; }
  // Empties the selection lists; their records belong to the connectors.
  void ClearSelections();

  // Empties the selection lists, then destroys every connector.
  void Clear();

 private:
  std::array<std::unique_ptr<CxConnector>, kSelectionSlot> slots_;
  CxList<CommonContact> contacts_;
  CxList<CommonEvent> events_;
  CxList<CommonTask> tasks_;
  CxList<CommonNote> notes_;
};
