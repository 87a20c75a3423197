#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lyrics/lrc.h"

namespace {

std::unique_ptr<LyricLine> Line(int32_t time, const std::string& text) {
  auto line = std::make_unique<LyricLine>();
  line->time = time;
  line->text = text;
  return line;
}

std::vector<std::string> Texts(const CLyricLineArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(a.GetAt(i)->text);
  return out;
}

TEST(LyricLineArray, StartsEmptyAndGrowsByTen) {
  CLyricLineArray a;
  EXPECT_EQ(a.GetSize(), 0);
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetAt(0), nullptr);
  std::vector<int> capacities;
  for (int i = 0; i < 21; ++i) {
    ASSERT_TRUE(a.Insert(Line(i, "x")));
    capacities.push_back(a.GetCapacity());
  }
  EXPECT_EQ(capacities[0], 10);
  EXPECT_EQ(capacities[9], 10);
  EXPECT_EQ(capacities[10], 20);
  EXPECT_EQ(capacities[19], 20);
  EXPECT_EQ(capacities[20], 30);
  EXPECT_EQ(a.GetSize(), 21);
}

TEST(LyricLineArray, GetAtOutsideIsNull) {
  CLyricLineArray a;
  a.Insert(Line(5, "a"));
  EXPECT_NE(a.GetAt(0), nullptr);
  EXPECT_EQ(a.GetAt(1), nullptr);
  EXPECT_EQ(a.GetAt(-1), nullptr);
  EXPECT_FALSE(a.Insert(nullptr));
  EXPECT_EQ(a.GetSize(), 1);
}

TEST(LyricLineArray, RemoveAllKeepsCapacity) {
  CLyricLineArray a;
  for (int i = 0; i < 12; ++i) a.Insert(Line(i, "x"));
  a.RemoveAll();
  EXPECT_EQ(a.GetSize(), 0);
  EXPECT_EQ(a.GetCapacity(), 20);
  EXPECT_EQ(a.GetAt(0), nullptr);
  a.Insert(Line(1, "again"));
  EXPECT_EQ(Texts(a), std::vector<std::string>{"again"});
}

TEST(LyricLineArray, TiesWithTheFirstLineGoToTheFront) {
  CLyricLineArray a;
  a.Insert(Line(100, "first"));
  a.Insert(Line(200, "last"));
  a.Insert(Line(100, "tie1"));
  a.Insert(Line(100, "tie2"));
  a.Insert(Line(100, "tie3"));
  EXPECT_EQ(Texts(a), (std::vector<std::string>{"tie3", "tie2", "tie1", "first", "last"}));
  a.Insert(Line(50, "earlier"));
  EXPECT_EQ(a.GetAt(0)->text, "earlier");
}

TEST(LyricLineArray, TieWithSingleLineGoesBefore) {
  CLyricLineArray a;
  a.Insert(Line(100, "only"));
  a.Insert(Line(100, "tie"));
  a.Insert(Line(150, "after"));
  EXPECT_EQ(Texts(a), (std::vector<std::string>{"tie", "only", "after"}));
}

TEST(LyricLineArray, TieWithTheLastLineGoesAfter) {
  CLyricLineArray a;
  a.Insert(Line(100, "a"));
  a.Insert(Line(300, "last"));
  a.Insert(Line(300, "tie"));
  a.Insert(Line(400, "end"));
  EXPECT_EQ(Texts(a), (std::vector<std::string>{"a", "last", "tie", "end"}));
}

TEST(LyricLineArray, TieWithAnInnerLineGoesBeforeTheProbedLine) {
  // Times 0 10 20 30 40: the search probes index 2 first (time 20).
  CLyricLineArray a;
  for (int t : {0, 10, 20, 30, 40}) a.Insert(Line(t, std::to_string(t)));
  a.Insert(Line(20, "tie20"));
  EXPECT_EQ(Texts(a), (std::vector<std::string>{"0", "10", "tie20", "20", "30", "40"}));

  // Times 0 10 10 10 40 after inserting: a tie found at the first probe.
  CLyricLineArray b;
  for (int t : {0, 10, 40}) b.Insert(Line(t, std::to_string(t)));
  b.Insert(Line(10, "b"));   // lo 0, hi 2: mid 1 equals -> before it
  EXPECT_EQ(Texts(b), (std::vector<std::string>{"0", "b", "10", "40"}));
  // lo 0, hi 3: mid 1 ("b", 10) equals -> goes before "b".
  b.Insert(Line(10, "c"));
  EXPECT_EQ(Texts(b), (std::vector<std::string>{"0", "c", "b", "10", "40"}));
}

TEST(LyricLineArray, InnerInsertionWithoutTie) {
  CLyricLineArray a;
  for (int t : {0, 100}) a.Insert(Line(t, std::to_string(t)));
  for (int t : {50, 25, 75, 60, 99, 1}) a.Insert(Line(t, std::to_string(t)));
  std::vector<int> times;
  for (int i = 0; i < a.GetSize(); ++i) times.push_back(a.GetAt(i)->time);
  EXPECT_EQ(times, (std::vector<int>{0, 1, 25, 50, 60, 75, 99, 100}));
}

TEST(LyricLineArray, ExtremeTimesKeepTheirOrder) {
  // Differences of these times overflow 32 bits; the order must not care.
  CLyricLineArray a;
  a.Insert(Line(INT32_MAX, "max"));
  a.Insert(Line(INT32_MIN, "min"));
  a.Insert(Line(0, "zero"));
  a.Insert(Line(INT32_MAX, "max2"));
  a.Insert(Line(-1, "minus"));
  EXPECT_EQ(Texts(a), (std::vector<std::string>{"min", "minus", "zero", "max", "max2"}));
}

TEST(LyricLineArray, ManyLinesStaySorted) {
  CLyricLineArray a;
  uint32_t seed = 12345;
  for (int i = 0; i < 2000; ++i) {
    seed = seed * 1103515245u + 12345u;
    ASSERT_TRUE(a.Insert(Line(int32_t(seed >> 16) % 5000, "x")));
  }
  ASSERT_EQ(a.GetSize(), 2000);
  for (int i = 1; i < a.GetSize(); ++i) ASSERT_LE(a.GetAt(i - 1)->time, a.GetAt(i)->time);
}

}  // namespace
