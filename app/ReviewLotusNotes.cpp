// The rows of the Lotus Notes review page: read from the Notes record attached to each common
// record, with the Notes priority's own words.
#include "app/ReviewModel.h"
#include "lotus/LNRecords.h"
#include "misc/CxDateTime.h"

namespace {

QString Text(const TextStorage& t) {
  return QString::fromUtf8(t.c_str(), static_cast<qsizetype>(t.size()));
}

QString FirstLine(const TextStorage& t) {
  std::string_view v = t.view();
  std::size_t end = v.find_first_of("\r\n");
  if (end != std::string_view::npos) v = v.substr(0, end);
  return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}

// Each cell reads the Notes record; a record without one (made elsewhere) shows as the common
// lists show it.
template <class Native, class Common>
const Native* NativeOf(const void* r) {
  return static_cast<const Common*>(r)->NativeRecord.template As<Native>();
}

QString ContactCell(const void* r, int column, bool forSort) {
  const auto* n = NativeOf<LNContactRecord, CommonContact>(r);
  if (!n) return ReviewModel::ContactKind().cell(r, column, forSort);
  switch (column) {
    case 0: {
      if (!n->DisplayName.empty()) return Text(n->DisplayName);
      QString name = (Text(n->FirstName) + QLatin1Char(' ') + Text(n->LastName)).trimmed();
      return name.isEmpty() ? Text(n->CompanyName) : name;
    }
    case 1:
      return Text(n->BusinessEmail);
    case 2:
      return Text(n->PrimaryPhone);
    case 3:
      return Text(n->CompanyName);
    default:
      return Text(n->JobTitle);
  }
}

QString TimeOf(OleDate d) {
  SYSTEMTIME st{};
  if (!d.IsSet() || !CxDateTime::OleDateToSystemTime(d, st)) return {};
  return QString::fromStdString(CxDateTime::TimeText(st));
}

QString EventCell(const void* r, int column, bool forSort) {
  const auto* n = NativeOf<LNEventRecord, CommonEvent>(r);
  if (!n) return ReviewModel::EventKind().cell(r, column, forSort);
  switch (column) {
    case 0:
      return Text(n->Subject);
    case 1:
      return TimeOf(n->Dates[LNEventRecord::kStart]);
    case 2:
      return TimeOf(n->Dates[LNEventRecord::kEnd]);
    case 3:
      // Notes entries carry no all-day mark of their own.
      return static_cast<const CommonEvent*>(r)->AllDay ? QStringLiteral("Yes")
                                                        : QStringLiteral("No");
    default:
      return Text(n->Location);
  }
}

QString TaskCell(const void* r, int column, bool forSort) {
  const auto* n = NativeOf<LNTaskRecord, CommonTask>(r);
  if (!n) return ReviewModel::TaskKind().cell(r, column, forSort);
  switch (column) {
    case 0:
      return Text(n->Subject);
    case 1: {
      if (forSort) {
        std::int32_t importance = LNPriorityToImportance(n->Priority);
        return QString::number(importance == 1 ? 0 : importance == 2 ? 2 : 1);
      }
      return QString::fromLatin1(LNPriorityWord(n->Priority));
    }
    case 2: {
      SYSTEMTIME st{};
      if (!n->DueDate.IsSet() || !CxDateTime::OleDateToSystemTime(n->DueDate, st)) return {};
      if (forSort)
        return QStringLiteral("%1%2%3")
            .arg(st.wYear, 4, 10, QLatin1Char('0'))
            .arg(st.wMonth, 2, 10, QLatin1Char('0'))
            .arg(st.wDay, 2, 10, QLatin1Char('0'));
      return QString::fromStdString(CxDateTime::DateText(st));
    }
    default:
      return FirstLine(n->Body);
  }
}

QString NoteCell(const void* r, int column, bool forSort) {
  const auto* n = NativeOf<LNNoteRecord, CommonNote>(r);
  if (!n) return ReviewModel::NoteKind().cell(r, column, forSort);
  return FirstLine(n->Body);
}

ReviewModel::Kind With(const ReviewModel::Kind& common, QString (*cell)(const void*, int, bool)) {
  ReviewModel::Kind kind = common;
  kind.cell = cell;
  return kind;
}

}  // namespace

const ReviewModel::Kind& ReviewModel::LotusNotesKind(int type) {
  static const Kind contacts = With(ContactKind(), &ContactCell);
  static const Kind events = With(EventKind(), &EventCell);
  static const Kind tasks = With(TaskKind(), &TaskCell);
  static const Kind notes = With(NoteKind(), &NoteCell);
  switch (type) {
    case 0:
      return contacts;
    case 1:
      return events;
    case 2:
      return tasks;
    default:
      return notes;
  }
}
