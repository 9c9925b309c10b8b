// The matrix listing on a three-sector model written with the project's VAM writer:
//
//   years 2000 .. 2002
//   out  (3)    1: 100 110 120    2: 200 220 240    3: 50 55 0
//   fd   (3)    1: 50 55 60       2: 157 173 188    3: -60 -66 -120
//   a    (3x3)  the same in every year:   0.1  0.2  0
//                                         0.3  0.04 0.1
//                                         0    0.5  0.2
//   short (2)   a vector too short to be multiplied by a
//   ap (3x3)    a again, stored as a packed matrix
//
// identity out = a*out + fd. The expected values are worked out by hand in each test:
// a row-mode flow of sector s to k is a[s][k] x out[k], a column-mode flow a[k][s] x
// out[s], a coefficient a[s][k] itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "banks/vam_file.h"
#include "banks/vam_writer.h"
#include "groups/group_home.h"
#include "matlist/listing_config.h"
#include "matlist/matlist.h"
#include "matlist/sector_list.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "table/date_list.h"
#include "table/table_line.h"
#include "test_files.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr const char* kConfig =
    "Three sectors; out = a*out + fd\n"
    "\"sectors.ttl\"\n\"sectors.ttl\"\n"
    "\"Output\"\n\"Intermediate sales\"\n\"Final demand\"\n";

// Writes the model under root; `scale` multiplies out (a second alternative).
void writeModel(const std::string& root, float scale) {
  VamWriter writer("Three sectors", 2000, 2002);
  std::string reason;
  const int out = writer.addVariable("out", 'v', 3, 1, reason);
  const int a = writer.addVariable("a", 'm', 3, 3, reason);
  const int fd = writer.addVariable("fd", 'v', 3, 1, reason);
  const int shortVector = writer.addVariable("short", 'v', 2, 1, reason);
  const int packed = writer.addVariable("ap", 'p', 3, 3, reason);  // a, stored packed
  const float outs[3][3] = {{100, 110, 120}, {200, 220, 240}, {50, 55, 0}};
  const float fds[3][3] = {{50, 55, 60}, {157, 173, 188}, {-60, -66, -120}};
  const float coefficients[3][3] = {{0.1f, 0.2f, 0}, {0.3f, 0.04f, 0.1f}, {0, 0.5f, 0.2f}};
  for (int r = 0; r < 3; ++r) {
    std::vector<float> x{outs[r][0] * scale, outs[r][1] * scale, outs[r][2] * scale};
    EXPECT_TRUE(writer.setCell(out, r + 1, 1, x, reason)) << reason;
    EXPECT_TRUE(writer.setCell(fd, r + 1, 1, std::vector<float>(fds[r], fds[r] + 3), reason)) << reason;
    for (int c = 0; c < 3; ++c) {
      if (coefficients[r][c] == 0) continue;
      std::vector<float> v(3, coefficients[r][c]);
      EXPECT_TRUE(writer.setCell(a, r + 1, c + 1, v, reason)) << reason;
      EXPECT_TRUE(writer.setCell(packed, r + 1, c + 1, v, reason)) << reason;
    }
  }
  EXPECT_TRUE(writer.setCell(shortVector, 1, 1, std::vector<float>{1, 1, 1}, reason)) << reason;
  ConsoleCapture quiet;
  EXPECT_EQ(writer.write(root), 0) << quiet.text();
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The layout the expected lines follow: the driver's title width 32, fields of 7.
constexpr int kTitleWidth = 32;
constexpr int kWidth = kTitleWidth + 3 * 7;  // the width headings are centered in

std::string centered(const std::string& text) {
  return std::string(static_cast<std::size_t>((kWidth - static_cast<int>(text.size())) / 2), ' ') + text;
}

// A table row: the title in the title column, then each value in a field of 7.
std::string row(const std::string& title, std::vector<double> values, int decimals = 1) {
  std::string line = title;
  line.resize(kTitleWidth, ' ');
  char cell[32];
  for (double v : values) {
    std::snprintf(cell, sizeof cell, "%7.*f", decimals, v);
    line += cell;
  }
  return line;
}

const std::string kDateHeader = std::string(kTitleWidth, ' ') + "   2000   2001   2002";

class ListingTest : public ::testing::Test {
 protected:
  ListingTest() : saved_(fs::current_path()) {
    fs::current_path(dir_.path());
    writeModel("base", 1.0f);
    writeModel("double", 2.0f);
    writeText("sectors.ttl", "1 \"Farms\"\n2 \"Mills\"\n3 \"Shops\"\n");
    writeText("matlist.cfg", kConfig);
    files_.push_back(std::make_unique<VamFile>("base"));
    files_.push_back(std::make_unique<VamFile>("double"));
    setDriverDefaults(table);
    table.out.openMemory();
    (void)parseDateList(table, "2000 2001 2002");
    table.datesSet = true;
    PageCounters::headerStarted(table.page) = true;
    table.pageLength = 500;
    // A page is begun and holds some lines: the listing writes no page header.
    PageCounters::pageNumber(table.page) = 1;
    PageCounters::lineOnPage(table.page) = 10;
    for (std::size_t k = 0; k < 2; ++k) table.altStart[k] = VexDate{2000, 1, 1};
  }
  ~ListingTest() override { fs::current_path(saved_); }

  // Lists the sectors with the base alternative (or both); the lines written.
  std::vector<std::string> list(const std::string& sectors, int alternatives = 1) {
    table.altCount = static_cast<int16_t>(alternatives);
    std::vector<VamFile*> files;
    for (int i = 0; i < alternatives; ++i) files.push_back(files_[static_cast<std::size_t>(i)].get());
    Chopper reader;
    reader.setString(sectors);
    MatListRun run{reader, table, files, groups.get(), settings, configName};
    ConsoleCapture capture;
    result = runMatrixListing(run);
    console = capture.text();
    std::vector<std::string> lines;
    std::string text = table.out.text();
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

  TempDir dir_{"tabrix-matlist"};
  fs::path saved_;
  std::vector<std::unique_ptr<VamFile>> files_;

 public:
  TableLine table;
  MatListSettings settings;
  std::string configName = "matlist.cfg";
  std::unique_ptr<GroupHome> groups;
  int16_t result = 99;
  std::string console;
};

TEST_F(ListingTest, RowModeListsSalesFinalDemandAndTheLeftSide) {
  // Sector 1 sells 0.1 x out1 to itself and 0.2 x out2 to sector 2; a[1][3] is 0, so
  // sector 3 is left out.
  const std::vector<std::string> expected = {
      "",
      centered("Seller:   1 Farms"),
      kDateHeader,
      centered("Sales to Intermediate sales"),
      row("  1 Farms", {10, 11, 12}),
      row("  2 Mills", {40, 44, 48}),
      row("SUM: Intermediate sales", {50, 55, 60}),
      centered("Sales to Other Final Demand"),
      row("Final demand", {50, 55, 60}),
      row("Output", {100, 110, 120}),
  };
  EXPECT_EQ(list("1"), expected);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(console, "\rProcessing sector   1\n");
}

TEST_F(ListingTest, AListingAfterALineOfAShortSeriesShowsEveryYear) {
  // The table line before held a series of one observation, so its values were known
  // to be missing after the first slot; the listing's own values run over three years.
  table.valuesMissingTail.fill(MaxObs - 1);
  const std::vector<std::string> lines = list("1");
  EXPECT_NE(std::find(lines.begin(), lines.end(), row("  2 Mills", {40, 44, 48})), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), row("Output", {100, 110, 120})), lines.end());
}

TEST_F(ListingTest, ColumnModeListsOnlyTheFirstTermWithoutTheLeftSide) {
  // Sector 2 buys a[k][2] x out2 from every k: 0.2, 0.04 and 0.5 times 200, 220, 240.
  settings.listByRow = false;
  const std::vector<std::string> expected = {
      "",
      centered("Buyer :   2 Mills"),
      kDateHeader,
      centered("Purchases from Intermediate sales"),
      row("  1 Farms", {40, 44, 48}),
      row("  2 Mills", {8, 8.8, 9.6}),
      row("  3 Shops", {100, 110, 120}),
      row("SUM: Intermediate sales", {148, 162.8, 177.6}),
  };
  EXPECT_EQ(list("2"), expected);
}

TEST_F(ListingTest, CoefficientsBelowTheCutoffAreLeftOut) {
  // Row 2 of a: 0.3, 0.04, 0.1; the cutoff 0.05 drops 0.04. The sum keeps every
  // coefficient: 0.44. Vector terms are not listed as coefficients.
  settings.listFlows = false;
  settings.cutoffRate = 0.05f;
  const std::vector<std::string> expected = {
      "",
      centered("Seller:   2 Mills"),
      kDateHeader,
      centered("Sales to Intermediate sales"),
      row("  1 Farms", {0.3, 0.3, 0.3}, 4),
      row("  3 Shops", {0.1, 0.1, 0.1}, 4),
      row("SUM: Intermediate sales", {0.44, 0.44, 0.44}, 4),
  };
  EXPECT_EQ(list("2"), expected);
  EXPECT_FALSE(table.coefMode) << "table lines after the listing use decs again";
}

TEST_F(ListingTest, CutoffYearTestsThatYearOnly) {
  // Sector 3's flows to 3 are 0.2 x out3: 10, 11, 0; its reference out3: 50, 55, 0.
  // In 2000 the share is 0.2, so a cutoff of 0.15 keeps it; in 2002 the reference is 0,
  // which lists every counterpart.
  settings.cutoffRate = 0.15f;
  for (int year : {2000, 2002}) {
    settings.cutoffYear = static_cast<int16_t>(year);
    table.out.openMemory();
    const std::vector<std::string> lines = list("3");
    const bool farms = std::find(lines.begin(), lines.end(), row("  1 Farms", {0, 0, 0})) != lines.end();
    const bool shops = std::find(lines.begin(), lines.end(), row("  3 Shops", {10, 11, 0})) != lines.end();
    EXPECT_EQ(farms, year == 2002) << year;
    EXPECT_TRUE(shops) << year;
  }
  // A year the base does not hold is said so, and every year is tested: 2002 lists Farms.
  settings.cutoffYear = 1990;
  table.out.openMemory();
  const std::vector<std::string> lines = list("3");
  EXPECT_NE(std::find(lines.begin(), lines.end(), row("  1 Farms", {0, 0, 0})), lines.end());
  EXPECT_EQ(console.find("Cutoff year 1990 is outside the years of the base; the cutoff is applied to every year.\n"),
            0u);
}

TEST_F(ListingTest, AZeroReferenceValueListsEveryCounterpart) {
  // out3 is 0 in 2002: sector 3 lists Farms although a[3][1] is 0 in every year.
  const std::vector<std::string> expected = {
      "",
      centered("Seller:   3 Shops"),
      kDateHeader,
      centered("Sales to Intermediate sales"),
      row("  1 Farms", {0, 0, 0}),
      row("  2 Mills", {100, 110, 120}),
      row("  3 Shops", {10, 11, 0}),
      row("SUM: Intermediate sales", {110, 121, 120}),
      centered("Sales to Other Final Demand"),
      row("Final demand", {-60, -66, -120}),
      row("Output", {50, 55, 0}),
  };
  EXPECT_EQ(list("3"), expected);
}

TEST_F(ListingTest, APackedMatrixAndASubtractedTermAreListedLikeOthers) {
  // ap holds a's cells in a packed-matrix file; fd subtracted lists as -fd.
  writeText("matlist.cfg",
            "x; out = ap*out - fd\n\"sectors.ttl\" \"sectors.ttl\" \"Output\" \"Packed\" \"Less\"\n");
  const std::vector<std::string> expected = {
      "",
      centered("Seller:   1 Farms"),
      kDateHeader,
      centered("Sales to Packed"),
      row("  1 Farms", {10, 11, 12}),
      row("  2 Mills", {40, 44, 48}),
      row("SUM: Packed", {50, 55, 60}),
      centered("Sales to Other Final Demand"),
      row("Less", {-50, -55, -60}),
      row("Output", {100, 110, 120}),
  };
  EXPECT_EQ(list("1"), expected);
  settings.listByRow = false;
  table.out.openMemory();
  const std::vector<std::string> lines = list("2");
  EXPECT_NE(std::find(lines.begin(), lines.end(), row("SUM: Packed", {148, 162.8, 177.6})), lines.end());
}

TEST_F(ListingTest, NoSubtotalsDropsTheSumsAndTheLeftSide) {
  settings.noSubtotals = true;
  const std::vector<std::string> expected = {
      "",
      centered("Seller:   1 Farms"),
      kDateHeader,
      centered("Sales to Intermediate sales"),
      row("  1 Farms", {10, 11, 12}),
      row("  2 Mills", {40, 44, 48}),
      centered("Sales to Other Final Demand"),
      row("Final demand", {50, 55, 60}),
  };
  EXPECT_EQ(list("1"), expected);
}

TEST_F(ListingTest, NoSectorTitlesLeavesEmptyHeadings) {
  settings.noSectorTitles = true;
  const std::vector<std::string> lines = list("1");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[3], row("  1 Farms", {10, 11, 12}));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("Sales to") != std::string::npos; }),
            0);
}

TEST_F(ListingTest, TheListOneToThreeWithoutTwoListsSectorsOneAndThree) {
  const std::vector<std::string> lines = list("1-3 (2)");
  EXPECT_EQ(console, "\rProcessing sector   1\rProcessing sector   3\n");
  EXPECT_NE(std::find(lines.begin(), lines.end(), centered("Seller:   1 Farms")), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), centered("Seller:   3 Shops")), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), centered("Seller:   2 Mills")), lines.end());
}

TEST_F(ListingTest, EveryAlternativeGetsItsRow) {
  // The second alternative doubles out: its flows are twice the base's.
  const std::vector<std::string> lines = list("1", 2);
  const std::vector<std::string> farms = {row("  1 Farms", {10, 11, 12}),
                                          row("", {20, 22, 24}).substr(0, kTitleWidth + 21)};
  auto at = std::find(lines.begin(), lines.end(), farms[0]);
  ASSERT_NE(at, lines.end());
  ASSERT_NE(at + 1, lines.end());
  EXPECT_EQ(*(at + 1), farms[1]);
  auto sum = std::find(lines.begin(), lines.end(), row("SUM: Intermediate sales", {50, 55, 60}));
  ASSERT_NE(sum, lines.end());
  EXPECT_EQ(*(sum + 1), row("", {100, 110, 120}));
}

TEST_F(ListingTest, DataRecordsAreNamedByTermAndSector) {
  table.gdataMode = true;
  table.gdataComments = true;
  (void)list("1");
  const std::string text = table.out.text();
  // The heading and the section titles become comments; the records follow in order.
  std::size_t at = 0;
  for (const char* part : {"# Seller:   1 Farms", "# Sales to Intermediate sales", "a0011", "a0012", "atot1",
                           "# Sales to Other Final Demand", "fd1", "out1"}) {
    const std::size_t next = text.find(part, at);
    ASSERT_NE(next, std::string::npos) << part << " in\n" << text;
    at = next;
  }
  EXPECT_EQ(text.find("a0013"), std::string::npos);
}

TEST_F(ListingTest, APageBreakRepeatsTheHeadingContinued) {
  // Pages of 8 lines (a page header takes 2 of them): the sums fill the first page, so
  // the final-demand term starts a page with the heading continued and the date row.
  table.pageLength = 8;
  table.bottomMargin = 0;
  table.topMargin = 0;
  PageCounters::lineOnPage(table.page) = 1;
  const std::vector<std::string> lines = list("1");
  const std::vector<std::string> continued = {
      centered("Seller:   1 Farms (Continued)"),
      kDateHeader,
      centered("Sales to Other Final Demand"),
      row("Final demand", {50, 55, 60}),
      row("Output", {100, 110, 120}),
  };
  auto at = std::search(lines.begin(), lines.end(), continued.begin(), continued.end());
  ASSERT_NE(at, lines.end());
  EXPECT_EQ((at - 2)->substr(0, 1), "\f") << "a new page begins before the heading";
  EXPECT_EQ(*(at - 3), row("SUM: Intermediate sales", {50, 55, 60}));
}

// Configurations that cannot be used end the listing without a line, after their message.
TEST_F(ListingTest, AnUnusableConfigurationEndsTheListing) {
  const std::string tooMany = [] {
    std::string identity = "x; out = a*out";
    for (int i = 0; i < 40; ++i) identity += " + fd";
    return identity + "\n";
  }();
  const struct {
    std::string config;
    std::string message;
  } cases[] = {
      {"", "No identity in matlist.cfg\n"},
      {"x; nothing = a*out\n", "nothing undefined\n"},
      {"x; a = a*out\n", "a is not a vector\n"},
      {"x; out a*out\n", "= missing in matrix listing identity\n"},
      {"x; out = a*fd*out\n", "= missing in matrix listing identity\n"},
      {"x; out = a*out + zz\n", "Cannot find zz\r\nError: Two many matrix-vector pairs in Matlist.cfg file.\r\n"},
      {"x; out = a + fd\n", "invalid operations\n"},
      {"x; out =\n", "invalid operations\n"},
      {"x; out = 3\n", "Incorrect expression\n"},
      {tooMany, "Error: Two many matrix-vector pairs in Matlist.cfg file.\r\n"},
      {"x; out = a*short\n", "Sizes of matrix and vector in multiplication do not match\n"},
      {"x; out = a*out + fd\n\"sectors.ttl\"\n", "Title file 1 is missing in matlist.cfg\n"},
      {"x; out = a*out + fd\n\"sectors.ttl\" \"sectors.ttl\" \"Output\"\n", "Label 1 is missing in matlist.cfg\n"},
  };
  for (const auto& c : cases) {
    writeText("matlist.cfg", c.config);
    table.out.openMemory();
    const std::vector<std::string> lines = list("1");
    EXPECT_EQ(result, -1) << c.config;
    EXPECT_TRUE(lines.empty()) << c.config;
    EXPECT_NE(console.find(c.message), std::string::npos) << c.config << "\nprinted: " << console;
  }
  configName = "absent.cfg";
  (void)list("1");
  EXPECT_EQ(console, "\nCannot open absent.cfg\nPrepare it before using the matlist command.\n");
}

TEST_F(ListingTest, TheConfigurationIsReadFromBytes) {
  MatListStruc config;
  ConsoleCapture capture;
  ASSERT_EQ(readListingConfig(std::string_view(kConfig), "bytes", *files_[0], config), 0) << capture.text();
  EXPECT_EQ(config.termCount, 3);
  EXPECT_EQ(config.matrixTermCount, 1);
  EXPECT_EQ(config.leftSize, 3);
  EXPECT_EQ(config.terms[1].op, '+');
  EXPECT_EQ(files_[0]->variableName(config.terms[1].matrix), "a");
  EXPECT_EQ(files_[0]->variableName(config.terms[2].vector), "fd");
  EXPECT_EQ(config.terms[2].matrix, -1);
  EXPECT_EQ(config.termLabels[2], "Final demand");
  // Names and labels longer than their fields are cut.
  const std::string longer = "x; out = a*out - fd\n\"" + std::string(60, 't') + "\" \"b\"\n\"" +
                             std::string(80, 'l') + "\" \"m\" \"f\"\n";
  ASSERT_EQ(readListingConfig(std::string_view(longer), "bytes", *files_[0], config), 0) << capture.text();
  EXPECT_EQ(config.titleFileNames[0], std::string(TitleFileNameLength, 't'));
  EXPECT_EQ(config.termLabels[0], std::string(TermLabelLength, 'l'));
  EXPECT_EQ(config.terms[2].op, '-');
}

TEST_F(ListingTest, HostileConfigurationBytesAreRefusedSafely) {
  const std::string cases[] = {
      std::string("x;\0\0\0", 5),
      "x; out = " + std::string(2000, '+') + "\n",
      "x; out = a*out + fd\n" + std::string(5000, '"'),
      "x; " + std::string(400, 'o') + "\n",
      "x; out = a*out\x01\xff\x80 + fd\n\"t\" \"t\"\n",
      "x; out = ((a*out))\n",
  };
  for (const std::string& bytes : cases) {
    MatListStruc config;
    ConsoleCapture capture;
    (void)readListingConfig(std::string_view(bytes), "bytes", *files_[0], config);
    EXPECT_LE(config.termCount, MaxTerms);
  }
}

// ---- Sector lists -------------------------------------------------------------------

class SectorListTest : public ::testing::Test {
 protected:
  SectorListTest() : groups(dir.file("groups.bin")) {
    Chopper reader;
    reader.setString("east\n2 4 6\n");
    ConsoleCapture quiet;
    EXPECT_EQ(groups.defineGroup(reader), 0);
    NumberFlags flags{};
    flags[8] = 1;
    flags[9] = 1;
    groups.setDynamicGroup(flags, 0, 9);
  }

  std::vector<int> parse(const std::string& text) {
    Chopper reader;
    reader.setString(text);
    ConsoleCapture capture;
    std::vector<int> sectors = parseSectorList(reader, &groups);
    printed = capture.text();
    return sectors;
  }

  TempDir dir{"tabrix-sectors"};
  GroupHome groups;
  std::string printed;
};

TEST_F(SectorListTest, ListsMarkTheirSectorsAscending) {
  const struct {
    const char* text;
    std::vector<int> sectors;
    const char* message;
  } cases[] = {
      {"1-3 (2)\n", {1, 3}, ""},
      {"5, 1\n", {1, 5}, ""},
      {"4-2\n", {2, 3, 4}, ""},
      {"1-10 (4-8) 6\n", {1, 2, 3, 6, 9, 10}, ""},
      {"1,\n3\n4\n", {1, 3}, ""},
      {"1 ) 3\n", {1}, ""},
      {":east 7\n", {2, 4, 6, 7}, ""},
      {"1-6 (:east)\n", {1, 3, 5}, ""},
      {"1 :\n", {1, 8, 9}, ""},
      {"(1-9 :)\n", {8, 9}, ""},
      {"1 649\n", {1, 649}, ""},
      {"1 650 3\n", {1}, "\r\nSector 650 is outside 1 to 649."},
      {"0\n", {}, "\r\nSector 0 is outside 1 to 649."},
      {"2 - x\n", {2}, "\r\nA - must be followed by a number."},
      {"-3\n", {}, "\r\nA number must procede a -."},
      {"2 :west 3\n", {2}, "\nReferenced group does not exist."},
      {"2 : ; 3\n", {2}, "\r\nA : must be followed by a number."},
      {"2 x 3\n", {2}, "\r\nUnrecognized element x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse(c.text), c.sectors) << c.text;
    EXPECT_EQ(printed, c.message) << c.text;
  }
}

}  // namespace
}  // namespace tabrix
