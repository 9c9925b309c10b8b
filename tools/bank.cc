// tabrix-bank: make, list, describe and export data banks. The command line (options,
// usage, exit statuses) is here; the operations are the banks library's
// (banks/bank_tool.h), and docs/banks.md is the manual.
//
// Exit status: 0 done; 1 an operation failed (after its message), or a word beginning
// with "--" other than --help and --version; 2 a usage error, or a bank name that
// stands for banks of several kinds without -k.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "banks/bank_tool.h"
#include "banks/csv_cells.h"
#include "platform/console.h"
#include "platform/process.h"

namespace tabrix {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: tabrix-bank COMMAND [options] BANK ...\n"
    "  create [-k KIND] [-d DIRFOR.DAT] BANK FILE.csv  make a bank from a CSV file\n"
    "  list   [-k KIND] [-w] BANK [PATTERN]   list names (-w: 5 per line; * and ^ wildcards)\n"
    "  info   [-k KIND] BANK                  describe the bank\n"
    "  dump   [-k KIND] BANK FILE.csv|- [NAME...]  write series to CSV (- for the screen)\n"
    "BANK is the root name without extension. KIND: w workspace, c compressed, h hashed,\n"
    "d dirfor (-d DIRFOR.DAT names its description file, default dirfor.dat), v vam.\n"
    "create makes a workspace bank unless -k says otherwise; the other commands find the\n"
    "kind from the files of BANK when -k is not given.\n"
    "  tabrix-bank --help | --version\n";

// The command line after the command word.
struct Options {
  BankSelection bank;
  bool wide = false;
  std::vector<std::string> positional;  // the bank name first
};

int exitStatus(BankToolStatus status) {
  switch (status) {
    case BankToolStatus::kDone:
      return 0;
    case BankToolStatus::kFailed:
      return kFailed;
    case BankToolStatus::kKindUnclear:
      return kUsageError;
  }
  return kFailed;
}

// A usage error: the message and the usage on standard error.
int usage(const std::string& message, int status = kUsageError) {
  console().flush();
  if (!message.empty()) std::cerr << "tabrix-bank: " << message << "\n";
  std::cerr << kUsage;
  return status;
}

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-k" || arg == "-d") {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (arg == "-d") {
        options.bank.description = value;
      } else if (value.size() != 1 || findBankKind(value[0]) == nullptr) {
        error = "unknown bank kind \"" + value + "\"";
        return false;
      } else {
        options.bank.kind = value[0];
        options.bank.kindGiven = true;
      }
    } else if (arg == "-w") {
      options.wide = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      options.positional.push_back(arg);
    }
  }
  if (!options.positional.empty()) options.bank.name = options.positional.front();
  return true;
}

int runCreate(Options& options) {
  if (options.positional.size() != 2) return usage("create needs BANK and FILE.csv");
  return exitStatus(createBank(options.bank, options.positional[1], std::cout));
}

int runList(Options& options) {
  if (options.positional.empty() || options.positional.size() > 2) {
    return usage("list needs BANK and at most one PATTERN");
  }
  BankToolStatus status = BankToolStatus::kDone;
  std::unique_ptr<DataBank> bank = openToolBank(options.bank, true, status);
  if (bank == nullptr) return exitStatus(status);
  std::string pattern = options.positional.size() > 1 ? options.positional[1] : "";
  // On a terminal the listing pages and waits for keys.
  if (console().isTerminal()) {
    pageBankNames(*bank, pattern, options.wide);
    return 0;
  }
  return exitStatus(listBank(*bank, pattern, options.wide, std::cout));
}

int runInfo(Options& options) {
  if (options.positional.size() != 1) return usage("info needs BANK");
  BankToolStatus status = BankToolStatus::kDone;
  std::unique_ptr<DataBank> bank = openToolBank(options.bank, true, status);
  if (bank == nullptr) return exitStatus(status);
  return exitStatus(showBankInfo(*bank, std::cout));
}

int runDump(Options& options) {
  if (options.positional.size() < 2) return usage("dump needs BANK and FILE.csv (or -)");
  const std::string& target = options.positional[1];
  BankToolStatus status = BankToolStatus::kDone;
  // The CSV on the screen stays plain, so it can be saved and read back.
  std::unique_ptr<DataBank> bank = openToolBank(options.bank, target != "-", status);
  if (bank == nullptr) return exitStatus(status);
  std::vector<std::string> names(options.positional.begin() + 2, options.positional.end());
  if (target == "-") return exitStatus(dumpBank(*bank, names, std::cout));
  // The file is made only when the dump succeeds.
  std::ostringstream text;
  if (BankToolStatus dumped = dumpBank(*bank, names, text); dumped != BankToolStatus::kDone) {
    return exitStatus(dumped);
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out << text.view();
  out.close();
  if (!out) {
    toolReport("cannot write " + target);
    return kFailed;
  }
  return 0;
}

struct Command {
  std::string_view name;
  int (*run)(Options& options);
};

constexpr Command kCommands[] = {
    {"create", &runCreate},
    {"list", &runList},
    {"info", &runInfo},
    {"dump", &runDump},
};

int runBankTool(const std::vector<std::string>& args) {
  // A word beginning with "--" anywhere: --help and --version answer, any other is refused.
  std::string_view chosen;
  for (const std::string& arg : args) {
    if (!arg.starts_with("--")) continue;
    if (arg != "--help" && arg != "--version") return usage("unknown option " + arg, kFailed);
    if (chosen.empty()) chosen = arg;
  }
  if (chosen == "--version") {
    std::cout << "tabrix-bank " << TABRIX_VERSION << "\n";
    return 0;
  }
  if (chosen == "--help" || (!args.empty() && (args[0] == "-h" || args[0] == "help"))) {
    std::cout << kUsage;
    return 0;
  }
  if (args.empty()) return usage("");
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) return usage(error);
    return command.run(options);
  }
  return usage("unknown command \"" + args[0] + "\"");
}

}  // namespace
}  // namespace tabrix

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = tabrix::runToExit([&] { return tabrix::runBankTool(args); });
  tabrix::console().flush();
  std::cout.flush();
  return status;
}
