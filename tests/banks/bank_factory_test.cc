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

TEST(BankFactoryTest, KindsNotYetAvailableAnswerAClosedBank) {
  for (char letter : {'c', 'h', 'd', 'v'}) {
    ConsoleCapture capture;
    std::unique_ptr<DataBank> bank = openBank(letter, "/nowhere/bank", "dirfor.dat");
    ASSERT_NE(bank, nullptr) << letter;
    EXPECT_FALSE(bank->isOpen());
    EXPECT_EQ(bank->kind(), letter);
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
