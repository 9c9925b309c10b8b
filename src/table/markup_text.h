// Text helpers shared by the publication renderers (HTML, Markdown, LaTeX): the table's
// texts made valid UTF-8, and escaped as each format needs, in one place so that the
// three files show the same texts.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// The text as UTF-8: valid UTF-8 sequences stay as they are; any other byte is read as
// Windows-1252 (the table file's code page) and converted; control characters other
// than tab become blanks.
std::string utf8Text(std::string_view text);
// Stores utf8Text(text) into out, reusing its buffer.
void assignUtf8(std::string& out, std::string_view text);

// Appends text to out with & < > " ' written as character references.
void appendHtml(std::string& out, std::string_view text);
std::string htmlEscaped(std::string_view text);

// Appends text to out with every character that Markdown could read as markup
// (\ ` * _ [ ] < > | ~ & and a $ for renderers that read mathematics) escaped by a
// backslash; with blockStart, also a leading character that would begin a heading, a
// list, a quote or a rule ("#", "+", "-", "=", "1." ...).
void appendMarkdown(std::string& out, std::string_view text, bool blockStart);
std::string markdownEscaped(std::string_view text, bool blockStart = false);

// Appends text to out for LaTeX's text mode: & % # _ { } as \& \% ..., $ as a math dollar, ~ ^
// as accents over nothing, \ < > | as their text commands (none needs a font beyond
// the basic ones), so that every character prints as itself.
void appendLatex(std::string& out, std::string_view text);
std::string latexEscaped(std::string_view text);

// The text without blanks at either end.
std::string_view trimmedText(std::string_view text);

}  // namespace tabrix
