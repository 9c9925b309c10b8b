#include "banks/vam_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "banks/bank_factory.h"
#include "banks/vam_writer.h"
#include "banks/workspace_bank.h"
#include "open_modes.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::Series;
using testing::TempDir;

constexpr int kYears = 16;  // 1995 .. 2010

// A value for each of the 16 years: base + step * year index.
std::vector<float> byYear(float base, float step = 1.0f) {
  std::vector<float> values;
  for (int y = 0; y < kYears; ++y) values.push_back(base + step * static_cast<float>(y));
  return values;
}

// A VAM file of 1995 .. 2010 made by the project's writer:
//   out  vector of 3       element e in year index y: 100 e + y
//   a    3 x 3 matrix      cell (r, c): 10 r + c + 100 y
//   b    3 x 2 packed      cell (1, 2): 7 + y; cell (3, 1): 1000 + y; the rest 0
//   big  200 x 200 packed  cell (1, 1): 1
struct VamModel {
  TempDir dir{"tabrix-vam"};
  std::string root;

  explicit VamModel(const std::string& name = "model", const std::string& title = "Model run") {
    root = dir.file(name);
    fs::create_directories(fs::path(root).parent_path());
    VamWriter writer(title, 1995, 2010);
    std::string reason;
    const int out = writer.addVariable("out", 'v', 3, 1, reason);
    for (int e = 1; e <= 3; ++e) EXPECT_TRUE(writer.setCell(out, e, 1, byYear(100.0f * e), reason)) << reason;
    const int a = writer.addVariable("a", 'm', 3, 3, reason);
    for (int r = 1; r <= 3; ++r) {
      for (int c = 1; c <= 3; ++c) EXPECT_TRUE(writer.setCell(a, r, c, byYear(10.0f * r + c, 100), reason));
    }
    const int b = writer.addVariable("b", 'p', 3, 2, reason);
    EXPECT_TRUE(writer.setCell(b, 1, 2, byYear(7), reason));
    EXPECT_TRUE(writer.setCell(b, 3, 1, byYear(1000), reason));
    const int big = writer.addVariable("big", 'p', 200, 200, reason);
    EXPECT_TRUE(writer.setCell(big, 1, 1, byYear(1, 0), reason));
    ConsoleCapture quiet;
    EXPECT_EQ(writer.write(root), 0) << quiet.text();
  }
};

std::vector<float> firstYears(const Series& values, int count = kYears) {
  return std::vector<float>(values.begin(), values.begin() + count);
}

TEST(VamFileTest, OpensTheFileAndItsDirectory) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen()) << capture.text();
  EXPECT_EQ(vam.kind(), 'v');
  EXPECT_EQ(vam.kindName(), "VamFile");
  EXPECT_EQ(vam.dataFileName(), model.root + ".vam");
  EXPECT_EQ(vam.title(), "Model run");
  // 1995 .. 2010: 16 observations from 1995.
  EXPECT_EQ(vam.observations(), 16);
  EXPECT_EQ(vam.baseYear(), 1995);
  EXPECT_EQ(vam.firstYear(), 1995.0f);
  EXPECT_EQ(vam.lastYear(), 2010.0f);
  EXPECT_EQ(vam.seriesCount(), 3);  // the elements of the one vector
  EXPECT_EQ(vam.variableCount(), 4);
  EXPECT_EQ(vam.packedFileCount(), 2);
  EXPECT_EQ(vam.packedFile(1), "model.pm2");
  EXPECT_EQ(vam.blockFloats(), 3 + 9);
  EXPECT_EQ(vam.variableOffset(1), 3);
  EXPECT_EQ(vam.storage(2), 'p');
  EXPECT_EQ(vam.packedIndex(3), 1);
  EXPECT_EQ(vam.findVariable("b"), 2);
  EXPECT_EQ(vam.findVariable("B"), -1);
  EXPECT_FALSE(vam.sliceLoaded());
  EXPECT_FALSE(vam.companionOpen());
  vam.printInfo(0);
  EXPECT_EQ(capture.take(),
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nModel run\r\nBase year 1995."
            "\r\nMax observations per series 16.  Contains 3 series.");

  VamModel untitled("plain", "");
  VamFile plain(untitled.root);
  EXPECT_EQ(plain.title(), "Base VAM file, before simulations");
}

TEST(VamFileTest, ReadsElementsAndCells) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen());
  const std::string vamFile = model.root + ".vam";
  struct Case {
    const char* name;
    int16_t status;
    std::vector<float> values;
    std::string printed;
  } cases[] = {
      {"out2", 0, byYear(200), ""},
      {"out02", 0, byYear(200), ""},
      {"a2.3", 0, byYear(23, 100), ""},
      {"b1.2", 0, byYear(7), ""},
      {"b3.1", 0, byYear(1000), ""},
      {"b2.2", 0, byYear(0, 0), ""},
      {"a2", -1, {}, " Error in matrix expression: a2.\na2 not found.\n"},
      {"out4", -1, {}, "\r\nSeries out4 in " + vamFile + " cannot be read: element 4 lies outside the 3 elements of out.\r\n"},
      {"a4.1", -1, {}, "\r\nSeries a4.1 in " + vamFile + " cannot be read: cell (4, 1) lies outside the 3 x 3 cells of a.\r\n"},
      {"a0.1", -1, {}, "\r\nSeries a0.1 in " + vamFile + " cannot be read: cell (0, 1) lies outside the 3 x 3 cells of a.\r\n"},
      {"zz1", -1, {}, "zz1 not found.\n"},
      {"out", -1, {}, "out not found.\n"},
  };
  for (const Case& c : cases) {
    Series values{};
    EXPECT_EQ(vam.readSeries(c.name, values, -1), c.status) << c.name;
    if (c.status == 0) {
      EXPECT_EQ(firstYears(values), c.values) << c.name;
    }
    EXPECT_EQ(capture.take(), c.printed) << c.name;
  }
}

// A matrix cell reads the same whether or not a slice was loaded first, whatever the
// slice holds.
TEST(VamFileTest, MatrixCellsReadTheSameWithAndWithoutALoad) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen());
  const struct {
    const char* name;
    const char* variable;
    char mode;
    int number;
  } loads[] = {{"a2.3", "a", 'r', 2}, {"a2.3", "a", 'r', 1}, {"a2.3", "a", 'x', 0}, {"a2.3", "a", 'c', 3},
               {"b3.1", "b", 'r', 3}, {"b3.1", "b", 'c', 1}, {"out3", "out", 'x', 0}};
  for (const auto& load : loads) {
    vam.unloadSlice();
    Series fresh{};
    ASSERT_EQ(vam.readSeries(load.name, fresh, -1), 0) << load.name;
    ASSERT_EQ(vam.loadSlice(load.variable, load.mode, load.number), 0) << load.name << load.mode;
    Series loaded{};
    ASSERT_EQ(vam.readSeries(load.name, loaded, -1), 0) << load.name;
    EXPECT_EQ(firstYears(loaded), firstYears(fresh)) << load.name << " after " << load.mode << load.number;
  }
  EXPECT_EQ(capture.text(), "");
}

TEST(VamFileTest, LoadsSlicesInEveryMode) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen());
  // Each case: the slice's size and three cells, worked out from the model's formulas.
  struct Cell {
    int row;
    int column;
    float value;
  };
  const struct {
    const char* name;
    char mode;
    int number;
    int rows;
    int columns;
    std::vector<Cell> cells;
  } cases[] = {
      {"out", 'x', 0, 16, 3, {{1, 1, 100}, {5, 2, 204}, {16, 3, 315}}},
      {"a", 'x', 0, 16, 9, {{1, 1, 11}, {2, 6, 123}, {16, 9, 1533}}},
      {"a", 'r', 2, 16, 3, {{1, 1, 21}, {3, 3, 223}, {16, 2, 1522}}},
      {"a", 'c', 3, 16, 3, {{1, 1, 13}, {2, 2, 123}, {16, 3, 1533}}},
      {"a", 'y', 2000, 3, 3, {{1, 1, 511}, {2, 3, 523}, {3, 2, 532}}},
      {"a", 'y', 100, 3, 3, {{1, 1, 511}}},  // a year below 1900 has 1900 added
      {"b", 'r', 3, 16, 2, {{1, 1, 1000}, {16, 1, 1015}, {4, 2, 0}}},
      {"b", 'r', 1, 16, 2, {{1, 2, 7}, {10, 2, 16}, {10, 1, 0}}},
      {"b", 'c', 2, 16, 3, {{1, 1, 7}, {2, 1, 8}, {2, 3, 0}}},
      {"b", 'y', 1996, 3, 2, {{1, 2, 8}, {3, 1, 1001}, {2, 2, 0}}},
      {"big", 'r', 1, 16, 200, {{1, 1, 1}, {16, 1, 1}, {1, 200, 0}}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vam.loadSlice(c.name, c.mode, c.number), 0) << c.name << c.mode << capture.text();
    EXPECT_TRUE(vam.sliceLoaded());
    EXPECT_EQ(vam.sliceMode(), c.mode);
    EXPECT_EQ(vam.sliceNumber(), c.number);
    EXPECT_EQ(vam.sliceName(), c.name);
    EXPECT_EQ(vam.slice().rows(), c.rows) << c.name << c.mode;
    EXPECT_EQ(vam.sliceWidth(), c.columns) << c.name << c.mode;
    for (const Cell& cell : c.cells) {
      EXPECT_EQ(vam.slice().at(cell.row, cell.column), cell.value) << c.name << c.mode << cell.row << "," << cell.column;
    }
  }
  ASSERT_EQ(vam.loadSlice("b", 'r', 3), 0);
  EXPECT_EQ(vam.packedRowCount(), 1);
  vam.unloadSlice();
  EXPECT_FALSE(vam.sliceLoaded());
  EXPECT_EQ(vam.sliceName(), "");
  EXPECT_EQ(capture.text(), "");
}

TEST(VamFileTest, SlicesOutsideTheirVariablesAreRefused) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen());
  const struct {
    const char* name;
    char mode;
    int number;
    std::string printed;
  } cases[] = {
      {"a", 'r', 4, "Error: Invalid row number: 4!\n"},
      {"a", 'r', 0, "Error: Invalid row number: 0!\n"},
      {"a", 'c', 4, "Error: Invalid column number: 4!\n"},
      {"a", 'y', 2011, "Error: Invalid year : 2011!\n"},
      {"a", 'q', 1, "Error: Invalid view.\n"},
      {"b", 'r', 4, "Error: Invalid row number: 4!\nPmload failed\n"},
      {"b", 'c', 3, "Error: Invalid column number: 3!\nPmload failed\n"},
      {"b", 'y', 1994, "Error: Invalid year : 1994!\nPmload failed\n"},
      {"b", 'x', 0, "Error: Invalid view.\nPmload failed\n"},
      // 200 x 200 cells are more than a year slice holds (30000).
      {"big", 'y', 2000, "Error: Matrix size too large to load\n"},
      {"nothing", 'x', 0, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vam.loadSlice("out", 'x', 0), 0);
    EXPECT_EQ(vam.loadSlice(c.name, c.mode, c.number), -1) << c.name << c.mode;
    EXPECT_EQ(capture.take(), c.printed) << c.name << c.mode;
    EXPECT_FALSE(vam.sliceLoaded()) << c.name << c.mode;
  }
}

// Names the VAM file does not hold come from the workspace bank of the same root,
// aligned on the VAM's years.
TEST(VamFileTest, CompanionBankIsShiftedOntoTheVamYears) {
  VamModel model;
  for (const int base : {1990, 2000}) {
    {
      VexBank bank(model.root, "New", static_cast<uint16_t>(base), 30, 1);
      ASSERT_TRUE(bank.isOpen());
      Series values{};
      for (int i = 0; i < 30; ++i) values[static_cast<size_t>(i)] = static_cast<float>(base + i);
      bank.setFrequency(1);
      ASSERT_GE(bank.writeSeries("gdp", values, 'y', -1), 0);
    }
    ConsoleCapture capture;
    VamFile vam(model.root);
    ASSERT_TRUE(vam.isOpen()) << capture.text();
    ASSERT_TRUE(vam.companionOpen());
    EXPECT_EQ(vam.companionShift(), 1995 - base);
    EXPECT_EQ(vam.seriesCount(), 3 + 1);
    Series values{};
    ASSERT_EQ(vam.readSeries("gdp", values, -1), 0);
    // Observation i is the bank's observation i + shift: the value of year 1995 + i.
    for (int i = 0; i < kYears; ++i) {
      const int j = i + vam.companionShift();
      if (j >= 0 && j < 30) {
        EXPECT_EQ(values[static_cast<size_t>(i)], 1995.0f + i) << base << " " << i;
      } else {
        EXPECT_EQ(values[static_cast<size_t>(i)], MissingValue) << base << " " << i;
      }
    }
    EXPECT_EQ(vam.readSeries("out1", values, -1), 0);
    EXPECT_EQ(values[0], 100.0f);
    EXPECT_EQ(vam.readSeries("nope", values, -1), -1);
    EXPECT_EQ(capture.text(), "nope not found.\n");
  }
}

// A read that fails inside a slice load waits for a key: another key goes on (the load
// fails); Escape, or the end of the keys from a file, ends the process with status 1.
TEST(VamFileTest, AFailingSliceReadWaitsForAKey) {
  // Year blocks larger than the file buffer (a 40 x 40 matrix), so that reads after the
  // cut reach the file.
  TempDir dir;
  const std::string root = dir.file("large");
  {
    VamWriter writer("Large", 1995, 2010);
    std::string reason;
    const int out = writer.addVariable("out", 'v', 3, 1, reason);
    ASSERT_TRUE(writer.setCell(out, 2, 1, byYear(200), reason));
    ASSERT_GE(writer.addVariable("m", 'm', 40, 40, reason), 0);
    ASSERT_EQ(writer.write(root), 0);
  }
  ConsoleCapture capture;
  VamFile vam(root);
  ASSERT_TRUE(vam.isOpen());
  // Cut the file after 8 of its 16 year blocks once it is open.
  fs::resize_file(root + ".vam", static_cast<uintmax_t>(vam.dataStart()) + 4u * 1603u * 8u);
  {
    ScriptedKeys keys("k", false);
    ScopedKeySource source(keys);
    EXPECT_EQ(vam.loadSlice("out", 'x', 0), -1);
    EXPECT_EQ(capture.take(), "Fread failed in loadcmd. Tap.\nCannot read all of vector.\n");
    EXPECT_FALSE(vam.sliceLoaded());
    EXPECT_TRUE(keys.empty());
  }
  {
    ScriptedKeys keys("", false);
    ScopedKeySource source(keys);
    EXPECT_EQ(testing::exitStatusOf([&] { (void)vam.loadSlice("m", 'r', 1); }), 1);
    EXPECT_EQ(capture.take(), "Fread failed in loadcmd. Tap.\n");
  }
  // The column mode and element reads do not wait.
  EXPECT_EQ(vam.loadSlice("m", 'c', 1), -1);
  EXPECT_EQ(capture.take(), "Cannot read all of vector.\n");
  Series values{};
  EXPECT_EQ(vam.readSeries("out2", values, -1), -1);
  EXPECT_EQ(capture.take(), "fread in vam file failed.\nout2 not found.\n");
}

// Read-only, and a '.' in a directory name does not keep ".vam" off.
TEST(VamFileTest, OpensReadOnlyAndUnderDottedDirectories) {
  VamModel model("model.d/run");
  ConsoleCapture capture;
  VamFile vam(model.root);
  ASSERT_TRUE(vam.isOpen()) << capture.text();
  EXPECT_EQ(vam.dataFileName(), model.root + ".vam");
  const std::vector<int> modes = testing::accessModesOf(model.root + ".vam");
  ASSERT_EQ(modes.size(), 1u);
  EXPECT_EQ(modes[0], O_RDONLY);
  // Packed-matrix files are found beside the VAM file.
  EXPECT_EQ(vam.loadSlice("b", 'r', 1), 0) << capture.text();
  // Given with its extension, the name is used as it is.
  VamFile named(model.root + ".vam");
  EXPECT_TRUE(named.isOpen());
}

TEST(VamFileTest, ListsTheVectorElements) {
  VamModel model;
  ConsoleCapture capture;
  VamFile vam(model.root);
  int16_t status = 0;
  EXPECT_EQ(testing::listedNames(vam, "", 0, status), "out1           \nout2           \nout3           ");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(testing::listedNames(vam, "*3", 1, status), "out3           ");
}

TEST(VamFileTest, MissingFile) {
  TempDir dir;
  ConsoleCapture capture;
  VamFile vam(dir.file("none"));
  EXPECT_FALSE(vam.isOpen());
  EXPECT_EQ(vam.kind(), 'x');
  EXPECT_EQ(capture.text(), "\r\nCannot open " + dir.file("none") + ".vam.\r\n");
  Series values{};
  EXPECT_EQ(vam.readSeries("out1", values, -1), -1);
  EXPECT_EQ(vam.loadSlice("out", 'x', 0), -1);
  std::unique_ptr<DataBank> bank = openBank('v', dir.file("none"));
  EXPECT_EQ(bank->kind(), 'x');
}

// The hand-made files of tests/data/banks (vam_*, written by dirfor_vam_make_fixtures.py).
TEST(VamFileTest, HandMadeFiles) {
  using testing::fixture;
  {
    ConsoleCapture capture;
    VamFile vam(fixture("vam_good"));
    ASSERT_TRUE(vam.isOpen()) << capture.text();
    EXPECT_EQ(vam.title(), "Hand-made VAM fixture");
    EXPECT_EQ(vam.observations(), 3);
    const struct {
      const char* name;
      std::vector<float> values;
    } cases[] = {
        {"out2", {20, 21, 22}}, {"a1.2", {2, 12, 22}}, {"a2.1", {3, 13, 23}},
        {"b1.2", {1.5, 2.5, 3.5}}, {"b2.1", {7, 8, 9}}, {"b1.1", {0, 0, 0}},
    };
    for (const auto& c : cases) {
      Series values{};
      ASSERT_EQ(vam.readSeries(c.name, values, -1), 0) << c.name << capture.text();
      EXPECT_EQ(firstYears(values, 3), c.values) << c.name;
    }
  }
  const struct {
    const char* root;
    const char* reason;
    char kind;
  } refused[] = {
      {"vam_short_header", "the header runs short", 'x'},
      {"vam_years", "its years must run from a first year to a last year at most 1999 years on", 'v'},
      {"vam_directory", "its directory runs past the end of the file", 'v'},
      {"vam_name_outside", "the name of variable 2 lies outside its name area", 'v'},
      {"vam_size", "variable a holds 5 values a year, not its rows times its columns", 'v'},
      {"vam_negative", "variable a has -1 rows and 2 columns", 'v'},
      {"vam_blocks", "its year blocks run past the end of the file", 'v'},
      {"vam_over_block", "its variables take 6 values a year, more than the 3 of a year block", 'v'},
      {"vam_packed_index", "variable b names packed-matrix file 4 of 1", 'v'},
  };
  for (const auto& c : refused) {
    ConsoleCapture capture;
    VamFile vam(fixture(c.root));
    EXPECT_FALSE(vam.isOpen()) << c.root;
    EXPECT_EQ(vam.kind(), c.kind) << c.root;
    EXPECT_EQ(capture.text(), "\r\n" + fixture(c.root) + ".vam is damaged: " + c.reason + ".\r\n");
  }
  ConsoleCapture capture;
  VamFile vam(fixture("vam_packed_bad"));
  ASSERT_TRUE(vam.isOpen()) << capture.text();
  const struct {
    const char* name;
    std::string printed;
  } packed[] = {
      {"bx", "\r\nvam_packed_cells.pm1 is damaged: its cells run past the end of the file.\r\nPmload failed\n"},
      {"by", "\r\nvam_packed_counts.pm2 is damaged: its row counts do not add up to its non-zero cells.\r\n"
             "Pmload failed\n"},
      {"bz", "\r\nvam_packed_column.pm3 is damaged: column 9 lies outside the matrix.\r\nPmload failed\n"},
      {"bm", "Error: Can not open file nowhere.pm4, load command failed.\nPmload failed\n"},
  };
  for (const auto& c : packed) {
    EXPECT_EQ(vam.loadSlice(c.name, 'r', 1), -1) << c.name;
    EXPECT_EQ(capture.take(), c.printed) << c.name;
    Series values{};
    EXPECT_EQ(vam.readSeries(std::string(c.name) + "1.1", values, -1), -1) << c.name;
    EXPECT_EQ(capture.take(), c.printed + "Unable to do load of " + c.name + ".\n" + c.name + "1.1 not found.\n");
  }
}

TEST(SliceArrayTest, ReadsOutsideGiveZeroAndWritesOutsideAreRefused) {
  SliceArray slice;
  slice.assign(2, 3);
  EXPECT_TRUE(slice.set(2, 3, 5.0f));
  EXPECT_EQ(slice.at(2, 3), 5.0f);
  for (const auto& [row, column] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 4}}) {
    EXPECT_FALSE(slice.set(row, column, 1.0f));
    EXPECT_EQ(slice.at(row, column), 0.0f);
  }
  EXPECT_EQ(slice.row(2).size(), 3u);
  EXPECT_TRUE(slice.row(3).empty());
  slice.clear();
  EXPECT_TRUE(slice.empty());
}

}  // namespace
}  // namespace tabrix
