#include "platform/keys.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace tabrix {

namespace {

constexpr char kEsc = '\x1b';

// How long a lone ESC waits for the rest of a sequence before it counts as Escape.
constexpr int kEscapeWaitMs = 50;

// What one step of the translation found.
enum class Step {
  kKey,         // a key: `code`, or an extended key (0 then `code`) when `extended`
  kDropped,     // an unknown or broken sequence, dropped whole
  kIncomplete,  // the bytes end inside an escape sequence
};

struct Parsed {
  Step step = Step::kDropped;
  size_t length = 0;  // bytes used
  int code = 0;
  bool extended = false;
};

Parsed extendedKey(size_t length, int scanCode) { return {Step::kKey, length, scanCode, true}; }

// The scan code of a CSI sequence (ESC [ params final), or -1 when unknown.
int csiScanCode(std::string_view params, char final) {
  if (params.empty()) {
    switch (final) {
      case 'A': return key::kUp;
      case 'B': return key::kDown;
      case 'C': return key::kRight;
      case 'D': return key::kLeft;
      case 'H': return key::kHome;
      case 'F': return key::kEnd;
      default: return -1;
    }
  }
  if (final == '~') {
    if (params == "1" || params == "7") return key::kHome;
    if (params == "4" || params == "8") return key::kEnd;
    if (params == "3") return key::kDelete;
    if (params == "2") return key::kInsert;
    if (params == "13") return key::kF3;
    if (params == "5;5") return key::kCtrlPgUp;
    return -1;
  }
  if (params == "1;5") {
    if (final == 'D') return key::kCtrlLeft;
    if (final == 'C') return key::kCtrlRight;
  }
  return -1;
}

// The scan code of an SS3 sequence (ESC O final), or -1 when unknown.
int ss3ScanCode(char final) {
  switch (final) {
    case 'A': return key::kUp;
    case 'B': return key::kDown;
    case 'C': return key::kRight;
    case 'D': return key::kLeft;
    case 'H': return key::kHome;
    case 'F': return key::kEnd;
    case 'R': return key::kF3;
    default: return -1;
  }
}

// Reads the key that starts at bytes[at].
Parsed parseOne(std::string_view bytes, size_t at) {
  unsigned char first = static_cast<unsigned char>(bytes[at]);
  if (first != static_cast<unsigned char>(kEsc)) {
    // A NUL would be taken for the lead of an extended key; it is no key of ours.
    if (first == 0) return {Step::kDropped, 1, 0, false};
    int code = (first == 127 || first == 8) ? key::kBackspace : first;
    return {Step::kKey, 1, code, false};
  }
  if (at + 1 >= bytes.size()) return {Step::kIncomplete, 1, 0, false};
  char introducer = bytes[at + 1];
  if (introducer == 'O') {
    if (at + 2 >= bytes.size()) return {Step::kIncomplete, 2, 0, false};
    int scan = ss3ScanCode(bytes[at + 2]);
    if (scan < 0) return {Step::kDropped, 3, 0, false};
    return extendedKey(3, scan);
  }
  if (introducer != '[') {
    // Escape pressed on its own, followed by another key.
    return {Step::kKey, 1, key::kEscape, false};
  }
  size_t i = at + 2;
  // The Linux console's function keys: ESC [ [ A..E.
  if (i < bytes.size() && bytes[i] == '[') {
    if (i + 1 >= bytes.size()) return {Step::kIncomplete, i + 1 - at, 0, false};
    if (bytes[i + 1] == 'C') return extendedKey(i + 2 - at, key::kF3);
    return {Step::kDropped, i + 2 - at, 0, false};
  }
  size_t paramsStart = i;
  while (i < bytes.size() && bytes[i] >= 0x30 && bytes[i] <= 0x3f) ++i;
  size_t paramsEnd = i;
  while (i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x2f) ++i;
  if (i >= bytes.size()) return {Step::kIncomplete, i - at, 0, false};
  char final = bytes[i];
  if (final < 0x40 || final > 0x7e) {
    // Broken sequence: drop what was read of it and go on with this byte.
    return {Step::kDropped, i - at, 0, false};
  }
  size_t length = i + 1 - at;
  if (paramsEnd != i) return {Step::kDropped, length, 0, false};  // intermediates: unknown
  int scan = csiScanCode(bytes.substr(paramsStart, paramsEnd - paramsStart), final);
  if (scan < 0) return {Step::kDropped, length, 0, false};
  return extendedKey(length, scan);
}

// True when the bytes end inside an escape sequence (or with a lone ESC).
bool endsIncomplete(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    Parsed parsed = parseOne(bytes, at);
    if (parsed.step == Step::kIncomplete) return true;
    at += parsed.length;
  }
  return false;
}

// The terminal state to restore while raw mode is on. Kept at file scope because the
// exit and signal paths must reach it.
struct termios gSavedTerminal;
volatile std::sig_atomic_t gRawActive = 0;

void restoreTerminal() {
  if (gRawActive) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
    gRawActive = 0;
  }
}

constexpr int kFatalSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGABRT,
                                 SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction gPreviousActions[sizeof kFatalSignals / sizeof kFatalSignals[0]];

extern "C" void onFatalSignal(int signo) {
  restoreTerminal();
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    if (kFatalSignals[i] == signo) ::sigaction(signo, &gPreviousActions[i], nullptr);
  }
  ::raise(signo);
}

extern "C" void restoreTerminalAtExit() { restoreTerminal(); }

// Installs the exit and signal hooks once, the first time raw mode is used.
void installRestoreHooks() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(restoreTerminalAtExit);
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    struct sigaction previous;
    if (::sigaction(kFatalSignals[i], nullptr, &previous) != 0) continue;
    gPreviousActions[i] = previous;
    // A signal the user chose to ignore (nohup) stays ignored.
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(kFatalSignals[i], &action, nullptr);
  }
}

// Raw mode for the length of one key read: no echo, no line buffering, no signals.
class RawMode {
 public:
  RawMode() {
    struct termios current;
    if (::tcgetattr(STDIN_FILENO, &current) != 0) return;
    installRestoreHooks();
    gSavedTerminal = current;
    struct termios raw = current;
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    gRawActive = 1;
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) gRawActive = 0;
  }
  ~RawMode() { restoreTerminal(); }
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;
};

// Reads up to `size` bytes; 0 at end of input or on error.
size_t readSome(char* buffer, size_t size) {
  while (true) {
    ssize_t n = ::read(STDIN_FILENO, buffer, size);
    if (n > 0) return static_cast<size_t>(n);
    if (n < 0 && errno == EINTR) continue;
    return 0;
  }
}

// True when more input arrives within the wait.
bool inputWithin(int milliseconds) {
  struct pollfd fd {};
  fd.fd = STDIN_FILENO;
  fd.events = POLLIN;
  while (true) {
    int n = ::poll(&fd, 1, milliseconds);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 && (fd.revents & POLLIN);
  }
}

}  // namespace

std::deque<int> translateKeyBytes(std::string_view bytes) {
  std::deque<int> keys;
  size_t at = 0;
  while (at < bytes.size()) {
    Parsed parsed = parseOne(bytes, at);
    if (parsed.step == Step::kIncomplete) {
      // Nothing more came: a lone ESC is the Escape key, a cut-off sequence is dropped.
      if (parsed.length == 1) keys.push_back(key::kEscape);
      break;
    }
    if (parsed.step == Step::kKey) {
      if (parsed.extended) keys.push_back(0);
      keys.push_back(parsed.code);
    }
    at += parsed.length;
  }
  return keys;
}

StdinKeySource::StdinKeySource() : terminal_(::isatty(STDIN_FILENO) == 1) {}

StdinKeySource::~StdinKeySource() { restoreTerminal(); }

int StdinKeySource::readKey() {
  if (!pending_.empty()) {
    int code = pending_.front();
    pending_.pop_front();
    return code;
  }
  if (ended_) return key::kEscape;
  if (!terminal_) {
    char byte;
    if (readSome(&byte, 1) == 0) {
      ended_ = true;
      return key::kEscape;
    }
    return static_cast<unsigned char>(byte);
  }
  while (pending_.empty()) {
    RawMode raw;
    char chunk[64];
    size_t n = readSome(chunk, sizeof chunk);
    if (n == 0) {
      // In raw mode a read gives nothing only when the terminal has gone (a hang-up).
      ended_ = true;
      return key::kEscape;
    }
    std::string bytes(chunk, n);
    while (endsIncomplete(bytes) && inputWithin(kEscapeWaitMs)) {
      n = readSome(chunk, sizeof chunk);
      if (n == 0) break;
      bytes.append(chunk, n);
    }
    pending_ = translateKeyBytes(bytes);
  }
  int code = pending_.front();
  pending_.pop_front();
  return code;
}

ScriptedKeys::ScriptedKeys(std::string_view bytes, bool interactive)
    : interactive_(interactive) {
  type(bytes);
}

ScriptedKeys& ScriptedKeys::type(std::string_view bytes) {
  for (char c : bytes) keys_.push_back(static_cast<unsigned char>(c));
  return *this;
}

ScriptedKeys& ScriptedKeys::extended(int scanCode) {
  keys_.push_back(0);
  keys_.push_back(scanCode);
  return *this;
}

ScriptedKeys& ScriptedKeys::code(int code) {
  keys_.push_back(code);
  return *this;
}

int ScriptedKeys::readKey() {
  if (keys_.empty()) {
    ended_ = true;
    return key::kEscape;
  }
  int code = keys_.front();
  keys_.pop_front();
  return code;
}

namespace {

KeySource*& currentKeySource() {
  static KeySource* current = nullptr;
  return current;
}

}  // namespace

KeySource& keySource() {
  KeySource* current = currentKeySource();
  if (current != nullptr) return *current;
  static StdinKeySource standardInput;
  return standardInput;
}

ScopedKeySource::ScopedKeySource(KeySource& source) : previous_(currentKeySource()) {
  currentKeySource() = &source;
}

ScopedKeySource::~ScopedKeySource() { currentKeySource() = previous_; }

}  // namespace tabrix
