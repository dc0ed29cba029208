// The ACT! contacts helper over the stand-in database: the document's "contacts".
#include "ACTHelperFlow.h"

namespace {

struct ACTContactKind {
  using Record = ACTContactRecord;
  static constexpr const char* kNoun = "contact";

  static std::vector<ACTEntry> Entries(ACTStore& store, const HelperSession&) {
    std::vector<ACTEntry> out;
    AddEntries(store.List("contacts"), "Record ID", "contacts", 0, out);
    return out;
  }
  static void FromEntry(const ACTEntry& e, Record& r, std::vector<std::string>& w) {
    ContactFromJson(*e.obj, r, w);
  }
  static void ToEntry(const Record& r, ACTEntry& e) {
    ContactToJson(r, *e.obj);
    DropMadeUpId(*e.obj, "Record ID");
  }
  static std::pair<nlohmann::json&, std::string> Add(ACTStore& store) {
    return {store.List("contacts"), "C"};
  }
  static std::string IdOf(const Record& r) { return std::string(r.Text(kACTRecordId)); }
  static void SetId(Record& r, const std::string& id) { r.SetText(kACTRecordId, id); }
  static void Stamp(Record& r, bool added) {
    if (added) r.SetDate(kACTCreateDate, ACTNow());
    r.SetDate(kACTEditDate, ACTNow());
  }
  static bool Read(CxFile& f, Record& r) { return ReadACTContact(f, r); }
  static bool Write(CxFile& f, const Record& r) { return WriteACTContact(f, r); }
};

}  // namespace

int main(int argc, char** argv) {
  return RunACTHelper<ACTContactKind>(argc, argv);
}
