#include "banks/bank_factory.h"

#include <gtest/gtest.h>

#include "bank_test_support.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"

namespace tabrix {
namespace {

using testing::series;
using testing::TempDir;

TEST(BankFactoryTest, WorkspaceLetterOpensAWorkspaceBank) {
  TempDir dir;
  std::string root = dir.file("base");
  {
    VexBank bank(root, "New", 1995, 2, 1);
    ASSERT_GE(bank.writeSeries("gdp", series({1, 2}), 'n', -1), 0);
  }
  std::unique_ptr<DataBank> bank = openBank('w', root);
  ASSERT_NE(bank, nullptr);
  EXPECT_TRUE(bank->isOpen());
  EXPECT_EQ(bank->kind(), 'w');
  EXPECT_EQ(bank->baseYear(), 1995);
  testing::Series values{};
  EXPECT_EQ(bank->readSeries("gdp", values, -1), 0);
  EXPECT_EQ(values[1], 2.0f);

  ConsoleCapture capture;
  std::unique_ptr<DataBank> missing = openBank('w', dir.file("none"));
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(missing->isOpen());
  EXPECT_EQ(missing->kind(), 'x');
}

// Every kind answers its own bank, not open when its files are missing; a workspace
// bank or VAM file whose data file cannot be opened is of kind 'x'.
TEST(BankFactoryTest, BanksWhoseFilesAreMissingAnswerAClosedBank) {
  const struct {
    char letter;
    char kind;
  } cases[] = {{'c', 'c'}, {'h', 'h'}, {'d', 'd'}, {'v', 'x'}};
  for (const auto& c : cases) {
    ConsoleCapture capture;
    std::unique_ptr<DataBank> bank = openBank(c.letter, "/nowhere/bank", "/nowhere/dirfor.dat");
    ASSERT_NE(bank, nullptr) << c.letter;
    EXPECT_FALSE(bank->isOpen());
    EXPECT_EQ(bank->kind(), c.kind);
    testing::Series values{};
    EXPECT_LT(bank->readSeries("a", values, -1), 0);
  }
}

TEST(BankFactoryTest, KindsTableCoversTheFiveLettersOnly) {
  std::string letters;
  for (const BankKind& kind : bankKinds()) letters += kind.letter;
  EXPECT_EQ(letters, "wchdv");
  EXPECT_EQ(findBankKind('W'), nullptr);
  EXPECT_EQ(openBank('x', "root"), nullptr);
  EXPECT_EQ(findBankKind('w')->extension, ".bnk");
}

}  // namespace
}  // namespace tabrix
