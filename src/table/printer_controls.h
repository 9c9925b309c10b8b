// Printer controls and RTF: the PCL words of the stub's font commands and \pcontrol,
// the switching between font roles around headers, titles, dates and lines, the words
// a font setting gives its role, and the RTF wrapping of the table file.
#pragma once

#include <string>
#include <string_view>

#include "table/table_file.h"
#include "table/table_line.h"

namespace tabrix {

// Hands the PCL sequence of a printer-control word to the table's own target (the text
// table writes it into the table file). The word is matched in lower case; "point n" /
// "pitch n" (any word beginning with point or pitch, n the integer after it) always count
// as recognised and write nothing for a missing or zero n. With store set the word
// replaces the body role's font, point or pitch word (for the words the table names).
// Returns 1 when recognised and taken, 0 when not recognised or when the target sends no
// printer codes (noFormat).
int printerControl(TableLine& table, std::string_view word, bool store);

// The PCL sequence of a word as printerControl would write it ("" when it writes nothing
// or does not know the word); recognised tells whether the word is known.
std::string printerSequence(std::string_view word, bool* recognised = nullptr);

// Switches to a role: every sink gets the switch (the text table sends the role's font,
// point and pitch words when its font word is not empty). A workbook target gets the
// role's VexFont.
void useFont(TableLine& table, FontRole role);
// Switches back after a role: every sink gets it (the text table sends the body role's
// three words when the role's font word is not empty); a workbook target gets the body
// VexFont.
void useBody(TableLine& table, FontRole role);

// Gives a role the printer words of its font setting: the font word becomes the
// font's name, the point word "point<n>" and the pitch word "pitch<n>" for a size that
// is not 0 (sizes of 0 leave the words as they are). Call after parsing into
// table.fonts[role].font.
void deriveFontWords(TableLine& table, FontRole role);

// \font's spreading of the body font: copies the body font into the data,
// name, bank, date, title and head roles (their words stay), then resets the date font.
void copyBodyFont(TableLine& table);

// The RTF header written at the start of an RTF table file.
extern const char* const RtfHeader;
// The line end of RTF output.
extern const char* const RtfLineEnd;
// Writes the RTF header to the file.
void startRtf(TableFile& file);

// The page setup an RTF body needs: "" when its widest line fits the text block of a
// portrait Letter page at the body size; otherwise the control words of a landscape
// page with margins that let it fit (at least a quarter inch), one line.
std::string rtfPageSetup(std::string_view body);

// Gives a finished RTF table file the page setup of its body (rtfPageSetup), inserted
// after the font table. 0 when done or nothing was needed; -1 after a message when
// the file cannot be written again.
[[nodiscard]] int fitRtfPage(const std::string& path);

// The name of the RTF file for an output name: everything from the first '.' of its file
// name replaced by ".rtf" (".rtf" appended when there is none); dots of directories stay.
std::string rtfName(std::string_view outputName);

// Moves the table output to RTF (the body of \rtf after its argument): closes table.out,
// deletes the file outputName, opens rtfName(outputName) (outputName becomes that name),
// sets noFormat, prints the switch message, writes the RTF header and sets lineEnd to
// "\\par\n". When the file cannot be opened prints the WordPad message and returns -1
// (table.out is then closed); otherwise 0. rtfMode is left to the caller.
[[nodiscard]] int switchToRtf(TableLine& table, std::string& outputName);

}  // namespace tabrix
