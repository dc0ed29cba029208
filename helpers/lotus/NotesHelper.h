#pragma once

#include <string>
#include <vector>

#include "HelperFlow.h"
#include "HelperSession.h"
#include "NotesJson.h"
#include "NotesStore.h"
#include "lotus/LNParamKeys.h"
#include "lotus/LNRecords.h"

// Where the Notes connectors put each file and setting of the contract; the helpers take the
// user ID file as the user and the reserved key 1001 as its password.
inline constexpr HelperKeys kNotesHelperKeys = {
    kLNParamIdFile,    kLNParamPassword,   kLNParamDataFile,    kLNParamFolder,
    kLNParamOperation, kLNParamErrorFile,  kLNParamStatusFile,  kLNParamLogFolder,
    kLNParamLogFile,   kLNParamDebugLevel, kLNParamDebugEnabled};

inline constexpr const char* kNotesSwitchFile = "NotesHelperTest.ini";

// One Notes helper: load copies the records of one list of the database document into the data
// file; submit adds (action 1) and updates (action 2, by id) the records marked as changed, then
// replaces the document whole. Nothing is ever deleted.
//
// `Kind` supplies: Record; kNoun ("contact"); kDocKind ("addressbook"); kList ("contacts");
// kDatabaseKey (the parameter naming the database).
template <class Kind>
class NotesHelper {
 public:
  using Record = typename Kind::Record;

  explicit NotesHelper(HelperSession& session) : s_(session) {}

  void Run() {
    const std::string database = s_.Params().Text(Kind::kDatabaseKey);
    std::string path, error;
    if (!NotesStore::Resolve(database, s_.Folder(), path, error) ||
        !store_.Open(path, database, Kind::kDocKind, error) ||
        !store_.CheckUser(s_.User(), s_.Password(), error)) {
      s_.Error(error);
      return;
    }
    if (s_.Operation() == kHelperLoad)
      Load();
    else if (s_.Operation() == kHelperSubmit)
      Submit();
    else
      s_.Error("Unknown operation " + s_.Params().Text(kLNParamOperation) + ".");
  }

 private:
  void Load() {
    const nlohmann::json& list = store_.List(Kind::kList);
    std::vector<Record> records;
    std::size_t cut = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (s_.StopRequested()) {
        s_.Error(HelperSession::kStoppedText);
        return;
      }
      if (!list[i].is_object()) {
        s_.Warning(Where(i) + " is not a record and was left out.");
        continue;
      }
      Record r;
      std::vector<std::string> problems;
      NotesRecordFromJson(list[i], r, problems);
      for (const std::string& p : problems) {
        if (p.find(": cut to ") != std::string::npos)
          ++cut;
        else
          s_.Warning(Where(i) + ": " + p + "; left empty.");
      }
      records.push_back(std::move(r));
      s_.Progress("Loading", Kind::kNoun, i + 1, list.size());
    }
    if (cut)
      s_.Warning(std::to_string(cut) + " texts of " + std::string(Kind::kList) +
                 " were longer than their fields and were cut.");
    std::string why;
    bool ok = ReplaceFile(
        s_.DataFilePath(),
        [&](CxFile& f) {
          f.WriteInt32(static_cast<std::int32_t>(records.size()));
          for (const Record& r : records)
            if (!WriteLNRecord(f, r)) return false;
          return true;
        },
        &why);
    if (!ok) s_.Error("The data file could not be written: " + s_.DataFilePath() + ": " + why);
  }

  void Submit() {
    CxFile f;
    std::int32_t count = 0;
    if (!f.Open(s_.DataFilePath(), "rb") || !f.ReadInt32(count) || count < 0) {
      s_.Error("The data file could not be read: " + s_.DataFilePath());
      return;
    }
    std::vector<Record> records;
    for (std::int32_t i = 0; i < count; ++i) {
      Record r;
      if (!ReadLNRecord(f, r)) {
        // Half a submit would leave the database in a state nobody chose.
        s_.Error("The data file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                 " records; nothing was saved.");
        return;
      }
      records.push_back(std::move(r));
    }
    nlohmann::json& list = store_.List(Kind::kList);
    std::size_t total = 0, done = 0, applied = 0;
    for (const Record& r : records) total += r.ChangeMark == kLNChanged ? 1 : 0;
    for (Record& r : records) {
      if (r.ChangeMark != kLNChanged) continue;
      if (s_.StopRequested()) {
        s_.Error(HelperSession::kStoppedText);
        break;
      }
      s_.Progress("Saving", Kind::kNoun, ++done, total);
      if (r.Action == kHelperActionAdd) {
        if (r.Id.empty() || Find(list, r.Id.view())) r.Id = NotesStore::NewId();
        nlohmann::json object = nlohmann::json::object();
        NotesRecordToJson(r, object);
        list.push_back(std::move(object));
        ++applied;
      } else if (r.Action == kHelperActionUpdate) {
        nlohmann::json* object = Find(list, r.Id.view());
        if (!object) {
          s_.Error("The " + std::string(Kind::kNoun) + " " + std::string(r.Id.view()) +
                   " is no longer in the database.");
          continue;
        }
        NotesRecordToJson(r, *object);
        ++applied;
      } else {
        s_.Error("Record " + std::to_string(done) + " has an unknown action " +
                 std::to_string(r.Action) + ".");
      }
    }
    std::string error;
    if (applied > 0 && !store_.Save(error)) s_.Error(error);
  }

  static nlohmann::json* Find(nlohmann::json& list, std::string_view id) {
    if (id.empty()) return nullptr;
    for (auto& object : list)
      if (object.is_object()) {
        auto it = object.find("ID");
        if (it != object.end() && it->is_string() &&
            it->template get_ref<const std::string&>() == id)
          return &object;
      }
    return nullptr;
  }

  std::string Where(std::size_t i) const {
    return std::string(Kind::kList) + " record " + std::to_string(i + 1);
  }

  HelperSession& s_;
  NotesStore store_;
};

template <class Kind>
int RunNotesHelperProgram(int argc, char** argv) {
  HelperSession session;
  session.SetDataIniSuffix(".ini");  // "LNAddr.dat" -> "LNAddr.ini"
  if (!session.Begin(argc, argv, kNotesHelperKeys, kNotesSwitchFile)) return 2;
  if (session.StopRequested())
    session.Error(HelperSession::kStoppedText);
  else if (session.ErrorCount() == 0)
    NotesHelper<Kind>(session).Run();
  session.End();
  return 0;
}
