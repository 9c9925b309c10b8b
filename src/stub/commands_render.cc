// The publication commands: \html, \markdown and \latex each attach a renderer that
// receives every page composed after the command, beside the table's own targets.
//   \html NAME   writes NAME (".html" added when its file name has no extension)
//   \html        writes the output file's name with its extension replaced
//   \html no     finishes the file at once
// A second command with another name finishes the first file and starts the new one;
// the same name again goes on writing the file. The end of the run finishes every
// renderer. A file that cannot be opened stops the run, with exit status 2; so does a
// file that would be written over the table file or another renderer's file.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/files.h"
#include "stub/commands.h"
#include "stub/run_state.h"
#include "table/document_sink.h"
#include "table/html_sink.h"
#include "table/latex_sink.h"
#include "table/markdown_sink.h"
#include "table/outputs.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// Capacity of a renderer's file name, as of the table file's.
constexpr std::size_t kRenderNameCapacity = 118;

// One publication format: its renderer key, its file extension and its sink.
struct RenderFormat {
  std::string_view key;
  std::string_view extension;
  std::unique_ptr<DocumentSink> (*make)();
};

constexpr RenderFormat kHtml = {"html", ".html", [] {
                                  return std::unique_ptr<DocumentSink>(new HtmlSink);
                                }};
constexpr RenderFormat kMarkdown = {"markdown", ".md", [] {
                                      return std::unique_ptr<DocumentSink>(new MarkdownSink);
                                    }};
constexpr RenderFormat kLatex = {"latex", ".tex", [] {
                                   return std::unique_ptr<DocumentSink>(new LatexSink);
                                 }};
constexpr const RenderFormat* kFormats[] = {&kHtml, &kMarkdown, &kLatex};

std::string trimmed(std::string text) {
  std::size_t end = text.find_last_not_of(" \t\r");
  text.erase(end == std::string::npos ? 0 : end + 1);
  text.erase(0, std::min(text.size(), text.find_first_not_of(" \t")));
  return text;
}

bool isNo(std::string_view word) {
  return word.size() == 2 && std::tolower(static_cast<unsigned char>(word[0])) == 'n' &&
         std::tolower(static_cast<unsigned char>(word[1])) == 'o';
}

// The name of a document sink's file under a key, "" when none is attached there.
std::string rendererName(TableLine& table, std::string_view key) {
  auto* sink = dynamic_cast<DocumentSink*>(renderer(table, key));
  return sink == nullptr ? std::string() : sink->name();
}

// True when two names reach the same file.
bool sameFile(std::string_view a, std::string_view b) { return toPath(a) == toPath(b); }

// Notes a finish status: a failed write (already reported) fails the run at its end.
void noteFinish(TableLine& table, int status) {
  if (status != 0) table.outputFailed = true;
}

int16_t renderCommand(StubContext& context, const RenderFormat& format) {
  TableLine& table = context.table;
  std::string name = trimmed(readTextAfterFirstBlank(context)).substr(0, kRenderNameCapacity);
  if (isNo(name)) {
    noteFinish(table, detachRenderer(table, format.key));
    return 0;
  }
  if (name.empty()) {
    const std::string& output = context.run.outputName;
    name = output.substr(0, output.size() - extensionPart(output).size());
  }
  if (extensionPart(name).empty()) name += format.extension;
  name = name.substr(0, kRenderNameCapacity);

  // The file being written already: it goes on.
  if (sameFile(rendererName(table, format.key), name)) return 0;

  // Never over the table file or another renderer's file: both would be lost.
  bool taken = sameFile(context.run.outputName, name);
  for (const RenderFormat* other : kFormats) {
    if (other != &format && sameFile(rendererName(table, other->key), name)) taken = true;
  }
  std::unique_ptr<DocumentSink> sink = format.make();
  if (taken || sink->open(name) != 0) {
    console().printf("Unable to open %s for writing.\n", name.c_str());
    table.outputFailed = true;
    return -1;
  }
  noteFinish(table, attachRenderer(table, format.key, std::move(sink)));
  return 0;
}

}  // namespace

int16_t htmlCommand(StubContext& context) { return renderCommand(context, kHtml); }
int16_t markdownCommand(StubContext& context) { return renderCommand(context, kMarkdown); }
int16_t latexCommand(StubContext& context) { return renderCommand(context, kLatex); }

}  // namespace tabrix
