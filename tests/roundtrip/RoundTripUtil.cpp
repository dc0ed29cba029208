#include "roundtrip/RoundTripUtil.h"

#include <filesystem>

#include "json/RecordJson.h"
#include "src/AppCommon.h"
#include "src/AppSettings.h"
#include "src/EngineHost.h"

namespace {

class QuietHost : public EngineHost {
 public:
  void OpenWaitWindow(const std::string&) override {}
  void SetWaitText(const std::string&) override {}
  void WatchStatusFile(const std::string&) override {}
  void CloseWaitWindow() override {}
  void ShowMessage(const std::string& caption, const std::string& text, Icon) override {
    messages += caption + ": " + text + "\n";
  }
  void ShowErrorReport(const std::string& what) override { messages += what + "\n"; }
  void Warn(const std::string& text) override { messages += text + "\n"; }
  std::string messages;
};

template <class Manager, class Record>
void Tick(Manager* source, CxList<Record>& selection, std::uint32_t& count, std::uint32_t& same,
          std::string& differences) {
  selection.RemoveAll(false);
  count = same = 0;
  if (!source) return;
  for (auto* r = source->First(); r; r = source->Next()) {
    ++count;
    if (r->Status == kStatusSame) {
      ++same;
      continue;
    }
    selection.Append(r);
    if (differences.size() < 20000) {
      differences += ToJson(*r).dump() + "\n  matched: ";
      differences += r->MatchedRecord ? ToJson(*r->MatchedRecord).dump() : "none";
      differences += "\n";
    }
  }
}

bool SameDetails(const CommonEvent& a, const CommonEvent& b) {
  if (a.AllDay != b.AllDay || a.Start != b.Start || a.End != b.End) return false;
  const CommonRecurrence &x = a.Recurrence, &y = b.Recurrence;
  if (!x.SamePattern(y) || x.HasEnd != y.HasEnd || (x.HasEnd && x.PatternEnd != y.PatternEnd))
    return false;
  if (a.ReminderSet != b.ReminderSet || a.ReminderCount != b.ReminderCount) return false;
  for (std::size_t i = 0; i < a.ReminderCount && i < CommonEvent::kMaxReminders; ++i) {
    const CommonReminder &m = a.Reminders[i], &n = b.Reminders[i];
    if (m.Method != n.Method || m.Amount != n.Amount || m.Unit != n.Unit) return false;
  }
  return a.Description.view() == b.Description.view() && a.Location.view() == b.Location.view();
}

}  // namespace

RoundTrip::RoundTrip()
    : xdg_("XDG_DATA_HOME", home_.path()), folder_(home_.path() + "/korvane/VEGG/") {
  std::filesystem::create_directories(folder_);
}

std::string RoundTrip::AccountFolder() const {
  return folder_ + "accounts/rt@example.com/";
}

bool RoundTrip::Migrate(const std::string& addressFile, const std::string& dateFile) {
  AppSettings s;
  s.SourceApp = kAppPalmDesktop;
  s.SyncAddr = !addressFile.empty();
  s.UsePDAddrFile = true;
  s.PDAddrFileName = addressFile.c_str();
  s.SyncDate = !dateFile.empty();
  s.UsePDDateFile = true;
  s.PDDateFileName = dateFile.c_str();
  s.GGEmail = "rt@example.com";
  s.GGPassword = "secret";
  s.PDCodePage = 1252;
  QuietHost host;
  counts_ = RoundTripCounts();
  differences_.clear();
  details_.clear();
  AppEngine e(s, host, folder_);
  e.SetHelperFolder(QM_BIN_DIR "/");
  e.SetRepaintPause(0);
  bool ok = e.LoadBothSides(kAppPalmDesktop, kAppGoogle);
  if (ok) {
    Tick(s.SyncAddr ? e.Contacts(kAppPalmDesktop) : nullptr, e.SelectedContacts(), counts_.contacts,
         counts_.contactsSame, differences_);
    Tick(s.SyncDate ? e.Calendar(kAppPalmDesktop) : nullptr, e.SelectedEvents(), counts_.events,
         counts_.eventsSame, differences_);
    counts_.submitted = e.SelectedContacts().Count() + e.SelectedEvents().Count();
    if (CommDateMgr* palm = s.SyncDate ? e.Calendar(kAppPalmDesktop) : nullptr)
      for (auto* r = palm->First(); r; r = palm->Next())
        if (r->MatchedRecord && !SameDetails(*r, *r->MatchedRecord) && details_.size() < 20000)
          details_ += ToJson(*r).dump() + "\n  matched: " + ToJson(*r->MatchedRecord).dump() + "\n";
    ok = e.SubmitChanges(kAppGoogle);
  }
  messages_ = host.messages;
  return ok;
}
