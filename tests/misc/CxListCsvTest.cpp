#include <gtest/gtest.h>

#include "misc/CSV.h"
#include "misc/CxList.h"

namespace {

TEST(CxList, CursorWalk) {
  CxList<int> list;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Next(), nullptr);
  int v[4] = {10, 11, 12, 13};
  EXPECT_FALSE(list.Append(nullptr));
  for (int& x : v) EXPECT_TRUE(list.Append(&x));
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.CursorIndex(), 3u);  // Append moves the cursor to the new node
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(*list.First(), 10);
  EXPECT_EQ(*list.Next(), 11);
  EXPECT_EQ(*list.At(3), 13);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(*list.At(1), 11);
  EXPECT_EQ(*list.Next(), 12);
  EXPECT_EQ(list.At(4), nullptr);
  list.RemoveAll(false);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.First(), nullptr);
}

TEST(CxList, RemoveAllFreesWhenTold) {
  CxList<std::string> list;
  list.Append(new std::string("a"));
  list.Append(new std::string("b"));
  list.RemoveAll(true);  // ASan reports a leak if this frees nothing
  EXPECT_EQ(list.Count(), 0u);
}

TEST(CSV, Splitting) {
  struct {
    const char* text;
    bool quoteAware;
    std::vector<std::string> items;
  } cases[] = {
      {"", false, {}},
      {"abc", false, {"abc"}},
      {"a,b,,c", false, {"a", "b", "", "c"}},
      {"a,", false, {"a", ""}},
      {"\"a\",\"b,c\",\"d\"", true, {"a", "b,c", "\"d\""}},
      {"\"x\"", true, {"\"x\""}},
      {"\"\",\"y\"", true, {"", "\"y\""}},
      {"a,\"b\"", true, {"", "\"b\""}},  // a one-character item has no room for quotes
  };
  for (const auto& c : cases) {
    CSV csv(c.text, c.quoteAware);
    ASSERT_EQ(csv.Count(), static_cast<int>(c.items.size())) << c.text;
    for (int i = 0; i < csv.Count(); ++i)
      EXPECT_EQ(csv.Item(i), c.items[static_cast<std::size_t>(i)]) << c.text;
    EXPECT_EQ(csv.Item(csv.Count()), "");
    EXPECT_EQ(csv.Item(-1), "");
  }
}

}  // namespace
