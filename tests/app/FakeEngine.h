#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "src/AppCommon.h"
#include "src/AppSettings.h"
#include "src/EngineHost.h"

// What the stand-in engine loads, how it behaves, and what it was asked. One per process, as the
// engine is.
struct FakeEngineState {
  // Canned records of the source side (every source gets the same), with their statuses set.
  std::vector<CommonContact> contacts;
  std::vector<CommonEvent> events;
  std::vector<CommonTask> tasks;
  std::vector<CommonNote> notes;

  bool failLoad = false;
  std::string failText = "Cannot load the test account.";
  int loadMillis = 0;  // how long a source load takes, wait window open
  bool failSubmit = false;
  bool throwSubmit = false;
  std::string warning;  // given to the host's Warn during each source load

  std::vector<std::pair<int, int>> loads;    // (source, target) of each LoadBothSides
  std::vector<std::pair<int, int>> reloads;  // (source, target) of each ReloadSource
  int targetLoads = 0;                       // loads that reached the target's side
  int submits = 0;
  int fieldMaps = 0;
  std::size_t submittedContacts = 0;
  std::size_t submittedEvents = 0;

  // Filled by the engine itself.
  AppSettings* settings = nullptr;
  EngineHost* host = nullptr;
  std::string dataFolder;
  std::array<std::unique_ptr<CommAddrMgr>, 9> addr;
  std::array<std::unique_ptr<CommDateMgr>, 9> date;
  std::array<std::unique_ptr<CommTaskMgr>, 9> task;
  std::array<std::unique_ptr<CommNoteMgr>, 9> note;
  CxList<CommonContact> selContacts;
  CxList<CommonEvent> selEvents;
  CxList<CommonTask> selTasks;
  CxList<CommonNote> selNotes;
};

FakeEngineState& FakeEngine();
// Back to the canned defaults: contacts with statuses same, diff, new, new, same; events new,
// same, diff; one new task; one same note. Keeps settings and host.
void ResetFakeEngine();
// `count` contacts cycling new, different, same (benchmarks).
void FakeManyContacts(int count);
