// What each record type contributes to matching, and what UpdateAt copies.
#include "misc/CommAddrMgr.h"
#include "misc/CommDateMgr.h"
#include "misc/CommNoteMgr.h"
#include "misc/CommTaskMgr.h"
#include "misc/Utf8.h"

namespace {

// A stored text is overwritten only by a non-empty incoming one.
template <std::size_t N>
void Keep(FixedText<N>& stored, const FixedText<N>& incoming) {
  if (!incoming.empty()) stored = incoming;
}

// The account keeps streets of at most 127 bytes and states and countries of at most 15; a
// longer value is compared by the part the account can hold, or it would differ on every run.
std::size_t AccountLimit(std::uint32_t code) {
  switch (code) {
    case kFieldWorkStreet:
    case kFieldHomeStreet:
    case kFieldOtherStreet:
      return 127;
    case kFieldWorkState:
    case kFieldHomeState:
    case kFieldOtherState:
    case kFieldWorkCountry:
    case kFieldHomeCountry:
    case kFieldOtherCountry:
      return 15;
    default:
      return 0;
  }
}

struct RecurrenceKey {
  std::int32_t type, interval, mask, dayOfMonth, month, instance;
};

}  // namespace

MatchValue ContactMatchTraits::Extract(const CommonContact& c, std::uint32_t code) {
  const ContactFieldRow* row = FindContactRow(code);
  if (!row || row->match == ContactMatch::Ignore) return MatchValue::Ignore();
  // Only read through the reference.
  ContactFieldRef ref = row->field(const_cast<CommonContact&>(c));
  if (row->match == ContactMatch::Bytes) return MatchValue::Bytes(*ref.date);
  std::string_view text = ref.text.view();
  if (std::size_t limit = AccountLimit(code)) text = Utf8Prefix(text, limit);
  return MatchValue::LineBreak(text);
}

void ContactMatchTraits::Update(CommonContact& s, const CommonContact& i) {
  auto& incoming = const_cast<CommonContact&>(i);  // only read through the references
  for (const ContactFieldRow& row : kContactFieldTable) {
    if (row.update == ContactUpdate::Stay) continue;
    ContactFieldRef to = row.field(s);
    ContactFieldRef from = row.field(incoming);
    if (to.text.field) {
      if (row.update == ContactUpdate::Keep && !from.text.field->empty())
        *to.text.field = *from.text.field;
    } else if (to.number) {
      *to.number = *from.number;
    } else if (to.date) {
      *to.date = *from.date;
    }
  }
}

MatchValue EventMatchTraits::Extract(const CommonEvent& e, std::uint32_t code) {
  switch (code) {
    case kEventSubject:
      return MatchValue::Fold(e.Subject.view());
    case kEventStart:
      return MatchValue::Bytes(e.Start);
    case kEventEnd:
      return MatchValue::Bytes(e.End);
    case kEventDescription:
      return MatchValue::LineBreak(e.Description.view());
    case kEventLocation:
      return MatchValue::Fold(e.Location.view());
    case kEventReservedNumber:
      return MatchValue::Bytes(e.ReservedNumber);
    case kEventAllDay:
      return MatchValue::Bytes(e.AllDay);
    case kEventRecurrence: {
      const CommonRecurrence& r = e.Recurrence;
      return MatchValue::Bytes(RecurrenceKey{r.RecurType, r.Interval, r.DayOfWeekMask, r.DayOfMonth,
                                             r.MonthOfYear, r.Instance});
    }
    case kEventExceptionDates:
      return MatchValue::Fold(e.ExceptionDates.Key());  // digits only: folding changes nothing
    default:
      return MatchValue::Ignore();
  }
}

void EventMatchTraits::Update(CommonEvent& s, const CommonEvent& i) {
  Keep(s.Subject, i.Subject);
  Keep(s.Location, i.Location);
  Keep(s.Description, i.Description);
  Keep(s.Categories, i.Categories);
  Keep(s.ReservedText, i.ReservedText);
  s.ReminderSet = i.ReminderSet;
  s.AllDay = i.AllDay;
  s.ReservedNumber = i.ReservedNumber;
  s.Private = i.Private;
  s.Recurrence = i.Recurrence;
  // Only Palm Desktop's date book tells deleted occurrences: a source that tells none leaves
  // the account's own, rather than bringing back what the person deleted there.
  if (!i.ExceptionDates.empty()) s.ExceptionDates = i.ExceptionDates;
  s.Start = i.Start;
  s.End = i.End;
}

MatchValue TaskMatchTraits::Extract(const CommonTask& t, std::uint32_t code) {
  switch (code) {
    case kTaskSubject:
      return MatchValue::Fold(t.Subject.view());
    case kTaskNote:
      return MatchValue::Fold(t.Note.view());
    case kTaskImportance:
      return MatchValue::Bytes(t.Importance);
    case kTaskComplete:
      return MatchValue::Bytes(t.Complete);
    case kTaskReminderSet:
      return MatchValue::Bytes(t.ReminderSet);
    case kTaskPrivate:
      return MatchValue::Bytes(t.Private);
    default:
      return MatchValue::Ignore();
  }
}

void TaskMatchTraits::Update(CommonTask& s, const CommonTask& i) {
  Keep(s.Subject, i.Subject);
  Keep(s.Note, i.Note);
  s.DueDate = i.DueDate;
  s.ReminderSet = i.ReminderSet;
  s.Private = i.Private;
  s.Complete = i.Complete;
  s.Importance = i.Importance;
}

MatchValue NoteMatchTraits::Extract(const CommonNote& n, std::uint32_t code) {
  switch (code) {
    case kNoteTitle:
      return MatchValue::Fold(n.Title.view().substr(0, 255));
    case kNoteBody:
      return MatchValue::Fold(n.Body.view().substr(0, 20479));
    default:
      return MatchValue::Ignore();
  }
}

void NoteMatchTraits::Update(CommonNote& s, const CommonNote& i) {
  s.Color = i.Color;
  s.Reserved = i.Reserved;
  Keep(s.Title, i.Title);
  Keep(s.Body, i.Body);
  s.Status = kStatusSame;
}
