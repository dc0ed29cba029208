#pragma once

// The stand-in automation server "Outlook.Application": Application, NameSpace ("MAPI"), the
// default Contacts, Calendar, Tasks and Notes folders with their items, user properties and
// recurrence patterns, over a JSON store of its own (docs/outlook-store.md).
//
// The store is read when the application object is made (CoCreateInstance; there is one
// instance while anything holds a reference to it) and written back whole by every item's
// Save. A missing store is empty. A store that cannot be read or parsed stops the server:
// CoCreateInstance answers CO_E_SERVER_EXEC_FAILURE and LastStoreReport() says why. Parts of a
// store that do not fit its format (an item that is no object, a user property without a name)
// are skipped, counted in the report and written back unchanged by a Save.

#include <string>
#include <vector>

#include "platform/OleAuto.h"

namespace platform::outlook {

inline constexpr char16_t kProgId[] = u"Outlook.Application";
inline constexpr CLSID kClsid{0x0006F03A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Outlook's own numbers, as the object model's callers pass them.
enum OlDefaultFolders : LONG {
  olFolderCalendar = 9,
  olFolderContacts = 10,
  olFolderNotes = 12,
  olFolderTasks = 13,
};
enum OlItemType : LONG {
  olAppointmentItem = 1,
  olContactItem = 2,
  olTaskItem = 3,
  olNoteItem = 5,
};
enum OlUserPropertyType : LONG {
  olText = 1,
  olNumber = 3,
  olDateTime = 5,
  olYesNo = 6,
  olDuration = 7,
  olKeywords = 11,
  olPercent = 12,
  olCurrency = 14,
  olInteger = 20,
};
enum OlRecurrenceType : LONG {
  olRecursDaily = 0,
  olRecursWeekly = 1,
  olRecursMonthly = 2,
  olRecursMonthNth = 3,
  olRecursYearly = 5,
  olRecursYearNth = 6,
};

// The value kinds a property can be served as.
enum class ValueKind { kEmpty, kText, kInt, kBool, kDate, kDouble };

// Test controls; the store document's "test" section holds the same (both apply).
struct FailRule {
  std::string name;  // member name, any ASCII case; on every object
  HRESULT hr = E_FAIL;
  int after = 0;  // calls that succeed first
};
struct ServeAs {
  std::string name;  // property name; on every item
  ValueKind kind = ValueKind::kText;
};
struct TestControls {
  std::vector<std::string> englishOnlyNames;  // known only under locale 0x0409
  std::vector<std::string> unknownNames;      // known under no locale
  std::vector<FailRule> failCalls;            // Invoke answers `hr`
  std::vector<ServeAs> serveAs;               // a property served with another type
};

// What the last start of the server found.
struct StoreReport {
  bool started = false;  // false: the server did not start, `error` says why
  std::string path;      // the store file read
  std::string error;     // why it did not start, or why the last Save failed
  // Parts skipped, each starting with where it is ("folders.contacts.items[3]: ..."); the
  // first 1,000 are listed, `problemCount` counts them all.
  std::vector<std::string> problems;
  std::size_t problemCount = 0;
  std::size_t items = 0;  // items served, all folders
};

// The store file: the one set here, else key File of section [Store] in "OutlookStandIn.ini"
// in the data folder (relative names there are taken from that folder), else
// "outlook-store.json" in the data folder. Takes effect at the next start of the server.
void SetStoreFile(const std::string& path);  // empty: back to the settings
std::string StoreFile();
// The program's data folder ($XDG_DATA_HOME/korvane/VEGG/).
std::string DataFolder();

void SetTestControls(const TestControls& controls);
void ClearTestControls();

StoreReport LastStoreReport();

// Whether an application object is alive (its store loaded).
bool IsRunning();
// The stand-in's automation objects alive now, of every class (for tests of reference counts).
long LiveObjectCount();

// Registers the stand-in with the automation registry (done by the registry itself before its
// first look-up; again after a test replaced it).
void RegisterServer();
// The registry's entry for the stand-in.
AutomationServer ServerEntry();

}  // namespace platform::outlook
