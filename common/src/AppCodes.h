#pragma once

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
