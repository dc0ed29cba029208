// The ACT! to-do helper over the stand-in database: the document's "todos" and, when the
// connector asks (keys 1008, 1009), its "opportunities" and their notes as to-dos of their own.
#include "ACTHelperFlow.h"

namespace {

enum TaskList { kTodo = 0, kOpportunity = 1, kOpportunityNote = 2 };

constexpr const char* kOpportunityText = "Opportunity";
constexpr const char* kOpportunityNoteText = "Opportunity note";

struct ACTTaskKind : ACTListKind<ACTTaskKind, ACTTaskRecord> {
  static constexpr const char* kNoun = "to-do";
  static constexpr const char* kList = "todos";
  static constexpr const char* kIdKey = "Id";
  static constexpr const char* kPrefix = "T";

  static std::vector<ACTEntry> Entries(ACTStore& store, const HelperSession& s) {
    std::vector<ACTEntry> out;
    AddEntries(store.List(kList), kIdKey, kList, kTodo, out);
    const bool opportunities = s.Params().Int(kACTParamOpportunities, 0) == 1;
    const bool notes = s.Params().Int(kACTParamOpportunityNotes, 0) == 1;
    if (!opportunities) return out;
    nlohmann::json& list = store.List("opportunities");
    AddEntries(list, "Id", "opportunities", kOpportunity, out);
    if (!notes) return out;
    for (nlohmann::json& opp : list) {
      if (!opp.is_object()) continue;
      auto it = opp.find("notes");
      if (it != opp.end() && it->is_array())
        AddEntries(*it, "Id", "opportunity-notes", kOpportunityNote, out, &opp);
    }
    return out;
  }

  static void FromEntry(const ACTEntry& e, Record& r, std::vector<std::string>& w) {
    if (e.list != kOpportunityNote) {
      RecordFromJson(*e.obj, r, w);
      if (e.list == kOpportunity) r.Regarding = kOpportunityText;
      return;
    }
    ACTNoteRecord note;
    RecordFromJson(*e.obj, note, w);
    std::string subject;
    if (e.parent) {
      auto it = e.parent->find("Subject");
      if (it != e.parent->end() && it->is_string()) subject = it->get<std::string>();
    }
    r.Subject = "Note on " + subject;
    r.Regarding = kOpportunityNoteText;
    r.Body = note.Body.view();
    r.Dates = note.Times;
  }

  static void ToEntry(const Record& r, ACTEntry& e) {
    if (e.list == kOpportunityNote) {
      // Of a note, only its text and time are the to-do's.
      (*e.obj)["Body"] = r.Body.str();
      (*e.obj)["Edited"] = ACTDateText(r.Dates[1]);
      return;
    }
    RecordToJson(r, *e.obj);
    if (e.list == kOpportunity) e.obj->erase("Regarding");
    DropMadeUpId(*e.obj, kIdKey);
  }
  static std::string IdOf(const Record& r) { return r.Id.str(); }
  static void SetId(Record& r, const std::string& id) { r.Id = id; }
  static void Stamp(Record& r, bool added) {
    if (added) r.Dates[0] = ACTNow();
    r.Dates[1] = ACTNow();
  }
  static bool Read(CxFile& f, Record& r) { return ReadACTTask(f, r); }
  static bool Write(CxFile& f, const Record& r) { return WriteACTTask(f, r); }
};

}  // namespace

int main(int argc, char** argv) {
  return RunACTHelper<ACTTaskKind>(argc, argv);
}
