#include "platform/outlook/OlStore.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>

#include "platform/AtomicFile.h"

namespace platform::outlook {
namespace {

constexpr ValueKind T = ValueKind::kText;
constexpr ValueKind I = ValueKind::kInt;
constexpr ValueKind B = ValueKind::kBool;
constexpr ValueKind D = ValueKind::kDate;

// A store far larger than any real mailbox export is refused rather than read into memory.
constexpr std::size_t kMaxStoreBytes = std::size_t{1} << 30;
// A store nests six levels at most; a deeper one is no store, and copying or freeing its values
// would recurse that deep.
constexpr int kMaxNesting = 64;
// Problems listed one by one in the report; the rest are only counted.
constexpr std::size_t kMaxProblemLines = 1000;

constexpr char kFold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
constexpr char16_t kFold16(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// Properties every item kind has.
const std::vector<PropDef> kCommonProps = {
    {"EntryID", T, true},
    {"Body", T, false},
    {"Categories", T, false},
    {"CreationTime", D, true},
    {"LastModificationTime", D, true},
};

const std::vector<PropDef> kContactProps = {
    {"Account", T, false},
    {"Anniversary", D, false},
    {"AssistantName", T, false},
    {"AssistantTelephoneNumber", T, false},
    {"Birthday", D, false},
    {"Business2TelephoneNumber", T, false},
    {"BusinessAddressCity", T, false},
    {"BusinessAddressCountry", T, false},
    {"BusinessAddressPostalCode", T, false},
    {"BusinessAddressPostOfficeBox", T, false},
    {"BusinessAddressState", T, false},
    {"BusinessAddressStreet", T, false},
    {"BusinessFaxNumber", T, false},
    {"BusinessHomePage", T, false},
    {"BusinessTelephoneNumber", T, false},
    {"CallbackTelephoneNumber", T, false},
    {"CarTelephoneNumber", T, false},
    {"CompanyMainTelephoneNumber", T, false},
    {"CompanyName", T, false},
    {"ComputerNetworkName", T, false},
    {"CustomerID", T, false},
    {"Department", T, false},
    {"Email1Address", T, false},
    {"Email1AddressType", T, false},
    {"Email1DisplayName", T, false},
    {"Email2Address", T, false},
    {"Email2AddressType", T, false},
    {"Email2DisplayName", T, false},
    {"Email3Address", T, false},
    {"Email3AddressType", T, false},
    {"Email3DisplayName", T, false},
    {"FirstName", T, false},
    {"FTPSite", T, false},
    {"FullName", T, false},
    {"Gender", I, false},
    {"Hobby", T, false},
    {"Home2TelephoneNumber", T, false},
    {"HomeAddressCity", T, false},
    {"HomeAddressCountry", T, false},
    {"HomeAddressPostalCode", T, false},
    {"HomeAddressPostOfficeBox", T, false},
    {"HomeAddressState", T, false},
    {"HomeAddressStreet", T, false},
    {"HomeFaxNumber", T, false},
    {"HomeTelephoneNumber", T, false},
    {"IMAddress", T, false},
    {"Initials", T, false},
    {"ISDNNumber", T, false},
    {"JobTitle", T, false},
    {"Language", T, false},
    {"LastName", T, false},
    {"MailingAddressCity", T, false},
    {"MailingAddressCountry", T, false},
    {"MailingAddressPostalCode", T, false},
    {"MailingAddressPostOfficeBox", T, false},
    {"MailingAddressState", T, false},
    {"MailingAddressStreet", T, false},
    {"ManagerName", T, false},
    {"MiddleName", T, false},
    {"MobileTelephoneNumber", T, false},
    {"NickName", T, false},
    {"OtherAddressCity", T, false},
    {"OtherAddressCountry", T, false},
    {"OtherAddressPostalCode", T, false},
    {"OtherAddressPostOfficeBox", T, false},
    {"OtherAddressState", T, false},
    {"OtherAddressStreet", T, false},
    {"OtherTelephoneNumber", T, false},
    {"PagerNumber", T, false},
    {"PersonalHomePage", T, false},
    {"PrimaryTelephoneNumber", T, false},
    {"Profession", T, false},
    {"RadioTelephoneNumber", T, false},
    {"Spouse", T, false},
    {"Suffix", T, false},
    {"Title", T, false},
    {"WebPage", T, false},
};

const std::vector<PropDef> kAppointmentProps = {
    {"AllDayEvent", B, false},
    {"BusyStatus", I, false},
    {"Duration", I, false},
    {"End", D, false},
    {"Importance", I, false},
    {"Location", T, false},
    {"ReminderMinutesBeforeStart", I, false},
    {"ReminderSet", B, false},
    {"ReminderTime", D, false},
    {"Sensitivity", I, false},
    {"Start", D, false},
    {"Subject", T, false},
};

const std::vector<PropDef> kTaskProps = {
    {"ActualWork", I, false},
    {"CardData", T, false},
    {"Complete", B, false},
    {"DateCompleted", D, false},
    {"DueDate", D, false},
    {"Importance", I, false},
    {"Mileage", T, false},
    {"Ordinal", I, false},
    {"PercentComplete", I, false},
    {"ReminderOverrideDefault", B, false},
    {"ReminderPlaySound", B, false},
    {"ReminderSet", B, false},
    {"ReminderSoundFile", T, false},
    {"ReminderTime", D, false},
    {"ResponseState", I, false},
    {"Role", T, false},
    {"Sensitivity", I, false},
    {"StartDate", D, false},
    {"Status", I, false},
    {"Subject", T, false},
    {"TeamTask", B, false},
    {"TotalWork", I, false},
};

const std::vector<PropDef> kNoteProps = {
    {"Color", I, false},   {"Height", I, false}, {"Left", I, false},
    {"Subject", T, false}, {"Top", I, false},    {"Width", I, false},
};

const std::vector<PropDef> kPatternProps = {
    {"RecurrenceType", I, false},   {"Interval", I, false},       {"DayOfWeekMask", I, false},
    {"DayOfMonth", I, false},       {"MonthOfYear", I, false},    {"Instance", I, false},
    {"PatternStartDate", D, false}, {"PatternEndDate", D, false}, {"NoEndDate", B, false},
    {"Occurrences", I, false},      {"StartTime", D, false},      {"EndTime", D, false},
    {"Duration", I, false},
};

Schema MakeSchema(const std::vector<PropDef>& own, bool withCommon) {
  Schema s;
  if (withCommon) s.props = kCommonProps;
  s.props.insert(s.props.end(), own.begin(), own.end());
  for (std::size_t i = 0; i < s.props.size(); ++i)
    s.index.Add(s.props[i].name, static_cast<int>(i));
  return s;
}

// Days from 1970-01-01 (H. Hinnant's algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

constexpr long long kOleEpochDays = -25569;  // 1899-12-30 from 1970-01-01

bool IsLeap(int y) {
  return y % 400 == 0 || (y % 4 == 0 && y % 100 != 0);
}
int DaysIn(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool ParseDigits(std::string_view s, std::size_t pos, std::size_t count, int& out) {
  if (s.size() < pos + count) return false;
  out = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

const char* KindText(ValueKind k) {
  switch (k) {
    case ValueKind::kEmpty:
      return "empty";
    case ValueKind::kText:
      return "text";
    case ValueKind::kInt:
      return "int";
    case ValueKind::kBool:
      return "bool";
    case ValueKind::kDate:
      return "date";
    case ValueKind::kDouble:
      return "double";
  }
  return "?";
}

std::optional<ValueKind> KindFromText(std::string_view s) {
  for (ValueKind k : {ValueKind::kEmpty, ValueKind::kText, ValueKind::kInt, ValueKind::kBool,
                      ValueKind::kDate, ValueKind::kDouble}) {
    if (s == KindText(k)) return k;
  }
  return std::nullopt;
}

// A user property's type gives the kind its value is read as.
ValueKind KindOfUserType(LONG type) {
  switch (type) {
    case olText:
    case olKeywords:
      return ValueKind::kText;
    case olDateTime:
      return ValueKind::kDate;
    case olYesNo:
      return ValueKind::kBool;
    case olNumber:
    case olCurrency:
      return ValueKind::kDouble;
    default:
      return ValueKind::kInt;
  }
}

std::optional<HRESULT> HResultFromJson(const Json& j) {
  if (j.is_number_integer()) {
    const auto v = j.get<long long>();
    if (v < INT32_MIN || v > UINT32_MAX) return std::nullopt;
    return static_cast<HRESULT>(static_cast<std::uint32_t>(v));
  }
  if (!j.is_string()) return std::nullopt;
  const std::string& s = j.get_ref<const std::string&>();
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
  if (s.empty() || *end != '\0' || errno != 0 || v > UINT32_MAX) return std::nullopt;
  return static_cast<HRESULT>(static_cast<std::uint32_t>(v));
}

// The deepest nesting of arrays and objects, outside strings.
int NestingDepth(std::string_view text) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

// ---- names -------------------------------------------------------------------------------

std::size_t NameIndex::Hash::operator()(std::string_view s) const {
  std::size_t h = 1469598103934665603ull;
  for (char c : s) h = (h ^ static_cast<unsigned char>(kFold(c))) * 1099511628211ull;
  return h;
}

std::size_t NameIndex::Hash::operator()(std::u16string_view s) const {
  std::size_t h = 1469598103934665603ull;
  for (char16_t c : s) h = (h ^ static_cast<unsigned char>(kFold16(c) & 0xFF)) * 1099511628211ull;
  return h;
}

bool NameIndex::Equal::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (kFold(a[i]) != kFold(b[i])) return false;
  }
  return true;
}

bool NameIndex::Equal::operator()(std::u16string_view a, std::string_view b) const {
  return EqualsNoCase16(a, b);
}

bool EqualsNoCase16(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] > 0x7F || kFold16(a[i]) != static_cast<char16_t>(kFold(b[i]))) return false;
  }
  return true;
}

void NameIndex::Add(std::string_view name, int id) {
  map_.emplace(std::string(name), id);
}

int NameIndex::Find(std::u16string_view name) const {
  auto it = map_.find(name);
  return it == map_.end() ? -1 : it->second;
}

int NameIndex::Find(std::string_view name) const {
  auto it = map_.find(name);
  return it == map_.end() ? -1 : it->second;
}

// ---- values ------------------------------------------------------------------------------

Value Value::Text(std::string s) {
  Value v;
  v.kind = ValueKind::kText;
  v.text = std::move(s);
  return v;
}
Value Value::Int(std::int32_t n) {
  Value v;
  v.kind = ValueKind::kInt;
  v.number = n;
  return v;
}
Value Value::Bool(bool b) {
  Value v;
  v.kind = ValueKind::kBool;
  v.number = b ? 1 : 0;
  return v;
}
Value Value::Date(double d) {
  Value v;
  v.kind = ValueKind::kDate;
  v.real = d;
  return v;
}
Value Value::Double(double d) {
  Value v;
  v.kind = ValueKind::kDouble;
  v.real = d;
  return v;
}

bool OleDateFromCivil(int year, int month, int day, int hour, int minute, int second, double& out) {
  out = 0;
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysIn(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return false;
  const long long days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpochDays;
  const double frac = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the epoch the fraction still counts forwards from midnight: -1.25 is 1899-12-29 06:00.
  out = days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
  return true;
}

bool CivilFromOleDate(double date, int& year, int& month, int& day, int& hour, int& minute,
                      int& second) {
  if (!(date >= -657434.0 && date < 2958466.0)) return false;
  const double whole = std::trunc(date);
  auto days = static_cast<long long>(whole);
  auto secs = std::llround(std::fabs(date - whole) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    ++days;
  }
  long long y;
  unsigned m, d;
  CivilFromDays(days + kOleEpochDays, y, m, d);
  if (y < 100 || y > 9999) return false;
  year = static_cast<int>(y);
  month = static_cast<int>(m);
  day = static_cast<int>(d);
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
  return true;
}

bool OleDateToSeconds(double date, long long& seconds) {
  int y, mo, d, h, mi, s;
  if (!CivilFromOleDate(date, y, mo, d, h, mi, s)) return false;
  const long long days =
      DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kOleEpochDays;
  seconds = days * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

bool OleDateFromSeconds(long long seconds, double& out) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  long long y;
  unsigned m, d;
  CivilFromDays(days + kOleEpochDays, y, m, d);
  if (y < 100 || y > 9999) return false;
  return OleDateFromCivil(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                          static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                          static_cast<int>(rest % 60), out);
}

bool ParseIsoDate(std::string_view s, double& out) {
  int y, mo, d, h = 0, mi = 0, sec = 0;
  if (!ParseDigits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !ParseDigits(s, 5, 2, mo) ||
      s[7] != '-' || !ParseDigits(s, 8, 2, d))
    return false;
  if (s.size() > 10) {
    if ((s[10] != 'T' && s[10] != ' ') || s.size() < 16 || !ParseDigits(s, 11, 2, h) ||
        s[13] != ':' || !ParseDigits(s, 14, 2, mi))
      return false;
    if (s.size() > 16) {
      if (s.size() != 19 || s[16] != ':' || !ParseDigits(s, 17, 2, sec)) return false;
    }
  }
  return OleDateFromCivil(y, mo, d, h, mi, sec, out);
}

std::string FormatIsoDate(double date) {
  int y, mo, d, h, mi, s;
  if (!CivilFromOleDate(date, y, mo, d, h, mi, s)) return {};
  char buf[32];
  if (h == 0 && mi == 0 && s == 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
  }
  return buf;
}

double NowAsOleDate() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  double out = 0;
  if (localtime_r(&t, &tm)) {
    OleDateFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec > 59 ? 59 : tm.tm_sec, out);
  }
  return out;
}

bool ValueFromJson(Json&& j, ValueKind declared, Value& value) {
  value = Value();
  if (j.is_null()) return true;
  if (j.is_boolean()) {
    value = Value::Bool(j.get<bool>());
    return true;
  }
  if (j.is_number()) {
    const double d = j.get<double>();
    if (declared == ValueKind::kDate) {
      value = Value::Date(d);
    } else if (j.is_number_integer() && declared != ValueKind::kDouble &&
               j.get<long long>() >= INT32_MIN && j.get<long long>() <= INT32_MAX) {
      value = Value::Int(static_cast<std::int32_t>(j.get<long long>()));
    } else {
      value = Value::Double(d);
    }
    return true;
  }
  if (j.is_string()) {
    std::string& s = j.get_ref<std::string&>();
    double date = 0;
    if (declared == ValueKind::kDate && ParseIsoDate(s, date)) {
      value = Value::Date(date);
    } else {
      value = Value::Text(std::move(s));
    }
    return true;
  }
  if (j.is_object() && j.size() == 1 && j.contains("date")) {
    const Json& d = j["date"];
    double date = 0;
    if (d.is_number()) {
      value = Value::Date(d.get<double>());
      return true;
    }
    if (d.is_string() && ParseIsoDate(d.get_ref<const std::string&>(), date)) {
      value = Value::Date(date);
      return true;
    }
  }
  if (j.is_object() && j.size() == 1 && j.contains("double") && j["double"].is_number()) {
    value = Value::Double(j["double"].get<double>());
    return true;
  }
  value.raw = std::make_shared<const Json>(std::move(j));
  return false;
}

Json ValueToJson(const Value& value, ValueKind declared) {
  switch (value.kind) {
    case ValueKind::kEmpty:
      return value.raw ? *value.raw : Json();
    case ValueKind::kText:
      return value.text;
    case ValueKind::kInt:
      return value.number;
    case ValueKind::kBool:
      return value.number != 0;
    case ValueKind::kDouble:
      // A plain number in a date property would read back as a date.
      if (declared == ValueKind::kDate) return Json{{"double", value.real}};
      return value.real;
    case ValueKind::kDate: {
      Json plain;
      std::string iso = FormatIsoDate(value.real);
      double back = 0;
      if (!iso.empty() && ParseIsoDate(iso, back) &&
          std::memcmp(&back, &value.real, sizeof back) == 0) {
        plain = iso;
      } else {
        plain = value.real;
      }
      if (declared == ValueKind::kDate) return plain;
      return Json{{"date", plain}};
    }
  }
  return Json();
}

Value ConvertValue(const Value& v, ValueKind kind) {
  if (v.kind == kind) return v;
  const bool numeric = v.kind == ValueKind::kInt || v.kind == ValueKind::kBool;
  const double asReal = numeric ? v.number : v.real;
  switch (kind) {
    case ValueKind::kEmpty:
      return Value();
    case ValueKind::kText: {
      if (v.kind == ValueKind::kEmpty) return Value::Text("");
      if (v.kind == ValueKind::kDate) return Value::Text(FormatIsoDate(v.real));
      if (numeric) return Value::Text(std::to_string(v.number));
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", v.real);
      return Value::Text(buf);
    }
    case ValueKind::kInt:
      if (v.kind == ValueKind::kText) return Value::Int(std::atoi(v.text.c_str()));
      if (v.kind == ValueKind::kEmpty) return Value::Int(0);
      if (!(asReal > INT32_MIN && asReal < INT32_MAX)) return Value::Int(0);
      return Value::Int(static_cast<std::int32_t>(asReal));
    case ValueKind::kBool:
      if (v.kind == ValueKind::kText) return Value::Bool(!v.text.empty());
      if (v.kind == ValueKind::kEmpty) return Value::Bool(false);
      return Value::Bool(asReal != 0);
    case ValueKind::kDate: {
      double d = 0;
      if (v.kind == ValueKind::kText) ParseIsoDate(v.text, d);
      if (v.kind != ValueKind::kText && v.kind != ValueKind::kEmpty) d = asReal;
      return Value::Date(d);
    }
    case ValueKind::kDouble:
      if (v.kind == ValueKind::kText) return Value::Double(std::atof(v.text.c_str()));
      if (v.kind == ValueKind::kEmpty) return Value::Double(0);
      return Value::Double(asReal);
  }
  return Value();
}

void ValueToVariant(const Value& value, ValueKind declared, VARIANT* out) {
  VariantInit(out);
  const ValueKind kind = value.kind == ValueKind::kEmpty && !value.raw ? declared : value.kind;
  const bool empty = value.kind == ValueKind::kEmpty;
  switch (kind) {
    case ValueKind::kEmpty:
      return;
    case ValueKind::kText:
      out->vt = VT_BSTR;
      if (!empty) {
        const std::u16string wide = Utf8ToUtf16(value.text);
        out->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      }
      return;
    case ValueKind::kInt:
      out->vt = VT_I4;
      out->lVal = empty ? 0 : value.number;
      return;
    case ValueKind::kBool:
      out->vt = VT_BOOL;
      out->boolVal = !empty && value.number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case ValueKind::kDate:
      out->vt = VT_DATE;
      out->date = empty ? 0.0 : value.real;
      return;
    case ValueKind::kDouble:
      out->vt = VT_R8;
      out->dblVal = empty ? 0.0 : value.real;
      return;
  }
}

bool ValueFromVariant(const VARIANT& v, Value& out) {
  const VARIANT* p = &v;
  if (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
  switch (p->vt) {
    case VT_EMPTY:
    case VT_NULL:
      out = Value();
      return true;
    case VT_BSTR:
      out = Value::Text(Utf16ToUtf8(p->bstrVal
                                        ? std::u16string_view(p->bstrVal, SysStringLen(p->bstrVal))
                                        : std::u16string_view()));
      return true;
    case VT_I4:
      out = Value::Int(p->lVal);
      return true;
    case VT_I2:
      out = Value::Int(p->iVal);
      return true;
    case VT_BOOL:
      out = Value::Bool(p->boolVal != 0);
      return true;
    case VT_DATE:
      out = Value::Date(p->date);
      return true;
    case VT_R8:
      out = Value::Double(p->dblVal);
      return true;
    case VT_R4:
      out = Value::Double(p->fltVal);
      return true;
    default:
      return false;
  }
}

bool CoerceForPut(Value& value, ValueKind declared) {
  if (value.kind == ValueKind::kEmpty || value.kind == declared) return true;
  switch (declared) {
    case ValueKind::kInt:
      if (value.kind == ValueKind::kBool) {
        value = Value::Int(value.number);
        return true;
      }
      if (value.kind == ValueKind::kDouble && value.real == std::trunc(value.real) &&
          value.real >= INT32_MIN && value.real <= INT32_MAX) {
        value = Value::Int(static_cast<std::int32_t>(value.real));
        return true;
      }
      return false;
    case ValueKind::kBool:
      if (value.kind == ValueKind::kInt) {
        value = Value::Bool(value.number != 0);
        return true;
      }
      return false;
    case ValueKind::kDate:
      if (value.kind == ValueKind::kDouble) {
        value = Value::Date(value.real);
        return true;
      }
      if (value.kind == ValueKind::kInt) {
        value = Value::Date(value.number);
        return true;
      }
      return false;
    case ValueKind::kDouble:
      if (value.kind == ValueKind::kInt) {
        value = Value::Double(value.number);
        return true;
      }
      if (value.kind == ValueKind::kDate) {
        value = Value::Double(value.real);
        return true;
      }
      return false;
    default:
      return false;
  }
}

// ---- schemas -----------------------------------------------------------------------------

const Schema& SchemaOf(Kind kind) {
  static const Schema contact = MakeSchema(kContactProps, true);
  static const Schema appointment = MakeSchema(kAppointmentProps, true);
  static const Schema task = MakeSchema(kTaskProps, true);
  static const Schema note = MakeSchema(kNoteProps, true);
  static const Schema other = MakeSchema({{"Subject", T, false}}, true);
  switch (kind) {
    case Kind::kContact:
      return contact;
    case Kind::kAppointment:
      return appointment;
    case Kind::kTask:
      return task;
    case Kind::kNote:
      return note;
    case Kind::kOther:
      break;
  }
  return other;
}

const Schema& PatternSchema() {
  static const Schema pattern = MakeSchema(kPatternProps, false);
  return pattern;
}

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kContact:
      return "contact";
    case Kind::kAppointment:
      return "appointment";
    case Kind::kTask:
      return "task";
    case Kind::kNote:
      return "note";
    case Kind::kOther:
      break;
  }
  return "other";
}

LONG ClassOf(Kind kind) {
  switch (kind) {
    case Kind::kContact:
      return 40;
    case Kind::kAppointment:
      return 26;
    case Kind::kTask:
      return 48;
    case Kind::kNote:
      return 44;
    case Kind::kOther:
      break;
  }
  return 0;
}

const char* MessageClassOf(Kind kind) {
  switch (kind) {
    case Kind::kContact:
      return "IPM.Contact";
    case Kind::kAppointment:
      return "IPM.Appointment";
    case Kind::kTask:
      return "IPM.Task";
    case Kind::kNote:
      return "IPM.StickyNote";
    case Kind::kOther:
      break;
  }
  return "IPM";
}

const AppointmentSlots& AppointmentSlotsOf() {
  static const AppointmentSlots slots = [] {
    const Schema& s = SchemaOf(Kind::kAppointment);
    return AppointmentSlots{s.index.Find(std::string_view("Start")),
                            s.index.Find(std::string_view("End")),
                            s.index.Find(std::string_view("Duration"))};
  }();
  return slots;
}

// ---- property bags -----------------------------------------------------------------------

const Value* PropertyBag::Slot(int slot) const {
  auto it = std::lower_bound(slots.begin(), slots.end(), slot,
                             [](const auto& p, int s) { return p.first < s; });
  return it != slots.end() && it->first == slot ? &it->second : nullptr;
}

Value& PropertyBag::SetSlot(int slot, Value value) {
  auto it = std::lower_bound(slots.begin(), slots.end(), slot,
                             [](const auto& p, int s) { return p.first < s; });
  if (it != slots.end() && it->first == slot) {
    it->second = std::move(value);
    return it->second;
  }
  return slots.insert(it, {slot, std::move(value)})->second;
}

void PropertyBag::ClearSlot(int slot) {
  auto it = std::lower_bound(slots.begin(), slots.end(), slot,
                             [](const auto& p, int s) { return p.first < s; });
  if (it != slots.end() && it->first == slot) slots.erase(it);
}

int PropertyBag::FindExtra(std::u16string_view name) const {
  for (std::size_t i = 0; i < extras.size(); ++i) {
    if (EqualsNoCase16(name, extras[i].first)) return static_cast<int>(i);
  }
  return -1;
}

// ---- test controls -----------------------------------------------------------------------

Controls::Entry& Controls::Of(std::string_view name) {
  int i = index.Find(name);
  if (i >= 0) return entries[static_cast<std::size_t>(i)];
  index.Add(name, static_cast<int>(entries.size()));
  entries.emplace_back();
  return entries.back();
}

void Controls::Merge(const TestControls& c) {
  for (const auto& n : c.englishOnlyNames) Of(n).englishOnly = true;
  for (const auto& n : c.unknownNames) Of(n).unknown = true;
  for (const auto& f : c.failCalls) Of(f.name).fail = f;
  for (const auto& s : c.serveAs) Of(s.name).serveAs = s.kind;
}

// ---- the store ---------------------------------------------------------------------------

namespace {

struct FolderKey {
  FolderSlot slot;
  const char* key;
  const char* defaultName;
  Kind kind;
};
constexpr FolderKey kFolderKeys[] = {
    {kContacts, "contacts", "Contacts", Kind::kContact},
    {kCalendar, "calendar", "Calendar", Kind::kAppointment},
    {kTasks, "tasks", "Tasks", Kind::kTask},
    {kNotes, "notes", "Notes", Kind::kNote},
};

std::optional<Kind> KindFromName(std::string_view s) {
  for (Kind k : {Kind::kContact, Kind::kAppointment, Kind::kTask, Kind::kNote}) {
    if (s == KindName(k)) return k;
  }
  return std::nullopt;
}

std::string RandomHex(std::size_t bytes) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < bytes; ++i) {
    const auto b = static_cast<unsigned>(rng() & 0xFF);
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

}  // namespace

void Store::Reset() {
  storeId.clear();
  version.clear();
  for (const auto& f : kFolderKeys) {
    folders[f.slot] = FolderData();
    folders[f.slot].name = f.defaultName;
    folders[f.slot].kind = f.kind;
  }
  otherFolders = Json::object();
  other = Json::object();
  controls = Controls();
  report = StoreReport();
  report.path = path;
}

std::string Store::NewEntryId() {
  char counter[24];
  std::snprintf(counter, sizeof counter, "%08llX",
                static_cast<unsigned long long>(++entryCounter_));
  return "00000000" + RandomHex(16) + counter;
}

void Store::Problem(std::string text) {
  ++report.problemCount;
  if (report.problems.size() < kMaxProblemLines) report.problems.push_back(std::move(text));
}

bool Store::Load(const std::string& file) {
  path = file;
  Reset();
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 && errno == ENOENT) {
    report.started = true;
    storeId = "0000000000000000" + RandomHex(16);
    for (auto& f : folders) f.entryId = NewEntryId();
    return true;
  }
  std::string text;
  errno = 0;
  if (!ReadWholeFile(file, text, kMaxStoreBytes)) {
    std::string why = errno ? std::strerror(errno) : "it is no regular file";
    if (S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) > kMaxStoreBytes) {
      why = "it is larger than 1 GiB";
    }
    report.error = "The Outlook store " + file + " cannot be read: " + why + ".";
    return false;
  }
  return Parse(text, file);
}

namespace {

// Builds the document as nlohmann's own SAX parser would, except that each entry of a folder's
// "items" array is handed to the store as soon as it is complete: a store of many thousand
// items never exists twice in memory, and each item's values are moved, not copied.
class StoreSax {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  explicit StoreSax(std::function<void(FolderSlot, Json&&)> takeItem)
      : takeItem_(std::move(takeItem)) {}

  Json root;
  std::string error;

  bool null() { return Put(Json(nullptr)); }
  bool boolean(bool b) { return Put(Json(b)); }
  bool number_integer(number_integer_t n) { return Put(Json(n)); }
  bool number_unsigned(number_unsigned_t n) { return Put(Json(n)); }
  bool number_float(number_float_t n, const string_t&) { return Put(Json(n)); }
  bool string(string_t& s) { return Put(Json(std::move(s))); }
  bool binary(binary_t&) { return false; }  // not in JSON text
  bool key(string_t& k) {
    key_ = std::move(k);
    return true;
  }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
    error = e.what();
    return false;
  }

 private:
  struct Frame {
    Json* value;
    std::string key;    // under which it sits in its parent object
    int itemsOf = -1;   // a folder's "items" array: the folder's slot
    bool item = false;  // an item being captured
  };

  // Where a new value goes, and whether it is an item of a folder.
  int ItemsSlot() const { return stack_.empty() ? -1 : stack_.back().itemsOf; }
  Json* Insert(Json&& value) {
    if (stack_.empty()) {
      root = std::move(value);
      return &root;
    }
    Json& parent = *stack_.back().value;
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    // A key given twice keeps its last value, as nlohmann's own parser does.
    Json& slot = parent[key_];
    slot = std::move(value);
    return &slot;
  }
  bool Put(Json&& value) {
    if (int slot = ItemsSlot(); slot >= 0) {
      takeItem_(static_cast<FolderSlot>(slot), std::move(value));
      return true;
    }
    Insert(std::move(value));
    return true;
  }
  bool Open(Json&& container) {
    Frame f;
    f.key = key_;
    if (int slot = ItemsSlot(); slot >= 0) {
      capture_ = std::move(container);
      f.value = &capture_;
      f.item = true;
      f.itemsOf = -1;
      stack_.push_back(std::move(f));
      itemSlot_ = slot;
      return true;
    }
    // root{ "folders"{ known folder{ "items"[ ... ] } } }
    if (container.is_array() && stack_.size() == 3 && key_ == "items" &&
        stack_[1].key == "folders" && stack_[0].value == &root) {
      for (int slot = 0; slot < kFolderCount; ++slot) {
        if (stack_[2].key == kFolderKeys[slot]) f.itemsOf = slot;
      }
    }
    f.value = Insert(std::move(container));
    stack_.push_back(std::move(f));
    return true;
  }
  bool Close() {
    const bool item = stack_.back().item;
    stack_.pop_back();
    if (item) takeItem_(static_cast<FolderSlot>(itemSlot_), std::move(capture_));
    return true;
  }

  std::function<void(FolderSlot, Json&&)> takeItem_;
  std::vector<Frame> stack_;
  std::string key_;
  Json capture_;
  int itemSlot_ = -1;

 public:
  static const char* const kFolderKeys[kFolderCount];
};

const char* const StoreSax::kFolderKeys[kFolderCount] = {"contacts", "calendar", "tasks", "notes"};

}  // namespace

bool Store::Parse(std::string_view text, const std::string& where) {
  if (path.empty()) path = where;
  Reset();
  if (NestingDepth(text) > kMaxNesting) {
    report.error = "The Outlook store " + where + " nests deeper than " +
                   std::to_string(kMaxNesting) + " levels.";
    return false;
  }
  std::array<std::size_t, kFolderCount> seen{};
  StoreSax sax([&](FolderSlot slot, Json&& item) {
    FolderData& folder = folders[slot];
    const std::string at = std::string("folders.") + StoreSax::kFolderKeys[slot] + ".items[" +
                           std::to_string(seen[slot]++) + "]";
    auto loaded = LoadItem(item, folder.kind, at);
    if (loaded) {
      (*loaded)->inFolder = true;
      folder.items.push_back(std::move(*loaded));
    } else {
      folder.broken.emplace_back(folder.items.size(), std::move(item));
    }
  });
  if (!Json::sax_parse(text, &sax)) {
    report.error = "The Outlook store " + where + " is not valid JSON: " + sax.error;
    return false;
  }
  Json& doc = sax.root;
  std::string error;
  auto fail = [&](const std::string& why) {
    report.error = "The Outlook store " + where + " does not fit its format: " + why;
    return false;
  };
  if (!doc.is_object()) return fail("the document is no object");
  for (auto& [key, value] : doc.items()) {
    if (key == "storeId" || key == "version") {
      if (!value.is_string()) return fail("\"" + key + "\" is no text");
      (key == "storeId" ? storeId : version) = value.get<std::string>();
    } else if (key == "folders") {
      if (!value.is_object()) return fail("\"folders\" is no object");
      for (auto& [fkey, fvalue] : value.items()) {
        bool known = false;
        for (const auto& f : kFolderKeys) {
          if (fkey == f.key) {
            known = true;
            if (!LoadFolder(f.slot, f.key, fvalue, error)) return fail(error);
          }
        }
        if (!known) otherFolders[fkey] = std::move(fvalue);
      }
    } else if (key == "test") {
      if (!LoadTest(value, error)) return fail("\"test\": " + error);
      other[key] = std::move(value);
    } else {
      other[key] = std::move(value);
    }
  }
  if (storeId.empty()) storeId = "0000000000000000" + RandomHex(16);
  for (auto& f : folders) {
    if (f.entryId.empty()) f.entryId = NewEntryId();
    report.items += f.items.size();
  }
  report.started = true;
  return true;
}

// The folder's items were taken while parsing; its other keys are read here.
bool Store::LoadFolder(FolderSlot slot, const char* key, Json& j, std::string& error) {
  FolderData& folder = folders[slot];
  const std::string where = std::string("folders.") + key;
  if (!j.is_object()) {
    error = where + " is no object";
    return false;
  }
  for (auto& [k, v] : j.items()) {
    if (k == "name" || k == "entryId") {
      if (!v.is_string()) {
        error = where + "." + k + " is no text";
        return false;
      }
      (k == "name" ? folder.name : folder.entryId) = v.get<std::string>();
    } else if (k == "items") {
      if (!v.is_array()) {
        error = where + ".items is no array";
        return false;
      }
    } else {
      folder.other[k] = std::move(v);
    }
  }
  return true;
}

namespace {

bool UserPropFits(const Json& up) {
  if (!up.is_object()) return false;
  auto name = up.find("name");
  auto type = up.find("type");
  return name != up.end() && name->is_string() && !name->get_ref<const std::string&>().empty() &&
         (type == up.end() || (type->is_number_integer() && type->get<long long>() >= 0 &&
                               type->get<long long>() <= INT32_MAX));
}

}  // namespace

// Checks the item's shape first, so that an item skipped is kept exactly as it was; then moves
// its values out.
std::optional<std::shared_ptr<ItemData>> Store::LoadItem(Json& j, Kind folderKind,
                                                         const std::string& where) {
  auto skip = [&](const std::string& why) {
    Problem(where + ": " + why + "; the item is skipped and kept as it is");
    return std::nullopt;
  };
  if (!j.is_object()) return skip("no object");
  auto item = std::make_shared<ItemData>();
  item->kind = folderKind;
  for (auto& [k, v] : j.items()) {
    if (k == "kind" && !v.is_string()) return skip("\"kind\" is no text");
    if (k == "properties" && !v.is_object()) return skip("\"properties\" is no object");
    if (k == "userProperties" && !v.is_array()) return skip("\"userProperties\" is no array");
    if (k == "recurrence" && !v.is_null() && !v.is_object()) {
      return skip("\"recurrence\" is no object");
    }
  }
  if (auto it = j.find("kind"); it != j.end()) {
    item->kindName = it->get<std::string>();
    item->kind = KindFromName(item->kindName).value_or(Kind::kOther);
  }
  const Schema& schema = SchemaOf(item->kind);
  auto readBag = [&](Json& object, const Schema& sch, PropertyBag& bag, const char* part) {
    bag.slots.reserve(object.size());
    for (auto& [name, pv] : object.items()) {
      const int slot = sch.index.Find(std::string_view(name));
      const ValueKind declared =
          slot >= 0 ? sch.props[static_cast<std::size_t>(slot)].type : ValueKind::kEmpty;
      Value value;
      if (!ValueFromJson(std::move(pv), declared, value)) {
        Problem(where + "." + part + "." + name + ": a value of no kind; served as empty");
      }
      if (slot >= 0 && !bag.Slot(slot)) {
        bag.SetSlot(slot, std::move(value));
      } else {
        // Outside the schema, or a second spelling of a name already read.
        bag.extras.emplace_back(name, std::move(value));
      }
    }
  };
  for (auto& [k, v] : j.items()) {
    if (k == "kind") continue;
    if (k == "properties") {
      readBag(v, schema, item->props, "properties");
    } else if (k == "userProperties") {
      std::size_t n = 0;
      for (Json& up : v) {
        const std::string at = where + ".userProperties[" + std::to_string(n++) + "]";
        if (!UserPropFits(up)) {
          Problem(at + ": no object with a name and a numeric type; skipped and kept");
          item->brokenUserProps.push_back(std::move(up));
          continue;
        }
        UserProp prop;
        prop.name = up["name"].get<std::string>();
        prop.type = up.contains("type") ? static_cast<LONG>(up["type"].get<long long>()) : olText;
        if (up.contains("value") &&
            !ValueFromJson(std::move(up["value"]), KindOfUserType(prop.type), prop.value)) {
          Problem(at + ".value: a value of no kind; served as empty");
        }
        item->userProps.push_back(std::move(prop));
      }
    } else if (k == "recurrence") {
      if (v.is_null()) continue;
      PropertyBag pattern;
      readBag(v, PatternSchema(), pattern, "recurrence");
      item->recurrence = std::move(pattern);
    } else {
      item->other[k] = std::move(v);
    }
  }
  FillDerived(*item);
  return item;
}

void Store::FillDerived(ItemData& item) {
  const Schema& schema = SchemaOf(item.kind);
  const int entrySlot = schema.index.Find(std::string_view("EntryID"));
  if (!item.props.Slot(entrySlot)) item.props.SetSlot(entrySlot, Value::Text(NewEntryId()));
  if (item.kind != Kind::kAppointment) return;
  // A store written by hand may give two of start, end and duration.
  const auto& s = AppointmentSlotsOf();
  const Value* start = item.props.Slot(s.start);
  const Value* end = item.props.Slot(s.end);
  const Value* duration = item.props.Slot(s.duration);
  const bool hasStart = start && start->kind == ValueKind::kDate;
  const bool hasEnd = end && end->kind == ValueKind::kDate;
  long long a = 0, b = 0;
  if (hasStart && hasEnd && !duration && OleDateToSeconds(start->real, a) &&
      OleDateToSeconds(end->real, b) && (b - a) / 60 >= INT32_MIN && (b - a) / 60 <= INT32_MAX) {
    item.props.SetSlot(s.duration, Value::Int(static_cast<std::int32_t>((b - a) / 60)));
  } else if (hasStart && !hasEnd && duration && duration->kind == ValueKind::kInt &&
             OleDateToSeconds(start->real, a)) {
    double e = 0;
    if (OleDateFromSeconds(a + duration->number * 60LL, e))
      item.props.SetSlot(s.end, Value::Date(e));
  }
}

bool Store::LoadTest(const Json& j, std::string& error) {
  if (!j.is_object()) {
    error = "no object";
    return false;
  }
  auto names = [&](const char* key, auto apply) {
    if (!j.contains(key)) return true;
    const Json& list = j[key];
    if (!list.is_array()) {
      error = std::string(key) + " is no array";
      return false;
    }
    for (const Json& n : list) {
      if (!n.is_string()) {
        error = std::string(key) + " holds something other than a name";
        return false;
      }
      apply(controls.Of(n.get<std::string>()));
    }
    return true;
  };
  if (!names("englishOnlyNames", [](Controls::Entry& e) { e.englishOnly = true; }) ||
      !names("unknownNames", [](Controls::Entry& e) { e.unknown = true; }))
    return false;
  if (j.contains("failCalls")) {
    const Json& list = j["failCalls"];
    if (!list.is_array()) {
      error = "failCalls is no array";
      return false;
    }
    for (const Json& f : list) {
      if (!f.is_object() || !f.contains("name") || !f["name"].is_string() || !f.contains("hr")) {
        error = "a failCalls entry needs a name and an hr";
        return false;
      }
      FailRule rule;
      rule.name = f["name"].get<std::string>();
      auto hr = HResultFromJson(f["hr"]);
      if (!hr) {
        error = "the hr of failCalls entry " + rule.name + " is no 32-bit number";
        return false;
      }
      rule.hr = *hr;
      if (f.contains("after")) {
        if (!f["after"].is_number_integer() || f["after"].get<long long>() < 0 ||
            f["after"].get<long long>() > INT32_MAX) {
          error = "the after of failCalls entry " + rule.name + " is no count";
          return false;
        }
        rule.after = static_cast<int>(f["after"].get<long long>());
      }
      controls.Of(rule.name).fail = rule;
    }
  }
  if (j.contains("serveAs")) {
    const Json& map = j["serveAs"];
    if (!map.is_object()) {
      error = "serveAs is no object";
      return false;
    }
    for (auto& [name, kind] : map.items()) {
      auto k = kind.is_string() ? KindFromText(kind.get<std::string>()) : std::nullopt;
      if (!k) {
        error = "serveAs." + name + " is none of empty, text, int, bool, date, double";
        return false;
      }
      controls.Of(name).serveAs = *k;
    }
  }
  return true;
}

void Store::RebuildControls(const TestControls& api) {
  controls = Controls();
  std::string ignored;  // the section was checked when the store was read
  if (auto it = other.find("test"); it != other.end()) LoadTest(*it, ignored);
  controls.Merge(api);
}

namespace {

void AppendString(std::string& out, std::string_view text) {
  out += '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void AppendValue(std::string& out, const Value& value, ValueKind declared) {
  switch (value.kind) {
    case ValueKind::kText:
      AppendString(out, value.text);
      return;
    case ValueKind::kInt:
      out += std::to_string(value.number);
      return;
    case ValueKind::kBool:
      out += value.number != 0 ? "true" : "false";
      return;
    default:
      out += ValueToJson(value, declared).dump();
  }
}

void AppendBag(std::string& out, const PropertyBag& bag, const Schema& schema) {
  out += '{';
  bool first = true;
  auto sep = [&] {
    if (!first) out += ", ";
    first = false;
  };
  for (const auto& [slot, value] : bag.slots) {
    if (value.kind == ValueKind::kEmpty && !value.raw) continue;
    const PropDef& def = schema.props[static_cast<std::size_t>(slot)];
    sep();
    AppendString(out, def.name);
    out += ": ";
    AppendValue(out, value, def.type);
  }
  for (const auto& [name, value] : bag.extras) {
    sep();
    AppendString(out, name);
    out += ": ";
    AppendValue(out, value, ValueKind::kEmpty);
  }
  out += '}';
}

void AppendItem(std::string& out, const ItemData& item, Kind folderKind) {
  out += '{';
  if (!item.kindName.empty() || item.kind != folderKind) {
    out += "\"kind\": ";
    AppendString(out, item.kindName.empty() ? KindName(item.kind) : item.kindName);
    out += ", ";
  }
  out += "\"properties\": ";
  AppendBag(out, item.props, SchemaOf(item.kind));
  if (!item.userProps.empty() || !item.brokenUserProps.empty()) {
    out += ", \"userProperties\": [";
    bool first = true;
    for (const auto& up : item.userProps) {
      if (!first) out += ", ";
      first = false;
      out += "{\"name\": ";
      AppendString(out, up.name);
      out += ", \"type\": " + std::to_string(up.type);
      if (up.value.kind != ValueKind::kEmpty || up.value.raw) {
        out += ", \"value\": ";
        AppendValue(out, up.value, KindOfUserType(up.type));
      }
      out += '}';
    }
    for (const auto& b : item.brokenUserProps) {
      if (!first) out += ", ";
      first = false;
      out += b.dump();
    }
    out += ']';
  }
  if (item.recurrence) {
    out += ", \"recurrence\": ";
    AppendBag(out, *item.recurrence, PatternSchema());
  }
  for (auto& [k, v] : item.other.items()) {
    out += ", ";
    AppendString(out, k);
    out += ": " + v.dump();
  }
  out += '}';
}

}  // namespace

// Written straight from the items, one item a line: a store of many thousand items is saved
// often (every item's Save), and a second tree of it would cost more than the writing.
std::string Store::Serialize() const {
  std::string out = "{\n \"storeId\": ";
  AppendString(out, storeId);
  if (!version.empty()) {
    out += ",\n \"version\": ";
    AppendString(out, version);
  }
  out += ",\n \"folders\": {";
  bool firstFolder = true;
  for (const auto& f : kFolderKeys) {
    const FolderData& folder = folders[f.slot];
    out += firstFolder ? "\n  " : ",\n  ";
    firstFolder = false;
    AppendString(out, f.key);
    out += ": {\"name\": ";
    AppendString(out, folder.name);
    out += ", \"entryId\": ";
    AppendString(out, folder.entryId);
    for (auto& [k, v] : folder.other.items()) {
      out += ", ";
      AppendString(out, k);
      out += ": " + v.dump();
    }
    out += ", \"items\": [";
    bool firstItem = true;
    auto next = [&] {
      out += firstItem ? "\n   " : ",\n   ";
      firstItem = false;
    };
    std::size_t broken = 0;
    auto flushBroken = [&](std::size_t upTo) {
      while (broken < folder.broken.size() && folder.broken[broken].first <= upTo) {
        next();
        out += folder.broken[broken++].second.dump();
      }
    };
    for (std::size_t i = 0; i < folder.items.size(); ++i) {
      flushBroken(i);
      next();
      AppendItem(out, *folder.items[i], folder.kind);
    }
    flushBroken(static_cast<std::size_t>(-1));
    out += firstItem ? "]}" : "\n  ]}";
  }
  for (auto& [k, v] : otherFolders.items()) {
    out += ",\n  ";
    AppendString(out, k);
    out += ": " + v.dump();
  }
  out += "\n }";
  for (auto& [k, v] : other.items()) {
    out += ",\n ";
    AppendString(out, k);
    out += ": " + v.dump();
  }
  out += "\n}\n";
  return out;
}

bool Store::Save(std::string& error) const {
  std::string text;
  try {
    text = Serialize();
  } catch (const Json::exception& e) {
    error = std::string("The Outlook store cannot be written: ") + e.what();
    return false;
  }
  if (!WriteFileAtomically(path, text, 0600, &error)) {
    error = "The Outlook store " + path + " cannot be written: " + error;
    return false;
  }
  return true;
}

}  // namespace platform::outlook
