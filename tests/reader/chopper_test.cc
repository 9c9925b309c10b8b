#include "reader/chopper.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"
#include "stub_test_support.h"

namespace tabrix {
namespace {

using testing::describe;
using testing::readAllChars;
using testing::readAllTokens;
using testing::TempStub;
using Tokens = std::vector<std::string>;

Tokens tokensOf(std::string_view stub) {
  TempStub file(stub);
  Chopper reader;
  reader.setSource(file.get());
  return readAllTokens(reader);
}

TEST(ChopperTokenTest, TableOfStubTexts) {
  struct Case {
    std::string stub;
    Tokens tokens;
  } cases[] = {
      // A path is one word.
      {"C:\\data\\model.bnk\n", {"a:C:\\data\\model.bnk", "f", "e"}},
      // Capital E carries an exponent, small e ends the number.
      {"1.5E-3\n", {"n:1.5E-3", "f", "e"}},
      {"1.5e-3\n", {"n:1.5", "a:e", "-:-", "n:3", "f", "e"}},
      {"2E+10x\n", {"n:2E+10", "a:x", "f", "e"}},
      {"12abc .5\n", {"n:12", "a:abc", "n:.5", "f", "e"}},
      // A comment after a name gives the word, then the line end.
      {"gdp # real output\nnext\n", {"a:gdp", "f", "a:next", "f", "e"}},
      {"#only a comment", {"f", "e"}},
      // Quoted texts are words; a line end before the closing quote gives 'f'.
      {"\"Times New Roman\" x\n", {"a:Times New Roman", "a:x", "f", "e"}},
      {"\"open quote\nnext\n", {"f", "a:next", "f", "e"}},
      {"\"\"\n", {"a:", "f", "e"}},
      // Punctuation is its own type; '&', '_', '$', ':' and '!' go on inside words.
      {"x = (y + 2) * 3, @f; %\n",
       {"a:x", "=:=", "(:(", "a:y", "+:+", "n:2", "):)", "*:*", "n:3", ",:,", "@:@", "a:f", ";:;",
        "%:%", "f", "e"}},
      {"a_b$c:d&e!f/g\n", {"a:a_b$c:d&e!f", "/:/", "a:g", "f", "e"}},
      {"_x [1] {2} |\n", {"_:_", "a:x", "[:[", "n:1", "]:]", "{:{", "n:2", "}:}", "|:|", "f", "e"}},
      {"\\add file 1990\n", {"a:\\add", "a:file", "n:1990", "f", "e"}},
      // Blanks and tabs separate; control bytes, high bytes and escape are their own.
      {" \t x\t\ty \n", {"a:x", "a:y", "f", "e"}},
      {"\x01 \xc8 \x1b\n", {"c:\x01", "c:\xc8", "ESC:\x1b", "f", "e"}},
      // A last line without a line feed still ends with one; CR LF ends a line once.
      {"a b", {"a:a", "a:b", "f", "e"}},
      {"a\r\nb\r\n\r\n", {"a:a", "f", "a:b", "f", "f", "e"}},
      {"", {"e"}},
      // 45 letters are a word of 39 and a word of 6; numbers split the same way.
      {std::string(45, 'w') + "\n", {"a:" + std::string(39, 'w'), "a:" + std::string(6, 'w'), "f", "e"}},
      {std::string(41, '7') + "\n", {"n:" + std::string(39, '7'), "n:77", "f", "e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    EXPECT_EQ(tokensOf(c.stub), c.tokens);
  }
}

TEST(ChopperTokenTest, EndOfInputRepeatsAndKeepsTheLastText) {
  TempStub file("last");
  Chopper reader;
  reader.setSource(file.get());
  EXPECT_EQ(reader.nextToken(), token::kWord);
  EXPECT_EQ(reader.nextToken(), token::kLineEnd);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.nextToken(), token::kEnd);
  EXPECT_EQ(reader.nextChar(), -1);
  std::string text = "untouched";
  EXPECT_EQ(reader.nextToken(text), token::kEnd);
  EXPECT_EQ(reader.tokenText(), "\n");  // still the line end's text
}

TEST(ChopperTokenTest, QuotedTextIsCutAtTheTokenArea) {
  std::string longText(1000, 'q');  // fits the line buffer, not the token area
  Tokens tokens = tokensOf("\"" + longText + "\" after\n");
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0], "a:" + std::string(Chopper::kTokenCapacity - 1, 'q'));
  EXPECT_EQ(tokens[1], "a:after");
}

TEST(ChopperTokenTest, NumbersAndIntegers) {
  Chopper reader;
  reader.setString("1990.3 7 1.5E3 .25\r\n");
  reader.nextToken();
  EXPECT_DOUBLE_EQ(reader.tokenNumber(), 1990.3);
  EXPECT_EQ(reader.tokenInteger(), 1990);
  reader.nextToken();
  EXPECT_EQ(reader.tokenInteger(), 7);
  reader.nextToken();
  EXPECT_EQ(reader.tokenInteger(), 1500);
  reader.nextToken();
  EXPECT_EQ(reader.tokenInteger(), 0);
  reader.setString(std::string(39, '9'));
  reader.nextToken();
  EXPECT_EQ(reader.tokenInteger(), 2147483647);  // saturates
}

TEST(ChopperTextSourceTest, DeliversTheTextItsNulThenTheEnd) {
  Chopper reader;
  reader.setString("ab\r\n");
  EXPECT_EQ(readAllChars(reader), std::string("ab\n\0", 4));
  EXPECT_EQ(reader.nextChar(), -1);

  reader.setString("gdp + x");
  EXPECT_EQ(readAllTokens(reader), (Tokens{"a:gdp", "+:+", "a:x", "f", "e"}));
  // A word that ends right at the text's NUL still gives the line end after it.
  reader.setString("gdp");
  EXPECT_EQ(readAllTokens(reader), (Tokens{"a:gdp", "f", "e"}));
  // A comment in a text runs to its end.
  reader.setString("x # note");
  EXPECT_EQ(readAllTokens(reader), (Tokens{"a:x", "f", "e"}));
}

TEST(ChopperTextSourceTest, PushedBackTokenSurvivesSetString) {
  TempStub file("first second\n");
  Chopper reader;
  reader.setSource(file.get());
  reader.nextToken();
  reader.pushBackToken();
  reader.setString("other\r\n");
  EXPECT_EQ(reader.nextToken(), token::kWord);
  EXPECT_EQ(reader.tokenText(), "first");
  EXPECT_EQ(reader.nextToken(), token::kWord);
  EXPECT_EQ(reader.tokenText(), "other");
  // setSource drops a pushed-back token.
  reader.pushBackToken();
  reader.setSource(file.get());
  EXPECT_EQ(reader.nextToken(), token::kEnd);  // the file was read to its end
  EXPECT_EQ(reader.sourceFile(), file.get());
  reader.setString("x");
  EXPECT_EQ(reader.sourceFile(), nullptr);
  EXPECT_EQ(reader.sourceKind(), 's');
}

// A token list hands the evaluator what the text itself would: the same types and
// texts in the same order, then the end of input again and again with the last text,
// with pushing back as from the text (a token pushed back before stays pushed back).
TEST(ChopperTokenListTest, HandsOutWhatTheTextWould) {
  // The reads after each text: n reads the next token, p pushes the last one back.
  const std::string reads = "nnpnnnpnnnnnnnnnnnnnnnnnnnnnnn";
  const std::string texts[] = {
      "gdp + x[-1] * @exp(2.5E-3) / y{1990.2}\r\n",
      "a,\"quoted text\" \"open\r\n",
      "x # comment\r\n",
      "1.5e-3 \x01\x1b\xe9 _ |\r\n",
      std::string(45, 'w') + " " + std::string(41, '7'),
      "",
  };
  auto trace = [&](Chopper& reader) {
    std::vector<std::string> seen;
    for (char r : reads) {
      if (r == 'p') {
        reader.pushBackToken();
        continue;
      }
      const int type = reader.nextToken();
      seen.push_back(describe(type, reader.tokenText()) + "|" + reader.tokenText());
    }
    return seen;
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    TempStub file("before\n");
    Chopper fromText;
    Chopper fromTokens;
    for (Chopper* reader : {&fromText, &fromTokens}) {
      std::rewind(file.get());
      reader->setSource(file.get());
      reader->nextToken();
      reader->pushBackToken();
    }
    TokenList tokens;
    fromTokens.tokenise(text, tokens);
    EXPECT_EQ(fromTokens.tokenText(), "before");  // tokenise leaves the reader alone
    fromText.setString(text);
    fromTokens.setTokens(tokens);
    EXPECT_EQ(fromTokens.sourceKind(), 't');
    EXPECT_EQ(trace(fromTokens), trace(fromText));
    // A second alternative reads the same list again from its start.
    fromText.setString(text);
    fromTokens.setTokens(tokens);
    EXPECT_EQ(trace(fromTokens), trace(fromText));
  }
}

// Back on the file after a table line's text: the position is the one setSource finds,
// in a seekable file with an add file's arguments in the line.
TEST(ChopperTokenListTest, ResumingTheFileKeepsItsPosition) {
  TempStub file("first %1 line\r\nsecond\n");
  const ArgumentTable arguments{std::string("arg")};
  for (bool resume : {false, true}) {
    Chopper reader;
    reader.setArguments(&arguments);
    std::rewind(file.get());
    reader.setSource(file.get());
    reader.skipLine();
    reader.setString("x");
    reader.nextToken();
    if (resume) {
      reader.resumeSource(file.get());
    } else {
      reader.setSource(file.get());
    }
    EXPECT_EQ(reader.position(), 15) << resume;
    EXPECT_EQ(reader.sourceKind(), 'f');
    EXPECT_EQ(reader.nextToken(), token::kWord);
    EXPECT_EQ(reader.tokenText(), "second");
  }
}

TEST(ChopperCharTest, PushBackCharAndCurrent) {
  TempStub file("ab\ncd\n");
  Chopper reader;
  EXPECT_EQ(reader.position(), -1);
  EXPECT_EQ(reader.nextChar(), -1);  // no source yet
  reader.setSource(file.get());
  EXPECT_EQ(reader.nextChar(), 'a');
  EXPECT_EQ(reader.position(), 1);
  reader.pushBackCurrent();
  EXPECT_EQ(reader.position(), 0);
  EXPECT_EQ(reader.nextChar(), 'a');
  EXPECT_EQ(reader.position(), 1);
  reader.pushBackChar('z');
  EXPECT_EQ(reader.nextChar(), 'z');
  EXPECT_EQ(reader.nextChar(), 'b');
  EXPECT_EQ(reader.nextChar(), '\n');
  // A pushed-back line feed is handed out and then the next line is filled.
  reader.pushBackCurrent();
  EXPECT_EQ(reader.nextChar(), '\n');
  EXPECT_EQ(reader.position(), 3);
  EXPECT_EQ(reader.nextChar(), 'c');
  // 0 means none: it drops a waiting character.
  reader.pushBackChar('y');
  reader.pushBackChar(0);
  EXPECT_EQ(reader.nextChar(), 'd');
  EXPECT_EQ(readAllChars(reader), "\n");
  // The end of input pushed back is seen again.
  reader.pushBackCurrent();
  EXPECT_EQ(reader.nextChar(), -1);
}

// The offset of every line start as the reader reports it, read with the skipping
// operations, and each line read again after seeking there.
TEST(ChopperPositionTest, LineStartsAreExactInLfAndCrLfFiles) {
  const std::string stubs[] = {
      "\\dates 1990 1995\ngdp;Output\n\n  cons;Consumption\nlast",
      "\\dates 1990 1995\r\ngdp;Output\r\n\r\n  cons;Consumption\r\nlast",
  };
  for (const std::string& stub : stubs) {
    SCOPED_TRACE(stub);
    std::vector<long> expected{0};
    for (std::size_t i = 0; i < stub.size(); ++i)
      if (stub[i] == '\n' && i + 1 < stub.size()) expected.push_back(static_cast<long>(i + 1));

    TempStub file(stub);
    Chopper reader;
    reader.setSource(file.get());
    std::vector<long> starts;
    std::vector<std::string> lines;
    for (;;) {
      long at = reader.position();
      int c = reader.nextChar();
      if (c < 0) break;
      starts.push_back(at);
      std::string line(1, static_cast<char>(c));
      while (c != '\n') line.push_back(static_cast<char>(c = reader.nextChar()));
      lines.push_back(line);
    }
    EXPECT_EQ(starts, expected);

    for (std::size_t i = 0; i < starts.size(); ++i) {
      std::fseek(file.get(), starts[i], SEEK_SET);
      reader.setSource(file.get());
      EXPECT_EQ(reader.position(), starts[i]);
      std::string again;
      int c;
      do {
        again.push_back(static_cast<char>(c = reader.nextChar()));
      } while (c != '\n');
      EXPECT_EQ(again, lines[i]);
    }
  }
}

TEST(ChopperPositionTest, PositionsAfterTokensAndSkipping) {
  TempStub file("\\pl 60 # c\r\nx;t\r\n");
  Chopper reader;
  reader.setSource(file.get());
  reader.nextToken();  // \pl, the blank after it is pushed back
  EXPECT_EQ(reader.position(), 3);
  reader.skipToLineEnd();
  EXPECT_EQ(reader.position(), 12);
  reader.skipLine();
  EXPECT_EQ(reader.position(), 17);
}

TEST(ChopperArgumentTest, MarksAreReplacedFromTheCurrentTable) {
  const ArgumentTable args{std::string("1990"), std::string("GDP")};
  struct Case {
    const ArgumentTable* table;
    std::string stub;
    std::string chars;
  } cases[] = {
      {&args, "%2 from %1\n", "GDP from 1990\n"},
      {nullptr, "%2 from %1\n", "%2 from %1\n"},
      // '%' that does not mark an argument stays as it is.
      {&args, "50% %x %0 %%1 %", "50% %x %0 %1990 %\n"},
      // An argument text is not searched for marks again.
      {&args, "%1%2\n", "1990GDP\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    TempStub file(c.stub);
    Chopper reader;
    reader.setSource(file.get());
    reader.setArguments(c.table);
    EXPECT_EQ(readAllChars(reader), c.chars);
  }
}

TEST(ChopperArgumentTest, NestedTablesAndPositionsAcrossSubstitutions) {
  const ArgumentTable outer{std::string("a-long-outer-argument")};
  const ArgumentTable inner{std::string("x"), std::string("")};
  TempStub file("%1 one\n%1%2 two\n%1 three\n");
  Chopper reader;
  reader.setSource(file.get());
  reader.setArguments(&outer);
  std::string line;
  auto readLine = [&] {
    line.clear();
    int c;
    while ((c = reader.nextChar()) >= 0 && c != '\n') line.push_back(static_cast<char>(c));
  };
  readLine();
  EXPECT_EQ(line, "a-long-outer-argument one");
  EXPECT_EQ(reader.position(), 7);  // offsets in the file, not in the line
  const ArgumentTable* saved = reader.arguments();
  reader.setArguments(&inner);
  readLine();
  EXPECT_EQ(line, "x two");  // an empty argument was given: it replaces by nothing
  EXPECT_EQ(reader.position(), 16);
  reader.setArguments(saved);
  reader.nextChar();
  EXPECT_EQ(reader.position(), 16);  // inside a substitution: the mark's offset
  readLine();
  EXPECT_EQ(line, "-long-outer-argument three");
}

TEST(ChopperArgumentTest, LongSubstitutionsAreCutAtTheLineBuffer) {
  const ArgumentTable args{std::string(700, 'z')};
  TempStub file("%1%1%1\nnext\n");
  Chopper reader;
  reader.setSource(file.get());
  reader.setArguments(&args);
  reader.skipLine();
  EXPECT_EQ(reader.position(), 7);
  EXPECT_EQ(readAllTokens(reader), (Tokens{"a:next", "f", "e"}));

  std::rewind(file.get());
  reader.setSource(file.get());
  std::string first = readAllChars(reader).substr(0, Chopper::kLineCapacity);
  EXPECT_EQ(first.find('\n'), static_cast<std::size_t>(Chopper::kLineCapacity - 3));
}

TEST(ChopperArgumentTest, MissingArgumentEndsTheRunWithStatus1) {
  const ArgumentTable args{std::string("1990"), std::string("GDP")};
  ConsoleCapture capture;
  TempStub file("%3\n");
  Chopper reader;
  reader.setSource(file.get());
  reader.setArguments(&args);
  EXPECT_EQ(testing::exitStatusOf([&] { reader.nextChar(); }), 1);
  EXPECT_EQ(capture.text(),
            "You called an add file that required argument %3, but you did not \r\n"
            "   provide it!  Hey, be a little more careful with your stub files!\r\n"
            "Quitting Now...\r\n");
}

TEST(ChopperBadInputTest, LongLinesNulsAndGarbage) {
  // A very long line is cut; the next line starts where it should.
  std::string stub = std::string(5000, 'x') + "\nafter\n";
  {
    TempStub file(stub);
    Chopper reader;
    reader.setSource(file.get());
    std::string line;
    int c;
    while ((c = reader.nextChar()) != '\n') line.push_back(static_cast<char>(c));
    EXPECT_EQ(line.size(), static_cast<std::size_t>(Chopper::kLineCapacity - 3));
    EXPECT_EQ(reader.position(), 5001);
    EXPECT_EQ(readAllTokens(reader), (Tokens{"a:after", "f", "e"}));
  }
  // NUL bytes are dropped, also where they would end a line early.
  {
    TempStub file(std::string("ab\0cd\n\0\0\nx", 10));
    Chopper reader;
    reader.setSource(file.get());
    EXPECT_EQ(readAllTokens(reader), (Tokens{"a:abcd", "f", "f", "a:x", "f", "e"}));
  }
  // Random bytes always come to an end, without reading out of bounds.
  std::mt19937 random(4);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(20000, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xff);
    if (round % 2 == 1)  // mostly quotes, marks and line ends
      for (char& b : bytes) b = "\"%\n\r#1a"[random() % 7];
    const ArgumentTable args{std::string("arg"), std::string("two"), std::string("3"),
                             std::string("4"), std::string("5"), std::string("6"),
                             std::string("7"), std::string("8"), std::string("9")};
    TempStub file(bytes);
    Chopper reader;
    reader.setSource(file.get());
    reader.setArguments(&args);
    Tokens tokens = readAllTokens(reader, 100000);
    ASSERT_EQ(tokens.back(), "e");
    std::rewind(file.get());
    reader.setSource(file.get());
    std::string text;
    EXPECT_LE(reader.readQuoted(text), 0);
    EXPECT_LE(text.size(), static_cast<std::size_t>(Chopper::kQuotedLength));
    reader.skipStatement();
  }
}

TEST(ChopperSkipTest, SkipLineToLineEndAndStatement) {
  {
    TempStub file("rest of line\nnext\n");
    Chopper reader;
    reader.setSource(file.get());
    reader.skipLine();
    EXPECT_EQ(readAllTokens(reader), (Tokens{"a:next", "f", "e"}));
    reader.skipLine();  // at the end: returns
  }
  {
    TempStub file("a \"b c\" 3 # x\nnext\n");
    Chopper reader;
    reader.setSource(file.get());
    reader.skipToLineEnd();
    EXPECT_EQ(readAllTokens(reader), (Tokens{"a:next", "f", "e"}));
    reader.skipToLineEnd();  // at the end: returns
  }
  struct Case {
    std::string stub;
    int result;
    Tokens after;
  } cases[] = {
      {"a + b\nnext\n", 'f', {"a:next", "f", "e"}},
      {"a +\nb\nnext\n", 'f', {"a:next", "f", "e"}},
      {"a -\nb *\nc /\nd ,\ne _\nf\nnext\n", 'f', {"a:next", "f", "e"}},
      {"a +\n", 'e', {"e"}},
      {"", 'e', {"e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    TempStub file(c.stub);
    Chopper reader;
    reader.setSource(file.get());
    EXPECT_EQ(reader.skipStatement(), c.result);
    EXPECT_EQ(readAllTokens(reader), c.after);
  }
}

TEST(ChopperReadQuotedTest, Cases) {
  struct Case {
    std::string stub;
    int result;
    std::string text;
    Tokens after;
  } cases[] = {
      {"label \"title.ttl\" rest\n", 0, "title.ttl", {"a:rest", "f", "e"}},
      {"\n\n  \"over\ntwo lines\"\n", 0, "over\ntwo lines", {"f", "e"}},
      {"\"" + std::string(100, 'm') + "\" x\n", 0, std::string(89, 'm'), {"a:x", "f", "e"}},
      {"no quote here\n", -1, "", {"e"}},
      {"\"never closed " + std::string(200, 'n'), -1,
       ("never closed " + std::string(200, 'n')).substr(0, 89), {"e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    TempStub file(c.stub);
    Chopper reader;
    reader.setSource(file.get());
    std::string text;
    EXPECT_EQ(reader.readQuoted(text), c.result);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(readAllTokens(reader), c.after);
  }
  // A text in memory ends at its NUL.
  Chopper reader;
  reader.setString("\"abc");
  std::string text;
  EXPECT_EQ(reader.readQuoted(text), -1);
  EXPECT_EQ(text, "abc");
}

TEST(ChopperReadQuotedTest, ReadsTheKeyboardPlainlyAndKeepsKeyboardMode) {
  ScriptedKeys keys;
  keys.type("\"typed\" more\n");
  ScopedKeySource scoped(keys);
  ConsoleCapture capture;
  Chopper reader;
  reader.setSource(stdin);
  std::string text;
  EXPECT_EQ(reader.readQuoted(text), 0);
  EXPECT_EQ(text, "typed");
  EXPECT_TRUE(reader.keyboardMode());
  EXPECT_EQ(capture.text(), "");  // nothing echoed
}

TEST(ChopperConfigLineTest, ValuesAndMessages) {
  struct Case {
    std::string stub;
    int bound;
    int result;
    std::string value;
    std::string output;
  } cases[] = {
      {"Identity;   50\nnext\n", 0, 0, "50", ""},
      {"Identity; gdp = c + i;\r\n", 0, 0, "gdp = c + i;", ""},
      {"x;\n", 0, 0, "", ""},
      {"Label;123456\n", 5, -1, "12345", "Config line too long: Label;123456\n"},
      {"Label;12345\n", 5, 0, "12345", ""},
      {"", 0, -1, "", ""},
      {"no semicolon\n", 0, -1, "",
       "Config line missing ;: no semicolon\n\nTap a key to continue.  ESC to exit."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    ScriptedKeys keys("x", false);
    ScopedKeySource scoped(keys);
    ConsoleCapture capture;
    TempStub file(c.stub);
    Chopper reader;
    reader.setSource(file.get());
    std::string value = "old";
    EXPECT_EQ(reader.readConfigLine(value, c.bound), c.result);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(capture.text(), c.output);
  }
}

TEST(ChopperConfigLineTest, ReadingGoesOnWithTheNextLine) {
  // A raw line longer than 298 characters is dropped after its 298th.
  std::string stub = "cfg;v=" + std::string(400, 'w') + "\n\"t0.ttl\" \"t1.ttl\"\n";
  TempStub file(stub);
  Chopper reader;
  reader.setSource(file.get());
  std::string value;
  EXPECT_EQ(reader.readConfigLine(value), 0);
  EXPECT_EQ(value.size(), 298u - 4u);
  EXPECT_EQ(reader.position(), 407);
  std::string text;
  EXPECT_EQ(reader.readQuoted(text), 0);
  EXPECT_EQ(text, "t0.ttl");
  EXPECT_EQ(reader.readQuoted(text), 0);
  EXPECT_EQ(text, "t1.ttl");
}

TEST(ChopperConfigLineTest, EscapeAtThePromptEndsWithStatus1) {
  ConsoleCapture capture;
  ScriptedKeys keys("", false);  // used up: Escape
  ScopedKeySource scoped(keys);
  TempStub file("no semicolon\n");
  Chopper reader;
  reader.setSource(file.get());
  std::string value;
  EXPECT_EQ(testing::exitStatusOf([&] { reader.readConfigLine(value); }), 1);
}

struct ListResult {
  int highest;
  int base;
  std::vector<int> ones;   // indexes flagged 1
  std::vector<int> zeros;  // indexes flagged 0 by parentheses (checked where listed)
  std::string output;
  Tokens after;
};

ListResult parseList(const std::string& stub, std::vector<int> zeros) {
  TempStub file(stub);
  Chopper reader;
  reader.setSource(file.get());
  ConsoleCapture capture;
  NumberFlags flags;
  flags.fill(-1);  // not listed
  ListResult result;
  result.highest = reader.parseNumberList(flags, result.base);
  for (int i = 0; i < kNumberListSize; ++i)
    if (flags[static_cast<std::size_t>(i)] == 1) result.ones.push_back(i);
  for (int z : zeros)
    if (flags[static_cast<std::size_t>(z)] == 0) result.zeros.push_back(z);
  result.output = capture.text();
  result.after = readAllTokens(reader);
  return result;
}

TEST(ChopperNumberListTest, Cases) {
  struct Case {
    std::string stub;
    std::vector<int> zeros;
    int highest;
    int base;
    std::vector<int> ones;
    std::string output;
    Tokens after;
  } cases[] = {
      {"1-5, (3)\nnext\n", {3}, 5, 0, {1, 2, 4, 5}, "", {"a:next", "f", "e"}},
      {"101, 105 103\n", {}, 5, 100, {1, 3, 5}, "", {"e"}},
      {"3 7 - 5\n", {}, 5, 2, {1, 3, 4, 5}, "", {"e"}},
      {"1, 2,\n 9\nnext\n", {}, 9, 0, {1, 2, 9}, "", {"a:next", "f", "e"}},
      {"1 (2 3) 4\n", {2, 3}, 4, 0, {1, 4}, "", {"e"}},
      {"1 2) 4\n", {}, 2, 0, {1, 2}, "", {"n:4", "f", "e"}},
      {"- 5\n", {}, 0, 0, {}, "\nA number must procede a -.", {"f", "e"}},
      {"1 - x\n", {}, 1, 0, {1}, "\nA - must be followed by a number.", {"f", "e"}},
      {"1 abc 2\n", {}, 1, 0, {1}, "\nUnrecognized element abc", {"n:2", "f", "e"}},
      {"1 299\n", {}, 299, 0, {1, 299}, "", {"e"}},
      {"1 300\n", {}, 1, 0, {1}, "\nNumber 300 is outside the list's range (1 to 299).",
       {"f", "e"}},
      {"50 10\n", {}, 1, 49, {1}, "\nNumber 10 is outside the list's range (50 to 348).",
       {"f", "e"}},
      {"1 - 400\n", {}, 1, 0, {1}, "\nNumber 400 is outside the list's range (1 to 299).",
       {"f", "e"}},
      {"\n", {}, 0, 0, {}, "", {"e"}},
      // A first number beyond the int range counts as 2147483647 (so its range reaches
      // 2147483647 + 298, past the int range).
      {"4444444444(0\n", {}, 1, 2147483646, {1},
       "\nNumber 0 is outside the list's range (2147483647 to 2147483945).", {"f", "e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    ListResult r = parseList(c.stub, c.zeros);
    EXPECT_EQ(r.highest, c.highest);
    EXPECT_EQ(r.base, c.base);
    EXPECT_EQ(r.ones, c.ones);
    EXPECT_EQ(r.zeros, c.zeros);
    EXPECT_EQ(r.output, c.output);
    EXPECT_EQ(r.after, c.after);
  }
}

TEST(ChopperDateRangeTest, Cases) {
  struct Case {
    std::string stub;
    int result;
    VexDate first;
    VexDate last;
    Tokens after;
  } cases[] = {
      {"1990 2000 line\n", 2, VexDate(1990, 1, 1), VexDate(2000, 1, 1), {"a:line", "f", "e"}},
      {"1995.2\n", 1, VexDate(1995, 2, 4), VexDate(1995, 2, 4), {"f", "e"}},
      {"1995.011 1996.001\n", 2, VexDate(1995, 11, 12), VexDate(1996, 1, 12), {"f", "e"}},
      {"line 1990\n", 0, VexDate(), VexDate(), {"a:line", "n:1990", "f", "e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    TempStub file(c.stub);
    Chopper reader;
    reader.setSource(file.get());
    VexDate first;
    VexDate last;
    EXPECT_EQ(reader.readDateRange(first, last), c.result);
    EXPECT_EQ(first.year, c.first.year);
    EXPECT_EQ(first.period, c.first.period);
    EXPECT_EQ(first.frequency, c.first.frequency);
    EXPECT_EQ(last.year, c.last.year);
    EXPECT_EQ(last.period, c.last.period);
    EXPECT_EQ(last.frequency, c.last.frequency);
    EXPECT_EQ(readAllTokens(reader), c.after);
  }
  TempStub file("2000 1990\n");
  Chopper reader;
  reader.setSource(file.get());
  VexDate first;
  VexDate last;
  EXPECT_EQ(reader.readDateRange(first, last), -1);
}

TEST(ChopperKeyboardTest, PipedKeysAreReadAsPlainLines) {
  ScriptedKeys keys("\\echo hi\r\ngdp;Output\nno line end", false);
  ScopedKeySource scoped(keys);
  ConsoleCapture capture;
  Chopper reader;
  reader.setSource(stdin);
  EXPECT_TRUE(reader.keyboardMode());
  EXPECT_EQ(reader.position(), 0);
  EXPECT_EQ(readAllTokens(reader),
            (Tokens{"a:\\echo", "a:hi", "f", "a:gdp", ";:;", "a:Output", "f", "a:no", "a:line",
                    "a:end", "f", "e"}));
  EXPECT_EQ(capture.text(), "");
}

TEST(ChopperKeyboardTest, TypedLinesGoThroughTheEditorAndItsHistory) {
  ScriptedKeys keys;
  keys.type("gdp\r").extended(key::kUp).type("\r").code(-1);
  ScopedKeySource scoped(keys);
  ConsoleCapture capture;
  Chopper reader;
  reader.setSource(stdin);
  EXPECT_EQ(readAllTokens(reader), (Tokens{"a:gdp", "f", "a:gdp", "f", "e"}));
  EXPECT_EQ(reader.editor().history().count(), 1);  // the recalled line is not added again
  reader.setSource(stdin);
  EXPECT_EQ(reader.editor().history().count(), 0);  // a new source empties the history
}

}  // namespace
}  // namespace tabrix
