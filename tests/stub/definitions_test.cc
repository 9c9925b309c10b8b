// \f definitions: the scratch banks made by the first \f, one evaluation per
// alternative, replacement on redefinition, failures confined to their alternative,
// and the messages of bad definitions. Expected values are worked out by hand from the
// fixture banks' formulas, given beside each check.
#include "stub/definitions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"
#include "stub/interpreter.h"
#include "stub/run_state.h"
#include "table/table_line.h"
#include "work_dir_fixture.h"

namespace tabrix {
namespace {

using testing::expectedSeries;
using testing::FixtureSeries;

class DefinitionTest : public testing::WorkDirTest {
 protected:
  // Two alternatives: gdp and gdpp in both, with different values.
  void twoAlternatives() {
    addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }},
                         {"gdpp", 1, [](int i) { return 90.0f + 2.0f * static_cast<float>(i); }}});
    addBank("High growth", {{"gdp", 1, [](int i) { return 200.0f + 3.0f * static_cast<float>(i); }},
                            {"gdpp", 1, [](int i) { return 150.0f + static_cast<float>(i); }}});
  }
};

TEST_F(DefinitionTest, DefinesTheSeriesInEveryAlternativeFromItsOwnBank) {
  twoAlternatives();
  EXPECT_EQ(runStub("\\f gap = gdp - gdpp\n\\dates 1990 1999\ngap;Gap\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(run.status, 0);
  ASSERT_TRUE(run.scratchMade);

  // (100 + i) - (90 + 2i) = 10 - i and (200 + 3i) - (150 + i) = 50 + 2i.
  const std::vector<float> base =
      expectedSeries([](int i) { return 10.0f - static_cast<float>(i); });
  const std::vector<float> high =
      expectedSeries([](int i) { return 50.0f + 2.0f * static_cast<float>(i); });
  int16_t frequency = 0;
  EXPECT_EQ(scratchSeries(0, "gap", &frequency), base);
  EXPECT_EQ(frequency, 1);
  EXPECT_EQ(scratchSeries(1, "gap"), high);
  EXPECT_EQ(std::vector<float>(table.values[0].begin(), table.values[0].begin() + 10), base);
  EXPECT_EQ(std::vector<float>(table.values[1].begin(), table.values[1].begin() + 10), high);
  EXPECT_NE(table.out.text().find("Gap"), std::string::npos);

  // The scratch banks are files of the current directory with alternative 1's layout
  // and a title naming their alternative's bank.
  run.scratchBanks[0].reset();
  run.scratchBanks[1].reset();
  for (int k = 0; k < 2; ++k) {
    VexBank stored(scratchBankName(k));
    ASSERT_TRUE(stored.isOpen()) << k;
    EXPECT_EQ(stored.baseYear(), 1990);
    EXPECT_EQ(stored.observations(), 10);
    EXPECT_EQ(stored.startPeriod(), 1);
    EXPECT_EQ(stored.seriesCount(), 1);
    EXPECT_EQ(stored.title(), k == 0 ? "Tabrix workspace bank for: Base run"
                                     : "Tabrix workspace bank for: High growth");
  }
}

TEST_F(DefinitionTest, AFailureInOneAlternativeLeavesTheOthersDefined) {
  addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }},
                       {"gdpp", 1, [](int) { return 1.0f; }}});
  addBank("No prices", {{"gdp", 1, [](int i) { return 200.0f + static_cast<float>(i); }}});
  EXPECT_EQ(runStub("\\f gap = gdp - gdpp\n\\pl 50\n"), InterpretEnd);
  EXPECT_EQ(output, "gdpp can't be found \r\n");
  EXPECT_EQ(run.status, -1);
  EXPECT_EQ(table.pageLength, 50);  // the stub goes on
  // 100 + i - 1 in the base; nothing in the alternative without prices.
  EXPECT_EQ(scratchSeries(0, "gap"),
            expectedSeries([](int i) { return 99.0f + static_cast<float>(i); }));
  EXPECT_TRUE(scratchSeries(1, "gap").empty());

  // A later definition that fails there keeps what the alternative had.
  EXPECT_EQ(runStub("\\f gap = gdp * 2\n\\f gap = gdp / gdpp\n"), InterpretEnd);
  EXPECT_EQ(scratchSeries(1, "gap"),
            expectedSeries([](int i) { return 400.0f + 2.0f * static_cast<float>(i); }));
  EXPECT_EQ(scratchSeries(0, "gap"),
            expectedSeries([](int i) { return 100.0f + static_cast<float>(i); }));
}

TEST_F(DefinitionTest, ARedefinitionReplacesTheSeriesAndHidesTheBanksOwn) {
  addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }}});
  EXPECT_EQ(
      runStub("\\f x = gdp * 2\n\\f x = x + 1\n\\f gdp = gdp + 1000\n\\dates 1990\ngdp;GDP\n"),
      InterpretEnd);
  EXPECT_EQ(output, "");
  // x = 2 (100 + i) + 1; gdp = 100 + i + 1000, shown by the table line too.
  EXPECT_EQ(scratchSeries(0, "x"),
            expectedSeries([](int i) { return 201.0f + 2.0f * static_cast<float>(i); }));
  const std::vector<float> gdp =
      expectedSeries([](int i) { return 1100.0f + static_cast<float>(i); });
  EXPECT_EQ(scratchSeries(0, "gdp"), gdp);
  EXPECT_EQ(std::vector<float>(table.values[0].begin(), table.values[0].begin() + 10), gdp);
  EXPECT_EQ(run.scratchBanks[0]->seriesCount(), 2);
}

// The definition keeps 597 characters of its line (600 with its line end and
// terminator); what lies beyond is not part of it.
TEST_F(DefinitionTest, ALongDefinitionIsCut) {
  addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }}});
  // The text after the command word: 8 characters, 586 blanks, then "+150" whose
  // "15" stands at characters 596 and 597.
  const std::string text = " x = gdp" + std::string(586, ' ') + "+150";
  EXPECT_EQ(runStub("\\f" + text + "\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  // x = gdp + 15 = 115 + i.
  EXPECT_EQ(scratchSeries(0, "x"),
            expectedSeries([](int i) { return 115.0f + static_cast<float>(i); }));
}

TEST_F(DefinitionTest, FrequencyOfTheResultIsStored) {
  addBank("Base run", {{"q", 4, [](int i) { return static_cast<float>(i); }}});
  EXPECT_EQ(runStub("\\f six = 2 * 3\n\\f q2 = q * 2\n"), InterpretEnd);
  int16_t frequency = 0;
  // Numbers alone have no frequency: stored as annual, 6 in every observation.
  EXPECT_EQ(scratchSeries(0, "six", &frequency), expectedSeries([](int) { return 6.0f; }));
  EXPECT_EQ(frequency, 1);
  EXPECT_EQ(scratchSeries(0, "q2", &frequency),
            expectedSeries([](int i) { return 2.0f * static_cast<float>(i); }));
  EXPECT_EQ(frequency, 4);
}

TEST_F(DefinitionTest, BadDefinitionsAreReportedAndTheStubGoesOn) {
  addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }}});
  addBank("Other", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }}});
  struct Case {
    const char* line;
    const char* message;  // written once per alternative
  };
  const Case cases[] = {
      {"\\f 3 = gdp\n", "Illegal name 3 in f command!\r\n"},
      {"\\f = gdp\n", "Illegal name = in f command!\r\n"},
      {"\\f\n", "Illegal name \n in f command!\r\n"},
      {"\\f x gdp\n", "Need an = sign in f command!\r\n"},
      {"\\f x\n", "Need an = sign in f command!\r\n"},
      {"\\f x = gdp +* 2\n", "\nBad syntax in expression.\n"},
      {"\\f x = nothing\n", "nothing can't be found \r\n"},
  };
  for (const Case& c : cases) {
    table.pageLength = 66;
    EXPECT_EQ(runStub(std::string(c.line) + "\\pl 50\n"), InterpretEnd) << c.line;
    EXPECT_EQ(output, std::string(c.message) + c.message) << c.line;
    EXPECT_EQ(run.status, -1) << c.line;
    EXPECT_EQ(table.pageLength, 50) << c.line;
    EXPECT_TRUE(scratchSeries(0, "x").empty()) << c.line;
  }
}

TEST_F(DefinitionTest, DefinitionTextIsEchoedInDebugMode) {
  addBank("Base run", {{"gdp", 1, [](int i) { return static_cast<float>(i); }}});
  EXPECT_EQ(runStub("\\debug on\n\\f x = gdp\n"), InterpretEnd);
  // The characters as they are read, then the whole text with its CR LF.
  EXPECT_EQ(output, " x = gdp\n x = gdp\r\n\n");
}

TEST_F(DefinitionTest, AScratchBankThatCannotBeCreatedEndsTheRun) {
  addBank("Base run", {{"gdp", 1, [](int i) { return static_cast<float>(i); }}});
  std::filesystem::create_directory(dir.file("tws0.bnk"));  // no file can take its place
  ScriptedKeys keys("x", false);
  ScopedKeySource source(keys);
  std::FILE* stub = std::tmpfile();
  std::fputs("\\f x = gdp\n", stub);
  std::rewind(stub);
  std::optional<int> status =
      testing::exitStatusOf([&] { static_cast<void>(interpret(run, stub, table)); });
  EXPECT_EQ(status, 2);  // a file the run must write could not be made: a failed run
  EXPECT_TRUE(keys.empty());  // the key was waited for
  std::string text = capture.take();
  EXPECT_NE(text.find("Unable to open tws0 scratch bank.  Probably you have too many banks.\r\n"
                      "  Try using Tabrix 95.\r\n"
                      "  Hit a key and Tabrix will quit:\r\n"),
            std::string::npos)
      << text;
  if (stub != nullptr) std::fclose(stub);
}

TEST_F(DefinitionTest, DefinitionsInsideAnAddFileUseItsArguments) {
  addBank("Base run", {{"gdp", 1, [](int i) { return 100.0f + static_cast<float>(i); }}});
  write("def.add", "\\f %1 = gdp * %2\n");
  EXPECT_EQ(runStub("\\f one = 1\n\\add def.add dbl 2\n\\echo after\n"), InterpretEnd);
  EXPECT_EQ(output, "  after\r\n");
  EXPECT_EQ(scratchSeries(0, "dbl"),
            expectedSeries([](int i) { return 200.0f + 2.0f * static_cast<float>(i); }));
}

}  // namespace
}  // namespace tabrix
