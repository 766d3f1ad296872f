#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "hornwall/corr_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::block_names;
using testing::MemoryFileSystem;
using testing::node_rows;
using testing::run_in_memory;

// A console run of the 50 mm wall with three corrugations (50 mm aperture, 30 mm final radius,
// 100 long, CT 2, D1 5) with `nvar` variable corrugations (gaps 1.5, heights 10) out of
// `ncorr`, and the taper answers `tapers` (one line, two for the dual band).
std::string console_answers(int band, std::int64_t ncorr, std::int64_t nvar,
                            const std::string& tapers) {
  std::ostringstream answers;
  answers << "0\n"
          << band << "\ncorr.zul\n50\n3\n0\n30\n100\n"
          << ncorr << "\n2\n5\n"
          << nvar << "\n";
  for (std::int64_t i = 1; i <= nvar; ++i) answers << (i >= 2 ? "1.5\n10\n" : "10\n");
  answers << tapers;
  return answers.str();
}

// The value line of block `name`, or "" when the file has no such block.
std::string value_of(const std::string& file, const std::string& name) {
  return testing::value_line_of(file, name);
}

// The heights written for the remaining corrugations: the sci12.4 field that ends the
// top row of each near face.
std::vector<std::string> remaining_heights(const std::string& file) {
  std::vector<std::string> heights;
  for (const std::string& row : node_rows(file)) {
    if (row.find("-REF(CT)\"") == std::string::npos && row.find("RW1)+") != std::string::npos) {
      heights.push_back(row.substr(row.size() - 13, 12));
    }
  }
  return heights;
}

struct BlockCase {
  std::int32_t nvar;
  std::int32_t ncorr;
  const char* names;  // after RW1 ZW1 RW2 ZW2 CT D1 ZC1 ZD RD
  const char* zcf;    // the expression of ZCF
  std::size_t rows;   // node rows
};

TEST(CorrWall, WritesTheBlocksOfEachVariableCorrugationInTurn) {
  const BlockCase cases[] = {
      {-1, 1, "ZCF CD1 CD2 ZCS", "REF(ZC1)", 1 + 4 * 2},
      {0, 0, "ZCF CD1 CD2", "REF(ZC1)", 1},
      {1, 1, "ZCF C1 RC1 CD1 CD2", "REF(ZC1)", 1 + 4},
      {2, 1, "C1 RC1 D2 ZC2 ZCF C2 RC2 CD1 CD2", "REF(ZC2)", 1 + 4 * 2},
      {3, 4, "C1 RC1 D2 ZC2 C2 RC2 D3 ZC3 ZCF C3 RC3 CD1 CD2 ZCS", "REF(ZC3)", 1 + 4 * 4},
      {7, 7,
       "C1 RC1 D2 ZC2 C2 RC2 D3 ZC3 C3 RC3 D4 ZC4 C4 RC4 D5 ZC5 C5 RC5 D6 ZC6 C6 RC6 D7 ZC7 ZCF "
       "C7 RC7 CD1 CD2",
       "REF(ZC7)", 1 + 4 * 7},
      // Past seven, the seventh still defines ZCF and later corrugations write nothing.
      {8, 10,
       "C1 RC1 D2 ZC2 C2 RC2 D3 ZC3 C3 RC3 D4 ZC4 C4 RC4 D5 ZC5 C5 RC5 D6 ZC6 C6 RC6 D7 ZC7 ZCF "
       "C7 RC7 CD1 CD2 ZCS",
       "REF(ZC7)", 1 + 4 * 7 + 4 * 2},
  };
  for (const BlockCase& c : cases) {
    SCOPED_TRACE("NVAR " + std::to_string(c.nvar));
    MemoryFileSystem files;
    const auto run =
        run_in_memory(corr_program, console_answers(1, c.ncorr, c.nvar, "8 6\n"), files);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& file = files.files["corr.zul"];
    EXPECT_EQ(block_names(file), std::string("RW1 ZW1 RW2 ZW2 CT D1 ZC1 ZD RD ") + c.names);
    EXPECT_EQ(value_of(file, "ZCF"), std::string("  value    : \"") + c.zcf + "\"");
    EXPECT_EQ(node_rows(file).size(), c.rows);
  }
}

struct HeightCase {
  int band;
  std::int32_t nrem;
  const char* tapers;
  std::vector<std::string> heights;
};

TEST(CorrWall, GivesEachRemainingCorrugationTheHeightOfItsTaper) {
  const HeightCase cases[] = {
      {1, 1, "8 6\n", {"  8.0000E+00"}},
      {1, 2, "8 6\n", {"  8.0000E+00", "  6.0000E+00"}},
      {1, 3, "8 6\n", {"  8.0000E+00", "  7.0000E+00", "  6.0000E+00"}},
      {1,
       5,
       "0 1\n",
       {"  0.0000E+00", "  2.5000E-01", "  5.0000E-01", "  7.5000E-01", "  1.0000E+00"}},
      // Worked out in single precision, CD2 - CD1 would lose CD2 altogether.
      {1, 2, "1 1e-8\n", {"  1.0000E+00", "  1.0000E-08"}},
      {2, 1, "8 6\n4 2\n", {"  8.0000E+00"}},
      {2, 2, "8 6\n4 2\n", {"  8.0000E+00", "  2.0000E+00"}},
      {2, 3, "8 6\n4 2\n", {"  8.0000E+00", "  3.0000E+00", "  6.0000E+00"}},
      {2, 4, "8 6\n4 2\n", {"  8.0000E+00", "  3.3333E+00", "  6.6667E+00", "  2.0000E+00"}},
      {2,
       5,
       "8 6\n4 2\n",
       {"  8.0000E+00", "  3.5000E+00", "  7.0000E+00", "  2.5000E+00", "  6.0000E+00"}},
  };
  for (const HeightCase& c : cases) {
    SCOPED_TRACE("band " + std::to_string(c.band) + ", NREM " + std::to_string(c.nrem));
    MemoryFileSystem files;
    const auto run =
        run_in_memory(corr_program, console_answers(c.band, c.nrem + 1, 1, c.tapers), files);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(remaining_heights(files.files["corr.zul"]), c.heights);
  }
}

// With --parametric-heights, the heights of the remaining corrugations as the near faces'
// top rows write them: the expression after "REF(RW1)+".
std::vector<std::string> parametric_heights(const std::string& file) {
  std::vector<std::string> heights;
  std::istringstream lines(file);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("REF(RW1)+");
    if (at == std::string::npos || line.find("-REF(CT)\"") != std::string::npos) continue;
    const std::size_t from = at + std::string_view("REF(RW1)+").size();
    heights.push_back(line.substr(from, line.rfind('"') - from));
  }
  return heights;
}

TEST(CorrWall, WritesTheRemainingHeightsOverTheirTaperVariables) {
  const HeightCase cases[] = {
      // One remaining corrugation of a taper stands at its first height.
      {1, 1, "8 6\n", {"REF(CD1)"}},
      {2, 1, "8 6\n4 2\n", {"REF(CD1)"}},
      {1,
       2,
       "8 6\n",
       {"  0*(REF(CD2)-REF(CD1))/  1+REF(CD1)", "  1*(REF(CD2)-REF(CD1))/  1+REF(CD1)"}},
      {2,
       3,
       "8 6\n4 2\n",
       {"  0*(REF(CD2)-REF(CD1))/  2+REF(CD1)", "  1*(REF(CD4)-REF(CD3))/  2+REF(CD3)",
        "  2*(REF(CD2)-REF(CD1))/  2+REF(CD1)"}},
  };
  for (const HeightCase& c : cases) {
    SCOPED_TRACE("band " + std::to_string(c.band) + ", NREM " + std::to_string(c.nrem));
    MemoryFileSystem files;
    const auto run = run_in_memory(corr_program, console_answers(c.band, c.nrem + 1, 1, c.tapers),
                                   files, {"--parametric-heights"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(parametric_heights(files.files["corr.zul"]), c.heights);
  }
}

TEST(CorrWall, WritesCountsPastThreeColumnsInFull) {
  MemoryFileSystem files;
  const auto run = run_in_memory(corr_program, console_answers(1, 1000, 0, "8 6\n"), files);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& file = files.files["corr.zul"];
  EXPECT_EQ(value_of(file, "ZCS"), "  value    : \"(REF(ZW2)-REF(ZCF)-REF(CT))/1000\"");
  const std::vector<std::string> rows = node_rows(file);
  ASSERT_EQ(rows.size(), 1 + 4 * 1000u);
  EXPECT_EQ(rows[rows.size() - 5],
            "        \"-REF(ZCF)-REF(ZCS)*999-REF(CT)\"   "
            "\"REF(RD)*(REF(ZCF)+REF(ZCS)*999)/REF(ZD)+REF(RW1)\"");
  EXPECT_EQ(rows.back(),
            "        \"-REF(ZCF)-REF(ZCS)*1000-REF(CT)\"   "
            "\"REF(RD)*(REF(ZCF)+REF(ZCS)*1000)/REF(ZD)+REF(RW1)\"");
}

// An object file on a nearly full disk: writing past `capacity` bytes fails, so that a
// run asked for billions of corrugations ends early with what it wrote.
class SmallDisk : public MemoryFileSystem {
 public:
  static constexpr std::size_t capacity = 1 << 18;

  std::unique_ptr<ObjectSink> open_object(const std::string& name) override {
    return std::make_unique<Capped>(MemoryFileSystem::open_object(name), name);
  }

 private:
  class Capped : public ObjectSink {
   public:
    Capped(std::unique_ptr<ObjectSink> sink, std::string name)
        : sink_(std::move(sink)), name_(std::move(name)) {}
    void write(std::string_view bytes) override {
      written_ += bytes.size();
      if (written_ > capacity) throw channel_error(Failure::write_error, object_file_unit, name_);
      sink_->write(bytes);
    }
    void close() override { sink_->close(); }

   private:
    std::unique_ptr<ObjectSink> sink_;
    std::string name_;
    std::size_t written_ = 0;
  };
};

TEST(CorrWall, CountsTheRemainingCorrugationsWithoutWrappingAround) {
  {
    SCOPED_TRACE("NCORR - NVAR below the 32-bit range: none remain");
    SmallDisk files;
    const auto run = run_in_memory(corr_program, console_answers(1, INT32_MIN, 1, "8 6\n"), files);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(value_of(files.files["corr.zul"], "ZCS"), "");
    EXPECT_EQ(node_rows(files.files["corr.zul"]).size(), 1 + 4u);
  }
  {
    SCOPED_TRACE("NCORR - NVAR above the 32-bit range: 4294967295 remain");
    SmallDisk files;
    const auto run = run_in_memory(
        corr_program, console_answers(1, INT32_MAX, INT32_MIN, "0 4294967296\n"), files);
    EXPECT_EQ(run.err, "severe (38): error during write, unit 43, file corr.zul\n");
    const std::string& file = files.files["corr.zul"];
    EXPECT_EQ(value_of(file, "ZCS"), "  value    : \"(REF(ZW2)-REF(ZCF)-REF(CT))/4294967295\"");
    const std::vector<std::string> heights = remaining_heights(file);
    ASSERT_GE(heights.size(), 2u);
    EXPECT_EQ(heights[1], "  1.0000E+00");
  }
}

TEST(CorrWall, KeepsThePreviousPassForANullAnswer) {
  MemoryFileSystem files;
  const std::string answers =
      "0\n1\ncorr.zul\n50\n3\n0\n30\n100\n4\n2\n5\n3\n10\n/\n/\n3.5\n/\n8 6\n";
  const auto run = run_in_memory(corr_program, answers, files);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& file = files.files["corr.zul"];
  // The gap of the second corrugation has no earlier answer: it is not D1.
  EXPECT_EQ(value_of(file, "D2"), "  value            :   0.0000E+00");
  EXPECT_EQ(value_of(file, "C2"), "  value            :   1.0000E+01");
  EXPECT_EQ(value_of(file, "D3"), "  value            :   3.5000E+00");
  EXPECT_EQ(value_of(file, "C3"), "  value            :   1.0000E+01");
}

TEST(CorrWall, RefusesAUnitCodeOutsideTheFourUnitTable) {
  for (const std::int32_t code : {0, 5, -1}) {
    MemoryFileSystem files;
    std::ostringstream answers;
    answers << "0\n1\ncorr.zul\n50\n" << code << "\n0\n";
    const auto run = run_in_memory(corr_program, answers.str(), files);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "severe (66): length unit code " + std::to_string(code) +
                           " not in 1 to 4, unit 5, file stdin\n");
    EXPECT_EQ(files.files["corr.zul"], "");
  }
}

}  // namespace
}  // namespace hornwall
