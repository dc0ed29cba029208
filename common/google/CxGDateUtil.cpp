#include "google/CxGDateUtil.h"

#include <unistd.h>

namespace {

// ChangeState of an event the helper is to send; loaded events are marked 1.
constexpr std::int32_t kEventChanged = 2, kEventLoaded = 1;

}  // namespace

CxGDateUtil::CxGDateUtil() {
  SetDataFileName("GDate.dat");
  SetParamFileName("GDateParam.dat");
  SetErrorFileName("GDateErr.dat");
  SetStatusFileName("GDateStatus.dat");
  SetDataIniFileName("GDateData.ini");
  SetProgramName("GDateUtil.exe");
}

CxGDateUtil::~CxGDateUtil() {
  CxGDateUtil::Unload();
}

void CxGDateUtil::FillOwnParams(CxHelperParamParser& p) const {
  p.SetText(kGParamCalendar1, "");
  p.SetText(kGParamCalendar2, calendarParam_);
  p.SetText(kGParamCalendarFile, calendarFileName_);
}

const HelperTexts* CxGDateUtil::Texts() const {
  static const HelperTexts t{"Calendar events", "event", "Calendar"};
  return &t;
}

bool CxGDateUtil::Load() {
  Unload();
  report_.Reset();
  QM_LOG_INFO("Start loading Google Calendar.");
  platform::DataFolderLock lock;
  bool ok = HoldFolder(lock);
  if (ok) {
    // A helper that fails must not leave an earlier run's events to be taken for its own.
    ::unlink(DataFilePath().c_str());
    ok = RunHelper(kHelperLoad);
  }
  if (ok && !ReadEventsFile()) {
    QM_LOG_ERROR("Failed to load Calendar events information from file.");
    ok = false;
  }
  if (ok && !ReadCalendarsFile()) {
    QM_LOG_ERROR("Failed to load Calendar definition information from file.");
    report_.reason = "The calendar file " + CalendarsPath({}) + " cannot be read.";
    ok = false;
  }
  FinishReport(ok);
  if (ok) QM_LOG_INFO("Load Google Calendar successfully.");
  return ok;
}

void CxGDateUtil::Unload() {
  CxHelperDataUtil::Unload();
  calendars_.clear();
  calendarCursor_ = 0;
  // The next account's first calendar may name another zone.
  zone_ = GRecurrenceZone();
  DeleteCalendarsFile();
}

bool CxGDateUtil::Submit() {
  if (!Changed()) return true;
  platform::DataFolderLock lock;
  if (!HoldFolder(lock)) return false;
  if (!WriteEventsFile()) {
    QM_LOG_ERROR("Failed to save Calendar records information to temperary file.");
    return false;
  }
  if (!WriteCalendarsFile()) {
    QM_LOG_ERROR("Failed to save Calendar definition to temperary file.");
    return false;
  }
  if (!RunHelper(kHelperSubmit)) return false;
  // Events the helper reported as failed stay marked, so that another submit sends them.
  if (!HasError()) SetChanged(false);
  return true;
}

bool CxGDateUtil::ReadEventsFile(std::string_view path) {
  return ReadDataFile(path);
}

bool CxGDateUtil::WriteEventsFile(std::string_view path) {
  return WriteDataFile(path);
}

std::string CxGDateUtil::CalendarsPath(std::string_view path) const {
  return FilePath(path.empty() ? std::string_view(calendarFileName_) : path);
}

void CxGDateUtil::DeleteCalendarsFile() const {
  if (!folder_.empty()) ::unlink((folder_ + calendarFileName_).c_str());
}

bool CxGDateUtil::ReadCalendarsFile(std::string_view name) {
  std::string path = CalendarsPath(name);
  calendars_.clear();
  calendarCursor_ = 0;
  QM_LOG_INFO("Start loading Calendar definition information from file: %s", path.c_str());
  CxFile file;
  if (!file.Open(path, "rb")) {
    QM_LOG_ERROR("Failed to open file: %s", path.c_str());
    return false;
  }
  std::int32_t count = 0;
  if (!file.ReadInt32(count) || count < 0) {
    QM_LOG_ERROR("Calendar file %s has no valid count.", path.c_str());
    return false;
  }
  QM_LOG_INFO("There are %d calendars in total.", count);
  // Records are read while the file has them, whatever the count says.
  for (std::int32_t i = 0; i < count; ++i) {
    GoogleCalendar cal;
    if (!ReadGoogleCalendar(file, cal)) {
      QM_LOG_ERROR("Calendar file %s ends after %d of %d calendars.", path.c_str(), i, count);
      return false;
    }
    calendars_.push_back(std::move(cal));
  }
  QM_LOG_INFO("Load Calendar definition information successfully.");
  return true;
}

bool CxGDateUtil::WriteCalendarsFile(std::string_view name) {
  std::string path = CalendarsPath(name);
  QM_LOG_INFO("Start saving Calendar definition information to file: %s", path.c_str());
  CxFile file;
  if (!file.Replace(path)) {
    QM_LOG_ERROR("Failed to open file: %s (%s)", path.c_str(), file.ErrorText().c_str());
    SetError("The calendar file " + path + " cannot be written: " + file.ErrorText() + ".");
    return false;
  }
  file.WriteInt32(static_cast<std::int32_t>(calendars_.size()));
  for (const GoogleCalendar& cal : calendars_) WriteGoogleCalendar(file, cal);
  if (!file.Close()) {
    QM_LOG_ERROR("Failed to write file: %s (%s)", path.c_str(), file.ErrorText().c_str());
    SetError("The calendar file " + path + " cannot be written: " + file.ErrorText() + ".");
    return false;
  }
  QM_LOG_INFO("Save Calendar definition information to file successfully.");
  return true;
}

const GoogleCalendar* CxGDateUtil::FirstCalendar() {
  calendarCursor_ = 0;
  return NextCalendar();
}

const GoogleCalendar* CxGDateUtil::NextCalendar() {
  if (calendarCursor_ >= calendars_.size()) return nullptr;
  return &calendars_[calendarCursor_++];
}

bool CxGDateUtil::ReadRecord(CxFile& file, GoogleEvent& record) {
  if (!ReadGoogleEvent(file, record) || file.Failed()) return false;
  ParseRecurrenceText(record);
  record.ChangeState = kEventLoaded;
  return true;
}

void CxGDateUtil::WriteRecord(CxFile& file, const GoogleEvent& record) {
  WriteGoogleEvent(file, record);
}

void CxGDateUtil::ToCommon(const GoogleEvent& native, CommonEvent& common) {
  GoogleToCommon(native, common);
}

void CxGDateUtil::FromCommon(const CommonEvent& common, GoogleEvent& native, HelperAction action) {
  CommonToGoogle(common, native);
  native.ChangeState = kEventChanged;
  native.Action = action;
  BuildRecurrenceText(native, calendars_, calendarParam_, zone_);
  // Also on a kept text: the source says which occurrences are deleted.
  SetExceptionDates(native, common.ExceptionDates);
}
