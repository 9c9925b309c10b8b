// tabrix-bank on dirfor banks and VAM files, and the kind found from a bank's files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "tool_run.h"
#include "banks/bank_tool.h"
#include "banks/comp_bank_writer.h"
#include "banks/dirfor_bank.h"
#include "banks/dirfor_csv.h"
#include "banks/vam_csv.h"
#include "banks/vam_file.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Runs the program tabrix-bank; returns its status and keeps what it wrote (standard
// output, then standard error).
int run(const std::vector<std::string>& args, std::string& output) {
  testing::ToolOutcome outcome = testing::runBankToolProgram(args);
  output = outcome.out + outcome.err;
  return outcome.status;
}

const char* const kDirforCsv =
    "title,Dirfor round trip\n"
    "first year,2000\n"
    "first forecast year,2003\n"
    "name,type,2000,2001,2002,2003,2004,2005\n"
    "gdp,macro,100,101.5,102,103,104,105\n"
    "out1,,1,2,3,4,5,6\n"
    "out2,sector,7,8,9,10,11,12.25\n"
    "emp3,,1.5,,2.5,3,4\n"
    "m2,macro,-1,-2,-3,-4,-5,-6\n";

// The dump lists the sector variables block by block (out with 2 sectors, then emp with
// 3, the sectors not given being missing), then the macros; the history years come
// back as they were written.
const char* const kDirforDump =
    "title,Dirfor round trip\n"
    "first year,2000\n"
    "first forecast year,2003\n"
    "last year,2005\n"
    "name,type,2000,2001,2002,2003,2004,2005\n"
    "out1,sector,1,2,3,4,5,6\n"
    "out2,sector,7,8,9,10,11,12.25\n"
    "emp1,sector\n"
    "emp2,sector\n"
    "emp3,sector,1.5,,2.5,3,4\n"
    "gdp,macro,100,101.5,102,103,104,105\n"
    "m2,macro,-1,-2,-3,-4,-5,-6\n";

TEST(DirforToolTest, CreateThenDumpGivesTheSameSeriesBack) {
  TempDir dir;
  writeText(dir.file("in.csv"), kDirforCsv);
  const std::string root = dir.file("run");
  const std::string description = dir.file("run.dat");
  std::string output;
  ASSERT_EQ(run({"create", "-k", "d", "-d", description, root, dir.file("in.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: dirfor bank " + root + ": 5 series from 2000, forecast 2003 to 2005, described by " +
                        description + "\n");
  for (const char* ext : {".dfr", ".dhs", ".mac"}) EXPECT_TRUE(fs::exists(root + ext)) << ext;

  ASSERT_EQ(run({"dump", "-d", description, root, dir.file("out.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: opened the dirfor bank " + root + "\n");
  const std::string dumped = testing::readFile(dir.file("out.csv"));
  EXPECT_EQ(dumped, kDirforDump);

  // A bank made from the dump dumps to the same text.
  ASSERT_EQ(run({"create", "-k", "d", "-d", dir.file("again.dat"), dir.file("again"), dir.file("out.csv")}, output), 0)
      << output;
  ASSERT_EQ(run({"dump", "-k", "d", "-d", dir.file("again.dat"), dir.file("again"), "-"}, output), 0);
  EXPECT_EQ(output, dumped);

  ASSERT_EQ(run({"dump", "-k", "d", "-d", description, root, "-", "m2", "out2"}, output), 0);
  EXPECT_NE(output.find("2005\nm2,macro,-1,-2,-3,-4,-5,-6\nout2,sector,7,"), std::string::npos) << output;

  ASSERT_EQ(run({"list", "-k", "d", "-d", description, "-w", root, "*2"}, output), 0);
  EXPECT_EQ(output, "out2           emp2\nm2\n");
  ASSERT_EQ(run({"info", "-k", "d", "-d", description, root}, output), 0);
  EXPECT_EQ(output,
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nDirfor round trip\r\nBase year 2003."
            "\r\nMax observations per series 6.  Contains 7 series.\n");
}

TEST(DirforToolTest, CsvErrorsNameTheFileAndLine) {
  const std::string head = "first forecast year,2003\nname,type,2003,2004\n";
  struct Case {
    std::string csv;
    std::string message;  // after "tabrix-bank: f.csv:"
  } cases[] = {
      {"name,type\n", "1: the \"first forecast year\" row must come before the heading row"},
      {"first forecast year,2003\nname,frequency\n", "2: the heading row must start with \"name,type\""},
      {"base year,1990\n",
       "1: expected \"title\", \"first year\", \"first forecast year\" or \"last year\", or the heading row "
       "\"name,type,...\", found \"base year\""},
      {"first forecast year,20x5\nname,type\n", "1: \"first forecast year\" needs a year from 1900 to 9999, found \"20x5\""},
      {"first year,2004\nfirst forecast year,2003\nname,type\n",
       "1: the first year must lie from 998 years before the first forecast year to it"},
      {"first forecast year,2003\nlast year,2002\nname,type\n",
       "2: the last year must lie from the first forecast year to 998 years after it"},
      {"title," + std::string(41, 't') + "\nfirst forecast year,2003\nname,type\n", "1: the title is longer than 40 characters"},
      {"first forecast year,2003\nname,type,2003,2005\n", "2: column 4 is headed 2005 but holds the year 2004"},
      {head + "gdp,vector,1\n", "3: the type of \"gdp\" must be macro or sector, found \"vector\""},
      {head + "out0,,1\n", "3: the sector series \"out0\" must be a stem followed by a sector number from 1"},
      {head + "gdp,sector,1\n", "3: the sector series \"gdp\" must be a stem followed by a sector number from 1"},
      {head + ",macro,1\n", "3: the series has no name"},
      {head + "gdp,macro,1,x\n", "3: value 2 of \"gdp\" is not a number a 32-bit float can hold: \"x\""},
      {"first forecast year,2003\nlast year,2004\nname,type\ngdp,macro,1,2,3\n",
       "4: \"gdp\" has 3 values, more than the years from 2003 to 2004"},
      // The years the CSV writer would head the columns with stop at 9999.
      {"first forecast year,9999\nname,type\ngdp,macro,1\ny7,,0.5,1e5,-2\n",
       "4: \"y7\" has values past the year 9999"},
  };
  for (const Case& c : cases) {
    DirforTable table;
    ConsoleCapture capture;
    EXPECT_EQ(parseDirforCsv(c.csv, "f.csv", table), -1) << c.csv;
    EXPECT_EQ(capture.text(), "tabrix-bank: f.csv:" + c.message + "\n") << c.csv;
  }
}

// Series the bank could not give back as they are refuse the whole CSV file.
TEST(DirforToolTest, SeriesTheBankWouldChangeAreRefused) {
  const std::string head = "first year,2001\nfirst forecast year,2003\nname,type,2001,2002,2003,2004\n";
  struct Case {
    std::string rows;
    std::string message;  // after "tabrix-bank: in.csv:"
  } cases[] = {
      {"GDP,macro,1\n", "4: the macro name \"GDP\" must be 1 to 8 characters without blanks or capitals"},
      {"longmacro,macro,1\n", "4: the macro name \"longmacro\" must be 1 to 8 characters without blanks or capitals"},
      {"Out1,,1\n", "4: the stem \"Out\" must be 1 to 20 characters without blanks or capitals, not ending in a digit"},
      {"out1,,1\nout01,,2\n", "5: the series \"out1\" is given twice"},
      {"out1,macro,1\nout1,sector,2\n", "5: the series \"out1\" is given twice"},
      {"out10000,,1\n", "4: the sector number of \"out10000\" must lie from 1 to 9999"},
      {"out1,,1,2,3,2e10\n",
       "4: the value of \"out1\" in 2004 would read back as 0: a forecast value needs a magnitude from 1e-08 to 1e+10"},
      {"out1,,1e-9,2,3\n",
       "4: the value of \"out1\" in 2001 would read back as 0: a history value needs a magnitude from 1e-08 to 1e+13"},
      {"gdp,macro,1,2,0,4\n",
       "4: the value of \"gdp\" in the first forecast year 2003 is 0, so its history years would read back as 0"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeText(dir.file("in.csv"), head + c.rows);
    std::string output;
    EXPECT_EQ(run({"create", "-k", "d", "-d", dir.file("d.dat"), dir.file("run"), dir.file("in.csv")}, output), 1);
    EXPECT_EQ(output, "tabrix-bank: " + dir.file("in.csv") + ":" + c.message + "\n") << c.rows;
    EXPECT_FALSE(fs::exists(dir.file("run.dfr"))) << c.rows;
    EXPECT_FALSE(fs::exists(dir.file("d.dat"))) << c.rows;
  }
  // Macro forecast values are kept whatever their size; 0 is fine without history.
  TempDir dir;
  writeText(dir.file("in.csv"), "first forecast year,2003\nname,type\ngdp,macro,2e10,0\nout1,,0,5\n");
  std::string output;
  EXPECT_EQ(run({"create", "-k", "d", "-d", dir.file("d.dat"), dir.file("run"), dir.file("in.csv")}, output), 0)
      << output;
}

// A description declaring the most the layout allows (11 blocks of 175 stems of 9,999
// sectors: about 19 million series) over a bank of five: the dump goes series by series
// and ends at the first one the files do not hold, with its name, instead of listing
// every declared name first.
TEST(DirforToolTest, ADescriptionDeclaringMillionsOfSeriesEndsTheDumpAtTheFirstNotHeld) {
  TempDir dir;
  writeText(dir.file("in.csv"), kDirforCsv);
  const std::string root = dir.file("run");
  std::string output;
  ASSERT_EQ(run({"create", "-k", "d", "-d", dir.file("run.dat"), root, dir.file("in.csv")}, output), 0) << output;
  auto columns = [](int macro, int other) {
    std::string line;
    for (int t = 1; t <= 12; ++t) {
      const std::string number = std::to_string(t == 6 ? macro : other);
      line += std::string(4 - number.size(), ' ') + number;
    }
    return line;
  };
  std::string text = "0\nHostile\nRecord length     25\nFloats\nHistory length     4\nrun.dhs\n12\n";
  text += "Sectors         " + columns(1, 9999) + "\nNames           " + columns(2, 175) + "\n";
  for (int t = 1; t <= 12; ++t) {
    text += "Block  " + std::to_string(t) + "\n";
    if (t == 6) {
      text += "Macro variables\nNames file:\nrun.mac\n";
    } else {
      for (int k = 1; k <= 175; ++k) {
        const std::string number = std::to_string(k);
        text += "Stem  " + number + std::string(25 - number.size(), ' ') + "s" + std::to_string(t) + "_" + number +
                "\n      sectors 1 to 9999\n";
      }
    }
    text += "End of block " + std::to_string(t) + "\n";
  }
  writeText(dir.file("hostile.dat"), text);
  EXPECT_EQ(run({"dump", "-k", "d", "-d", dir.file("hostile.dat"), root, dir.file("out.csv")}, output), 1);
  EXPECT_EQ(output, "tabrix-bank: series \"s1_11\" cannot be read from " + root + ".dfr\n");
  EXPECT_FALSE(fs::exists(dir.file("out.csv")));
}

const char* const kVamCsv =
    "title,VAM round trip\n"
    "first year,1995\n"
    "name,type,rows,columns,row,column,1995,1996,1997\n"
    "out,v,3,1,1,1,10,11,12\n"
    "out,v,3,1,3,,30,31,32\n"
    "out,v,3,1,2,1,20,21,22.5\n"
    "a,m,2,2,2,1,0.5,0.25,0.125\n"
    "a,m,2,2,1,2,1,,3\n"
    "b,P,2,3,2,3,7,8,9\n"
    "z,m,2,2,1,1,0,0,0\n";

// Every element of a vector; the non-zero cells of a matrix row by row (cell (1, 1) of
// a matrix that has none).
const char* const kVamDump =
    "title,VAM round trip\n"
    "first year,1995\n"
    "last year,1997\n"
    "name,type,rows,columns,row,column,1995,1996,1997\n"
    "out,v,3,1,1,1,10,11,12\n"
    "out,v,3,1,2,1,20,21,22.5\n"
    "out,v,3,1,3,1,30,31,32\n"
    "a,m,2,2,1,2,1,,3\n"
    "a,m,2,2,2,1,0.5,0.25,0.125\n"
    "b,p,2,3,2,3,7,8,9\n"
    "z,m,2,2,1,1,0,0,0\n";

TEST(VamToolTest, CreateThenDumpGivesTheSameCellsBack) {
  TempDir dir;
  writeText(dir.file("in.csv"), kVamCsv);
  const std::string root = dir.file("model");
  std::string output;
  ASSERT_EQ(run({"create", "-k", "v", root, dir.file("in.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: vam file " + root + ": 4 variables, 1995 to 1997\n");
  EXPECT_TRUE(fs::exists(root + ".pm1"));

  {
    ConsoleCapture capture;
    VamFile vam(root);
    ASSERT_TRUE(vam.isOpen()) << capture.text();
    EXPECT_EQ(vam.storage(vam.findVariable("b")), 'p');
    testing::Series values{};
    ASSERT_EQ(vam.readSeries("b2.3", values, -1), 0);
    EXPECT_EQ(values[2], 9.0f);
  }

  ASSERT_EQ(run({"dump", root, dir.file("out.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: opened the vam bank " + root + "\n");
  const std::string dumped = testing::readFile(dir.file("out.csv"));
  EXPECT_EQ(dumped, kVamDump);
  ASSERT_EQ(run({"create", "-k", "v", dir.file("again"), dir.file("out.csv")}, output), 0) << output;
  ASSERT_EQ(run({"dump", dir.file("again"), "-"}, output), 0);
  EXPECT_EQ(output, dumped);

  ASSERT_EQ(run({"dump", root, "-", "b"}, output), 0);
  EXPECT_EQ(output.substr(output.find("1997\n") + 5), "name,type,rows,columns,row,column,1995,1996,1997\nb,p,2,3,2,3,7,8,9\n");
  EXPECT_EQ(run({"dump", root, "-", "nope"}, output), 1);
  EXPECT_EQ(output, "tabrix-bank: there is no variable \"nope\" in " + root + ".vam\n");
  ASSERT_EQ(run({"list", "-k", "v", root}, output), 0);
  EXPECT_EQ(output, "out1\nout2\nout3\n");
}

TEST(VamToolTest, CsvErrorsNameTheFileAndLine) {
  const std::string head = "first year,1995\nname,type,rows,columns,row,column\n";
  struct Case {
    std::string csv;
    std::string message;  // after "tabrix-bank: in.csv:"
  } cases[] = {
      {"name,type,rows,columns,row,column\n", "1: the \"first year\" row must come before the heading row"},
      {"first year,1995\nname,type,rows,columns,row\n",
       "2: the heading row must start with \"name,type,rows,columns,row,column\""},
      {"first year,1995\nlast year,1990\nname,type,rows,columns,row,column\n",
       "2: the last year must lie from the first year to 1998 years after it"},
      {head + "out,x,3,1,1,1\n", "3: the type of \"out\" must be v, l, m or p, found \"x\""},
      {head + "out,v,three,1,1,1\n", "3: the rows of \"out\" must be a whole number, found \"three\""},
      {head + "a,m,3,,1,1\n", "3: the columns of \"a\" must be a whole number, found \"\""},
      {head + "out,v,3,2,1,1\n", "3: the vector \"out\" must have 1 column"},
      {head + "a1,m,3,3,1,1\n", "3: the variable name \"a1\" must not end in a digit or '.': its series add the element number to it"},
      {head + "out,v,3,1,4,1\n", "3: cell (4, 1) lies outside the 3 x 1 cells of \"out\""},
      {head + "out,v,3,1,1,1\nout,v,4,1,2,1\n", "4: \"out\" was given before as type v with 3 rows and 1 columns"},
      {head + "out,v,3,1,1,1\nout,v,3,1,1,\n", "4: cell (1, 1) of \"out\" is given twice"},
      {head + "a,m,0,3,1,1\n", "3: the rows and columns of \"a\" must lie from 1 to 32767"},
      {"first year,1995\nlast year,1996\nname,type,rows,columns,row,column\nout,v,3,1,1,1,1,2,3\n",
       "4: \"out\" has 3 values, more than the years from 1995 to 1996"},
      {"first year,1995\nname,type,rows,columns,row,column,1996\n", "2: column 7 is headed 1996 but holds the year 1995"},
      {"first year,9995\nname,type,rows,columns,row,column\nb,p,9,3,1,2,0.5,0.21,2,0.5,0.25,0.25,25\n",
       "3: \"b\" has values past the year 9999"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeText(dir.file("in.csv"), c.csv);
    std::string output;
    EXPECT_EQ(run({"create", "-k", "v", dir.file("model"), dir.file("in.csv")}, output), 1) << c.csv;
    EXPECT_EQ(output, "tabrix-bank: " + dir.file("in.csv") + ":" + c.message + "\n") << c.csv;
    EXPECT_FALSE(fs::exists(dir.file("model.vam"))) << c.csv;
  }
}

// Without -k the kind is the one whose data file exists; a name whose files are of
// two kinds asks for -k.
// The dump reads a packed matrix as its file stores it: a directory claiming more
// columns than the packed file numbers gives only the stored cells, and one claiming
// rows the packed file does not have is refused, whatever the claim's size.
TEST(VamToolTest, ThePackedDumpFollowsTheFileNotTheClaim) {
  struct Case {
    const char* what;
    std::size_t offset;  // of the directory's i16 for the one variable
    int claim;
    int status;
    std::string dumped;  // the cell row, or the message
  } cases[] = {
      {"columns", 144, 32767, 0, "b,p,2,32767,2,3,7,8,9\n"},
      {"rows", 142, 32767, 1, "Error: Invalid row number: 3!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    writeText(dir.file("in.csv"), "first year,1995\nname,type,rows,columns,row,column\nb,p,2,3,2,3,7,8,9\n");
    std::string output;
    ASSERT_EQ(run({"create", "-k", "v", dir.file("m"), dir.file("in.csv")}, output), 0) << output;
    std::string bytes = testing::readFile(dir.file("m.vam"));
    ASSERT_GT(bytes.size(), c.offset + 2);
    bytes[c.offset] = static_cast<char>(c.claim & 0xff);
    bytes[c.offset + 1] = static_cast<char>(c.claim >> 8);
    std::ofstream(dir.file("m.vam"), std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(run({"dump", dir.file("m"), "-"}, output), c.status);
    EXPECT_NE(output.find(c.dumped), std::string::npos) << output;
  }
}

TEST(BankToolKindTest, TheKindComesFromTheFiles) {
  TempDir dir;
  {
    CompBankWriter comp("Compressed");
    ASSERT_EQ(comp.addSeries("gdp", VexDate(1990, 1, 1), std::vector<float>{1, 2}), 0);
    ASSERT_EQ(comp.write(dir.file("cb")), 0);
  }
  writeText(dir.file("in.csv"), kVamCsv);
  std::string output;
  ASSERT_EQ(run({"create", "-k", "v", dir.file("both"), dir.file("in.csv")}, output), 0);
  {
    VexBank companion(dir.file("both"), "New", 1995, 3, 1);
    ASSERT_TRUE(companion.isOpen());
  }
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string firstLine;
  } cases[] = {
      {{"info", dir.file("cb")}, 0, "tabrix-bank: opened the compressed bank " + dir.file("cb")},
      {{"info", dir.file("cb.cbk")}, 0, "tabrix-bank: opened the compressed bank " + dir.file("cb")},
      {{"list", dir.file("cb")}, 0, "tabrix-bank: opened the compressed bank " + dir.file("cb")},
      {{"info", dir.file("both")}, 2,
       "tabrix-bank: " + dir.file("both") + " names banks of more than one kind (" + dir.file("both.bnk") + ", " +
           dir.file("both.vam") + "): give -k"},
      {{"info", "-k", "v", dir.file("both")}, 0, "\r"},  // no word on the kind: the description at once
      {{"info", dir.file("both.vam")}, 0, "tabrix-bank: opened the vam bank " + dir.file("both")},
      // Dumped to the screen, the CSV stays plain.
      {{"dump", dir.file("cb"), "-"}, 0, "title,Compressed"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.args, output), c.status) << c.args[1];
    EXPECT_EQ(output.substr(0, output.find('\n')), c.firstLine) << c.args[1];
  }
}

}  // namespace
}  // namespace tabrix
