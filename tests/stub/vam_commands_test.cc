// The VAM-only commands and \matcfg through the interpreter: refused off VAM files with
// the rest of their line, the matrix-listing settings, \cutoff's warning and year rule,
// and \load of vectors and matrix rows into each alternative's slice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "banks/vam_file.h"
#include "banks/vam_writer.h"
#include "interpreter_fixture.h"
#include "stub/run_state.h"
#include "test_files.h"

namespace tabrix::testing {
namespace {

using VamCommandsTest = StubTest;

TEST_F(VamCommandsTest, OffVamFilesEachCommandSaysSoAndSkipsItsLine) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"\\row", "\\row command only allowed on Vam Files.  Continuing...\n"},
      {"\\columns", "\\col command only allowed on Vam Files.  Continuing...\n"},
      {"\\coef", "\\coef command only allowed on Vam Files. Continuing...\n"},
      {"\\flow", "\\flow command only allowed on Vam Files. Continuing...\n"},
      {"\\matlist 1-3, 5", "\\Matlist command only allowed on Vam Files. Continuing...\n"},
      {"\\cutoff 0.05 1990", "\\cutoff command only allowed on Vam Files.  Continuing...\n"},
      {"\\nosubtotals", "\\nosubtot command only allowed on Vam Files. Continuing...\n"},
      {"\\nst", "\\nst command only allowed on Vam Files. Continuing...\n"},
      {"\\load out 2", "\\load command only allowed on Vam Files. Continuing...\n"},
  };
  for (const auto& c : cases) {
    // The line after the command is read normally: its numbers are not a line of their own.
    EXPECT_EQ(runStub(std::string(c.line) + "\n\\pl 50\n"), InterpretEnd) << c.line;
    EXPECT_EQ(output, c.message) << c.line;
    EXPECT_EQ(table.pageLength, 50) << c.line;
    table.pageLength = 66;
  }
  const MatListSettings untouched;
  EXPECT_EQ(run.matlist.listByRow, untouched.listByRow);
  EXPECT_EQ(run.matlist.listFlows, untouched.listFlows);
  EXPECT_EQ(run.matlist.cutoffRate, untouched.cutoffRate);
  EXPECT_EQ(run.matlist.cutoffYear, untouched.cutoffYear);
  EXPECT_FALSE(run.matlist.noSubtotals);
  EXPECT_FALSE(run.matlist.noSectorTitles);
}

TEST_F(VamCommandsTest, OnVamFilesTheSettingsChange) {
  run.vamOnly = true;
  EXPECT_EQ(runStub("\\col\n\\coef\n\\nosubtot\n\\nst\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_FALSE(run.matlist.listByRow);
  EXPECT_FALSE(run.matlist.listFlows);
  EXPECT_TRUE(run.matlist.noSubtotals);
  EXPECT_TRUE(run.matlist.noSectorTitles);
  EXPECT_EQ(runStub("\\row\n\\flow\n"), InterpretEnd);
  EXPECT_TRUE(run.matlist.listByRow);
  EXPECT_TRUE(run.matlist.listFlows);
}

TEST_F(VamCommandsTest, CutoffTakesARateAndAYear) {
  run.vamOnly = true;
  const struct {
    const char* line;
    float rate;
    int year;
    const char* message;
  } cases[] = {
      {"\\cutoff 0.05", 0.05f, -1, ""},
      {"\\cutoff 1.5 95", 1.5f, 1995, "cutoff rate is normally between zero and one.\r\n\n\rCutoff year is 1995\n\r"},
      {"\\cutoff 0.1 5", 0.1f, 1905, "\n\rCutoff year is 1905\n\r"},
      // A full year below 1925 stays as it is (not 3824).
      {"\\cutoff 0.1 1924", 0.1f, 1924, "\n\rCutoff year is 1924\n\r"},
      {"\\cutoff 0.1 2001 extra", 0.1f, 2001, "\n\rCutoff year is 2001\n\r"},
      {"\\cutoff high 1990", 0.0f, -1, "cutoff rate must be a number\r\n"},
  };
  for (const auto& c : cases) {
    run.matlist = MatListSettings{};
    EXPECT_EQ(runStub(std::string(c.line) + "\n"), InterpretEnd) << c.line;
    EXPECT_EQ(output, c.message) << c.line;
    EXPECT_EQ(run.matlist.cutoffRate, c.rate) << c.line;
    EXPECT_EQ(run.matlist.cutoffYear, c.year) << c.line;
  }
}

TEST_F(VamCommandsTest, MatcfgNamesTheConfigurationOnAnyBank) {
  EXPECT_EQ(run.matlistConfig, "matlist.cfg");
  EXPECT_EQ(runStub("\\matcfg  model.cfg  \n"), InterpretEnd);
  EXPECT_EQ(run.matlistConfig, "model.cfg");
  EXPECT_EQ(runStub("\\mc other.cfg\n"), InterpretEnd);
  EXPECT_EQ(run.matlistConfig, "other.cfg");
  EXPECT_EQ(runStub("\\mc\n"), InterpretEnd);
  EXPECT_EQ(run.matlistConfig, "other.cfg");
  EXPECT_EQ(output, "\\matcfg needs a file name; the listings keep reading other.cfg.\n");
}

// Two VAM alternatives of a vector out (3 elements) and a 3 x 3 matrix a, 2000 .. 2001;
// a's cell (r, c) is 10 r + c (and 100 more in the second file).
class LoadTest : public StubTest {
 protected:
  LoadTest() {
    for (int i = 0; i < 2; ++i) {
      const std::string root = dir.file("model" + std::to_string(i));
      VamWriter writer("Load", 2000, 2001);
      std::string reason;
      const int out = writer.addVariable("out", 'v', 3, 1, reason);
      const int a = writer.addVariable("a", 'm', 3, 3, reason);
      for (int r = 1; r <= 3; ++r) {
        EXPECT_TRUE(writer.setCell(out, r, 1, std::vector<float>{1.0f * r, 2.0f * r}, reason)) << reason;
        for (int c = 1; c <= 3; ++c) {
          const float v = 10.0f * r + c + 100.0f * i;
          EXPECT_TRUE(writer.setCell(a, r, c, std::vector<float>{v, v}, reason)) << reason;
        }
      }
      EXPECT_EQ(writer.write(root), 0);
      run.banks[static_cast<std::size_t>(i)] = std::make_unique<VamFile>(root);
      files[i] = static_cast<VamFile*>(run.banks[static_cast<std::size_t>(i)].get());
    }
    run.bankCount = 2;
    run.vamOnly = true;
    capture.take();
  }

  TempDir dir{"tabrix-load"};
  VamFile* files[2] = {nullptr, nullptr};
};

TEST_F(LoadTest, LoadsAVectorOrAMatrixRowInEveryAlternative) {
  EXPECT_EQ(runStub("\\load out\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  for (VamFile* file : files) {
    ASSERT_TRUE(file->sliceLoaded());
    EXPECT_EQ(file->sliceMode(), 'x');
    EXPECT_EQ(file->slice().at(2, 3), 6.0f);  // element 3 in 2001: 2 x 3
  }
  EXPECT_EQ(runStub("\\load a 2\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(files[i]->sliceMode(), 'r');
    EXPECT_EQ(files[i]->sliceNumber(), 2);
    EXPECT_EQ(files[i]->slice().at(1, 3), 23.0f + 100.0f * i);  // cell (2, 3)
  }
}

TEST_F(LoadTest, RefusesWhatCannotBeLoaded) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"\\load a", "Must specify row for matrix on \\load command\n"},
      {"\\load a 4", "Error: Invalid row number: 4!\nUnable to do load of a.\n"},
      {"\\load zz", "Unable to do load of zz.\n"},
      {"\\load 5", "Format for \\load command is \\load <vecname|matname> [<row>].\tContinuing...\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(runStub(std::string(c.line) + "\n\\pl 50\n"), InterpretEnd) << c.line;
    EXPECT_EQ(output, c.message) << c.line;
    EXPECT_EQ(table.pageLength, 50) << c.line;
  }
}

TEST_F(LoadTest, MatlistListsThroughTheInterpreter) {
  struct InDirectory {
    std::filesystem::path saved = std::filesystem::current_path();
    explicit InDirectory(const std::string& path) { std::filesystem::current_path(path); }
    ~InDirectory() { std::filesystem::current_path(saved); }
  } inDirectory(dir.path());
  std::ofstream(dir.file("titles.ttl")) << "1 \"One\"\n2 \"Two\"\n3 \"Three\"\n";
  std::ofstream(dir.file("rows.cfg")) << "x; out = a*out\n\"titles.ttl\" \"titles.ttl\" \"Out\" \"Sales\"\n";
  table.out.openMemory();
  table.altCount = 2;
  // The list goes on after its trailing comma; the line after it is read as usual.
  EXPECT_EQ(runStub("\\mc rows.cfg\n\\dates 2000 2001\n\\coef\n\\matlist 1,\n 3\n\\pl 50\n"), InterpretEnd);
  EXPECT_EQ(output, "\rProcessing sector   1\rProcessing sector   3\n");
  EXPECT_EQ(table.pageLength, 50);
  const std::string text = table.out.text();
  EXPECT_NE(text.find("Seller:   1 One"), std::string::npos) << text;
  EXPECT_NE(text.find("Seller:   3 Three"), std::string::npos) << text;
  EXPECT_EQ(text.find("Seller:   2 Two"), std::string::npos) << text;
  // Without a date list no line can be written: the run stops, as for a table line.
  TableLine undated;
  undated.out.openMemory();
  EXPECT_EQ(runStub("\\matlist 2\n", undated), -1);
  EXPECT_NE(output.find("Dates not set."), std::string::npos) << output;
}

}  // namespace
}  // namespace tabrix::testing
