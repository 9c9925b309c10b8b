#include "table/pdf_sink.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"
#include "table/pdf_chart.h"

namespace tabrix {

namespace {

// Leading blanks of a laid-out line (a quoted print-file field counts its quote).
int leadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? 0 : static_cast<int>(first);
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// The creation time written into the file: SOURCE_DATE_EPOCH when it is set, so that
// equal runs give equal files; otherwise cairo's own (the current time).
void setCreationDate(cairo_surface_t* surface) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr || *epoch == '\0') return;
  char* end = nullptr;
  const long long seconds = std::strtoll(epoch, &end, 10);
  if (end == epoch || *end != '\0') return;
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm utc{};
  if (gmtime_r(&when, &utc) == nullptr) return;
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, text);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_MOD_DATE, text);
}

// A rule of character from x0 to x1 at y: '=' and '~' draw two lines.
void drawRule(cairo_t* cr, char character, double x0, double x1, double y, double size) {
  const double thickness = std::max(0.3, size / 18.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, thickness);
  const bool twice = character == '=' || character == '~';
  for (int k = 0; k < (twice ? 2 : 1); ++k) {
    const double at = y + (twice ? (k == 0 ? -1.0 : 1.0) * thickness * 1.2 : 0.0);
    cairo_move_to(cr, x0, at);
    cairo_line_to(cr, x1, at);
  }
  cairo_stroke(cr);
}

}  // namespace

PdfSink::PdfSink(const std::array<RoleFont, FontRoleCount>* fonts) : fonts_(fonts) {}

PdfSink::~PdfSink() {
  if (cr_ != nullptr || file_ != nullptr) abandon();
}

int PdfSink::open(std::string_view name) {
  abandon();
  abandoned_ = false;
  finished_ = false;
  failed_ = 0;
  pagesWritten_ = 0;
  const std::string path = toPath(name);
  file_ = outputAllowed(path) ? std::fopen(path.c_str(), "wb") : nullptr;
  if (file_ == nullptr) return -1;
  name_.assign(name);
  surface_ = cairo_pdf_surface_create_for_stream(&PdfSink::writeOut, this, A4Width, A4Height);
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "Tabrix");
  setCreationDate(surface_);
  cr_ = cairo_create(surface_);
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) noteFailure();
  return 0;
}

cairo_status_t PdfSink::writeOut(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<PdfSink*>(closure);
  if (sink->abandoned_ || sink->file_ == nullptr) return CAIRO_STATUS_SUCCESS;
  if (sink->failed_ != 0) return CAIRO_STATUS_WRITE_ERROR;
  if (writeOutput(data, length, sink->file_) != length) {
    sink->noteFailure();
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

void PdfSink::noteFailure() {
  if (failed_ != 0) return;
  failed_ = -1;
  console().printf("\nError:  Could not write %s; the table in it is incomplete.\r\n", name_.c_str());
}

int PdfSink::status() const { return failed_; }

void PdfSink::beginPage(const PageSetup& setup) {
  if (pageOpen_) endPage();
  setup_ = setup;
  pageOpen_ = true;
  items_.clear();
  // The roles' styles: each over the body's, the title's bold; the date labels take
  // their underline from \underline, not from the date font.
  TextStyle base;
  base.size = BodySize;
  static const std::array<RoleFont, FontRoleCount> defaults{};
  const auto& fonts = fonts_ != nullptr ? *fonts_ : defaults;
  const TextStyle body = text_.resolve(fonts[BodyFont].font, base);
  for (int r = 0; r < FontRoleCount; ++r) {
    TextStyle over = body;
    over.underline = 0;
    if (r == TitleFont) over.bold = true;
    styles_[static_cast<std::size_t>(r)] = r == BodyFont ? body : text_.resolve(fonts[static_cast<std::size_t>(r)].font, over);
  }
  styles_[DateFont].underline = 0;
}

void PdfSink::add(Item item) {
  if (!pageOpen_) beginPage(setup_);
  items_.push_back(std::move(item));
}

void PdfSink::headerLine(const HeaderLine& line) {
  Item item;
  switch (line.kind) {
    case HeaderKind::Head:
      item.kind = Item::Head;
      item.role = HeadFont;
      item.text = trimmed(line.text);
      item.extra = trimmed(line.pageText);
      break;
    case HeaderKind::Title:
    case HeaderKind::Subtitle:
      item.kind = Item::Centred;
      item.role = TitleFont;
      item.text = trimmed(line.text);
      item.emphasis = true;
      break;
    case HeaderKind::ListHeading:
      item.kind = Item::Centred;
      item.role = BankFont;
      item.text = trimmed(line.text);
      break;
    case HeaderKind::Alternative:
    case HeaderKind::Sentence:
      item.kind = Item::Indented;
      item.role = BankFont;
      item.text = trimmed(line.text);
      item.column = leadingBlanks(line.laidOut);
      break;
  }
  add(std::move(item));
}

void PdfSink::dateRow(std::span<const DateLabel> labels, std::string_view /*laidOut*/) {
  Item item;
  item.kind = Item::Dates;
  item.role = DateFont;
  int column = setup_.titleWidth;
  for (const DateLabel& label : labels) {
    column += label.width;
    if (label.spacer || label.label.empty()) continue;
    item.pieces.push_back(Item::Piece{column, label.width, std::string(trimmed(label.label))});
  }
  add(std::move(item));
}

void PdfSink::dateUnderline(char character, std::string_view /*laidOut*/) {
  Item item;
  item.kind = Item::Underline;
  item.role = DateFont;
  item.character = character;
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    if (it->kind == Item::Dates) {
      item.pieces = it->pieces;
      break;
    }
  }
  add(std::move(item));
}

void PdfSink::beginLine(std::string_view /*title*/) {}

void PdfSink::valueRow(const ValueRow& row) {
  Item item;
  item.kind = Item::Row;
  item.role = NameFont;
  if (row.carriesTitle) {
    item.text = trimmed(row.title);
    item.column = leadingBlanks(row.title);  // an indented title stays indented
  }
  int column = setup_.titleWidth;
  item.pieces.reserve(row.cells.size());
  for (const Cell& cell : row.cells) {
    column += cell.width;
    if (cell.kind == CellKind::Number || cell.kind == CellKind::Missing) {
      std::string_view shown = trimmed(cell.text);
      if (!shown.empty()) item.pieces.push_back(Item::Piece{column, cell.width, std::string(shown)});
    }
  }
  add(std::move(item));
}

void PdfSink::endLine() {}

void PdfSink::textLine(std::string_view text, bool centred, std::string_view laidOut) {
  Item item;
  item.kind = Item::Text;
  item.role = NameFont;
  item.text = trimmed(text);
  item.emphasis = centred;
  item.column = centred ? 0 : leadingBlanks(laidOut.empty() ? text : laidOut);
  if (item.text.empty()) {
    blankLines(1);
    return;
  }
  add(std::move(item));
}

void PdfSink::pageFoot(std::string_view stamp, std::string_view /*laidOut*/) {
  Item item;
  item.kind = Item::Foot;
  item.text = trimmed(stamp);
  if (item.text.empty()) return;
  // The empty line above the stamp is the text table's: the stamp has its own place.
  if (!items_.empty() && items_.back().kind == Item::Blank) items_.pop_back();
  add(std::move(item));
}

void PdfSink::rule(char character, std::string_view /*laidOut*/) {
  Item item;
  item.kind = Item::Rule;
  item.character = character;
  add(std::move(item));
}

void PdfSink::blankLines(int count) {
  if (count <= 0) return;
  if (!items_.empty() && items_.back().kind == Item::Blank) {
    items_.back().count += count;
    return;
  }
  Item item;
  item.kind = Item::Blank;
  item.count = count;
  add(std::move(item));
}

void PdfSink::chart(const ChartData& chart) {
  if (pageOpen_) {
    charts_.push_back(chart);
    return;
  }
  charts_.push_back(chart);
  drawCharts();
}

void PdfSink::endPage() {
  if (!pageOpen_) return;
  pageOpen_ = false;
  drawPage();
  items_.clear();
  drawCharts();
}

void PdfSink::drawPage() {
  // The page's blank lines at its top and foot are the text table's margins: the PDF
  // page has margins of its own.
  std::size_t first = 0;
  std::size_t last = items_.size();
  while (first < last && items_[first].kind == Item::Blank) ++first;
  while (last > first && items_[last - 1].kind == Item::Blank) --last;
  if (!ready() || first == last) return;

  // Widths and heights at the body size.
  const TextStyle& body = styles_[BodyFont];
  const double nominal = body.size;
  const double unit = text_.digitWidth(body);
  const double tableWidth = std::max(0, setup_.tableWidth) * unit;
  double needed = tableWidth;
  double height = 0.0;
  std::vector<double> heights(items_.size(), 0.0);
  for (std::size_t i = first; i < last; ++i) {
    const Item& item = items_[i];
    const TextStyle& style = roleStyle(item.role);
    double extent = 0.0;
    switch (item.kind) {
      case Item::Head:
        extent = text_.width(item.text, style) + text_.width(item.extra, style) + 2 * unit;
        break;
      case Item::Centred:
        extent = text_.width(item.text, style);
        break;
      case Item::Indented:
      case Item::Text:
        extent = item.column * unit + text_.width(item.text, style);
        break;
      case Item::Dates:
      case Item::Row:
        // A row may reach past the page's table width (a chart block's dates).
        for (const Item::Piece& piece : item.pieces) extent = std::max(extent, piece.right * unit);
        break;
      default:
        break;
    }
    needed = std::max(needed, extent);
    double lineHeight = LineSpacing * std::max(nominal, style.size);
    if (item.kind == Item::Blank) lineHeight = LineSpacing * nominal * item.count;
    if (item.kind == Item::Underline) lineHeight = LineSpacing * nominal * 0.5;
    if (item.kind == Item::Foot) lineHeight = 0.0;
    heights[i] = lineHeight;
    height += lineHeight;
  }

  // Portrait when the table fits across at the body size; then the size that fits.
  const bool landscape = setup_.landscape || needed > A4Width - 2 * PageMargin;
  const double pageWidth = landscape ? A4Height : A4Width;
  const double pageHeight = landscape ? A4Width : A4Height;
  const double roomAcross = pageWidth - 2 * PageMargin;
  const double roomDown = pageHeight - 2 * PageMargin;
  double scale = 1.0;
  if (needed > roomAcross) scale = std::min(scale, roomAcross / needed);
  if (height > roomDown) scale = std::min(scale, roomDown / height);
  const double least = std::min(nominal, LeastBodySize) / nominal;
  scale = std::max(scale, least);

  std::array<TextStyle, FontRoleCount> styles;
  for (std::size_t r = 0; r < styles.size(); ++r) styles[r] = styles_[r].at(styles_[r].size * scale);
  const double size = nominal * scale;
  const double u = unit * scale;
  const double blockWidth = needed * scale;
  const double x0 = PageMargin + std::max(0.0, (roomAcross - blockWidth) / 2.0);
  const double tableRight = x0 + tableWidth * scale;
  const double centre = x0 + (tableWidth > 0 ? tableWidth * scale : blockWidth) / 2.0;

  cairo_pdf_surface_set_size(surface_, pageWidth, pageHeight);
  double top = PageMargin;
  double lastBaseline = top;
  for (std::size_t i = first; i < last; ++i) {
    const Item& item = items_[i];
    const TextStyle& style = styles[static_cast<std::size_t>(item.role)];
    const double boxHeight = heights[i] * scale;
    const double baseline = top + (boxHeight + text_.ascent(style) - text_.descent(style)) / 2.0;
    switch (item.kind) {
      case Item::Head:
        text_.draw(cr_, item.text, style, x0, baseline);
        text_.draw(cr_, item.extra, style, std::min(std::max(tableRight, x0 + blockWidth), pageWidth - PageMargin),
                   baseline, Align::Right);
        break;
      case Item::Centred:
        text_.draw(cr_, item.text, style, centre, baseline, Align::Centre);
        break;
      case Item::Indented:
        text_.draw(cr_, item.text, style, x0 + item.column * u, baseline);
        break;
      case Item::Text:
        if (item.emphasis) {
          text_.draw(cr_, item.text, style, centre, baseline, Align::Centre);
        } else {
          text_.draw(cr_, item.text, style, x0 + item.column * u, baseline);
        }
        break;
      case Item::Dates:
        for (const Item::Piece& piece : item.pieces) {
          text_.draw(cr_, piece.text, style, x0 + piece.right * u, baseline, Align::Right);
        }
        break;
      case Item::Underline:
        for (const Item::Piece& piece : item.pieces) {
          const double right = x0 + piece.right * u;
          const double left = right - text_.width(piece.text, style);
          drawRule(cr_, item.character, left, right, lastBaseline + 0.35 * size, size);
        }
        break;
      case Item::Row: {
        if (!item.text.empty()) {
          // A title wider than its column is set smaller, not over the numbers.
          const double indent = item.column * u;
          const double room = std::max(1.0, (setup_.titleWidth - 1) * u - indent);
          const double wide = text_.width(item.text, style);
          const TextStyle fitted = wide > room ? style.at(style.size * room / wide) : style;
          text_.draw(cr_, item.text, fitted, x0 + indent, baseline);
        }
        placed_.clear();
        for (const Item::Piece& piece : item.pieces) placed_.push_back({piece.text, x0 + piece.right * u});
        text_.drawRightAligned(cr_, placed_, styles[DataFont], baseline);
        break;
      }
      case Item::Rule:
        drawRule(cr_, item.character, x0, tableWidth > 0 ? tableRight : x0 + blockWidth, top + boxHeight / 2.0,
                 size);
        break;
      case Item::Foot:
        // The time stamp at the foot of the page, centred.
        text_.draw(cr_, item.text, style, pageWidth / 2.0, pageHeight - PageMargin / 2.0, Align::Centre);
        break;
      case Item::Blank:
        break;
    }
    if (item.kind != Item::Blank && item.kind != Item::Underline) lastBaseline = baseline;
    top += boxHeight;
  }
  cairo_show_page(cr_);
  ++pagesWritten_;
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) noteFailure();
}

void PdfSink::drawCharts() {
  std::vector<ChartData> charts = std::move(charts_);
  charts_.clear();
  for (const ChartData& chart : charts) {
    if (!ready()) return;
    cairo_pdf_surface_set_size(surface_, A4Height, A4Width);
    drawChart(cr_, text_, chart, A4Height, A4Width);
    cairo_show_page(cr_);
    ++pagesWritten_;
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) noteFailure();
  }
}

void PdfSink::contents(const toc& entries, std::string_view pagePrefix) {
  if (pageOpen_) endPage();
  if (!ready() || entries.entryCount() == 0) return;
  TextStyle body;
  body.size = 10.0;
  TextStyle heading = body.at(12.0);
  heading.bold = true;
  const double lineHeight = LineSpacing * body.size * 1.5;
  const double left = PageMargin + 36.0;
  const double right = A4Width - PageMargin - 36.0;
  double y = A4Height;  // no page begun yet
  auto newPage = [&]() {
    if (y != A4Height) {
      cairo_show_page(cr_);
      ++pagesWritten_;
    }
    cairo_pdf_surface_set_size(surface_, A4Width, A4Height);
    y = PageMargin + 24.0;
    if (entries.hasTitle() && !entries.title().empty()) {
      text_.draw(cr_, entries.title(), heading, A4Width / 2.0, y, Align::Centre);
      y += 2 * lineHeight;
    }
    text_.draw(cr_, "TABLE OF CONTENTS", heading, A4Width / 2.0, y, Align::Centre);
    y += 2 * lineHeight;
  };
  newPage();
  for (int i = 0; i < entries.entryCount(); ++i) {
    if (y > A4Height - PageMargin - 12.0) newPage();
    const TocEntry& entry = entries.entry(i);
    char number[32];
    std::snprintf(number, sizeof number, "TABLE %2d.", i + 1);
    const std::string pageText = std::string(pagePrefix) + " " + std::to_string(entry.page);
    const double pageWide = text_.width(pageText, body);
    const double numberWide = text_.width("TABLE 00.", body) + 6.0;
    text_.draw(cr_, trimmed(number), body, left, y);
    // A title too long for its room is set smaller.
    const double room = right - left - numberWide - pageWide - 12.0;
    const double wide = text_.width(entry.title, body);
    const TextStyle fitted = wide > room && room > 0 ? body.at(body.size * room / wide) : body;
    text_.draw(cr_, entry.title, fitted, left + numberWide, y);
    text_.draw(cr_, pageText, body, right, y, Align::Right);
    y += lineHeight;
  }
  cairo_show_page(cr_);
  ++pagesWritten_;
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) noteFailure();
}

int PdfSink::finish() {
  if (finished_ || abandoned_) return failed_;
  if (pageOpen_) endPage();
  drawCharts();
  finished_ = true;
  if (cr_ != nullptr) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (surface_ != nullptr) {
    cairo_surface_finish(surface_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) noteFailure();
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  if (file_ != nullptr) {
    const bool failed = std::ferror(file_) != 0;
    if (closeOutput(file_) != 0 || failed) noteFailure();
    file_ = nullptr;
  }
  return failed_;
}

void PdfSink::abandon() {
  abandoned_ = true;
  pageOpen_ = false;
  items_.clear();
  charts_.clear();
  if (cr_ != nullptr) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (surface_ != nullptr) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

}  // namespace tabrix
