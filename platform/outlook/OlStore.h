#pragma once

// The stand-in Outlook's data: item kinds with their property schemas, items, folders and the
// JSON store they are read from and written to. Internal to the stand-in.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/outlook/OutlookStandIn.h"

namespace platform::outlook {

using Json = nlohmann::ordered_json;

// Member names match without regard to ASCII case; looked up straight from UTF-16 without a
// copy, as every property read resolves its name again.
class NameIndex {
 public:
  void Add(std::string_view name, int id);
  // -1 when unknown.
  int Find(std::u16string_view name) const;
  int Find(std::string_view name) const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const;
    std::size_t operator()(std::u16string_view s) const;
  };
  struct Equal {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
    bool operator()(std::u16string_view a, std::string_view b) const;
    bool operator()(std::string_view a, std::u16string_view b) const { return (*this)(b, a); }
  };
  std::unordered_map<std::string, int, Hash, Equal> map_;
};

bool EqualsNoCase16(std::u16string_view a, std::string_view b);

struct Value {
  ValueKind kind = ValueKind::kEmpty;
  std::int32_t number = 0;  // kInt; kBool 0 or 1
  double real = 0;          // kDate, kDouble
  std::string text;         // kText, UTF-8
  // JSON that no kind fits (an array, an object), kept to be written back; served as VT_EMPTY.
  std::shared_ptr<const Json> raw;

  static Value Text(std::string s);
  static Value Int(std::int32_t n);
  static Value Bool(bool b);
  static Value Date(double d);
  static Value Double(double d);
};

// Reads a JSON value as a property declared of `declared`; dates as "YYYY-MM-DD[THH:MM[:SS]]"
// or a number of days, or anywhere as {"date": ...}. False (with `value` Raw) when no kind fits.
bool ValueFromJson(Json&& j, ValueKind declared, Value& value);
// The inverse; Empty without raw gives null.
Json ValueToJson(const Value& value, ValueKind declared);

// A value in the kind asked for ("serve as" test control).
Value ConvertValue(const Value& value, ValueKind kind);

// Writes the value into a VARIANT; an Empty value takes the empty value of `declared` (a null
// BSTR for text).
void ValueToVariant(const Value& value, ValueKind declared, VARIANT* out);
// VT_EMPTY gives Empty; false for kinds no property holds (objects, arrays).
bool ValueFromVariant(const VARIANT& v, Value& out);
// Fits a value to a declared kind as a property put does; false on a mismatch.
bool CoerceForPut(Value& value, ValueKind declared);

// OLE dates from and to calendar values (local wall-clock time); false outside 100-9999.
bool OleDateFromCivil(int year, int month, int day, int hour, int minute, int second, double& out);
bool CivilFromOleDate(double date, int& year, int& month, int& day, int& hour, int& minute,
                      int& second);
// Linear seconds since 1899-12-30 00:00, whatever the sign convention of OLE dates before it.
bool OleDateToSeconds(double date, long long& seconds);
bool OleDateFromSeconds(long long seconds, double& out);
bool ParseIsoDate(std::string_view text, double& out);
std::string FormatIsoDate(double date);  // date only when the time is 00:00:00
double NowAsOleDate();

enum class Kind { kContact, kAppointment, kTask, kNote, kOther };

struct PropDef {
  const char* name;
  ValueKind type;
  bool readOnly;
};

struct Schema {
  std::vector<PropDef> props;
  NameIndex index;
};

const Schema& SchemaOf(Kind kind);
const Schema& PatternSchema();
const char* KindName(Kind kind);  // "contact", ...
LONG ClassOf(Kind kind);          // olContact 40, ...
const char* MessageClassOf(Kind kind);

// Values by schema slot (only those set, in slot order) plus names outside the schema.
struct PropertyBag {
  std::vector<std::pair<int, Value>> slots;
  std::vector<std::pair<std::string, Value>> extras;

  const Value* Slot(int slot) const;
  Value& SetSlot(int slot, Value value);
  void ClearSlot(int slot);
  int FindExtra(std::u16string_view name) const;  // -1 when none
};

struct UserProp {
  std::string name;
  LONG type = olText;
  Value value;
};

struct ItemData {
  Kind kind = Kind::kOther;
  std::string kindName;  // as the store names it
  PropertyBag props;
  std::vector<UserProp> userProps;
  std::vector<Json> brokenUserProps;  // entries that did not fit, written back as they were
  std::optional<PropertyBag> recurrence;
  Json other = Json::object();  // item keys of no meaning here, kept
  bool inFolder = false;
  bool dirty = false;
};

enum FolderSlot { kContacts, kCalendar, kTasks, kNotes, kFolderCount };

struct FolderData {
  std::string name;
  std::string entryId;
  Kind kind = Kind::kOther;
  std::vector<std::shared_ptr<ItemData>> items;
  // Items that did not fit, with the number of served items before each, kept in place.
  std::vector<std::pair<std::size_t, Json>> broken;
  Json other = Json::object();
};

// Test controls resolved by member name.
struct Controls {
  struct Entry {
    bool englishOnly = false;
    bool unknown = false;
    std::optional<FailRule> fail;
    int calls = 0;  // Invoke calls seen, for FailRule::after
    std::optional<ValueKind> serveAs;
  };
  NameIndex index;
  std::vector<Entry> entries;

  bool Empty() const { return entries.empty(); }
  Entry& Of(std::string_view name);  // adds when missing
  void Merge(const TestControls& controls);
};

struct Store {
  std::string path;
  std::string storeId;
  std::string version;
  std::array<FolderData, kFolderCount> folders;
  Json otherFolders = Json::object();
  Json other = Json::object();  // top-level keys of no meaning here, "test" among them
  Controls controls;
  StoreReport report;

  // Loads `path`; a missing file is an empty store. False with report.error when the server
  // must not start.
  bool Load(const std::string& file);
  // Parses a document (for tests); `where` names it in messages.
  bool Parse(std::string_view text, const std::string& where);
  std::string Serialize() const;
  // Writes the whole store atomically; false with the reason.
  bool Save(std::string& error) const;

  std::string NewEntryId();
  // An entry id when it has none; an appointment's missing end or duration from the others.
  void FillDerived(ItemData& item);
  // The document's test section, then `api` on top.
  void RebuildControls(const TestControls& api);

 private:
  void Reset();
  bool LoadFolder(FolderSlot slot, const char* key, Json& j, std::string& error);
  std::optional<std::shared_ptr<ItemData>> LoadItem(Json& j, Kind folderKind,
                                                    const std::string& where);
  bool LoadTest(const Json& j, std::string& error);
  void Problem(std::string text);
  std::uint64_t entryCounter_ = 0;
};

// The schema slot of the appointment properties that move together.
struct AppointmentSlots {
  int start, end, duration;
};
const AppointmentSlots& AppointmentSlotsOf();

}  // namespace platform::outlook
