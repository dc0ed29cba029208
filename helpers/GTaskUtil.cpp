// The Google tasks helper over the local account: one iCalendar VTODO file per task.
#include "HelperFlow.h"
#include "ICalCard.h"

namespace {

struct TaskKind {
  using Record = GoogleTask;
  static constexpr const char* kNoun = "task";
  static constexpr const char* kFolder = "tasks";
  static constexpr const char* kExtension = ".ics";

  static bool Parse(const std::string& content, GoogleTask& r) {
    if (ReadTaskICal(content, r)) return true;
    RecordStore::SkipLastRead("no task in the file");
    return false;
  }
  static std::string Format(const GoogleTask& r, const std::string& name) {
    GoogleTask stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteTaskICal(stamped, name.substr(0, name.size() - 4),
                         ICalOptions{MachineTimeZone(), {}});
  }
  static bool Read(CxFile& f, GoogleTask& r) { return ReadGoogleTask(f, r); }
  static bool Write(CxFile& f, const GoogleTask& r) { return WriteGoogleTask(f, r); }
  // No text of the record is the helper's: an index file keeps the file names.
  static FixedText<4096>* PassThroughOf(GoogleTask&) { return nullptr; }
  static bool BeforeLoad(HelperSession&, LocalAccount&) { return true; }
  static void BeforeSubmit(HelperSession&, LocalAccount&) {}
};

}  // namespace

int main(int argc, char** argv) {
  return RunHelperProgram<TaskKind>(argc, argv);
}
