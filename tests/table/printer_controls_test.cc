#include "table/printer_controls.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/console.h"
#include "platform/files.h"
#include "table/page.h"
#include "table_fixture.h"
#include "test_files.h"

namespace tabrix {
namespace {

const std::string LinePrinter = "\033(s0p16.67h0s0b0T";
const std::string CourierBold = "\033(s0p0s3b4099T";

TEST(PrinterSequenceTest, WordTable) {
  struct Case {
    const char* word;
    bool recognised;
    std::string sequence;
  } cases[] = {
      {"normal", true, "\033(s0S"},
      {"sym_roman8", true, "\033(8U"},
      {"sym_437", true, "\033(10U"},
      {"sym_437n", true, "\033(11U"},
      {"sym_desktop", true, "\033(7J"},
      {"sym_winlatin1", true, "\033(19U"},
      {"italic", true, "\033(s1S"},
      {"light", true, "\033(s-3B"},
      {"medium", true, "\033(s0B"},
      {"Bold", true, "\033(s3B"},
      {"lineprinter", true, LinePrinter},
      {"times", true, "\033(s1p0s0b16901T"},
      {"timesbold", true, "\033(s1p0s3b16901T"},
      {"timesitalic", true, "\033(s1p1s0b16901T"},
      {"timesbolditalic", true, "\033(s1p1s3b16901T"},
      {"courier", true, "\033(s0p0s0b4099T"},
      {"CourierBold", true, CourierBold},
      {"courieritalic", true, "\033(s0p1s0b4099T"},
      {"courierbolditalic", true, "\033(s0p1s3b4099T"},
      {"arial", true, "\033(s1p0s0b16602T"},
      {"arialbold", true, "\033(s1p0s3b16602T"},
      {"arialitalic", true, "\033(s1p1s0b16602T"},
      {"arialbolditalic", true, "\033(s1p1s3b16602T"},
      {"coronet", true, "\033(s1p1s0b4116T"},
      {"clarendon", true, "\033(s1p1s0b4140T"},
      {"garamond", true, "\033(s1p0s0b4197T"},
      {"marigold", true, "\033(s1p0s0b4297T"},
      {"large", true, "\033&k0S"},
      {"small", true, "\033&k2S"},
      {"med", true, "\033&k4S"},
      {"point12", true, "\033(s12.00V"},
      {"point 10", true, "\033(s10.00V"},
      {"pointsize 10", true, ""},
      {"point", true, ""},
      {"point0", true, ""},
      {"pitch16", true, "\033(s16.00H"},
      {"Pitch 9", true, "\033(s 9.00H"},
      {"pitch", true, ""},
      {"sym_43", false, ""},
      {"courier bold", false, ""},
      {"medium2", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    bool recognised = !c.recognised;
    EXPECT_EQ(printerSequence(c.word, &recognised), c.sequence);
    EXPECT_EQ(recognised, c.recognised);
  }
}

class PrinterControlTest : public ::testing::Test {
 protected:
  void SetUp() override { prepare(table); }
  const std::string& text() const { return table.out.text(); }
  TableLine table;
};

TEST_F(PrinterControlTest, StoringReplacesTheBodyRolesWord) {
  struct Case {
    const char* word;
    int result;
    std::string fontWord, pointWord, pitchWord;
  } cases[] = {
      {"CourierBold", 1, "courierbold", "point", "pitch"},
      {"normal", 1, "normal", "point", "pitch"},
      {"point 10", 1, "lineprinter", "point 10", "pitch"},
      {"pitch12", 1, "lineprinter", "point", "pitch12"},
      {"bold", 1, "lineprinter", "point", "pitch"},
      {"sym_roman8", 1, "lineprinter", "point", "pitch"},
      {"nonsense", 0, "lineprinter", "point", "pitch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    TableLine fresh;
    fresh.out.openMemory();
    EXPECT_EQ(printerControl(fresh, c.word, true), c.result);
    EXPECT_EQ(fresh.out.text(), printerSequence(c.word));
    EXPECT_EQ(fresh.fonts[BodyFont].fontWord, c.fontWord);
    EXPECT_EQ(fresh.fonts[BodyFont].pointWord, c.pointWord);
    EXPECT_EQ(fresh.fonts[BodyFont].pitchWord, c.pitchWord);
  }
}

TEST_F(PrinterControlTest, NoFormatSendsNothing) {
  table.noFormat = true;
  EXPECT_EQ(printerControl(table, "courier", true), 0);
  EXPECT_EQ(table.fonts[BodyFont].fontWord, "lineprinter");
  table.fonts[HeadFont].fontWord = "times";
  useFont(table, HeadFont);
  useBody(table, HeadFont);
  EXPECT_EQ(text(), "");
}

TEST_F(PrinterControlTest, NoTableFileStillRecognises) {
  EXPECT_EQ(table.out.close(), 0);
  EXPECT_EQ(printerControl(table, "courier", true), 1);
  EXPECT_EQ(table.fonts[BodyFont].fontWord, "courier");
}

TEST_F(PrinterControlTest, RolesWithoutAFontWordSendNothing) {
  for (int role = HeadFont; role < FontRoleCount; ++role) {
    useFont(table, static_cast<FontRole>(role));
    useBody(table, static_cast<FontRole>(role));
  }
  EXPECT_EQ(text(), "");
  useFont(table, BodyFont);
  EXPECT_EQ(text(), LinePrinter);  // "point" and "pitch" alone send nothing
}

TEST_F(PrinterControlTest, PcontrolWordIsRepeatedOnEveryReturnToTheBody) {
  table.pageNumbers = false;
  printerControl(table, "courierbold", true);
  EXPECT_EQ(text(), CourierBold);
  table.fonts[HeadFont].fontWord = "times";
  table.fonts[HeadFont].pointWord = "point12";
  table.out.openMemory();
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_EQ(text(), "\033&l0O\n\n\n" "\033(s1p0s0b16901T\033(s12.00V" "\n" + CourierBold + "\n");
}

TEST_F(PrinterControlTest, FontSpecificationGivesTheRolesWords) {
  RoleFont& title = table.fonts[TitleFont];
  title.font.name = "Courier";
  title.font.point = 10;
  title.font.pitch = 12;
  deriveFontWords(table, TitleFont);
  EXPECT_EQ(title.fontWord, "Courier");
  EXPECT_EQ(title.pointWord, "point10");
  EXPECT_EQ(title.pitchWord, "pitch12");
  useFont(table, TitleFont);
  EXPECT_EQ(text(), "\033(s0p0s0b4099T\033(s10.00V\033(s12.00H");
  // Sizes of 0 leave the words; an unlisted typeface sends nothing for itself.
  title.font.name = "Times New Roman";
  title.font.point = 0;
  title.font.pitch = 0;
  deriveFontWords(table, TitleFont);
  EXPECT_EQ(title.fontWord, "Times New Roman");
  EXPECT_EQ(title.pointWord, "point10");
  EXPECT_EQ(title.pitchWord, "pitch12");
}

TEST_F(PrinterControlTest, BodyFontSpreadsToEveryRoleButNotItsWords) {
  table.fonts[DateFont].font.name = "Arial";
  table.fonts[BodyFont].font.name = "Courier";
  table.fonts[BodyFont].font.bold = true;
  table.fonts[BodyFont].font.underline = '-';
  table.fonts[BodyFont].font.horizontal = 'r';
  table.fonts[NameFont].fontWord = "times";
  copyBodyFont(table);
  for (int role = 0; role < FontRoleCount; ++role) {
    SCOPED_TRACE(role);
    EXPECT_EQ(table.fonts[role].font.name, "Courier");
    EXPECT_TRUE(table.fonts[role].font.bold);
  }
  EXPECT_EQ(table.fonts[DateFont].font.underline, '=');
  EXPECT_EQ(table.fonts[DateFont].font.horizontal, 'c');
  EXPECT_EQ(table.fonts[HeadFont].font.underline, '-');
  EXPECT_EQ(table.fonts[NameFont].fontWord, "times");
  EXPECT_EQ(table.fonts[HeadFont].fontWord, "");
}

TEST(RtfTest, HeaderBytes) {
  TableFile file;
  file.openMemory();
  startRtf(file);
  EXPECT_EQ(file.text(),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\fmodern\\fprq1"
            "\\fcharset0 Courier New;}}\n\\viewkind4\\uc1\\pard\\nowidctlpar\\f0\\fs17");
}

// A body whose widest line fits a portrait page keeps the header as it is; a wider one
// asks for a landscape Letter page, its margins narrowed as far as the line needs (a
// quarter inch at least, an inch at most).
TEST(RtfTest, PageSetupFitsTheWidestLine) {
  auto setup = [](int margin) {
    return "\\paperw15840\\paperh12240\\margl" + std::to_string(margin) + "\\margr" +
           std::to_string(margin) + "\\margt720\\margb720\\landscape\n";
  };
  struct Case {
    const char* what;
    std::string body;
    std::string setup;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"82 columns fit portrait", std::string(82, 'x') + "\\par\n", ""},
      {"83 do not", std::string(83, 'x') + "\\par\n", setup(1440)},
      {"131, the demo's head line", "a\\par\n" + std::string(131, 'x') + "\\par\nb", setup(1137)},
      {"escapes count once", std::string(40, '\\') + std::string(62, 'x') + "\\par\n", ""},
      {"form feeds count not", std::string(40, '\f') + std::string(82, 'x') + "\\par\n", ""},
      {"too wide even so", std::string(200, 'x'), setup(360)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtfPageSetup(c.body), c.setup) << c.what;
  }
}

TEST(RtfTest, RtfNames) {
  struct Case {
    const char* output;
    const char* rtf;
  } cases[] = {
      {"tables.out", "tables.rtf"},
      {"tables", "tables.rtf"},
      {"a.b.c", "a.rtf"},
      {"..\\out\\tables.txt", "..\\out\\tables.rtf"},
      {"../out.d/tables", "../out.d/tables.rtf"},
  };
  for (const Case& c : cases) EXPECT_EQ(rtfName(c.output), c.rtf);
}

std::string fileText(const std::string& path) {
  std::string text;
  std::FILE* in = std::fopen(path.c_str(), "r");
  for (int c; in != nullptr && (c = std::fgetc(in)) != EOF;) text.push_back(static_cast<char>(c));
  if (in != nullptr) std::fclose(in);
  return text;
}

TEST(RtfTest, SwitchingReplacesTheTextFile) {
  TableLine table;
  setDriverDefaults(table);
  testing::TempDir tempDir;
  const std::string dir = tempDir.path() + "/";
  std::string outputName = dir + "rtf_switch.out";
  ASSERT_EQ(table.out.open(outputName), 0);
  table.out.write("written before \\rtf\n");
  ConsoleCapture capture;
  ASSERT_EQ(switchToRtf(table, outputName), 0);
  EXPECT_EQ(outputName, dir + "rtf_switch.rtf");
  EXPECT_EQ(capture.text(), "You gave the \\rtf command.  Output will be in " + outputName + ".\r\n");
  EXPECT_FALSE(fileExists(dir + "rtf_switch.out"));
  EXPECT_TRUE(table.noFormat);
  EXPECT_EQ(table.lineEnd, "\\par\n");
  table.pageNumbers = false;
  table.topMargin = 1;
  EXPECT_EQ(pageHeader(table), 0);
  table.out.write("\n}");  // as the run driver ends an RTF file
  EXPECT_EQ(table.out.close(), 0);
  EXPECT_EQ(fileText(outputName), std::string(RtfHeader) + "\\par\n\\par\n\\par\n\n}");
}

TEST(RtfTest, UnopenableFileStopsTheRun) {
  TableLine table;
  testing::TempDir dir;
  std::string outputName = dir.file("no/such/dir/tables.out");
  ConsoleCapture capture;
  EXPECT_EQ(switchToRtf(table, outputName), -1);
  EXPECT_EQ(capture.text(), "Unable to open " + outputName +
                                " for writing.  Check if it is open in WordPad.\r\n");
  EXPECT_FALSE(table.out.isOpen());
}

}  // namespace
}  // namespace tabrix
