#include "table/pango_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "platform/console.h"
#include "table/markup_text.h"

// fontconfig keeps its configuration and font patterns for the life of the process
// (pango's font map holds them to the end): under LeakSanitizer they are not reported.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABRIX_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TABRIX_LEAK_CHECKED 1
#endif
#ifdef TABRIX_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpango\nleak:libharfbuzz\n";
}
#endif

namespace tabrix {

namespace {

// The characters numbers are drawn from through the glyph table.
constexpr std::string_view NumberCharacters = "0123456789.,-+% ";

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}


// A font name split into its family and the weight and slant its words give:
// "Arial Bold Italic" is Arial, bold and italic; "courierbold" is courier, bold.
struct NamedFace {
  std::string family;
  bool bold = false;
  bool italic = false;
};

NamedFace splitName(std::string_view name) {
  NamedFace named;
  std::string family(name);
  // The one-word forms of the font list: courierbold, timesitalic, ...
  const std::string low = lower(family);
  if (family.find(' ') == std::string::npos) {
    for (std::string_view stem : {"courier", "times"}) {
      if (low.rfind(stem, 0) == 0 && low.size() > stem.size()) {
        std::string_view rest = std::string_view(low).substr(stem.size());
        if (rest == "bold" || rest == "italic" || rest == "bolditalic") {
          named.bold = rest.find("bold") != std::string_view::npos;
          named.italic = rest.find("italic") != std::string_view::npos;
          family.resize(stem.size());
        }
      }
    }
  }
  // Trailing style words of the longer names.
  for (;;) {
    const std::size_t blank = family.rfind(' ');
    if (blank == std::string::npos) break;
    const std::string word = lower(std::string_view(family).substr(blank + 1));
    if (word == "bold" || word == "demibold" || word == "black") {
      named.bold = true;
    } else if (word == "italic" || word == "oblique") {
      named.italic = true;
    } else if (word != "regular" && word != "roman") {
      break;
    }
    family.resize(blank);
  }
  named.family = family;
  return named;
}

// The colour of a font's decimal 0x00BBGGRR text; false for none.
bool colourOf(const std::string& text, double& red, double& green, double& blue) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || value < 0 || value > 0xFFFFFF) return false;  // None and junk
  red = static_cast<double>(value & 0xFF) / 255.0;
  green = static_cast<double>((value >> 8) & 0xFF) / 255.0;
  blue = static_cast<double>((value >> 16) & 0xFF) / 255.0;
  return true;
}

}  // namespace

// One face at one size: its pango description and attributes, its metrics, and the
// shaped glyphs of the number characters.
struct TextSetter::Face {
  PangoFontDescription* description = nullptr;
  PangoAttrList* attributes = nullptr;
  double ascent = 0.0;
  double descent = 0.0;
  double red = 0.0, green = 0.0, blue = 0.0;
  char underline = 0;
  bool glyphsReady = false;
  cairo_scaled_font_t* scaledFont = nullptr;  // the font of every glyph in the table
  std::array<long, 128> glyph{};              // -1: not in the table
  std::array<double, 128> advance{};

  Face() { glyph.fill(-1); }
  ~Face() {
    if (scaledFont != nullptr) cairo_scaled_font_destroy(scaledFont);
    if (attributes != nullptr) pango_attr_list_unref(attributes);
    if (description != nullptr) pango_font_description_free(description);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
};

TextSetter::TextSetter() {
  PangoFontMap* map = pango_cairo_font_map_get_default();
  context_ = pango_font_map_create_context(map);
  pango_cairo_context_set_resolution(context_, 72.0);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context_, FALSE);
  layout_ = pango_layout_new(context_);

  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(map, &families, &count);
  for (int i = 0; i < count; ++i) families_.insert(lower(pango_font_family_get_name(families[i])));
  g_free(families);
}

TextSetter::~TextSetter() {
  faces_.clear();
  if (layout_ != nullptr) g_object_unref(layout_);
  if (context_ != nullptr) g_object_unref(context_);
}

bool TextSetter::installed(const std::string& family) const {
  const std::string low = lower(family);
  return families_.count(low) != 0 || low == "sans" || low == "serif" || low == "monospace";
}

TextStyle TextSetter::resolve(const VexFont& font, const TextStyle& base) {
  TextStyle style = base;
  if (!font.name.empty()) {
    const NamedFace named = splitName(font.name);
    if (installed(named.family)) {
      style.family = named.family;
    } else if (warned_.insert(font.name).second) {
      console().printf("Warning:  the font \"%s\" is not installed; %s is used.\n", font.name.c_str(),
                       base.family.c_str());
    }
    style.bold = style.bold || named.bold;
    style.italic = style.italic || named.italic;
  }
  if (font.size() > 0) style.size = font.size();
  style.bold = style.bold || font.bold;
  style.italic = style.italic || font.italic;
  if (font.underline != 0) style.underline = font.underline;
  double red = 0, green = 0, blue = 0;
  if (colourOf(font.colour, red, green, blue)) {
    style.red = red;
    style.green = green;
    style.blue = blue;
  }
  return style;
}

TextSetter::Face& TextSetter::face(const TextStyle& style) {
  char key[320];
  std::snprintf(key, sizeof key, "%s|%.2f|%d%d%c|%.3f,%.3f,%.3f", style.family.c_str(), style.size,
                style.bold ? 1 : 0, style.italic ? 1 : 0, style.underline == 0 ? ' ' : style.underline,
                style.red, style.green, style.blue);
  auto found = faces_.find(key);
  if (found != faces_.end()) return *found->second;

  auto made = std::make_unique<Face>();
  Face& f = *made;
  f.description = pango_font_description_new();
  pango_font_description_set_family(f.description, style.family.c_str());
  pango_font_description_set_absolute_size(f.description, style.size * PANGO_SCALE);
  pango_font_description_set_weight(f.description, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(f.description, style.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  f.attributes = pango_attr_list_new();
  pango_attr_list_insert(f.attributes, pango_attr_font_features_new("tnum=1"));
  if (style.underline != 0) {
    const bool twice = style.underline == '=' || style.underline == '~';
    pango_attr_list_insert(f.attributes,
                           pango_attr_underline_new(twice ? PANGO_UNDERLINE_DOUBLE : PANGO_UNDERLINE_SINGLE));
  }
  f.underline = style.underline;
  f.red = style.red;
  f.green = style.green;
  f.blue = style.blue;
  PangoFontMetrics* metrics = pango_context_get_metrics(context_, f.description, nullptr);
  f.ascent = pango_font_metrics_get_ascent(metrics) / static_cast<double>(PANGO_SCALE);
  f.descent = pango_font_metrics_get_descent(metrics) / static_cast<double>(PANGO_SCALE);
  pango_font_metrics_unref(metrics);
  faces_.emplace(key, std::move(made));
  return f;
}

void TextSetter::prepareLayout(std::string_view text, Face& face) {
  pango_layout_set_font_description(layout_, face.description);
  pango_layout_set_attributes(layout_, face.attributes);
  // Pango takes UTF-8 only; text that is not (a Windows-1252 title, a cut character) is
  // read as Windows-1252, as the other renderers read it.
  assignUtf8(layoutText_, text);
  pango_layout_set_text(layout_, layoutText_.data(), static_cast<int>(layoutText_.size()));
}

double TextSetter::width(std::string_view text, const TextStyle& style) {
  if (text.empty()) return 0.0;
  Face& f = face(style);
  prepareLayout(text, f);
  int width = 0;
  pango_layout_get_size(layout_, &width, nullptr);
  return width / static_cast<double>(PANGO_SCALE);
}

double TextSetter::ascent(const TextStyle& style) { return face(style).ascent; }
double TextSetter::descent(const TextStyle& style) { return face(style).descent; }
double TextSetter::digitWidth(const TextStyle& style) { return width("0", style); }

void TextSetter::prepareGlyphs(Face& f) {
  if (f.glyphsReady) return;
  f.glyphsReady = true;
  for (char c : NumberCharacters) {
    prepareLayout(std::string_view(&c, 1), f);
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout_, 0);
    if (line == nullptr || line->runs == nullptr || line->runs->next != nullptr) continue;
    auto* run = static_cast<PangoGlyphItem*>(line->runs->data);
    if (run->glyphs->num_glyphs != 1) continue;
    cairo_scaled_font_t* font = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(run->item->analysis.font));
    if (font == nullptr) continue;
    if (f.scaledFont == nullptr) {
      f.scaledFont = cairo_scaled_font_reference(font);
    } else if (f.scaledFont != font) {
      continue;  // set in another face: left to pango
    }
    const PangoGlyphInfo& info = run->glyphs->glyphs[0];
    if ((info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) continue;
    f.glyph[static_cast<unsigned char>(c)] = static_cast<long>(info.glyph);
    f.advance[static_cast<unsigned char>(c)] = info.geometry.width / static_cast<double>(PANGO_SCALE);
  }
}

bool TextSetter::drawGlyphs(cairo_t* cr, std::string_view text, Face& f, double x, double y, Align align) {
  if (f.underline != 0) return false;
  prepareGlyphs(f);
  if (f.scaledFont == nullptr || text.size() > 64) return false;
  std::array<cairo_glyph_t, 64> glyphs;
  std::array<cairo_text_cluster_t, 64> clusters;
  double advance = 0.0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 128 || f.glyph[c] < 0) return false;
    glyphs[i] = cairo_glyph_t{static_cast<unsigned long>(f.glyph[c]), advance, 0.0};
    clusters[i] = cairo_text_cluster_t{1, 1};
    advance += f.advance[c];
  }
  double left = x;
  if (align == Align::Right) left = x - advance;
  if (align == Align::Centre) left = x - advance / 2.0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    glyphs[i].x += left;
    glyphs[i].y = y;
  }
  cairo_set_scaled_font(cr, f.scaledFont);
  cairo_set_source_rgb(cr, f.red, f.green, f.blue);
  cairo_show_text_glyphs(cr, text.data(), static_cast<int>(text.size()), glyphs.data(),
                         static_cast<int>(text.size()), clusters.data(), static_cast<int>(text.size()),
                         static_cast<cairo_text_cluster_flags_t>(0));
  return true;
}

void TextSetter::drawRightAligned(cairo_t* cr, std::span<const Placed> texts, const TextStyle& style, double y) {
  if (texts.empty()) return;
  Face& f = face(style);
  prepareGlyphs(f);
  bool table = f.underline == 0 && f.scaledFont != nullptr;
  glyphs_.clear();
  clusters_.clear();
  utf8_.clear();
  for (const Placed& placed : texts) {
    if (!table) break;
    double advance = 0.0;
    for (char c : placed.text) {
      const auto u = static_cast<unsigned char>(c);
      if (u >= 128 || f.glyph[u] < 0) {
        table = false;
        break;
      }
      advance += f.advance[u];
    }
    double x = placed.right - advance;
    for (char c : placed.text) {
      const auto u = static_cast<unsigned char>(c);
      if (!table) break;
      glyphs_.push_back(cairo_glyph_t{static_cast<unsigned long>(f.glyph[u]), x, y});
      clusters_.push_back(cairo_text_cluster_t{1, 1});
      x += f.advance[u];
    }
    utf8_.append(placed.text);
  }
  if (!table) {
    // A character outside the glyph table: each text on its own.
    for (const Placed& placed : texts) draw(cr, placed.text, style, placed.right, y, Align::Right);
    return;
  }
  if (glyphs_.empty()) return;
  cairo_set_scaled_font(cr, f.scaledFont);
  cairo_set_source_rgb(cr, f.red, f.green, f.blue);
  cairo_show_text_glyphs(cr, utf8_.data(), static_cast<int>(utf8_.size()), glyphs_.data(),
                         static_cast<int>(glyphs_.size()), clusters_.data(), static_cast<int>(clusters_.size()),
                         static_cast<cairo_text_cluster_flags_t>(0));
}

void TextSetter::draw(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double y,
                      Align align) {
  if (text.empty()) return;
  Face& f = face(style);
  if (drawGlyphs(cr, text, f, x, y, align)) return;
  prepareLayout(text, f);
  int width = 0;
  pango_layout_get_size(layout_, &width, nullptr);
  const double advance = width / static_cast<double>(PANGO_SCALE);
  const double baseline = pango_layout_get_baseline(layout_) / static_cast<double>(PANGO_SCALE);
  double left = x;
  if (align == Align::Right) left = x - advance;
  if (align == Align::Centre) left = x - advance / 2.0;
  cairo_set_source_rgb(cr, f.red, f.green, f.blue);
  cairo_move_to(cr, left, y - baseline);
  pango_cairo_show_layout(cr, layout_);
}

void TextSetter::drawUpwards(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double y) {
  if (text.empty()) return;
  Face& f = face(style);
  prepareLayout(text, f);
  int width = 0;
  int height = 0;
  pango_layout_get_size(layout_, &width, &height);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -std::numbers::pi / 2.0);
  pango_cairo_update_layout(cr, layout_);
  cairo_set_source_rgb(cr, f.red, f.green, f.blue);
  cairo_move_to(cr, -width / (2.0 * PANGO_SCALE), -height / (2.0 * PANGO_SCALE));
  pango_cairo_show_layout(cr, layout_);
  cairo_restore(cr);
  pango_cairo_update_context(cr, context_);
  pango_layout_context_changed(layout_);
}

}  // namespace tabrix
