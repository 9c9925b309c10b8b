#include "stub/font_spec.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/console.h"
#include "reader/chopper.h"

// The cases name only the fields they change.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tabrix {
namespace {

struct Parsed {
  int result;
  VexFont font;
  std::string output;
  std::string next;  // the token after the parse ("f" line end, "e" end)
};

Parsed parse(const std::string& line, const VexFont& start = VexFont()) {
  Chopper reader;
  reader.setString(line + "\r\nnext");
  ConsoleCapture capture;
  Parsed parsed{0, start, "", ""};
  parsed.result = parseFontSpec(reader, parsed.font);
  parsed.output = capture.text();
  int type = reader.nextToken();
  parsed.next = type == token::kLineEnd ? "f" : type == token::kEnd ? "e" : reader.tokenText();
  return parsed;
}

// A font with the listed fields changed from empty.
struct Expect {
  std::string name;
  int point = 0;
  int pitch = 0;
  bool italic = false;
  bool bold = false;
  char underline = 0;
  char horizontal = 0;
  char vertical = 0;
  std::string colour;
};

void expectFont(const VexFont& font, const Expect& e) {
  EXPECT_EQ(font.name, e.name);
  EXPECT_EQ(font.point, e.point);
  EXPECT_EQ(font.pitch, e.pitch);
  EXPECT_EQ(font.italic, e.italic);
  EXPECT_EQ(font.bold, e.bold);
  EXPECT_EQ(font.underline, e.underline);
  EXPECT_EQ(font.horizontal, e.horizontal);
  EXPECT_EQ(font.vertical, e.vertical);
  EXPECT_EQ(font.colour, e.colour);
}

TEST(ParseFontSpecTest, AcceptedLines) {
  struct Case {
    std::string line;
    Expect font;
  } cases[] = {
      {"Arial 10 bold center", {.name = "Arial", .pitch = 10, .bold = true, .horizontal = 'c'}},
      {"point 9 pitch 12", {.point = 9, .pitch = 12}},
      {"size", {.pitch = 12}},
      {"size 8", {.pitch = 8}},
      {"point", {.pitch = 12}},
      {"point bold", {.pitch = 12, .bold = true}},
      {"point10 size7", {.pitch = 7}},
      {"PITCH14", {.pitch = 14}},
      {"10.7", {.pitch = 10}},
      {"underline", {.underline = '-'}},
      {"underline =", {.underline = '='}},
      {"underline ~ bold", {.bold = true, .underline = '~'}},
      {"underline no", {.underline = 0}},
      {"underline 0", {.underline = 0}},
      {"underline false", {.underline = 0}},
      {"underline italic", {.italic = true, .underline = '-'}},
      {"UnderlineDoubleAccounting", {.underline = '~'}},
      {"UnderlineSingleAccounting", {.underline = '_'}},
      {"UnderlineDouble UnderlineNone", {.underline = 0}},
      {"= ", {.underline = '='}},
      {"_", {.underline = '_'}},
      {"bold no", {.bold = false}},
      {"bold 0", {.bold = false}},
      {"bold false", {.bold = false}},
      {"bold False", {.bold = true}},
      {"BOLD ITALIC", {.italic = true, .bold = true}},
      {"italic no bold", {.bold = true}},
      {"vjustify", {.vertical = 'j'}},
      {"vcenter left", {.horizontal = 'l', .vertical = 'c'}},
      {"top right", {.horizontal = 'r', .vertical = 't'}},
      {"bottom justify", {.horizontal = 'j', .vertical = 'b'}},
      {"\"Times New Roman\"", {.name = "Times New Roman"}},
      {"Times New Roman", {.name = "Times"}},
      {"courierbold", {.name = "courierbold"}},
      {"ARIAL", {.name = "ARIAL"}},
      {"Lime green", {.colour = "32768"}},
      {"\"Lime green\"", {.colour = "65280"}},
      {"red", {.colour = "255"}},
      {"\"Sky blue\" Helvetica", {.colour = "15780518"}},
      {"None", {.colour = "536870911"}},
      {"Arial bold clear italic", {.italic = true}},
      {"Arial Clear", {.name = "Arial"}},
      {"unknownword another", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(c.line);
    EXPECT_EQ(p.result, 0);
    expectFont(p.font, c.font);
    EXPECT_EQ(p.output, "");
    EXPECT_EQ(p.next, "next");  // the line was read to its end, no further
  }
}

TEST(ParseFontSpecTest, RejectedLines) {
  struct Case {
    std::string line;
    Expect font;  // what was applied before the error
    std::string output;
    std::string next;
  } cases[] = {
      {"bold , italic", {.bold = true}, "Error:  Unrecognized element \",\" in font routine.\n",
       "italic"},
      {"Arial ;", {.name = "Arial"}, "Error:  Unrecognized element \";\" in font routine.\n", "f"},
      {"pitch0 bold", {}, "", "f"},  // the error shows at the next element, which is read
      {"pitchx", {}, "", "next"},
      {"size0", {}, "", "next"},
      {"underlinedouble", {}, "Error:  cannot set underline for font.\n", "next"},
      {"UNDERLINENONE italic", {}, "Error:  cannot set underline for font.\n", "f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Parsed p = parse(c.line);
    EXPECT_EQ(p.result, -1);
    expectFont(p.font, c.font);
    EXPECT_EQ(p.output, c.output);
    EXPECT_EQ(p.next, c.next);
  }
}

TEST(ParseFontSpecTest, FieldsNotNamedKeepTheirValues) {
  VexFont start;
  start.setName("Arial");
  start.setPoint(9);
  start.setColour("Blue");
  Parsed p = parse("bold 11", start);
  EXPECT_EQ(p.result, 0);
  expectFont(p.font,
             {.name = "Arial", .point = 9, .pitch = 11, .bold = true, .colour = "16711680"});
  EXPECT_EQ(p.font.size(), 11);
}

}  // namespace
}  // namespace tabrix
