#include "driver/run_driver.h"

#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

#include "banks/bank_factory.h"
#include "banks/bank_files.h"
#include "banks/workspace_bank.h"
#include "driver/args.h"
#include "driver/bank_path.h"
#include "groups/group_home.h"
#include "stub/run_state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "platform/run_files.h"
#include "reader/chopper.h"
#include "stub/interpreter.h"
#include "reader/line_editor.h"
#include "support/text.h"
#include "table/outputs.h"
#include "table/page.h"
#include "table/printer_controls.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

constexpr const char* kVersion = TABRIX_VERSION;
// Answers of the count, bank kinds, names and show mode; and of the two file names.
constexpr int kShortAnswer = 79;
constexpr int kFileAnswer = 118;
// The sixth wrong answer ends the dialogue.
constexpr int kWrongAnswerLimit = 6;

constexpr const char* kWarningText =
    "\r\n\r\nTabrix Warning Message:\r\nThere have been more than 5 wrong responses.\n\r"
    "Check the input response file, or what you are typing.\n\r"
    "A common problem is that one or more banks doesn't exist.\n\r"
    "You may also want to check the bank type you are giving.\r\n"
    "Do you have the manual: \"How to Use Tabrix\"?\r\n";

constexpr const char* kUsage =
    "Usage: tabrix [-s] [RESPONSE-FILE]\n"
    "       tabrix --help | --version\n"
    "\n"
    "Makes comparison tables of up to ten alternatives (runs of a model stored in data\n"
    "banks) from a stub file. The answers to its questions (the number of alternatives,\n"
    "each one's bank kind and name, the show mode, the stub, the output file) are read\n"
    "from RESPONSE-FILE, one a line, or typed at the keyboard when no file is named.\n"
    "\n"
    "  -s, -S, -silent   no prompts and no echoes of the answers (also /s, /S, /silent)\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "Exit status: 0 the run went through; 1 it ended at once (a missing add-file\n"
    "argument, Escape at a key prompt, ...) or the command line was refused; 2 a file\n"
    "could not be opened or written, or the dialogue ended at the wrong-answer limit.\n"
    "See tabrix(1) and the docs/ folder.\n";

void allocationFailure() {
  console().write("\n\nWARNING!!\n");
  console().write("Error allocating memory.  Check your stub file.\n");
  console().write("If you're having memory problems, you may also want to try tabrixx.\r\n");
  endProcess(1);
}

// How a step of the dialogue ends.
enum class Step {
  kNext,        // go on
  kEndSection,  // close down in order; no table
  kStopNow,     // leave at once, without the end section
};

class Driver {
 public:
  Driver(int argc, char** argv) : args_(argc, argv) {}
  int run();

 private:
  // Writes a prompt or an echo unless quiet.
  void say(const char* text) {
    if (!state_.quiet) console().write(text);
  }
  void sayf(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (state_.quiet) return;
    va_list args;
    va_start(args, format);
    console().vprintf(format, args);
    va_end(args);
  }
  // Counts a wrong answer; true when this one reaches the limit (the warning is written).
  bool wrongAnswer();
  void read(std::string& answer, int bound) {
    readAnswer(state_.responseSource, answer, bound, answerEditor_);
  }

  Step startUp();
  Step askCount();
  Step askBanks();
  Step askBank(int alternative);
  void askShowMode();
  Step askStub();
  Step askOutput();
  void makeTable();
  void endSection();

  Args args_;
  RunState state_;
  TableLine table_;
  int wrongResponses_ = 0;
  int altCount_ = 1;
  // The process exit status: 0, or RunFailed when a file the run needs could not be
  // opened (response file, bank, stub, output), an output could not be written, or the
  // dialogue ended at the wrong-answer limit.
  int exitStatus_ = 0;
  std::string responseName_;
  LineEditor answerEditor_;  // typed dialogue answers, with their own history
};

bool Driver::wrongAnswer() {
  if (++wrongResponses_ < kWrongAnswerLimit) return false;
  console().write(kWarningText);
  // No table is written: the run stopped, as when a file cannot be opened.
  exitStatus_ = RunFailed;
  return true;
}

Step Driver::startUp() {
  setAllocationFailureHandler(allocationFailure);
  state_.quiet = args_.hasSwitch("s") || args_.hasSwitch("S") || args_.hasSwitch("silent");
  setDriverDefaults(table_);
  state_.scratchMade = false;
  state_.sortInProgress = false;
  table_.altMissing.fill(false);
  state_.groups = std::make_unique<GroupHome>();
  state_.matlistConfig = "matlist.cfg";
  showBanner();
  state_.reader->setSource(stdin);
  if (args_.plainCount() == 2) {
    responseName_ = args_.plain(1);
    state_.responseSource = openRunInput(responseName_, "r");
    if (state_.responseSource == nullptr) {
      console().printf("Cannot open %s.", responseName_.c_str());
      exitStatus_ = RunFailed;
      return Step::kEndSection;
    }
  }
  return Step::kNext;
}

Step Driver::askCount() {
  std::string answer;
  while (true) {
    say("How many alternatives?  ");
    read(answer, kShortAnswer);
    // A non-numeric answer leaves the count as it was.
    char* end = nullptr;
    long value = std::strtol(answer.c_str(), &end, 10);
    if (end != answer.c_str()) altCount_ = value < -99999 ? -99999 : value > 99999 ? 99999 : static_cast<int>(value);
    if (altCount_ >= 1 && altCount_ <= MaxAlternatives) break;
    console().printf("\r\nSorry, you can't have %d alternatives.\r\n", altCount_);
    if (wrongAnswer()) return Step::kEndSection;
  }
  if (!state_.quiet) console().printf("%d\r\n", altCount_);
  state_.vamOnly = true;
  wrongResponses_ = 0;
  return Step::kNext;
}

Step Driver::askBank(int alternative) {
  std::string answer;
  std::string name;
  std::string description;
  while (true) {
    if (!state_.quiet) console().printf("Alternative %d:\r\n", alternative);
    say("Bank type (w=workspace,c=compressed,h=hashed bank,d=dirfor,v=vam):");
    read(answer, kShortAnswer);
    char kind = answer.empty() ? '\0' : answer[0];
    const char* wrong = nullptr;
    description = std::string(DefaultDirforDescription);
    if (kind == 'v') {
      say("Root name of Vam file: ");
      read(name, kShortAnswer);
      stripQuotes(name);
      size_t dot = name.find_last_of('.');
      size_t slash = name.find_last_of("\\/");
      if (name.empty()) {
        wrong = "Must give name of Vam file.\r\n";
      } else if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        wrong = "Do not give file extension.  It will be assumed!\r\n";
      }
    } else if (kind == 'd') {
      say("Name of dirfor: ");
      read(name, kShortAnswer);
      stripQuotes(name);
      if (name.empty()) {
        wrong = "Must give name of dirfor.\n";
      } else {
        console().write("Name of dirfor.dat ({enter} to accept \"dirfor.dat\"): ");
        read(description, kShortAnswer);
        stripQuotes(description);
        if (description.empty()) description = std::string(DefaultDirforDescription);
        state_.vamOnly = false;
      }
    } else if (kind == 'w' || kind == 'c' || kind == 'h') {
      say("Root name of bank: ");
      read(name, kShortAnswer);
      stripQuotes(name);
      if (name.empty()) {
        wrong = "Must give root name of bank.\n";
      } else if (name.find('.') != std::string::npos) {
        wrong = "Do not give file extension.  It will be assumed!\n";
      } else {
        state_.vamOnly = false;
      }
    } else {
      wrong = "Illegal choice.  Pick w,c,h,d or v\n";
    }
    if (wrong != nullptr) {
      console().write(wrong);
      if (wrongAnswer()) return Step::kEndSection;
      continue;
    }

    const BankKind* bankKind = findBankKind(kind);
    // A dirfor name may name its data file whole ("run.dfr"); the bank opens it as it is.
    const std::string_view extension = kind == 'd' && fileNameHasDot(name) ? "" : bankKind->extension;
    std::string rootPath;
    if (resolveBankPath(name, extension, rootPath) != 0) {
      exitStatus_ = RunFailed;
      return Step::kStopNow;
    }
    const int slot = state_.bankCount;
    state_.banks[slot] = openBank(kind, rootPath, description);
    DataBank* bank = state_.banks[slot].get();
    if (bank == nullptr || !bank->isOpen()) {
      console().printf("Unable to open %s\r\n", rootPath.c_str());
      console().write("Do you want to continue? (y/n):");
      console().flush();
      if (keySource().readKey() == 'y') continue;
      exitStatus_ = RunFailed;
      return Step::kEndSection;
    }
    sayf("%s\r\n", rootPath.c_str());
    int frequency = bank->frequency();
    if (frequency != 1 && frequency != 4 && frequency != 12) frequency = 1;
    VexDate& start = table_.altStart[static_cast<size_t>(slot)];
    start.year = static_cast<int16_t>(bank->baseYear());
    start.period = 1;
    start.frequency = static_cast<int16_t>(frequency);
    table_.values[static_cast<size_t>(slot)].assign(MaxObs, 0.0f);
    ++state_.bankCount;
    return Step::kNext;
  }
}

Step Driver::askBanks() {
  for (int j = 1; j <= altCount_; ++j) {
    Step step = askBank(j);
    if (step != Step::kNext) return step;
  }
  table_.altCount = static_cast<int16_t>(altCount_);
  return Step::kNext;
}

void Driver::askShowMode() {
  if (state_.bankCount <= 1) return;
  std::string answer;
  for (int i = 0; i < 5; ++i) {
    say("\r\nShow alternatives as (a)ctual,(d)eviations, or (p)ercentages? ");
    read(answer, kShortAnswer);
    char mode = answer.empty() ? '\0'
                               : static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    table_.showMode = mode;
    if (mode == 'a' || mode == 'd' || mode == 'p') {
      if (!state_.quiet) console().printf("%c\r\n", mode);
      return;
    }
  }
}

Step Driver::askStub() {
  wrongResponses_ = 0;
  while (true) {
    say("\r\nWith what stub? ");
    read(state_.stubName, kFileAnswer);
    if (!fileExists(toPath(state_.stubName)) && state_.responseSource != nullptr) {
      // Look for the stub beside the response file; the run then works in that folder.
      std::string dir = toPath(directoryPart(responseName_));
      if (!dir.empty() && dir[0] != '/') dir = currentDirectory() + "/" + dir;
      if (dir.empty()) dir = currentDirectory() + "/";
      std::string full = dir + toPath(state_.stubName);
      if (fileExists(full) && changeDirectory(dir) == 0) {
        console().printf("\nFound stub file %s in %s.  Changing directory to %s.\n",
                         state_.stubName.c_str(), full.c_str(), dir.c_str());
        state_.stubName = full;
      } else {
        console().write("\nError:  Stub file is not accessible.\n");
        exitStatus_ = RunFailed;
        return Step::kStopNow;
      }
    }
    state_.stubFile = openRunInput(state_.stubName, "r");
    if (state_.stubFile != nullptr) break;
    console().printf("\n Can't open stub file: %s\r\n", state_.stubName.c_str());
    if (wrongAnswer()) return Step::kEndSection;
  }
  sayf("%s\r\n", state_.stubName.c_str());
  return Step::kNext;
}

Step Driver::askOutput() {
  say("\r\nName of output file: ");
  read(state_.outputName, kFileAnswer);
  if (table_.out.open(state_.outputName) != 0) {
    console().printf("\nError: Can't open %s to write output.\r\n", state_.outputName.c_str());
    exitStatus_ = RunFailed;
    return Step::kEndSection;
  }
  sayf("%s\r\n", state_.outputName.c_str());
  return Step::kNext;
}

void Driver::makeTable() { tabrix::makeTable(state_, table_); }

void Driver::endSection() {
  if (state_.stubFile != nullptr) {
    std::fclose(state_.stubFile);
    state_.stubFile = nullptr;
  }
  state_.groups.reset();
  for (auto& bank : state_.scratchBanks) bank.reset();
  for (auto& bank : state_.banks) bank.reset();
  state_.bankCount = 0;
  if (state_.responseSource != nullptr) {
    std::fclose(state_.responseSource);
    state_.responseSource = nullptr;
  }
}

int Driver::run() {
  Step step = startUp();
  if (step == Step::kNext) step = askCount();
  if (step == Step::kNext) step = askBanks();
  if (step == Step::kNext) {
    askShowMode();
    step = askStub();
  }
  if (step == Step::kNext) step = askOutput();
  if (step == Step::kNext) makeTable();
  if (step != Step::kStopNow) endSection();
  console().resetColours();
  console().flush();
  if (table_.outputFailed || refusedOutputs() > 0 || failedOutputOperations() > 0) return RunFailed;
  return exitStatus_;
}

}  // namespace

void showBanner() {
  Console& out = console();
  out.setColours(15, 1);
  out.clearScreen();
  out.write("\r\n                              TABRIX FOR WINDOWS");
  out.printf("\r\n                                 Version %s", kVersion);
}

bool readAnswer(std::FILE* source, std::string& answer, int bound, LineEditor& editor) {
  std::string line;
  if (source != nullptr) {
    std::string buffer(static_cast<size_t>(bound) + 1, '\0');
    if (std::fgets(buffer.data(), bound + 1, source) == nullptr) return false;
    line.assign(buffer.c_str());
  } else {
    std::optional<std::string> typed;
    KeySource& keys = keySource();
    if (keys.interactive()) {
      typed = editor.readLine(keys);
    } else {
      typed = readPlainKeyLine(keys, static_cast<size_t>(bound));
    }
    if (!typed) return false;
    line = typed->substr(0, static_cast<size_t>(bound) + 2);
  }
  auto isTrailing = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (line.size() > 1 && isTrailing(line.back())) line.pop_back();
  if (line.size() == 1 && (line[0] == '\r' || line[0] == '\n')) line.clear();
  if (line.find_first_not_of(' ') != std::string::npos) {
    size_t first = line.find_first_not_of(" \t");
    line.erase(0, first == std::string::npos ? line.size() : first);
  }
  if (source == nullptr && line.size() > static_cast<size_t>(bound)) line.resize(static_cast<size_t>(bound));
  answer = line;
  return true;
}

void stripQuotes(std::string& answer) {
  if (answer.size() > 2 && answer.front() == '"' && answer.back() == '"') {
    answer = answer.substr(1, answer.size() - 2);
  }
}

void makeTable(RunState& state, TableLine& table) {
  state.reader->setSource(stdin);
  console().printf("\r\nNow making the table as file %s.\r\n\r\n", state.outputName.c_str());

  for (int i = 0; i < state.bankCount; ++i) {
    std::string title = state.banks[static_cast<size_t>(i)]->title();
    if (table.altCount == 1) assignCut(table.tableTitle, title, LineTextCapacity);
    rtrim(title);
    assignCut(table.altTitles[static_cast<size_t>(i)], title, LineTextCapacity);
  }
  table.altTitlesKnown = true;

  console().write("    Simulations being compared:\r\n");
  for (int i = 0; i < state.bankCount; ++i) {
    console().printf("  %d. %s\r\n", i + 1, table.altTitles[static_cast<size_t>(i)].c_str());
  }
  console().write("\r\n");
  // Finding the stub may have changed the current directory; groups.bin is read from
  // there. A file that was refused counts as not loaded.
  state.groupsLoaded = fileExists(GroupsFileName) && state.groups->readGroups() == 0;

  int16_t result = interpret(state, state.stubFile, table);
  if (result != -1) {
    endOfRun(table);
    if (table.tocOn && table.renderers.target() != nullptr) {
      table.renderers.target()->contents(table.contents, table.pagePrefix);
    }
  }
  // The renderers beside the table: their contents, then each finished; a failed one
  // fails the run.
  if (finishRenderers(table) != 0) table.outputFailed = true;
  // A worksheet target is finished and closed: the WK1 file ends, the workbook is saved.
  closeWorksheet(table);
  // The table file: an RTF file gets its closing brace.
  const bool rtfOpen = table.rtfMode && table.out.isOpen();
  const std::string tableName = table.out.name();
  if (table.renderers.finishTarget() != 0) table.outputFailed = true;
  if (table.out.close() != 0) table.outputFailed = true;
  if (rtfOpen && !table.outputFailed && fitRtfPage(tableName) != 0) table.outputFailed = true;
}

int commandLineOption(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::string_view chosen;
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i] != nullptr ? argv[i] : "";
    if (!word.starts_with("--")) continue;
    if (word != "--help" && word != "--version") {
      err << "tabrix: unknown option " << word << "\n" << kUsage;
      return 1;
    }
    if (chosen.empty()) chosen = word;
  }
  if (chosen.empty()) return -1;
  if (chosen == "--help") {
    out << kUsage;
  } else {
    out << "tabrix " << kVersion << "\n";
  }
  return 0;
}

int runMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (int status = commandLineOption(argc, argv, out, err); status >= 0) return status;
  // The run's objects live inside, so that an early end of the process (ProcessExit)
  // closes every file on its way out.
  resetRunFiles();
  return runToExit([&] {
    Driver driver(argc, argv);
    return driver.run();
  });
}

}  // namespace tabrix
