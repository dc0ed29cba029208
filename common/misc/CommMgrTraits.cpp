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

void KeepAddress(CommonAddress& s, const CommonAddress& i) {
  Keep(s.Street, i.Street);
  Keep(s.City, i.City);
  Keep(s.State, i.State);
  Keep(s.PostalCode, i.PostalCode);
  Keep(s.Country, i.Country);
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
  switch (code) {
    case kFieldBirthday:
      return MatchValue::Bytes(c.Birthday);
    case kFieldAnniversary:
      return MatchValue::Bytes(c.Anniversary);
    // These codes have no field of their own in the comparison.
    case kFieldGender:
    case kFieldChildrenNames:
    case kFieldProfession:
    case kFieldHobby:
      return MatchValue::Ignore();
    default:
      break;
  }
  if (code >= kFieldMhsCommonName && code <= kFieldPrivate) return MatchValue::Ignore();
  auto& mutableContact = const_cast<CommonContact&>(c);  // only read through the reference
  ContactFieldRef ref = FieldByCode(mutableContact, code);
  if (!ref.text.field) return MatchValue::Ignore();
  std::string_view text = ref.text.view();
  if (std::size_t limit = AccountLimit(code)) text = Utf8Prefix(text, limit);
  return MatchValue::LineBreak(text);
}

void ContactMatchTraits::Update(CommonContact& s, const CommonContact& i) {
  Keep(s.FirstName, i.FirstName);
  Keep(s.LastName, i.LastName);
  Keep(s.MiddleName, i.MiddleName);
  Keep(s.Prefix, i.Prefix);
  Keep(s.Suffix, i.Suffix);
  Keep(s.NickName, i.NickName);
  Keep(s.DisplayName, i.DisplayName);
  s.Gender = i.Gender;
  KeepAddress(s.WorkAddress, i.WorkAddress);
  KeepAddress(s.HomeAddress, i.HomeAddress);
  KeepAddress(s.OtherAddress, i.OtherAddress);
  Keep(s.HomePhone, i.HomePhone);
  Keep(s.WorkPhone, i.WorkPhone);
  Keep(s.MobilePhone, i.MobilePhone);
  Keep(s.PrimaryPhone, i.PrimaryPhone);
  Keep(s.OtherPhone, i.OtherPhone);
  Keep(s.CallbackPhone, i.CallbackPhone);
  Keep(s.RadioPhone, i.RadioPhone);
  Keep(s.CarPhone, i.CarPhone);
  Keep(s.WorkPhone2, i.WorkPhone2);
  Keep(s.HomePhone2, i.HomePhone2);
  Keep(s.WorkFax, i.WorkFax);
  Keep(s.HomeFax, i.HomeFax);
  Keep(s.Pager, i.Pager);
  Keep(s.Email1, i.Email1);
  Keep(s.Email2, i.Email2);
  Keep(s.Email3, i.Email3);
  Keep(s.WorkHomePage, i.WorkHomePage);
  Keep(s.PersonalHomePage, i.PersonalHomePage);
  Keep(s.FtpSite, i.FtpSite);
  Keep(s.Note, i.Note);
  for (std::size_t k = 0; k < CommonContact::kCustomSlots; ++k) {
    Keep(s.Custom[k], i.Custom[k]);
    Keep(s.MappedCustom[k], i.MappedCustom[k]);
  }
  // The tenth label is left as it is.
  for (std::size_t k = 0; k + 1 < CommonContact::kCustomSlots; ++k)
    Keep(s.CustomLabel[k], i.CustomLabel[k]);
  Keep(s.Company, i.Company);
  Keep(s.JobTitle, i.JobTitle);
  Keep(s.Department, i.Department);
  Keep(s.Im1, i.Im1);
  Keep(s.Im2, i.Im2);
  Keep(s.ManagerName, i.ManagerName);
  Keep(s.AssistantName, i.AssistantName);
  Keep(s.AssistantPhone, i.AssistantPhone);
  Keep(s.SpouseName, i.SpouseName);
  Keep(s.ChildrenNames, i.ChildrenNames);
  Keep(s.Profession, i.Profession);
  Keep(s.Hobby, i.Hobby);
  Keep(s.Account, i.Account);
  s.Birthday = i.Birthday;
  s.Anniversary = i.Anniversary;
  Keep(s.Keyword, i.Keyword);
  Keep(s.Language, i.Language);
  Keep(s.Location, i.Location);
  Keep(s.MhsCommonName, i.MhsCommonName);
  Keep(s.CustomerId, i.CustomerId);
  Keep(s.GovernmentId, i.GovernmentId);
  Keep(s.OrganizationId, i.OrganizationId);
  Keep(s.Category, i.Category);
  s.Private = i.Private;
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
