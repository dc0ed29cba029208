// The ACT! notes helper over the stand-in database: the document's "notes".
#include "ACTHelperFlow.h"

namespace {

struct ACTNoteKind {
  using Record = ACTNoteRecord;
  static constexpr const char* kNoun = "note";

  static std::vector<ACTEntry> Entries(ACTStore& store, const HelperSession&) {
    std::vector<ACTEntry> out;
    AddEntries(store.List("notes"), "Id", "notes", 0, out);
    return out;
  }
  static void FromEntry(const ACTEntry& e, Record& r, std::vector<std::string>& w) {
    RecordFromJson(*e.obj, r, w);
  }
  static void ToEntry(const Record& r, ACTEntry& e) {
    RecordToJson(r, *e.obj);
    DropMadeUpId(*e.obj, "Id");
  }
  static std::pair<nlohmann::json&, std::string> Add(ACTStore& store) {
    return {store.List("notes"), "N"};
  }
  static std::string IdOf(const Record& r) { return r.Texts[0].str(); }
  static void SetId(Record& r, const std::string& id) { r.Texts[0] = id; }
  static void Stamp(Record& r, bool added) {
    if (added) r.Times[0] = ACTNow();
    r.Times[1] = ACTNow();
  }
  static bool Read(CxFile& f, Record& r) { return ReadACTNote(f, r); }
  static bool Write(CxFile& f, const Record& r) { return WriteACTNote(f, r); }
};

}  // namespace

int main(int argc, char** argv) {
  return RunACTHelper<ACTNoteKind>(argc, argv);
}
