#pragma once

#include <array>
#include <cstdint>

#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// A to-do item of the account as the helper exchanges it ("GTask.dat").
class GoogleTask {
 public:
  std::int32_t RecordTag = 0;
  std::int32_t ChangeState = 0;  // set to 1 once loaded
  std::int32_t Action = 0;
  FixedText<256> Title;
  OleDate DueDate;
  std::int32_t Priority = 0;
  std::int32_t Completed = 0;
  FixedText<10240> Notes;
  std::array<OleDate, 2> FurtherTimes{};

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v(r.RecordTag);
    v(r.ChangeState);
    v(r.Action);
    v(r.Title);
    v(r.DueDate);
    v(r.Priority);
    v(r.Completed);
    v(r.Notes);
    v(r.FurtherTimes);
  }
};

// A note of the account ("GNote.dat").
class GoogleNote {
 public:
  std::int32_t RecordTag = 0;
  std::int32_t ChangeState = 0;
  std::int32_t Action = 0;
  FixedText<256> Title;
  FixedText<10244> Body;
  std::array<OleDate, 2> FurtherTimes{};

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v(r.RecordTag);
    v(r.ChangeState);
    v(r.Action);
    v(r.Title);
    v(r.Body);
    v(r.FurtherTimes);
  }
};

bool ReadGoogleTask(CxFile& file, GoogleTask& record);
bool WriteGoogleTask(CxFile& file, const GoogleTask& record);
bool ReadGoogleNote(CxFile& file, GoogleNote& record);
bool WriteGoogleNote(CxFile& file, const GoogleNote& record);

void GoogleToCommon(const GoogleTask& google, CommonTask& common);
void GoogleToCommon(const GoogleNote& google, CommonNote& common);
