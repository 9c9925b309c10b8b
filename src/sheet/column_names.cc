// The column-name operations of Excel: pure text operations on the letters "A" .. "IV".
#include <string>

#include "platform/console.h"
#include "sheet/excel.h"

namespace tabrix {

namespace {

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool isLetter(char c) { return isCapital(c) || (c >= 'a' && c <= 'z'); }
int letterValue(char c) { return (c >= 'a' ? c - 'a' : c - 'A') + 1; }

}  // namespace

std::string Excel::ColName(int number) {
  if (number >= 1 && number <= 26) return std::string(1, static_cast<char>('A' + number - 1));
  if (number < 1 || number / 26 > 9) {
    console().printf("\nError:  cannot have columns before \"A\" or beyond \"IV\".\n");
    return "-1";
  }
  if (number / 26 == 9 && number % 26 > 22) {
    console().printf("\nError:  cannot have columns beyond \"IV\".\n");
    return "-1";
  }
  char letters[3] = {static_cast<char>('@' + (number - 1) / 26), static_cast<char>('A' + (number - 1) % 26), 0};
  return letters;
}

int Excel::ColNumber(std::string_view letters) {
  if (letters.empty() || !isLetter(letters[0])) return -1;
  int first = letterValue(letters[0]);
  if (letters.size() == 1) return first;
  if (!isLetter(letters[1])) return -1;
  return first * 26 + letterValue(letters[1]);
}

std::string Excel::ColOffset(std::string_view letters, int k) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  auto inAlphabet = [](char c) { return c >= 'a' && c <= 'z'; };
  int number = 0;
  if (letters.size() == 1) {
    char a = lower(letters[0]);
    if (!inAlphabet(a)) return "-1";
    number = a - 'a' + 1;
  } else if (letters.size() == 2) {
    char a = lower(letters[0]), b = lower(letters[1]);
    if (!inAlphabet(a) || !inAlphabet(b)) return "-1";
    number = (a - 'a' + 1) * 26 + (b - 'a' + 1);
  }
  // A far offset cannot make a column; keep the sum from overflowing on its way there.
  long sum = static_cast<long>(number) + k;
  if (sum < -1) sum = -1;
  if (sum > 100000) sum = 100000;
  return ColName(static_cast<int>(sum));
}

std::string Excel::colmath(std::string_view letters) {
  if (letters.size() == 1) {
    char a = letters[0];
    if (a == 'Z') return "AA";
    if (!isCapital(a)) return "-1";
    return std::string(1, static_cast<char>(a + 1));
  }
  if (letters.size() == 2) {
    char a = letters[0], b = letters[1];
    if (!isCapital(a) || !isCapital(b)) return "-1";
    if (b != 'Z') return std::string{a, static_cast<char>(b + 1)};
    // After ZZ there is no two-letter column.
    if (a != 'Z') return std::string{static_cast<char>(a + 1), 'A'};
  }
  console().printf("\nError:  in Excel::colmath().\n");
  return "-1";
}

std::string Excel::ColMinusOne(std::string_view letters) {
  if (letters.size() == 1) {
    char a = letters[0];
    if (a == 'A') {
      console().printf("\nError:  in Excel::ColMinusOne().\n");
      console().printf("\nCannot access column before 'A'.\n");
      return "-1";
    }
    if (!isCapital(a)) return "-1";
    return std::string(1, static_cast<char>(a - 1));
  }
  if (letters.size() == 2) {
    char a = letters[0], b = letters[1];
    if (!isCapital(a) || !isCapital(b)) return "-1";
    if (letters == "AA") return "Z";
    if (b == 'A') return std::string{static_cast<char>(a - 1), 'Z'};
    return std::string{a, static_cast<char>(b - 1)};
  }
  console().printf("\nError:  in Excel::ColMinusOne().\n");
  return "-1";
}

}  // namespace tabrix
