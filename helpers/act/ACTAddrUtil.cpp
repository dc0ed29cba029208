// The ACT! contacts helper over the stand-in database: the document's "contacts".
#include "ACTHelperFlow.h"

namespace {

struct ACTContactKind : ACTListKind<ACTContactKind, ACTContactRecord> {
  static constexpr const char* kNoun = "contact";
  static constexpr const char* kList = "contacts";
  static constexpr const char* kIdKey = "Record ID";
  static constexpr const char* kPrefix = "C";

  static void FromEntry(const ACTEntry& e, Record& r, std::vector<std::string>& w) {
    ContactFromJson(*e.obj, r, w);
  }
  static void ToEntry(const Record& r, ACTEntry& e) {
    ContactToJson(r, *e.obj);
    DropMadeUpId(*e.obj, kIdKey);
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
