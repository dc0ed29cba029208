#include "json/RecordGen.h"

#include "misc/RecordStatus.h"

#include <random>
#include <string>

namespace {

class Gen {
 public:
  Gen(const RecordGenOptions& o, std::size_t count)
      : rng_(o.seed), pool_(o.pool), keys_(o.distinctKeys ? o.distinctKeys : count / 3 + 1) {}

  // Draws the key of the next record; Key() and Small() spell from it.
  void NextRecord() {
    key_ = Pick(keys_);
    // Most records with one key agree in their compared fields too, so "same" is common.
    derived_ = !Chance(3);
  }
  // A key word from the shared vocabulary, in one of its spellings.
  std::string Key(const char* prefix) {
    std::uint64_t k = Chance(7) ? Pick(keys_) : key_;
    if (Chance(5)) return "";
    std::string s = prefix + std::to_string((k * 2654435761u + pool_) % 1000003u);
    return Vary(s);
  }
  // A compared value from a small vocabulary, so counterparts agree often.
  std::string Small(const char* prefix, int size) {
    if (!derived_ && Chance(20)) return "";
    std::uint64_t v = derived_ ? (key_ * 31 + static_cast<std::uint64_t>(prefix[0])) %
                                     static_cast<std::uint64_t>(size)
                               : Pick(static_cast<std::uint64_t>(size));
    return Vary(prefix + std::to_string(v));
  }
  // A compared number from a small range, agreeing between counterparts as Small() does.
  std::uint64_t SmallNumber(std::uint64_t size, std::uint64_t salt) {
    return derived_ ? (key_ * 31 + salt) % size : Pick(size);
  }
  std::string Vary(std::string s) {
    if (s.empty()) return s;
    int r = static_cast<int>(Pick(100));
    if (r < 10) {
      for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    } else if (r < 15) {
      s.insert(Pick(s.size() + 1), Chance(2) ? "\r\n" : "\n");
    } else if (r < 19) {
      s += "\r\n";
    } else if (r < 21) {
      s.insert(0, "\n");
    }
    return s;
  }
  std::uint64_t Pick(std::uint64_t n) {
    return n ? std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng_) : 0;
  }
  bool Chance(int oneIn) { return Pick(static_cast<std::uint64_t>(oneIn)) == 0; }

 private:
  std::mt19937_64 rng_;
  std::uint32_t pool_;
  std::uint64_t keys_;
  std::uint64_t key_ = 0;
  bool derived_ = false;
};

SYSTEMTIME Time(Gen& g) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(2008 + g.Pick(3));
  st.wMonth = static_cast<std::uint16_t>(1 + g.Pick(2));
  st.wDay = static_cast<std::uint16_t>(1 + g.Pick(5));
  st.wHour = static_cast<std::uint16_t>(8 + g.Pick(3));
  return st;
}

}  // namespace

std::vector<CommonContact> GenerateContacts(std::size_t count, const RecordGenOptions& o) {
  Gen g(o, count);
  std::vector<CommonContact> out(count);
  for (CommonContact& c : out) {
    g.NextRecord();
    c.FirstName = g.Key("first");
    c.LastName = g.Key("Last");
    c.Email1 = g.Key("mail");
    c.MobilePhone = g.Small("+49 ", 3);
    c.HomePhone = g.Small("555-", 2);
    c.Company = g.Small("Company ", 3);
    c.WorkAddress.City = g.Small("City", 2);
    c.Note = g.Small("note line\r\nsecond ", 3);
    c.DisplayName = std::string(c.FirstName.view()) + " " + std::string(c.LastName.view());
    c.Birthday = OleDate(static_cast<double>(g.Pick(3)) * 10000.0);
    c.SourceType = kSourceOutlook;
  }
  return out;
}

std::vector<CommonEvent> GenerateEvents(std::size_t count, const RecordGenOptions& o) {
  Gen g(o, count);
  std::vector<CommonEvent> out(count);
  for (CommonEvent& e : out) {
    g.NextRecord();
    e.Subject = g.Key("meeting ");
    e.Start = Time(g);
    e.End = e.Start;
    e.End.wHour = static_cast<std::uint16_t>(e.End.wHour + g.Pick(2));
    e.AllDay = static_cast<std::uint32_t>(g.Chance(8));
    e.Location = g.Small("room ", 3);
    e.Description = g.Small("agenda\r\n", 3);
    // Deleted occurrences: none, one or two days, from a few.
    std::vector<EventDay> days;
    for (std::uint64_t n = g.SmallNumber(3, 'x'); n > 0; --n)
      days.push_back({2009, 1, static_cast<std::uint16_t>(1 + g.SmallNumber(4, n))});
    e.ExceptionDates.Assign(std::move(days));
  }
  return out;
}

std::vector<CommonTask> GenerateTasks(std::size_t count, const RecordGenOptions& o) {
  Gen g(o, count);
  std::vector<CommonTask> out(count);
  for (CommonTask& t : out) {
    g.NextRecord();
    t.Subject = g.Key("task ");
    t.Importance = static_cast<std::int32_t>(g.Pick(3));
    t.Note = g.Small("details ", 3);
  }
  return out;
}

std::vector<CommonNote> GenerateNotes(std::size_t count, const RecordGenOptions& o) {
  Gen g(o, count);
  std::vector<CommonNote> out(count);
  for (CommonNote& n : out) {
    g.NextRecord();
    n.Title = g.Key("note ");
    n.Body = g.Small("body\r\n", 4);
  }
  return out;
}
