#include "banks/data_bank.h"

#include <cstdarg>

#include "platform/console.h"
#include "platform/keys.h"
#include "support/text.h"

namespace tabrix {

DataBank::DataBank() : seriesCount_(0) {}

DataBank::DataBank(std::string_view /*rootName*/)
    : startYear_(1965), seriesCount_(0), frequency_(1), observations_(MaxObs) {}

DataBank::~DataBank() = default;

uint16_t DataBank::baseYear() const { return startYear_; }

void DataBank::printMessage(int number, ...) const {
  const char* format = messages_.fetch("msgbk", number);
  if (format == nullptr) return;
  va_list args;
  va_start(args, number);
  console().vprintConstant(format, args);  // a catalogue entry
  va_end(args);
}

int16_t DataBank::printInfo(int16_t bankNumber) {
  printMessage(19);
  printMessage(3, title_.c_str());
  if (kind_ == 'w') {
    printMessage(4, static_cast<int>(startYear_), static_cast<int>(startPeriod_));
  } else if (kind_ == 'd' || kind_ == 'v') {
    printMessage(66, static_cast<int>(startYear_));
  }
  printMessage(5, static_cast<int>(observations_));
  printMessage(6, static_cast<int>(seriesCount_));
  if (bankNumber != 0) printMessage(65, 'a' + bankNumber);
  return 0;
}

const char* DataBank::setTitle(std::string_view text) {
  title_.assign(text.substr(0, MaxTitleLength));
  return title_.c_str();
}

// ---- NameLister ----

NameLister::NameLister(std::FILE* output, std::string_view pattern, int namesPerLine,
                       const VexMessage& messages, bool clearFirst, int namesPerPage)
    : toConsole_(output == nullptr || output == stdout),
      output_(output),
      pattern_(pattern),
      namesPerLine_(namesPerLine > 0 ? namesPerLine : 1),
      namesPerPage_(namesPerPage > 0 ? namesPerPage : 24 * namesPerLine_),
      messages_(messages) {
  if (toConsole_ && clearFirst) {
    console().clearScreen();
    console().moveCursor(1, 1);
  }
}

bool NameLister::offer(std::string_view name) {
  if (stopped_) return false;
  if (wildcardMatch(name, pattern_) == 0) return true;
  std::string text(name);
  if (printed_ > 0 && printed_ % namesPerLine_ == 0) {
    if (toConsole_) {
      console().write("\r\n");
    } else {
      std::fputs("\n", output_);
    }
  }
  if (toConsole_ && printed_ > 0 && printed_ % namesPerPage_ == 0) {
    console().write("\r");
    if (const char* more = messages_.fetch("msglsc", 11)) console().write(more);
    console().flush();
    int key = keySource().readKey();
    // An extended key arrives as 0 and its scan code; take both, so the scan code is
    // not left over for the next prompt.
    if (key == 0) keySource().readKey();
    if (key == key::kEscape) {
      stopped_ = true;
      return false;
    }
    console().clearScreen();
    console().moveCursor(1, 1);
  }
  if (toConsole_) {
    console().printf("%-15s", text.c_str());
  } else {
    std::fprintf(output_, "%-15s", text.c_str());
  }
  ++printed_;
  return true;
}

}  // namespace tabrix
