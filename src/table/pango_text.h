// TextSetter: text set with pango on a cairo surface, for the PDF pages and the charts.
// It resolves the table's font roles to the faces installed (a face that is missing
// falls back to the default face, with one warning naming it), measures and draws
// single lines of text by their baseline, and draws numbers through a table of shaped
// glyphs, so that a page of a thousand cells costs one shaping per face and size.
// Sizes are in points; the surfaces' unit is the point (pango is set to 72 dpi, with
// hinting off, so widths scale exactly with the size).
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/vex_font.h"

namespace tabrix {

// The face the PDF pages and charts are set in unless a font role names another.
inline constexpr const char* DefaultFace = "DejaVu Sans";

// How a run of text looks.
struct TextStyle {
  std::string family = DefaultFace;  // an installed family
  double size = 9.0;                 // points
  bool bold = false;
  bool italic = false;
  char underline = 0;                // 0 none, '-' or '_' single, '=' or '~' double
  double red = 0.0, green = 0.0, blue = 0.0;  // 0..1

  // The same style at another size.
  TextStyle at(double newSize) const {
    TextStyle style = *this;
    style.size = newSize;
    return style;
  }
};

// Where x lies on the text drawn.
enum class Align { Left, Centre, Right };

class TextSetter {
 public:
  TextSetter();
  ~TextSetter();
  TextSetter(const TextSetter&) = delete;
  TextSetter& operator=(const TextSetter&) = delete;

  // The style of a font role: base with what the font names (face, size, bold, italic,
  // underline, colour) applied. A face that is not installed leaves base's face and is
  // reported once per name.
  TextStyle resolve(const VexFont& font, const TextStyle& base);

  // The advance of the text set in style.
  double width(std::string_view text, const TextStyle& style);
  // The height above the baseline and below it of the style's face.
  double ascent(const TextStyle& style);
  double descent(const TextStyle& style);
  // The advance of a digit (the face's tabular figures).
  double digitWidth(const TextStyle& style);

  // Draws one line of text with its baseline at y; x is its left edge, centre or right
  // edge as align says. The colour is the style's.
  void draw(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double y,
            Align align = Align::Left);
  // Draws texts, each with its right edge at its x, on one baseline y: the cells of a
  // row, set in one go.
  struct Placed {
    std::string_view text;
    double right = 0.0;
  };
  void drawRightAligned(cairo_t* cr, std::span<const Placed> texts, const TextStyle& style, double y);
  // The same for text lines rotated a quarter turn counter-clockwise (an axis title):
  // the text's centre at (x, y), reading upwards.
  void drawUpwards(cairo_t* cr, std::string_view text, const TextStyle& style, double x, double y);

 private:
  struct Face;
  Face& face(const TextStyle& style);
  void prepareLayout(std::string_view text, Face& face);
  // Draws text through the face's glyph table; false when a character is not in it.
  bool drawGlyphs(cairo_t* cr, std::string_view text, Face& face, double x, double y, Align align);
  // Shapes the face's number characters once.
  void prepareGlyphs(Face& face);
  std::vector<cairo_glyph_t> glyphs_;            // scratch for drawRightAligned
  std::vector<cairo_text_cluster_t> clusters_;
  std::string utf8_;
  std::string layoutText_;  // the text of the layout, as UTF-8
  bool installed(const std::string& family) const;

  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  std::map<std::string, std::unique_ptr<Face>> faces_;
  std::set<std::string> families_;  // installed families, lower case
  std::set<std::string> warned_;    // faces already reported missing
};

}  // namespace tabrix
