// The Google calendar helper over the local account: one iCalendar file per event.
#include "HelperFlow.h"
#include "ICalCard.h"

namespace {

ICalOptions& Options() {
  static ICalOptions options;
  return options;
}

struct EventKind {
  using Record = GoogleEvent;
  static constexpr const char* kNoun = "event";
  static constexpr const char* kFolder = "calendar";
  static constexpr const char* kExtension = ".ics";

  static bool Parse(const std::string& content, GoogleEvent& r) {
    r.CalendarRef = Options().organizer;
    if (ReadEventICal(content, r, Options())) return true;
    RecordStore::SkipLastRead("no event with a start in the file");
    return false;
  }
  static std::string Format(const GoogleEvent& r, const std::string& name) {
    GoogleEvent stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteEventICal(stamped, name.substr(0, name.size() - 4), Options());
  }
  static bool Read(CxFile& f, GoogleEvent& r) { return ReadGoogleEvent(f, r); }
  static bool Write(CxFile& f, const GoogleEvent& r) { return WriteGoogleEvent(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleEvent& r) { return &r.EventLink; }

  static void Prepare(HelperSession& s) {
    Options().tzid = MachineTimeZone();
    Options().organizer = s.User();
  }
  // The account has one calendar, in this machine's time zone.
  static bool BeforeLoad(HelperSession& s, LocalAccount& account) {
    Prepare(s);
    std::string name = s.Params().Text(kGParamCalendarFile);
    if (name.empty()) return true;
    GoogleCalendar cal;
    cal.Text1 = s.User();
    cal.Text2 = s.User();
    cal.Text3 = account.Folder() + kFolder + "/";
    cal.TimeZoneId = Options().tzid;
    bool ok = ReplaceFile(s.Folder() + name, [&](CxFile& f) {
      f.WriteInt32(1);
      return WriteGoogleCalendar(f, cal);
    });
    if (!ok) s.Error("The calendar definition file could not be written.");
    return ok;
  }
  static void BeforeSubmit(HelperSession& s, LocalAccount&) { Prepare(s); }
};

}  // namespace

int main(int argc, char** argv) {
  return RunHelperProgram<EventKind>(argc, argv);
}
