// The expression evaluator and its @ functions over any text, line by line as table
// lines hand it their expressions, against the fixture banks (and the @interp table
// "table.txt").
//
// Input: one byte choosing the bank (byte % 3: wbank, cbank, hbank; with bit 2 wbank2
// is the scratch bank looked in first), then the expressions, one a line.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "banks/bank_factory.h"
#include "expr/evaluator.h"
#include "fuzz_support.h"
#include "reader/chopper.h"

namespace {

using namespace tabrix;

// The fixture banks, opened once: the evaluator only reads them.
struct Banks {
  std::unique_ptr<DataBank> alternatives[3];
  std::unique_ptr<DataBank> scratch;
};

const Banks& banks() {
  static const Banks opened = [] {
    fuzz::fixtureBanks();
    fuzz::fixtureTexts();
    ConsoleCapture quiet;
    Banks made;
    made.alternatives[0] = openBank('w', "wbank");
    made.alternatives[1] = openBank('c', "cbank");
    made.alternatives[2] = openBank('h', "hbank");
    made.scratch = openBank('w', "wbank2");
    for (const auto& bank : made.alternatives) {
      if (!bank->isOpen()) __builtin_trap();
    }
    return made;
  }();
  return opened;
}

// Most lines evaluated from one input.
constexpr int kMaxLines = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view text = fuzz::asText(data + 1, size - 1);
  if (fuzz::namesSystemFiles(text)) return -1;
  const Banks& fixtures = banks();
  DataBank& bank = *fixtures.alternatives[data[0] % 3];
  DataBank* scratch = (data[0] & 4) ? fixtures.scratch.get() : nullptr;
  fuzz::QuietInput quiet;
  EvalContext context;
  Chopper reader;
  auto result = std::make_unique<std::array<float, MaxObs>>();
  fuzz::runInput([&] {
    std::size_t start = 0;
    for (int line = 0; line < kMaxLines && start <= text.size(); ++line) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      // A table line hands the evaluator its expression with a CR LF appended.
      reader.setString(std::string(text.substr(start, end - start)) + "\r\n");
      static_cast<void>(evaluate(context, reader, *result, bank, scratch));
      start = end + 1;
    }
  });
  return 0;
}
