#include "table/table_line.h"

#include <memory>

#include "table/outputs.h"

namespace tabrix {

TableLine::TableLine() {
  for (RoleFont& role : fonts) {
    role.pointWord = "point";
    role.pitchWord = "pitch";
  }
  fonts[BodyFont].fontWord = "lineprinter";
  resetDateFont(*this);
  useTableTarget(*this, TableTarget::Text);
}

void setDriverDefaults(TableSettings& table) {
  table.pageLength = 66;
  table.topMargin = 3;
  table.bottomMargin = 9;
  table.titleWidth = 32;
  table.fieldWidth = 7;
  table.decs = 1;
}

void resetDateFont(TableSettings& table) {
  VexFont& font = table.fonts[DateFont].font;
  font.underline = '=';   // "UnderlineDouble"
  font.horizontal = 'c';  // "center"
}

}  // namespace tabrix
