#include "table/printer_controls.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/console.h"
#include "platform/files.h"
#include "table/table_sink.h"

namespace tabrix {

namespace {

// Which body-role word a printer-control word replaces when it is stored.
enum class Stores { Nothing, FontWord };

struct ControlWord {
  const char* word;      // matched exactly, in lower case
  const char* sequence;  // the PCL sequence written
  Stores stores;         // the body-role word it replaces when storing
};

// The fixed printer-control words (point and pitch words are handled apart).
constexpr ControlWord ControlWords[] = {
    {"normal", "\033(s0S", Stores::FontWord},
    {"sym_roman8", "\033(8U", Stores::Nothing},
    {"sym_437", "\033(10U", Stores::Nothing},
    {"sym_437n", "\033(11U", Stores::Nothing},
    {"sym_desktop", "\033(7J", Stores::Nothing},
    {"sym_winlatin1", "\033(19U", Stores::Nothing},
    {"italic", "\033(s1S", Stores::Nothing},
    {"light", "\033(s-3B", Stores::Nothing},
    {"medium", "\033(s0B", Stores::Nothing},
    {"bold", "\033(s3B", Stores::Nothing},
    {"lineprinter", "\033(s0p16.67h0s0b0T", Stores::FontWord},
    {"times", "\033(s1p0s0b16901T", Stores::FontWord},
    {"timesbold", "\033(s1p0s3b16901T", Stores::FontWord},
    {"timesitalic", "\033(s1p1s0b16901T", Stores::FontWord},
    {"timesbolditalic", "\033(s1p1s3b16901T", Stores::FontWord},
    {"courier", "\033(s0p0s0b4099T", Stores::FontWord},
    {"courierbold", "\033(s0p0s3b4099T", Stores::FontWord},
    {"courieritalic", "\033(s0p1s0b4099T", Stores::FontWord},
    {"courierbolditalic", "\033(s0p1s3b4099T", Stores::FontWord},
    {"arial", "\033(s1p0s0b16602T", Stores::FontWord},
    {"arialbold", "\033(s1p0s3b16602T", Stores::FontWord},
    {"arialitalic", "\033(s1p1s0b16602T", Stores::FontWord},
    {"arialbolditalic", "\033(s1p1s3b16602T", Stores::FontWord},
    {"coronet", "\033(s1p1s0b4116T", Stores::FontWord},
    {"clarendon", "\033(s1p1s0b4140T", Stores::FontWord},
    {"garamond", "\033(s1p0s0b4197T", Stores::FontWord},
    {"marigold", "\033(s1p0s0b4297T", Stores::FontWord},
    {"large", "\033&k0S", Stores::Nothing},
    {"small", "\033&k2S", Stores::Nothing},
    {"med", "\033&k4S", Stores::Nothing},
};

std::string lowered(std::string_view word) {
  std::string text(word);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The size sequence of a point or pitch word: n is the integer after the 5 letters;
// the sequence ends in `unit` ('V' point size, 'H' pitch).
std::string sizeSequence(const std::string& word, char unit) {
  int n = std::atoi(word.c_str() + 5);
  if (n == 0) return std::string();
  char sequence[48];
  std::snprintf(sequence, sizeof sequence, "\033(s%5.2f%c", static_cast<double>(n), unit);
  return sequence;
}

}  // namespace

const char* const RtfHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\fmodern"
    "\\fprq1\\fcharset0 Courier New;}}\n"
    "\\viewkind4\\uc1\\pard\\nowidctlpar\\f0\\fs17";
const char* const RtfLineEnd = "\\par\n";

std::string printerSequence(std::string_view word, bool* recognised) {
  std::string text = lowered(word);
  if (recognised != nullptr) *recognised = true;
  if (startsWith(text, "point")) return sizeSequence(text, 'V');
  if (startsWith(text, "pitch")) return sizeSequence(text, 'H');
  for (const ControlWord& entry : ControlWords) {
    if (text == entry.word) return entry.sequence;
  }
  if (recognised != nullptr) *recognised = false;
  return std::string();
}

int printerControl(TableLine& table, std::string_view word, bool store) {
  bool recognised = false;
  std::string sequence = printerSequence(word, &recognised);
  if (!recognised) return 0;
  TableSink* target = table.renderers.target();
  if (target == nullptr || !target->printerCodes(sequence)) return 0;
  if (store) {
    std::string text = lowered(word);
    RoleFont& body = table.fonts[BodyFont];
    if (startsWith(text, "point")) {
      assignCut(body.pointWord, text, SizeWordCapacity);
    } else if (startsWith(text, "pitch")) {
      assignCut(body.pitchWord, text, SizeWordCapacity);
    } else {
      for (const ControlWord& entry : ControlWords) {
        if (text == entry.word && entry.stores == Stores::FontWord) {
          assignCut(body.fontWord, text, FontWordCapacity);
        }
      }
    }
  }
  return 1;
}

void useFont(TableLine& table, FontRole role) {
  table.renderers.each([role](TableSink& sink) { sink.fontRole(role, true); });
}

void useBody(TableLine& table, FontRole role) {
  table.renderers.each([role](TableSink& sink) { sink.fontRole(role, false); });
}

void deriveFontWords(TableLine& table, FontRole role) {
  RoleFont& target = table.fonts[role];
  assignCut(target.fontWord, target.font.name, FontWordCapacity);
  if (target.font.point != 0) {
    assignCut(target.pointWord, "point" + std::to_string(target.font.point), SizeWordCapacity);
  }
  if (target.font.pitch != 0) {
    assignCut(target.pitchWord, "pitch" + std::to_string(target.font.pitch), SizeWordCapacity);
  }
}

void copyBodyFont(TableLine& table) {
  const VexFont body = table.fonts[BodyFont].font;
  for (FontRole role : {DataFont, NameFont, BankFont, DateFont, TitleFont, HeadFont}) {
    table.fonts[role].font.copyFrom(body);
  }
  resetDateFont(table);
}

void startRtf(TableFile& file) { file.write(RtfHeader); }

namespace {

// The page of an RTF table file, in twips (1/1440 inch): a Letter page, the text block
// of a word processor's default margins, and the advance of one character of the body
// font (Courier New at \fs17, 8.5 points: 0.6 em).
constexpr int kPaperLong = 15840;
constexpr int kPaperShort = 12240;
constexpr int kPortraitText = kPaperShort - 2 * 1800;
constexpr int kCharWidth = 102;
constexpr int kLeastMargin = 360;
constexpr int kMostMargin = 1440;
// Room for a word processor's rounding, in characters.
constexpr int kSlack = 2;

// The characters a line of the RTF body shows: an escaped character (\\, \{, \},
// \'hh) counts once, control characters (form feeds) not at all.
int shownWidth(std::string_view line) {
  int width = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < ' ') continue;
    if (c == '\\' && i + 1 < line.size()) i += line[i + 1] == '\'' ? 3 : 1;
    ++width;
  }
  return width;
}

}  // namespace

std::string rtfPageSetup(std::string_view body) {
  int widest = 0;
  while (!body.empty()) {
    size_t end = body.find(RtfLineEnd);
    std::string_view line = body.substr(0, end);
    widest = std::max(widest, shownWidth(line));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + std::string_view(RtfLineEnd).size());
  }
  const int needed = (widest + kSlack) * kCharWidth;
  if (needed <= kPortraitText) return std::string();
  const int margin = std::clamp((kPaperLong - needed) / 2, kLeastMargin, kMostMargin);
  char words[128];
  std::snprintf(words, sizeof words, "\\paperw%d\\paperh%d\\margl%d\\margr%d\\margt720\\margb720\\landscape\n",
                kPaperLong, kPaperShort, margin, margin);
  return words;
}

int fitRtfPage(const std::string& path) {
  std::string text;
  {
    std::ifstream in(toPath(path), std::ios::binary);
    if (!in) return 0;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The page setup goes after the font table, before the first paragraph.
  const std::string_view header(RtfHeader);
  const size_t fontTableEnd = header.find('\n') + 1;
  if (!text.starts_with(header)) return 0;
  const std::string setup = rtfPageSetup(std::string_view(text).substr(header.size()));
  if (setup.empty()) return 0;
  text.insert(fontTableEnd, setup);
  std::ofstream out(toPath(path), std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    console().printf("\nError:  Could not write %s; the table in it is incomplete.\r\n", path.c_str());
    return -1;
  }
  return 0;
}

std::string rtfName(std::string_view outputName) {
  // The first '.' of the file name, not of a directory such as "..\out".
  std::size_t nameStart = outputName.find_last_of("/\\");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  std::size_t dot = outputName.find('.', nameStart);
  return std::string(outputName.substr(0, dot)) + ".rtf";
}

int switchToRtf(TableLine& table, std::string& outputName) {
  table.out.abandon();  // deleted next
  deleteFile(toPath(outputName));
  outputName = rtfName(outputName);
  if (table.out.open(outputName) != 0) {
    console().printf("Unable to open %s for writing.  Check if it is open in WordPad.\r\n",
                     outputName.c_str());
    return -1;
  }
  table.noFormat = true;
  console().printf("You gave the \\rtf command.  Output will be in %s.\r\n", outputName.c_str());
  startRtf(table.out);
  table.lineEnd = RtfLineEnd;
  return 0;
}

}  // namespace tabrix
