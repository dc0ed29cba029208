#include <gtest/gtest.h>

#include <random>
#include <type_traits>

#include "json/RecordJson.h"

namespace {

template <class T>
struct IsText : std::false_type {};
template <std::size_t N>
struct IsText<FixedText<N>> : std::true_type {};

// Fills every field with a random value of its type, so a round trip covers each one.
struct Randomiser {
  std::mt19937& rng;
  template <class T>
  void operator()(std::string_view, T& f) {
    if constexpr (IsText<T>::value) {
      f = "v" + std::to_string(rng()) + (rng() % 2 ? "\r\n\xc3\xa4\"\\" : "");
    } else if constexpr (std::is_same_v<T, OleDate>) {
      f = OleDate(static_cast<double>(rng() % 100000) + 0.25);
    } else if constexpr (std::is_same_v<T, SYSTEMTIME>) {
      f.wYear = static_cast<std::uint16_t>(rng());
      f.wMilliseconds = static_cast<std::uint16_t>(rng());
    } else if constexpr (std::is_integral_v<T>) {
      f = static_cast<T>(rng());
    } else if constexpr (requires { T::VisitFields(f, *this); }) {
      T::VisitFields(f, *this);
    } else if constexpr (std::is_same_v<T, ExceptionDayList>) {
      std::vector<EventDay> days(rng() % 4);
      for (auto& d : days)
        d = {static_cast<std::uint16_t>(1900 + rng() % 200),
             static_cast<std::uint16_t>(1 + rng() % 12),
             static_cast<std::uint16_t>(1 + rng() % 28)};
      f.Assign(days);
    } else {
      for (auto& e : f) CommonReminder::VisitFields(e, *this);
    }
  }
};

template <class R>
void RoundTrip(std::uint32_t seed) {
  std::mt19937 rng(seed);
  R r;
  R::VisitFields(r, Randomiser{rng});
  std::string text = ToJson(r).dump();
  R back;
  std::string error;
  ASSERT_TRUE(FromJson(nlohmann::json::parse(text), back, error)) << error;
  EXPECT_EQ(ToJson(back).dump(), text);
}

TEST(RecordJson, EveryFieldRoundTrips) {
  for (std::uint32_t seed = 1; seed < 20; ++seed) {
    RoundTrip<CommonContact>(seed);
    RoundTrip<CommonEvent>(seed);
    RoundTrip<CommonTask>(seed);
    RoundTrip<CommonNote>(seed);
  }
}

TEST(RecordJson, NamesAndShapes) {
  CommonEvent e;
  e.Reminders[0] = {1, 10, kUnitMinutes};
  auto j = ToJson(e);
  EXPECT_EQ(
      j["Start"].dump(),
      R"({"wYear":0,"wMonth":0,"wDayOfWeek":0,"wDay":0,"wHour":0,"wMinute":0,"wSecond":0,"wMilliseconds":0})");
  EXPECT_EQ(j["Reminders"][0].dump(), R"({"Method":1,"Amount":10,"Unit":1})");
  EXPECT_TRUE(j.contains("ReservedText"));
  EXPECT_TRUE(j["Recurrence"].contains("PatternStart"));
  CommonContact c;
  auto cj = ToJson(c);
  EXPECT_TRUE(cj["WorkAddress"].contains("Neighborhood"));
  EXPECT_TRUE(cj.contains("Custom10"));
  EXPECT_TRUE(cj.contains("CustomLabel10"));
  EXPECT_FALSE(cj.contains("NativeRecord"));
  EXPECT_FALSE(cj.contains("MatchedRecord"));
}

TEST(RecordJson, MissingKeysAreZeroAndTextsTruncate) {
  CommonContact c;
  std::string error;
  ASSERT_TRUE(FromJson(nlohmann::json::parse(R"({"FirstName":"abcdefghijklmnopqrstuvwxyz0123456789",
      "HomeAddress":{"City":"Bonn"}})"),
                       c, error));
  EXPECT_EQ(c.FirstName.size(), 31u);
  EXPECT_EQ(c.HomeAddress.City, "Bonn");
  EXPECT_EQ(c.Gender, 0u);
}

TEST(RecordJson, BadInputIsRejectedWithItsPlace) {
  struct {
    const char* json;
    const char* error;
  } cases[] = {
      {R"({"Nope":1})", "unknown key \"Nope\""},
      {R"({"Gender":"x"})", "Gender: expected an integer"},
      {R"({"Gender":-1})", "Gender: integer out of range"},
      {R"({"Gender":1.5})", "Gender: expected an integer"},
      {R"({"FirstName":3})", "FirstName: expected a string"},
      {R"({"Birthday":"2001"})", "Birthday: expected a number"},
      {R"({"WorkAddress":{"Town":"x"}})", "WorkAddress: unknown key \"Town\""},
      {R"([1])", "expected an object"},
  };
  for (const auto& c : cases) {
    CommonContact r;
    std::string error;
    EXPECT_FALSE(FromJson(nlohmann::json::parse(c.json), r, error)) << c.json;
    EXPECT_EQ(error, c.error);
  }
  CommonEvent e;
  std::string error;
  EXPECT_FALSE(FromJson(nlohmann::json::parse(R"({"Reminders":[{},{},{},{}]})"), e, error));
  EXPECT_FALSE(FromJson(nlohmann::json::parse(R"({"Start":{"wYear":70000}})"), e, error));
  EXPECT_FALSE(FromJson(nlohmann::json::parse(R"({"Start":{"year":1}})"), e, error));
  EXPECT_FALSE(FromJson(nlohmann::json::parse(R"({"Recurrence":{"HasEnd":40000}})"), e, error));
}

}  // namespace
