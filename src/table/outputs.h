// The renderers attached beside the table's own targets. Each is a TableSink under a key
// ("html", "markdown", "latex", "pdf"); the composer hands it every page composed while
// it is attached.
#pragma once

#include <memory>
#include <string_view>

#include "table/table_line.h"
#include "table/table_sink.h"

namespace tabrix {

// Renderers attached beside the table's own targets, each under a key
// ("html", "markdown", "latex", "pdf"). Every attached renderer receives every
// page composed after it is attached; a renderer attached in the middle of a page
// first receives beginPage with the current page's setup, so every sink sees a
// well-formed sequence (beginPage ... endPage), and endPage is sent before finish.
// A renderer already under the key is finished first; returns that finish status
// (0 when there was none).
[[nodiscard]] int attachRenderer(TableLine& table, std::string_view key, std::unique_ptr<TableSink> sink);
// Finishes and removes the renderer under key; its finish() status, 0 when none.
[[nodiscard]] int detachRenderer(TableLine& table, std::string_view key);
// True while a renderer is attached under key.
bool hasRenderer(const TableLine& table, std::string_view key);
// The renderer under key, or nullptr.
TableSink* renderer(TableLine& table, std::string_view key);
// At the end of the run: contents() to each (with \toc), then finish() for every
// renderer; -1 when any failed.
[[nodiscard]] int finishRenderers(TableLine& table);

// The table's own target, picked when a target command runs (the one place that picks
// it): the text table (plain, PCL, print file, RTF and the record layouts, as the
// settings give), or the worksheet the table's writer holds (\wk1, \xls). The text file
// and the worksheet writer are the caller's to open, close or delete.
enum class TableTarget { Text, Worksheet };
void useTableTarget(TableLine& table, TableTarget target);

// Finishes and closes the table's worksheet writer, when it holds one (the WK1 file
// gets its dimensions, the workbook is saved), and drops it. A failed write of the
// worksheet (reported) sets outputFailed.
void closeWorksheet(TableLine& table);

// A renderer that failed (at attaching over it, detaching or finishing) also sets the
// table's outputFailed, so the run ends with a failure status whatever the caller does
// with the status returned.

}  // namespace tabrix
