#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "google/CxGAppBaseUtil.h"
#include "google/GoogleEvent.h"
#include "helper/CxHelperDataUtil.h"
#include "misc/CommDateMgr.h"

// The events of the Google calendar ("GDate.dat") and the account's calendars ("GCal.dat"),
// exchanged with the helper "GDateUtil".
class CxGDateUtil : public CxHelperDataUtil<CxGAppBaseUtil, GoogleEvent, CommDateMgr> {
 public:
  CxGDateUtil();
  // The calendar definition file must not outlive the connector.
  ~CxGDateUtil() override;

  bool Load() override;
  void Unload() override;
  bool Submit() override;

  // Each takes a file name (a bare name is taken in the working folder); empty means the
  // configured one.
  virtual bool ReadEventsFile(std::string_view path = {});
  virtual bool WriteEventsFile(std::string_view path = {});
  virtual bool ReadCalendarsFile(std::string_view path = {});
  virtual bool WriteCalendarsFile(std::string_view path = {});

  const GoogleCalendar* FirstCalendar();
  const GoogleCalendar* NextCalendar();
  std::size_t CalendarCount() const { return calendars_.size(); }
  // The zone recurrence texts are written in (empty until first needed).
  const GRecurrenceZone& RecurrenceZone() const { return zone_; }

 protected:
  void FillOwnParams(CxHelperParamParser& params) const override;
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceGoogle; }
  bool ReadRecord(CxFile& file, GoogleEvent& record) override;
  void WriteRecord(CxFile& file, const GoogleEvent& record) override;
  void ToCommon(const GoogleEvent& native, CommonEvent& common) override;
  void FromCommon(const CommonEvent& common, GoogleEvent& native, HelperAction action) override;

 private:
  std::string CalendarsPath(std::string_view path) const;
  void DeleteCalendarsFile() const;

  std::string calendarFileName_ = "GCal.dat";
  // Parameter 1007: the calendar new events go to; the helper takes empty as the default one.
  std::string calendarParam_;
  std::vector<GoogleCalendar> calendars_;
  std::size_t calendarCursor_ = 0;
  GRecurrenceZone zone_;
};
