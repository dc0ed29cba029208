#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "misc/CommAddrMgr.h"
#include "misc/CommDateMgr.h"
#include "misc/CommNoteMgr.h"
#include "misc/CommTaskMgr.h"
#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxList.h"
#include "src/AppCodes.h"

struct AppSettings;
class EngineHost;
class ConnectorTable;
class CxConnector;
class CxMILog;

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
  // Loads the source again, marked against the target's records as they are (the target is
  // loaded first only when it never was). Holds the data folder's lock like LoadBothSides.
  bool ReloadSource(int sourceApp, int targetApp);
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

  // Where the helper programs are installed; empty (the default) is beside the program.
  void SetHelperFolder(std::string folder);
  // The pause after each change of the wait window's text, which lets a window repaint before
  // the blocking work starts; 200 ms by default, 0 for a host without a window.
  void SetRepaintPause(int milliseconds);
  // What the last LoadBothSides warned about (partial loads, unknown code pages), in order; the
  // next submission writes them to the migration log.
  const std::vector<std::string>& LoadWarnings() const;

 private:
  bool LoadApplication(int app, int counterpart);
  bool GuardedLoad(int sourceApp, int targetApp, bool withTarget);
  bool SubmitToGoogle();
  bool SubmitToOutlook();
  template <class Manager>
  bool SubmitType(int type, CxList<typename Manager::Record>& selection, CxMILog& log);
  void Configure(int app, int type, CxConnector& connector);
  void Mark(int type, int mySlot, int theirSlot);
  void Warn(const std::string& text);
  void Fail(const std::string& text);
  void Pause() const;
  bool SyncOn(int type) const;

  AppSettings& settings_;
  EngineHost& host_;
  std::string dataFolder_;
  std::string helperFolder_;
  int pauseMs_ = 200;
  std::unique_ptr<ConnectorTable> table_;
  std::vector<std::string> warnings_;
};
