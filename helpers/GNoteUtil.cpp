// The Google notes helper over the local account: one iCalendar VJOURNAL file per note.
#include "HelperFlow.h"
#include "ICalCard.h"

namespace {

struct NoteKind {
  using Record = GoogleNote;
  static constexpr const char* kNoun = "note";
  static constexpr const char* kFolder = "notes";
  static constexpr const char* kExtension = ".ics";

  static bool Parse(const std::string& content, GoogleNote& r) {
    if (ReadNoteICal(content, r)) return true;
    RecordStore::SkipLastRead("no note in the file");
    return false;
  }
  static std::string Format(const GoogleNote& r, const std::string& name) {
    GoogleNote stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteNoteICal(stamped, name.substr(0, name.size() - 4));
  }
  static bool Read(CxFile& f, GoogleNote& r) { return ReadGoogleNote(f, r); }
  static bool Write(CxFile& f, const GoogleNote& r) { return WriteGoogleNote(f, r); }
  // No text of the record is the helper's: an index file keeps the file names.
  static FixedText<4096>* PassThroughOf(GoogleNote&) { return nullptr; }
  static bool BeforeLoad(HelperSession&, LocalAccount&) { return true; }
  static void BeforeSubmit(HelperSession&, LocalAccount&) {}
};

}  // namespace

int main(int argc, char** argv) {
  return RunHelperProgram<NoteKind>(argc, argv);
}
