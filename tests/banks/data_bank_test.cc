#include "banks/data_bank.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"
#include "platform/keys.h"

namespace tabrix {
namespace {

using testing::series;
using testing::TempDir;

// A bank of any kind letter over a list of names, for the shared behaviour.
class FakeBank : public DataBank {
 public:
  FakeBank(char kind, std::vector<std::string> names)
      : DataBank("fake"), names_(std::move(names)) {
    kind_ = kind;
    openState_ = 1;
    seriesCount_ = static_cast<uint16_t>(names_.size());
  }
  int16_t readSeries(std::string_view, SeriesSpan, int16_t) override { return -1; }
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override {
    NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
    for (const std::string& name : names_) {
      if (!lister.offer(name)) break;
    }
    return lister.result();
  }
  void describe(std::string title, uint16_t year, uint16_t period, uint16_t observations) {
    title_ = std::move(title);
    startYear_ = year;
    startPeriod_ = period;
    observations_ = observations;
  }

 private:
  std::vector<std::string> names_;
};

std::vector<std::string> numberedNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("n" + std::to_string(i));
  return names;
}

std::string padded(const std::string& name) {
  std::string out = name;
  if (out.size() < 15) out.append(15 - out.size(), ' ');
  return out;
}

TEST(DataBankTest, NamedConstructorDefaults) {
  FakeBank bank('c', {});
  EXPECT_EQ(bank.observations(), MaxObs);
  EXPECT_EQ(bank.frequency(), 1);
  EXPECT_EQ(bank.baseYear(), 1965);
  EXPECT_EQ(bank.seriesCount(), 0);
  bank.setFrequency(12);
  EXPECT_EQ(bank.frequency(), 12);
  EXPECT_STREQ(bank.setTitle(std::string(90, 'q')), std::string(80, 'q').c_str());
}

TEST(DataBankTest, PrintInfoLinesDependOnKindAndBankNumber) {
  const std::string head =
      "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nBase run";
  const std::string tail = "\r\nMax observations per series 40.  Contains 3 series.";
  struct Case {
    char kind;
    int16_t bankNumber;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {'w', 0, head + "\r\nBase year 1990; first month covered 4" + tail},
      {'w', 2, head + "\r\nBase year 1990; first month covered 4" + tail +
                   "\r\nThis bank assigned as bank: c.\r\n"},
      {'c', 0, head + tail},
      {'h', 1, head + tail + "\r\nThis bank assigned as bank: b.\r\n"},
      {'d', 0, head + "\r\nBase year 1990." + tail},
      {'v', 0, head + "\r\nBase year 1990." + tail},
  };
  for (const Case& c : cases) {
    FakeBank bank(c.kind, {"a", "b", "c"});
    bank.describe("Base run", 1990, 4, 40);
    ConsoleCapture capture;
    EXPECT_EQ(bank.printInfo(c.bankNumber), 0);
    EXPECT_EQ(capture.text(), c.expected) << c.kind << c.bankNumber;
  }
}

TEST(DataBankTest, ListingMatchesPatternsAndFillsLines) {
  const std::vector<std::string> names = {"AB", "ABC", "AXC", "B", "A"};
  struct Case {
    const char* pattern;
    int16_t wide;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // '*' takes the first C and does not backtrack; AB has no C.
      {"A*C", 0, padded("ABC") + "\r\n" + padded("AXC")},
      {"", 0, padded("AB") + "\r\n" + padded("ABC") + "\r\n" + padded("AXC") + "\r\n" +
                   padded("B") + "\r\n" + padded("A")},
      {"A^", 0, padded("AB")},
      // An invalid pattern counts as a match for every name.
      {"**", 1, padded("AB") + padded("ABC") + padded("AXC") + padded("B") + padded("A")},
      {"Q*", 1, ""},
  };
  for (const Case& c : cases) {
    FakeBank bank('w', names);
    ConsoleCapture capture;
    EXPECT_EQ(bank.listNames(stdout, c.pattern, c.wide), 1);
    EXPECT_EQ(capture.text(), c.expected) << c.pattern;
  }
}

TEST(DataBankTest, WideListingBreaksAfterFiveAndNamesLongerThanTheColumnStayWhole) {
  std::vector<std::string> names = numberedNames(6);
  names[1] = "a_name_longer_than_15";
  FakeBank bank('w', names);
  ConsoleCapture capture;
  bank.listNames(nullptr, "", 1);
  EXPECT_EQ(capture.text(), padded("n0") + "a_name_longer_than_15" + padded("n2") +
                                padded("n3") + padded("n4") + "\r\n" + padded("n5"));
}

TEST(DataBankTest, ListingToAFileUsesNewlinesAndNeverPages) {
  FakeBank bank('w', numberedNames(60));
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ScriptedKeys keys;  // any read would give Escape and end the listing
  ScopedKeySource source(keys);
  ConsoleCapture capture;
  EXPECT_EQ(bank.listNames(file, "", 0), 1);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(file);
  std::string expected;
  for (int i = 0; i < 60; ++i) expected += (i ? "\n" : "") + padded("n" + std::to_string(i));
  EXPECT_EQ(text, expected);
  EXPECT_EQ(capture.text(), "");
}

TEST(DataBankTest, ConsoleListingPagesEvery24Lines) {
  std::string firstPage;
  for (int i = 0; i < 24; ++i) firstPage += (i ? "\r\n" : "") + padded("n" + std::to_string(i));
  const std::string prompt = "\r\n\r=== more ====";
  {
    // Escape at the prompt ends the listing.
    FakeBank bank('w', numberedNames(30));
    ScriptedKeys keys("\x1b");
    ScopedKeySource source(keys);
    ConsoleCapture capture;
    EXPECT_EQ(bank.listNames(stdout, "", 0), 0);
    EXPECT_EQ(capture.text(), firstPage + prompt);
  }
  {
    // Any other key goes on; an extended key (0 and its scan code) counts as one.
    FakeBank bank('w', numberedNames(50));
    ScriptedKeys keys;
    keys.extended(key::kDown).type("x");
    ScopedKeySource source(keys);
    ConsoleCapture capture;
    EXPECT_EQ(bank.listNames(stdout, "", 0), 1);
    std::string expected = firstPage + prompt;
    for (int i = 24; i < 48; ++i) expected += (i > 24 ? "\r\n" : "") + padded("n" + std::to_string(i));
    expected += prompt + padded("n48") + "\r\n" + padded("n49");
    EXPECT_EQ(capture.text(), expected);
    EXPECT_TRUE(keys.empty());
  }
  {
    // Wide: a page is 24 lines of 5, so 120 names fit before the first prompt.
    FakeBank bank('w', numberedNames(121));
    ScriptedKeys keys("\x1b");
    ScopedKeySource source(keys);
    ConsoleCapture capture;
    EXPECT_EQ(bank.listNames(stdout, "", 1), 0);
    EXPECT_NE(capture.text().find(padded("n119") + prompt), std::string::npos);
    EXPECT_EQ(capture.text().find("n120"), std::string::npos);
  }
}

TEST(DataBankTest, WorkspaceBankListsInIndexOrder) {
  TempDir dir;
  VexBank bank(dir.file("b"), "New", 1990, 1, 1);
  for (const char* name : {"zeta", "alpha", "mid"}) ASSERT_GE(bank.writeSeries(name, series({1}), 'n', -1), 0);
  ConsoleCapture capture;
  EXPECT_EQ(bank.listNames(stdout, "", 1), 1);
  EXPECT_EQ(capture.text(), padded("zeta") + padded("alpha") + padded("mid"));
}

}  // namespace
}  // namespace tabrix
