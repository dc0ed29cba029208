#include "demo/OlDemoStore.h"

#include <array>
#include <cstdio>
#include <random>
#include <string_view>

#include <filesystem>

#include "pe/PeBuilder.h"
#include "platform/AtomicFile.h"

namespace {

using ojson = nlohmann::ordered_json;

struct Name {
  const char* first;
  const char* last;
  const char* email;  // the local part's stem, ASCII
};

// Names in several scripts; the e-mail stems keep every contact apart.
constexpr std::array<Name, 16> kNames = {{
    {"Ada", "Lovelace", "ada"},
    {"Grace", "Hopper", "grace"},
    {"Jürgen", "Müller", "juergen"},
    {"Zoë", "Ñúñez", "zoe"},
    {"Ολυμπία", "Παπαδοπούλου", "olympia"},
    {"Дмитрий", "Иванов", "dmitri"},
    {"太郎", "山田", "taro"},
    {"美咲", "佐藤", "misaki"},
    {"민준", "김", "minjun"},
    {"فاطمة", "الزهراء", "fatima"},
    {"אברהם", "כהן", "avraham"},
    {"Ngozi", "Okonjo", "ngozi"},
    {"Søren", "Kierkegaard", "soren"},
    {"Łucja", "Wróbel", "lucja"},
    {"Nguyễn", "Văn An", "an"},
    {"José", "da Silva", "jose"},
}};

constexpr std::array<const char*, 8> kCompanies = {
    "Acme Ltd.",   "Müller & Söhne GmbH", "株式会社ヤマダ", "Παπαδόπουλος Α.Ε.",
    "ООО «Север»", "Northwind Traders",   "Contoso",        "Fabrikam, Inc."};
constexpr std::array<const char*, 8> kCities = {"London", "München", "東京",      "Αθήνα",
                                                "Москва", "Lagos",   "København", "São Paulo"};
constexpr std::array<const char*, 6> kSubjects = {"Team meeting", "Dentist", "Café mit Anna",
                                                  "会議",         "Πρόβα",   "Review"};
constexpr std::array<const char*, 5> kLocations = {"Room 4", "Zürich HQ", "大阪", "", "Online"};

std::string Date(int y, int mo, int d, int h = 0, int mi = 0) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:00", y, mo, d, h, mi);
  return text;
}

std::string Phone(std::mt19937& rng) {
  // One draw per statement: the order of a call's arguments is the compiler's.
  const auto country = static_cast<unsigned>(1 + rng() % 89);
  const auto area = static_cast<unsigned>(rng() % 1000);
  const auto line = static_cast<unsigned>(rng() % 10000);
  char text[32];
  std::snprintf(text, sizeof text, "+%u %03u %04u", country, area, line);
  return text;
}

ojson Contact(std::size_t i, std::mt19937& rng) {
  const Name& n = kNames[i % kNames.size()];
  const std::string tag = std::to_string(i + 1);
  ojson p = ojson::object();
  p["FirstName"] = n.first;
  p["LastName"] = std::string(n.last) + (i >= kNames.size() ? " " + tag : "");
  p["FullName"] = std::string(n.first) + " " + p["LastName"].get<std::string>();
  p["Email1Address"] = std::string(n.email) + "." + tag + "@example.org";
  p["Email1AddressType"] = "SMTP";
  p["CompanyName"] = kCompanies[rng() % kCompanies.size()];
  p["JobTitle"] = i % 3 == 0 ? "Engineer" : "Manager";
  p["BusinessTelephoneNumber"] = Phone(rng);
  p["MobileTelephoneNumber"] = Phone(rng);
  p["BusinessAddressStreet"] = tag + " Long Street";
  p["BusinessAddressCity"] = kCities[rng() % kCities.size()];
  p["BusinessAddressPostalCode"] = std::to_string(10000 + rng() % 89999);
  p["BusinessAddressCountry"] = "Country " + std::to_string(i % 7);
  if (i % 2 == 0) {
    p["HomeAddressStreet"] = "Flat " + tag + ", Garden Road";
    p["HomeAddressCity"] = kCities[rng() % kCities.size()];
    p["HomeTelephoneNumber"] = Phone(rng);
    p["Email2Address"] = std::string(n.email) + tag + "@home.example";
  }
  if (i % 5 == 0) {
    p["Birthday"] = Date(1950 + static_cast<int>(i % 50), 1 + static_cast<int>(i % 12),
                         1 + static_cast<int>(i % 28));
    p["Gender"] = static_cast<int>(i % 3);
    p["Anniversary"] = Date(2001, 6, 1 + static_cast<int>(i % 28));
  }
  if (i % 7 == 0) {
    p["Body"] = "Met at the conference.\r\nLikes tea, not coffee. 会議で会いました。";
    p["Categories"] = "Business, VIP";
    p["Business2TelephoneNumber"] = Phone(rng);  // loaded into the Outlook record only
    p["PagerNumber"] = Phone(rng);
    p["BusinessAddressPostOfficeBox"] = "PO " + tag;
  }
  if (i % 11 == 0) {
    p["NickName"] = "Nick " + tag;
    p["Spouse"] = "Sam";
    p["WebPage"] = "https://example.org/~" + std::string(n.email);
    p["IMAddress"] = std::string(n.email) + "@im.example";
  }
  ojson item{{"kind", "contact"}, {"properties", p}};
  if (i % 4 == 0) {
    ojson up = ojson::array();
    up.push_back({{"name", "Shoe size"}, {"type", 1}, {"value", std::to_string(36 + i % 12)}});
    up.push_back({{"name", "Visits"}, {"type", 3}, {"value", static_cast<int>(i % 40)}});
    if (i % 8 == 0) up.push_back({{"name", "Member"}, {"type", 6}, {"value", true}});
    if (i % 12 == 0) up.push_back({{"name", "Since"}, {"type", 5}, {"value", Date(2005, 3, 1)}});
    item["userProperties"] = up;
  }
  return item;
}

ojson Appointment(std::size_t i, std::mt19937& rng) {
  const int day = 1 + static_cast<int>(i % 28);
  const int month = 1 + static_cast<int>((i / 28) % 12);
  const int year = 2012 + static_cast<int>(i / (28 * 12));
  const int hour = 8 + static_cast<int>(i % 10);
  ojson p = ojson::object();
  p["Subject"] = std::string(kSubjects[i % kSubjects.size()]) + " #" + std::to_string(i + 1);
  p["Location"] = kLocations[rng() % kLocations.size()];
  const bool allDay = i % 13 == 0;
  p["AllDayEvent"] = allDay;
  if (allDay) {
    // Outlook ends an all-day event at the next midnight; day 28 has a next day in every month.
    p["Start"] = Date(year, month, day);
    p["End"] = Date(year, month, day + 1);
    p["Duration"] = 1440;
  } else {
    const int minutes = 30 * (1 + static_cast<int>(rng() % 4));
    p["Start"] = Date(year, month, day, hour, 0);
    p["End"] = Date(year, month, day, hour + minutes / 60, minutes % 60);
    p["Duration"] = minutes;
  }
  static constexpr std::array<int, 6> kReminders = {0, 5, 15, 90, 1440, 2880};
  const int reminder = kReminders[i % kReminders.size()];
  p["ReminderSet"] = reminder > 0;
  if (reminder > 0) p["ReminderMinutesBeforeStart"] = reminder;
  if (i % 9 == 0) p["Body"] = "Agenda:\r\n1. Budget\r\n2. Αρχιτεκτονική\r\n3. その他";
  if (i % 6 == 0) p["Categories"] = "Work";
  ojson item{{"kind", "appointment"}, {"properties", p}};
  ojson r;
  switch (i % 8) {
    case 1:
      r = {{"RecurrenceType", 0}, {"Interval", 2}};
      break;
    case 2:
      r = {{"RecurrenceType", 1}, {"Interval", 1}, {"DayOfWeekMask", 2 | 8 | 32}};
      break;
    case 3:
      r = {{"RecurrenceType", 2}, {"Interval", 1}, {"DayOfMonth", day}};
      break;
    case 4:
      r = {{"RecurrenceType", 3}, {"Interval", 1}, {"Instance", 2}, {"DayOfWeekMask", 4}};
      break;
    case 5:
      r = {{"RecurrenceType", 5}, {"Interval", 12}, {"DayOfMonth", day}, {"MonthOfYear", month}};
      break;
    case 6:
      r = {{"RecurrenceType", 6},
           {"Interval", 1},
           {"Instance", 1},
           {"DayOfWeekMask", 2},
           {"MonthOfYear", month}};
      break;
    default:
      break;
  }
  if (!r.is_null()) {
    if (i % 3 == 0) r["PatternEndDate"] = Date(year + 1, month, day);
    item["recurrence"] = r;
  }
  return item;
}

ojson Task(std::size_t i) {
  ojson p{{"Subject", "Task " + std::to_string(i + 1) + (i % 4 == 1 ? " – 書類" : "")},
          {"Body", "Details of task " + std::to_string(i + 1)},
          {"Importance", static_cast<int>(i % 3)},
          {"Status", static_cast<int>(i % 5)},
          {"PercentComplete", static_cast<int>((i * 25) % 125)},
          {"Complete", i % 5 == 2},
          {"DueDate", Date(2024 + static_cast<int>(i % 15), 1 + static_cast<int>(i % 12), 15)},
          {"Sensitivity", static_cast<int>(i % 4)},
          {"Mileage", "12 km"},
          {"Role", "Owner"}};
  if (i % 3 == 0) {
    p["ReminderSet"] = true;
    p["ReminderTime"] = Date(2024, 3, 1, 9, 0);
    p["ReminderPlaySound"] = true;
    p["ReminderSoundFile"] = "reminder.wav";
  }
  ojson item{{"kind", "task"}, {"properties", p}};
  if (i % 5 == 0)
    item["recurrence"] = {{"RecurrenceType", 1}, {"Interval", 1}, {"DayOfWeekMask", 2}};
  return item;
}

ojson Note(std::size_t i) {
  std::string body =
      i % 3 == 0 ? "Ideas\r\n- Ωμέγα\r\n- 東京へ行く" : "Shopping list " + std::to_string(i + 1);
  return {{"kind", "note"},
          {"properties",
           {{"Subject", body.substr(0, body.find('\r'))},
            {"Body", body},
            {"Color", static_cast<int>(i % 5)},
            {"Categories", i % 2 ? "Personal" : ""}}}};
}

}  // namespace

ojson MakeOutlookDemoStore(const OlDemoOptions& o) {
  std::mt19937 rng(o.seed);
  ojson contacts = ojson::array(), calendar = ojson::array(), tasks = ojson::array(),
        notes = ojson::array();
  for (std::size_t i = 0; i < o.contacts; ++i) contacts.push_back(Contact(i, rng));
  for (std::size_t i = 0; i < o.events; ++i) calendar.push_back(Appointment(i, rng));
  for (std::size_t i = 0; i < o.tasks; ++i) tasks.push_back(Task(i));
  for (std::size_t i = 0; i < o.notes; ++i) notes.push_back(Note(i));
  return {{"version", "12.0.6425.1000"},
          {"folders",
           {{"contacts", {{"name", "Contacts"}, {"items", contacts}}},
            {"calendar", {{"name", "Calendar"}, {"items", calendar}}},
            {"tasks", {{"name", "Tasks"}, {"items", tasks}}},
            {"notes", {{"name", "Notes"}, {"items", notes}}}}}};
}

bool WriteOutlookDemoStore(const std::string& path, const OlDemoOptions& options,
                           std::string& error) {
  const std::string text = MakeOutlookDemoStore(options).dump(1) + "\n";
  platform::AtomicFileWriter out;
  if (!out.Open(path, 0644) || !out.Write(text) || !out.Commit()) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool WriteOutlookProgram(const std::string& folder, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string path = (std::filesystem::path(folder) / "OUTLOOK.EXE").string();
  platform::AtomicFileWriter out;
  if (!out.Open(path, 0644) || !out.Write(PeFileContent(12, 0, 6425, 1000)) || !out.Commit()) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}
