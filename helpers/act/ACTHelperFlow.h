#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ACT/ACTParamKeys.h"
#include "ACTStore.h"
#include "HelperFlow.h"
#include "HelperSession.h"
#include "misc/CxDateTime.h"

// Where the ACT! connectors put each file and setting in the parameter file.
inline constexpr HelperKeys kACTHelperKeys = {
    kACTParamUser,      kACTParamPassword,   kACTParamDataFile,    kACTParamFolder,
    kACTParamOperation, kACTParamErrorFile,  kACTParamStatusFile,  kACTParamLogFolder,
    kACTParamLogFile,   kACTParamDebugLevel, kACTParamDebugEnabled};

// One record of the document as a data type sees it: the object, its id (made up from its
// place when the document gives none), and which list it came from.
struct ACTEntry {
  nlohmann::json* obj = nullptr;
  std::string id;
  int list = 0;  // the data type's own numbering (to-dos: 0 to-do, 1 opportunity, 2 its note)
  const nlohmann::json* parent = nullptr;
};

// The entries of one list of the document, in its order.
inline void AddEntries(nlohmann::json& list, const char* idKey, const char* name, int which,
                       std::vector<ACTEntry>& out, const nlohmann::json* parent = nullptr) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    nlohmann::json& obj = list[i];
    std::string id;
    if (obj.is_object()) {
      auto it = obj.find(idKey);
      if (it != obj.end() && it->is_string()) id = it->get<std::string>();
    }
    // Stands for the record's place, which an update finds it by.
    if (id.empty()) id = "@" + std::string(name) + ":" + std::to_string(out.size() + 1);
    out.push_back(ACTEntry{&obj, id, which, parent});
  }
}

// A made-up id never goes into the document.
inline void DropMadeUpId(nlohmann::json& obj, const char* idKey) {
  auto it = obj.find(idKey);
  if (it != obj.end() && it->is_string() && it->get_ref<const std::string&>().rfind('@', 0) == 0)
    obj.erase(it);
}

// A fresh id: the prefix and the first number from `next` on that no record uses.
inline std::string NewACTId(std::set<std::string>& used, const std::string& prefix,
                            std::size_t& next) {
  for (;; ++next) {
    char b[32];
    std::snprintf(b, sizeof b, "%s%06zu", prefix.c_str(), next);
    if (used.insert(b).second) return b;
  }
}

// A data type kept in one list of the document, written field by field: Derived names the
// list (kList), its id key (kIdKey) and the prefix of new ids (kPrefix), and may hide any of
// these with its own.
template <class Derived, class RecordType>
struct ACTListKind {
  using Record = RecordType;

  static std::vector<ACTEntry> Entries(ACTStore& store, const HelperSession&) {
    std::vector<ACTEntry> out;
    AddEntries(store.List(Derived::kList), Derived::kIdKey, Derived::kList, 0, out);
    return out;
  }
  static void FromEntry(const ACTEntry& e, Record& r, std::vector<std::string>& w) {
    RecordFromJson(*e.obj, r, w);
  }
  static void ToEntry(const Record& r, ACTEntry& e) {
    RecordToJson(r, *e.obj);
    DropMadeUpId(*e.obj, Derived::kIdKey);
  }
  static std::pair<nlohmann::json&, std::string> Add(ACTStore& store) {
    return {store.List(Derived::kList), Derived::kPrefix};
  }
};

// The whole run of an ACT! helper: session, database, user, operation. `Kind` supplies the
// Record type, kNoun, Entries(store, session), FromEntry, ToEntry, Add (the new object's list
// and id prefix), IdOf/SetId, Stamp(record, added) and the data-file Read/Write.
template <class Kind>
int RunACTHelper(int argc, char** argv) {
  using Record = typename Kind::Record;
  HelperSession s;
  s.SetDataIniSuffix(".ini");
  if (!s.Begin(argc, argv, kACTHelperKeys, "ACTHelperTest.ini")) return 2;
  ACTStore store;
  std::string error;
  if (!store.Open(s.Params().Text(kACTParamDatabase), error) ||
      !store.CheckUser(s.User(), s.Password(), error)) {
    s.Error(error);
  } else if (s.StopRequested()) {
    s.Error(HelperSession::kStoppedText);
  } else if (s.Operation() == kHelperLoad) {
    std::vector<ACTEntry> entries = Kind::Entries(store, s);
    std::vector<Record> records;
    bool stopped = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (s.StopRequested()) {
        s.Error(HelperSession::kStoppedText);
        stopped = true;
        break;
      }
      Record r;
      Kind::FromEntry(entries[i], r, store.Warnings());
      Kind::SetId(r, entries[i].id);
      records.push_back(std::move(r));
      s.Progress("Loading", Kind::kNoun, i + 1, entries.size());
    }
    std::string why;
    if (!stopped && !ReplaceFile(
                        s.DataFilePath(),
                        [&](CxFile& f) {
                          f.WriteInt32(static_cast<std::int32_t>(records.size()));
                          for (const Record& r : records)
                            if (!Kind::Write(f, r)) return false;
                          return true;
                        },
                        &why))
      s.Error("The data file could not be written: " + s.DataFilePath() + ": " + why);
  } else if (s.Operation() == kHelperSubmit) {
    std::vector<Record> records;
    CxFile f;
    std::int32_t count = 0;
    bool ok = f.Open(s.DataFilePath(), "rb") && f.ReadInt32(count) && count >= 0;
    if (!ok) s.Error("The data file could not be read: " + s.DataFilePath());
    // The count is the writer's word only: records are read while the file has them.
    for (std::int32_t i = 0; ok && i < count; ++i) {
      Record r;
      if (!Kind::Read(f, r)) {
        s.Error("The data file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                " records.");
        ok = false;
        break;
      }
      records.push_back(std::move(r));
    }
    std::size_t changed = 0, done = 0;
    for (const Record& r : records) changed += r.ChangeMark == kACTChanged ? 1 : 0;
    std::vector<ACTEntry> entries = ok ? Kind::Entries(store, s) : std::vector<ACTEntry>();
    std::map<std::string, ACTEntry*> byId;
    std::set<std::string> used;
    for (ACTEntry& e : entries) {
      byId.emplace(e.id, &e);
      used.insert(e.id);
    }
    // Updates first: appending to a list moves its objects, which the entries point at.
    std::vector<Record*> added;
    for (std::size_t i = 0; ok && i < records.size(); ++i) {
      Record& r = records[i];
      if (r.ChangeMark != kACTChanged) continue;
      if (s.StopRequested()) {
        s.Error(HelperSession::kStoppedText);
        break;
      }
      ++done;
      s.Progress("Saving", Kind::kNoun, done, changed);
      const std::string where = "Record " + std::to_string(i + 1);
      if (r.Action == kHelperActionAdd) {
        added.push_back(&r);
      } else if (r.Action == kHelperActionUpdate) {
        auto it = byId.find(Kind::IdOf(r));
        if (it == byId.end()) {
          s.Error(where + " (" + Kind::IdOf(r) + ") is no longer in the ACT! database.");
          continue;
        }
        Kind::Stamp(r, false);
        Kind::ToEntry(r, *it->second);
      } else {
        s.Error(where + " has an unknown action " + std::to_string(r.Action) + ".");
      }
    }
    std::size_t next = entries.size() + 1;
    for (Record* r : added) {
      auto [list, prefix] = Kind::Add(store);
      Kind::SetId(*r, NewACTId(used, prefix, next));
      Kind::Stamp(*r, true);
      list.push_back(nlohmann::json::object());
      ACTEntry entry{&list.back(), Kind::IdOf(*r), 0, nullptr};
      Kind::ToEntry(*r, entry);
    }
    if (ok && done > 0 && !store.Save(error)) s.Error(error);
  } else {
    s.Error("Unknown operation " + s.Params().Text(kACTParamOperation) + ".");
  }
  for (const std::string& w : store.Warnings()) s.Warning(w);
  s.End();
  return 0;
}

// Now, as the helpers stamp created and edited times.
inline OleDate ACTNow() {
  return OleDate(CxDateTime::TimeTToOleDate(std::time(nullptr)).value);
}
