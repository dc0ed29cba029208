// The ACT! calendar helper over the stand-in database: the document's "activities".
#include "ACTHelperFlow.h"

namespace {

struct ACTEventKind : ACTListKind<ACTEventKind, ACTEventRecord> {
  static constexpr const char* kNoun = "activity";
  static constexpr const char* kList = "activities";
  static constexpr const char* kIdKey = "Id";
  static constexpr const char* kPrefix = "A";

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
