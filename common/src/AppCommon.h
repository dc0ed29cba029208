#pragma once

#include <cstdint>
#include <string>

#include "misc/CommAddrMgr.h"
#include "misc/CommDateMgr.h"
#include "misc/CommNoteMgr.h"
#include "misc/CommTaskMgr.h"
#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxList.h"

class AppSettings;
class EngineHost;
class ConnectorTable;

// Application codes of the engine.
enum ApplicationCode : int {
  kAppACT = 1,
  kAppGoogle = 2,
  kAppOutlook = 3,
  kAppLotusNotes = 4,
  kAppPalmDesktop = 5,
  kAppDynamicsCRM = 6,
  kAppSalesforce = 7,
  kAppSugarCRM = 8,
};

// Data types, in the order of every per-type table.
enum DataType : int { kTypeContacts = 0, kTypeCalendar = 1, kTypeTasks = 2, kTypeNotes = 3 };

// The migration engine of the process: the connector table, the load and submit drivers and the
// custom field map. The wizard and `quillmove-cli migrate` drive it alike. Every call below but
// the accessors runs a driver: call it from one worker thread at a time (never the UI thread);
// it reaches the person only through the host. The accessors are for the UI thread while no
// driver runs.
class AppEngine {
 public:
  // Start-up: the settings (kept by the caller, read at every driver run), the host, and the
  // data folder (ends with a separator). Clears the table and makes the four selection lists.
  AppEngine(AppSettings& settings, EngineHost& host, std::string dataFolder);
  // Shut-down: destroys every connector.
  ~AppEngine();
  AppEngine(const AppEngine&) = delete;
  AppEngine& operator=(const AppEngine&) = delete;

  // Loads the target alone, then the source marked against it. Holds the data folder's lock for
  // the whole call; a busy folder is a failure shown through the host.
  bool LoadBothSides(int sourceApp, int targetApp);
  // Submits the selection lists to the target inside the exception guard.
  bool SubmitChanges(int targetApp);
  // Fills the custom-slot table of app's contact conversion from the settings.
  bool ApplyCustomFieldMap(int app);

  // The records app's connector of a type holds, or null when that connector does not exist.
  CommAddrMgr* Contacts(int app);
  CommDateMgr* Calendar(int app);
  CommTaskMgr* Tasks(int app);
  CommNoteMgr* Notes(int app);

  // The selection lists (slots 36-39): the review page fills them with the ticked source
  // records before SubmitChanges; they own nothing.
  CxList<CommonContact>& SelectedContacts();
  CxList<CommonEvent>& SelectedEvents();
  CxList<CommonTask>& SelectedTasks();
  CxList<CommonNote>& SelectedNotes();

  const std::string& DataFolder() const;
  // "MILog.txt" in the data folder.
  std::string MigrationLogPath() const;

  ConnectorTable& Table();
};
