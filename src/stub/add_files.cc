#include "stub/add_files.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/run_files.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/interpreter.h"
#include "stub/run_state.h"

namespace tabrix {

namespace {

// The add file name that selects the keyboard (exactly, lower case).
constexpr std::string_view kKeyboardName = "keyboard";

// An add file being run. The interpreter closes it at its end and clears the
// reference; an add file that stopped early (or a run ending on the way) is closed
// here. The keyboard is never closed.
struct OpenAddFile {
  std::FILE* file = nullptr;
  explicit OpenAddFile(std::FILE* opened) : file(opened) {}
  ~OpenAddFile() {
    if (file != nullptr && file != stdin) std::fclose(file);
  }
  OpenAddFile(const OpenAddFile&) = delete;
  OpenAddFile& operator=(const OpenAddFile&) = delete;
};

// The caller's side of the reader, saved while add files run and restored when they
// end: its argument table and its source (the keyboard when it was not reading a
// file), which goes on with the line after the command.
class CallerReading {
 public:
  explicit CallerReading(Chopper& reader)
      : reader_(reader),
        arguments_(reader.arguments()),
        source_(reader.sourceFile() != nullptr ? reader.sourceFile() : stdin) {}
  ~CallerReading() {
    if (!restored_) restore();
  }
  CallerReading(const CallerReading&) = delete;
  CallerReading& operator=(const CallerReading&) = delete;

  std::FILE* source() const { return source_; }
  void restore() {
    reader_.setArguments(arguments_);
    reader_.setSource(source_);
    restored_ = true;
  }

 private:
  Chopper& reader_;
  const ArgumentTable* arguments_;
  std::FILE* source_;
  bool restored_ = false;
};

// Counts one more add file running for as long as it runs.
class Nesting {
 public:
  explicit Nesting(RunState& run) : run_(run) { ++run_.addFileDepth; }
  ~Nesting() { --run_.addFileDepth; }
  Nesting(const Nesting&) = delete;
  Nesting& operator=(const Nesting&) = delete;

 private:
  RunState& run_;
};

// Runs an opened add file through the interpreter; its result. Past the nesting limit
// the add file is refused instead, and every add file running is to end.
int16_t runAddFile(StubContext& context, OpenAddFile& addFile, const std::string& name) {
  RunState& run = context.run;
  if (run.addFileDepth >= MaxAddFileDepth) {
    console().printf("Add file %s not run: add files are nested more than %d deep.\r\n",
                     name.c_str(), MaxAddFileDepth);
    console().write("  Does an add file call itself?  Ending the add files running.\r\n");
    run.addNestingRefused = true;
    return -1;
  }
  Nesting nesting(run);
  return interpret(run, addFile.file, context.table);
}

// What a command that ran add files gives its interpreter: while a refused nesting
// ends the add files running, -1 (ending the add file this command stands in), until
// the stub itself is reached.
int16_t afterAddFiles(RunState& run) {
  if (!run.addNestingRefused) return 0;
  if (run.addFileDepth > 0) return -1;
  run.addNestingRefused = false;
  return 0;
}

void reportIgnoredArguments(const std::string& name, int ignored) {
  if (ignored == 0) return;
  console().printf("Add file %s takes at most %d arguments; %d more ignored.\r\n", name.c_str(),
                   MaxAddArguments, ignored);
}

// Reads one line of an argument file without its line end (LF, or CR LF); the first
// MaxArgumentLineLength characters are kept and `cut` tells whether more were dropped.
// False at the end of the file.
bool readArgumentLine(std::FILE* file, std::string& line, bool& cut) {
  line.clear();
  cut = false;
  int c = std::getc(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (line.size() < MaxArgumentLineLength) {
      line.push_back(static_cast<char>(c));
    } else {
      cut = true;
    }
  }
  if (!cut && !line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

int readAddArguments(Chopper& reader, ArgumentTable& table, int& ignored) {
  table.fill(std::nullopt);
  ignored = 0;
  int count = 0;
  for (int type = reader.nextToken(); !endsArguments(type); type = reader.nextToken()) {
    if (count < MaxAddArguments) {
      table[static_cast<std::size_t>(count++)] = reader.tokenText();
    } else {
      ++ignored;
    }
  }
  return count;
}

int16_t addCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kWord) {
    console().printf("Illegal filename: %s.\n", reader.tokenText().c_str());
    run.status = -1;
    return 0;
  }
  const std::string name = reader.tokenText();
  OpenAddFile addFile(name == kKeyboardName ? stdin : openRunInput(name, "r"));
  if (addFile.file == nullptr) {
    console().printf("Error opening add file %s.\r\n", name.c_str());
    run.status = -1;
    return 0;
  }
  CallerReading caller(reader);
  ArgumentTable arguments;
  int ignored = 0;
  const int count = readAddArguments(reader, arguments, ignored);
  reportIgnoredArguments(name, ignored);
  reader.setArguments(count > 0 ? &arguments : nullptr);
  run.status = runAddFile(context, addFile, name);
  caller.restore();
  return afterAddFiles(run);
}

int16_t faddCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  std::string names[2];
  for (std::string& name : names) {
    if (reader.nextToken() != token::kWord) {
      console().printf("Bad Filename: %s.\n", reader.tokenText().c_str());
      run.status = -1;
      return 0;
    }
    name = reader.tokenText();
  }
  const std::string& addName = names[0];
  const std::string& argumentName = names[1];
  std::FILE* argumentFile = openRunInput(argumentName, "r");
  if (argumentFile == nullptr) {
    console().printf("Unable to open %s.\n", argumentName.c_str());
    run.status = -1;
    return 0;
  }
  OpenAddFile argumentsOpen(argumentFile);
  CallerReading caller(reader);

  std::string line;
  bool cut = false;
  int lineNumber = 0;
  while (!run.addNestingRefused && readArgumentLine(argumentFile, line, cut)) {
    ++lineNumber;
    if (cut) {
      console().printf("Line %d of %s is longer than %d characters; the rest of it is ignored.\r\n",
                       lineNumber, argumentName.c_str(), static_cast<int>(MaxArgumentLineLength));
    }
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || line[first] == ';') continue;
    reader.setString(std::string_view(line).substr(first));
    ArgumentTable arguments;
    int ignored = 0;
    if (readAddArguments(reader, arguments, ignored) == 0) continue;
    reportIgnoredArguments(addName, ignored);
    reader.setArguments(&arguments);
    reader.setSource(caller.source());
    OpenAddFile addFile(openRunInput(addName, "r"));
    if (addFile.file == nullptr) {
      console().printf("Unable to open %s.\n", addName.c_str());
      run.status = -1;
      break;
    }
    run.status = runAddFile(context, addFile, addName);
  }
  caller.restore();
  return afterAddFiles(run);
}

}  // namespace tabrix
