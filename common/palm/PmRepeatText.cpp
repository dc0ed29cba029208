#include "palm/PmRepeatText.h"

#include <ctime>

#include "palm/PmTime.h"

namespace {

constexpr std::string_view kDayNames[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
// Palm's week index 4 means "the last week of the month".
constexpr std::int32_t kLastWeek = 4;
// "12", "2+", "1-": anything longer after the kind is the end date.
constexpr std::size_t kMaxOrdinalBytes = 3;

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blank-separated words, without allocating.
class Words {
 public:
  explicit Words(std::string_view text) : text_(text) {}
  bool Next(std::string_view& word) {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find(' ', pos_);
    if (end == std::string_view::npos) end = text_.size();
    word = text_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Digits up to the end of the word or a '+'; `rest` gets what follows them.
bool ReadNumber(std::string_view word, std::int32_t& value, std::string_view& rest) {
  std::size_t i = 0;
  std::int32_t v = 0;
  while (i < word.size() && IsDigit(word[i])) {
    if (i == PmRepeatText::kMaxDigits) return false;
    v = v * 10 + (word[i] - '0');
    ++i;
  }
  if (i == 0) return false;
  value = v;
  rest = word.substr(i);
  return true;
}

bool ReadWholeNumber(std::string_view word, std::int32_t& value) {
  std::string_view rest;
  return ReadNumber(word, value, rest) && (rest.empty() || rest == "+");
}

int DayBit(std::string_view word) {
  if (word.size() != 2) return -1;
  for (int i = 0; i < 7; ++i) {
    if (Upper(word[0]) == kDayNames[i][0] && Upper(word[1]) == kDayNames[i][1]) return i;
  }
  return -1;
}

bool LocalParts(std::int32_t value, struct tm& out) {
  std::time_t t = value;
  return localtime_r(&t, &out) != nullptr;
}

// The end word: "#0" for none, otherwise a date whose first eight characters (before any 'T')
// are YYYYMMDD; the end is that day's local midnight.
bool ReadEnd(std::string_view word, std::int32_t& end) {
  end = PmRepeatText::kNoEnd;
  if (word.front() == '#') {
    std::int32_t count = 0;
    // An occurrence count has no place in Palm's rule; such a rule repeats without end.
    return ReadWholeNumber(word.substr(1), count);
  }
  std::string_view date = word.substr(0, word.find('T'));
  if (date.size() < 8) return false;
  int parts[3] = {0, 0, 0};
  const std::size_t widths[3] = {4, 2, 2};
  std::size_t pos = 0;
  for (int p = 0; p < 3; ++p) {
    for (std::size_t k = 0; k < widths[p]; ++k, ++pos) {
      if (!IsDigit(date[pos])) return false;
      parts[p] = parts[p] * 10 + (date[pos] - '0');
    }
  }
  if (parts[0] < 1970 || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31) {
    return false;
  }
  std::int32_t value = PmTime(parts[0], parts[1], parts[2], 0, 0, 0).Value();
  // Dates past what a Palm time value holds read as no end, as Palm shows them.
  if (value > 0 && !PmTime::IsNoDate(value)) end = value;
  return true;
}

bool IsEndWord(std::string_view word) {
  return word.front() == '#' || IsDigit(word.front());
}

}  // namespace

bool PmRepeatText::Parse(std::string_view text, std::int32_t start, PmRepeat& out,
                         bool allowYearly) {
  out = PmRepeat{};
  Words words(text);
  std::string_view head;
  if (!words.Next(head)) return true;  // no text: no repeat

  std::int32_t kind = PmRepeat::kNone;
  std::size_t letters = 1;
  const char a = Upper(head[0]);
  const char b = head.size() > 1 ? Upper(head[1]) : '\0';
  if (a == 'D') {
    kind = PmRepeat::kDaily;
  } else if (a == 'W') {
    kind = PmRepeat::kWeekly;
  } else if (a == 'M' && b == 'P') {
    kind = PmRepeat::kMonthlyByWeekday;
    letters = 2;
  } else if (a == 'M' && b == 'D') {
    kind = PmRepeat::kMonthlyByDate;
    letters = 2;
  } else if (a == 'Y' && b == 'M') {
    // "YD" counts days of the year, which Palm's yearly rule cannot hold.
    if (!allowYearly) return true;
    kind = PmRepeat::kYearlyByDate;
    letters = 2;
  } else {
    return false;
  }
  std::int32_t interval = 0;
  if (!ReadWholeNumber(head.substr(letters), interval) || interval < 1 || interval > kMaxInterval) {
    return false;
  }

  struct tm startParts {};
  const bool haveStart = LocalParts(start, startParts);
  bool clean = true;
  std::uint8_t mask = 0;
  bool haveOrdinal = false;  // week, day of month or month read
  std::int32_t ordinal = 0;
  std::int32_t end = kNoEnd;
  std::string_view word;
  while (words.Next(word)) {
    if (int bit = DayBit(word); bit >= 0) {
      mask = static_cast<std::uint8_t>(mask | (1u << bit));
    } else if (!haveOrdinal && kind >= PmRepeat::kMonthlyByWeekday && IsDigit(word.front()) &&
               word.size() <= kMaxOrdinalBytes) {
      std::string_view rest;
      std::int32_t n = 0;
      if (!ReadNumber(word, n, rest)) return false;
      if (kind == PmRepeat::kMonthlyByWeekday) {
        if (rest == "+" || rest.empty()) {
          if (n < 1 || n > 5) return false;
          ordinal = n == 5 ? kLastWeek : n - 1;
        } else if (rest == "-" && n == 1) {
          ordinal = kLastWeek;
        } else {
          return false;
        }
      } else if (!rest.empty() && rest != "+") {
        return false;
      } else if (kind == PmRepeat::kMonthlyByDate) {
        if (n < 1 || n > 31) return false;
        ordinal = n;
      } else {
        if (n < 1 || n > 12) return false;
        ordinal = n - 1;
      }
      haveOrdinal = true;
    } else if (IsEndWord(word)) {
      if (!ReadEnd(word, end)) clean = false;
      std::string_view more;
      if (words.Next(more)) clean = false;  // the end comes last
      break;
    } else {
      clean = false;
    }
  }

  out.kind = kind;
  out.interval = interval;
  out.endDate = end;
  if (mask == 0 && haveStart &&
      (kind == PmRepeat::kWeekly || kind == PmRepeat::kMonthlyByWeekday)) {
    mask = static_cast<std::uint8_t>(1u << startParts.tm_wday);
  }
  switch (kind) {
    case PmRepeat::kWeekly:
      out.dayMask = mask;
      break;
    case PmRepeat::kMonthlyByWeekday:
      out.dayMask = mask;
      for (int i = 0; i < 7; ++i) {
        if (mask & (1u << i)) {
          out.dayIndex = i;
          break;
        }
      }
      out.weekIndex = haveOrdinal ? ordinal : (haveStart ? (startParts.tm_mday - 1) / 7 : 0);
      break;
    case PmRepeat::kMonthlyByDate:
      out.dayNumber = haveOrdinal ? ordinal : (haveStart ? startParts.tm_mday : 1);
      break;
    case PmRepeat::kYearlyByDate:
      out.monthIndex = haveOrdinal ? ordinal : (haveStart ? startParts.tm_mon : 0);
      out.dayNumber = haveStart ? startParts.tm_mday : 1;
      break;
    default:
      break;
  }
  return clean;
}
