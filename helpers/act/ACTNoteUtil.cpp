// The ACT! notes helper over the stand-in database: the document's "notes".
#include "ACTHelperFlow.h"

namespace {

struct ACTNoteKind : ACTListKind<ACTNoteKind, ACTNoteRecord> {
  static constexpr const char* kNoun = "note";
  static constexpr const char* kList = "notes";
  static constexpr const char* kIdKey = "Id";
  static constexpr const char* kPrefix = "N";

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
