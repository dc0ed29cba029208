// The ACT! calendar helper over the stand-in database: the document's "activities".
#include "ACTHelperFlow.h"

namespace {

struct ACTEventKind {
  using Record = ACTEventRecord;
  static constexpr const char* kNoun = "activity";

  static std::vector<ACTEntry> Entries(ACTStore& store, const HelperSession&) {
    std::vector<ACTEntry> out;
    AddEntries(store.List("activities"), "Id", "activities", 0, out);
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
    return {store.List("activities"), "A"};
  }
  static std::string IdOf(const Record& r) { return r.Id.str(); }
  static void SetId(Record& r, const std::string& id) { r.Id = id; }
  static void Stamp(Record& r, bool added) {
    if (added) r.Dates[0] = ACTNow();
    r.Dates[1] = ACTNow();
  }
  static bool Read(CxFile& f, Record& r) { return ReadACTEvent(f, r); }
  static bool Write(CxFile& f, const Record& r) { return WriteACTEvent(f, r); }
};

}  // namespace

int main(int argc, char** argv) {
  return RunACTHelper<ACTEventKind>(argc, argv);
}
