#include "app/ACTReviewRows.h"

#include "ACT/ACTConvert.h"
#include "ACT/ACTRecords.h"
#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxDateTime.h"
#include "src/AppCommon.h"

namespace {

QString Text(std::string_view t) {
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

QString FirstLine(std::string_view v) {
  std::size_t end = v.find_first_of("\r\n");
  return Text(end == std::string_view::npos ? v : v.substr(0, end));
}

SYSTEMTIME ToSystemTime(OleDate d) {
  SYSTEMTIME st;
  if (!d.IsSet() || !CxDateTime::OleDateToSystemTime(d, st)) st = SYSTEMTIME();
  return st;
}

template <class Native, class Record>
const Native* NativeOf(const void* r) {
  return static_cast<const Record*>(r)->NativeRecord.template As<Native>();
}

QString ContactCell(const void* r, int column, bool forSort) {
  const ACTContactRecord* a = NativeOf<ACTContactRecord, CommonContact>(r);
  if (!a) return ReviewModel::ContactKind().cell(r, column, forSort);
  switch (column) {
    case 0: {
      if (!a->Text(kACTFullName).empty()) return Text(a->Text(kACTFullName));
      QString name =
          (Text(a->Text(kACTFirstName)) + QLatin1Char(' ') + Text(a->Text(kACTLastName))).trimmed();
      return name.isEmpty() ? Text(a->Text(kACTCompany)) : name;
    }
    case 1:
      return Text(a->Text(kACTBusinessEmail));
    case 2:
      return QString::fromStdString(
          JoinACTPhone(a->Text(kACTBusinessPhone), a->Text(kACTBusinessPhoneExtension)));
    case 3:
      return Text(a->Text(kACTCompany));
    default:
      return Text(a->Text(kACTTitle));
  }
}

QString EventCell(const void* r, int column, bool forSort) {
  const ACTEventRecord* a = NativeOf<ACTEventRecord, CommonEvent>(r);
  if (!a) return ReviewModel::EventKind().cell(r, column, forSort);
  switch (column) {
    case 0:
      return Text(a->Subject.view());
    case 1:
      return QString::fromStdString(CxDateTime::TimeText(ToSystemTime(a->Start)));
    case 2:
      return QString::fromStdString(CxDateTime::TimeText(ToSystemTime(a->End)));
    case 3:
      return a->AllDay ? QStringLiteral("Yes") : QStringLiteral("No");
    default:
      return Text(a->Location.view());
  }
}

QString TaskCell(const void* r, int column, bool forSort) {
  const ACTTaskRecord* a = NativeOf<ACTTaskRecord, CommonTask>(r);
  if (!a) return ReviewModel::TaskKind().cell(r, column, forSort);
  switch (column) {
    case 0:
      return Text(a->Subject.view());
    case 1: {
      const std::int32_t importance = ACTPriorityToCommon(a->Priority);
      if (forSort) return QString::number(importance == 1 ? 0 : importance == 2 ? 2 : 1);
      return QString::fromLatin1(ACTImportanceWord(a->Priority));
    }
    case 2: {
      if (!a->DueDate.IsSet()) return {};
      SYSTEMTIME st = ToSystemTime(a->DueDate);
      if (forSort)
        return QStringLiteral("%1%2%3")
            .arg(st.wYear, 4, 10, QLatin1Char('0'))
            .arg(st.wMonth, 2, 10, QLatin1Char('0'))
            .arg(st.wDay, 2, 10, QLatin1Char('0'));
      return QString::fromStdString(CxDateTime::DateText(st));
    }
    default:
      return FirstLine(a->Body.view());
  }
}

QString NoteCell(const void* r, int column, bool forSort) {
  const ACTNoteRecord* a = NativeOf<ACTNoteRecord, CommonNote>(r);
  if (!a) return ReviewModel::NoteKind().cell(r, column, forSort);
  return FirstLine(a->Body.view());
}

}  // namespace

const ReviewModel::Kind& ACTReviewKind(int type) {
  static const ReviewModel::Kind contacts{ReviewModel::ContactKind().columns, &ContactCell,
                                          &ReviewModel::StatusOf<CommonContact>};
  static const ReviewModel::Kind events{ReviewModel::EventKind().columns, &EventCell,
                                        &ReviewModel::StatusOf<CommonEvent>};
  static const ReviewModel::Kind tasks{ReviewModel::TaskKind().columns, &TaskCell,
                                       &ReviewModel::StatusOf<CommonTask>};
  static const ReviewModel::Kind notes{ReviewModel::NoteKind().columns, &NoteCell,
                                       &ReviewModel::StatusOf<CommonNote>};
  switch (type) {
    case kTypeContacts:
      return contacts;
    case kTypeCalendar:
      return events;
    case kTypeTasks:
      return tasks;
    default:
      return notes;
  }
}
