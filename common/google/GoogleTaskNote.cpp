#include "google/GoogleTaskNote.h"

#include <ctime>

#include "google/GDataFields.h"
#include "misc/CxDateTime.h"
#include "misc/RecordStatus.h"
#include "misc/Utf8.h"

bool ReadGoogleTask(CxFile& file, GoogleTask& record) {
  return ReadFileRecord(file, record);
}
bool WriteGoogleTask(CxFile& file, const GoogleTask& record) {
  return WriteFileRecord(file, record);
}
bool ReadGoogleNote(CxFile& file, GoogleNote& record) {
  return ReadFileRecord(file, record);
}
bool WriteGoogleNote(CxFile& file, const GoogleNote& record) {
  return WriteFileRecord(file, record);
}

void GoogleToCommon(const GoogleTask& g, CommonTask& c) {
  c = CommonTask();
  c.Subject = g.Title.view();
  c.Importance = g.Priority;
  c.Complete = g.Completed != 0 ? 1 : 0;
  if (g.DueDate.IsSet()) {
    std::time_t t = CxDateTime::OleDateToTimeT(g.DueDate);
    // Seconds are 32-bit here; a date they cannot hold is no date.
    if (t > 0 && t <= 0x7FFFFFFF) c.DueDate = static_cast<std::int32_t>(t);
  }
  c.Note = g.Notes.view();
  c.SourceType = kSourceGoogle;
}

void GoogleToCommon(const GoogleNote& g, CommonNote& c) {
  c = CommonNote();
  c.Title = Utf8Prefix(g.Title.view(), 254);
  c.Body = Utf8Prefix(g.Body.view(), 20478);
  c.SourceType = kSourceGoogle;
}
