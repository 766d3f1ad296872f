#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "hornwall/thickcorr_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::MemoryFileSystem;
using testing::RunResult;

// The answers of one run, one line each; the defaults are those of the 10 mm horn with
// three ridges (aperture radius 10, millimetres, ridges 0 to 2 over 20, walls 3 to 5 thick).
struct Answers {
  std::string type = "1";
  std::string ra = "10";
  std::string unit = "3";
  std::string at = "2";
  std::string zi = "5";
  std::string wt = "3 5";
  std::string lc_nc = "20 2";
  std::string ct = "1";
  std::string cd = "4 6";
  std::string cd_second = "2 3";  // asked in the dual band only
  std::string fl_ft = "10 2";

  std::string text() const {
    std::string lines = type + "\nwall.zul\n" + ra + "\n" + unit + "\n" + at + "\n" + zi + "\n" +
                        wt + "\n" + lc_nc + "\n" + ct + "\n" + cd + "\n";
    if (type == "2") lines += cd_second + "\n";
    return lines + fl_ft + "\n";
  }
};

Answers dual(Answers answers) {
  answers.type = "2";
  return answers;
}

using testing::WallRun;

// Runs hornwall_thickcorr on `answers` from an answers file; `old_object_file`, when
// given, is what wall.zul holds before the run.
WallRun run_answers(const std::string& answers, const std::string* old_object_file = nullptr) {
  return testing::run_answers(thickcorr_program, answers, "wall.zul", old_object_file);
}

std::vector<std::string> node_rows(const WallRun& wall) { return testing::node_rows(wall.file); }

std::string row(const std::string& z, const std::string& rho) {
  return "        " + z + "   " + rho;
}

// The rows of ridge i (1 to NC): four in the single band, eight in the dual band;
// rows missing from the profile read as empty.
std::vector<std::string> ridge_rows(const std::vector<std::string>& rows, bool dual_band,
                                    std::size_t i) {
  const std::size_t per_ridge = dual_band ? 8 : 4;
  const std::size_t first = (dual_band ? 9 : 5) + per_ridge * (i - 1);
  std::vector<std::string> ridge;
  for (std::size_t k = first; k < first + per_ridge; ++k) {
    ridge.push_back(k < rows.size() ? rows[k] : "");
  }
  return ridge;
}

// The rho column of a node row: what follows the z column, a quoted expression or a
// 12-column number, and its 3 blanks.
std::string rho_of(const std::string& node_row) {
  if (node_row.size() < 8 + 12 + 3) return "";
  const std::size_t z_end = node_row[8] == '"' ? node_row.find('"', 9) + 1 : 8 + 12;
  return node_row.substr(std::min(z_end + 3, node_row.size()));
}

TEST(ThickcorrProfile, HasFourRowsARidgeAndNoneForACountOfZeroOrLess) {
  struct Case {
    Answers answers;
    std::size_t rows;
  };
  const Case cases[] = {
      {{.lc_nc = "20 -3"}, 6},       {{.lc_nc = "20 0"}, 6},         {{.lc_nc = "20 1"}, 10},
      {{.lc_nc = "20 7"}, 34},       {dual({.lc_nc = "20 -3"}), 10}, {dual({.lc_nc = "20 0"}), 10},
      {dual({.lc_nc = "20 1"}), 18}, {dual({.lc_nc = "20 7"}), 66},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.text());
    const WallRun wall = run_answers(c.answers.text());
    ASSERT_EQ(wall.console.status, 0) << wall.console.err;
    const std::vector<std::string> rows = node_rows(wall);
    ASSERT_EQ(rows.size(), c.rows);
    EXPECT_EQ(rows.front(), row("  0.0000E+00", "  1.2000E+01"));
    EXPECT_EQ(rows.back(), row("\"-REF(ZI)-  3.1000E+01\"", "  1.2000E+01"));
    const std::string close = rows.back() + "\n    )\n)\n";
    EXPECT_EQ(wall.file.substr(wall.file.size() - close.size()), close);
  }
}

// The second row's ridge 0 stands H = (LC / NC) / 2 behind the front face of ridge 0.
// NC = 0 makes H infinite, or NaN when LC is 0 too; a negative NC puts it in front.
TEST(ThickcorrProfile, DualBandPlacesSecondRowRidgeZeroHalfASpacingBehind) {
  struct Case {
    const char* lc_nc;
    const char* front;
    const char* back;
  };
  const Case cases[] = {
      {"20 2", "  5.0000E+00", "  6.0000E+00"}, {"20 1", "  1.0000E+01", "  1.1000E+01"},
      {"20 0", "    Infinity", "    Infinity"}, {"-20 0", "   -Infinity", "   -Infinity"},
      {"0 0", "         NaN", "         NaN"},  {"20 -2", " -5.0000E+00", " -4.0000E+00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lc_nc);
    const WallRun wall = run_answers(dual({.lc_nc = c.lc_nc}).text());
    ASSERT_EQ(wall.console.status, 0) << wall.console.err;
    const std::vector<std::string> rows = node_rows(wall);
    ASSERT_GE(rows.size(), 10u);
    const std::string front = "\"-REF(ZI)-" + std::string(c.front) + "\"";
    const std::string back = "\"-REF(ZI)-" + std::string(c.back) + "\"";
    const std::vector<std::string> second_row_ridge_0 = {
        row(front, "  1.3000E+01"),
        row(front, "\"REF(CD3)+  1.3000E+01\""),
        row(back, "\"REF(CD3)+  1.3000E+01\""),
        row(back, "  1.3000E+01"),
    };
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 5, rows.begin() + 9), second_row_ridge_0);
  }
}

// The heights carry ridge i and NC themselves, in three columns or, from 1000 on, in
// full: never asterisks inside an expression.
TEST(ThickcorrProfile, HeightExpressionsCarryRidgeAndCountWrittenInFull) {
  struct Case {
    Answers answers;
    std::size_t ridge;
    const char* first_row_height;   // up the ridge's front face and along its top
    const char* second_row_height;  // the same for the second row's ridge, dual band only
  };
  const Case cases[] = {
      {{.lc_nc = "20 1"}, 1, "\"  1*(REF(CD2)-REF(CD1))/  1+REF(CD1)+  1.3000E+01\"", nullptr},
      {{.lc_nc = "20 999"}, 999, "\"999*(REF(CD2)-REF(CD1))/999+REF(CD1)+  1.4998E+01\"", nullptr},
      {{.lc_nc = "20 1000"},
       999,
       "\"999*(REF(CD2)-REF(CD1))/1000+REF(CD1)+  1.4996E+01\"",
       nullptr},
      {{.lc_nc = "20 1000"},
       1000,
       "\"1000*(REF(CD2)-REF(CD1))/1000+REF(CD1)+  1.4998E+01\"",
       nullptr},
      {dual({.lc_nc = "20 1"}), 1, "\"  1*(REF(CD2)-REF(CD1))/  1+REF(CD1)+  1.3000E+01\"",
       "\"  1*(REF(CD4)-REF(CD3))/  1+REF(CD3)+  1.5000E+01\""},
      {dual({.lc_nc = "20 1000"}), 1000, "\"1000*(REF(CD2)-REF(CD1))/1000+REF(CD1)+  1.4998E+01\"",
       "\"1000*(REF(CD4)-REF(CD3))/1000+REF(CD3)+  1.5000E+01\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.text());
    const bool dual_band = c.second_row_height != nullptr;
    const WallRun wall = run_answers(c.answers.text());
    ASSERT_EQ(wall.console.status, 0) << wall.console.err;
    const std::vector<std::string> rows = ridge_rows(node_rows(wall), dual_band, c.ridge);
    EXPECT_EQ(rho_of(rows[1]), c.first_row_height);
    EXPECT_EQ(rho_of(rows[2]), c.first_row_height);
    if (dual_band) {
      EXPECT_EQ(rho_of(rows[5]), c.second_row_height);
      EXPECT_EQ(rho_of(rows[6]), c.second_row_height);
    }
  }
}

// The floor steps only at the back face of a first-row ridge: with WT1 = WT2 every
// floor row carries WT1 + RA, and a second-row ridge never changes the floor.
TEST(ThickcorrProfile, FloorStepsOnlyBehindFirstRowRidges) {
  struct Case {
    Answers answers;
    const char* floor_in_front;  // ridge 2
    const char* floor_behind;
  };
  const Case cases[] = {
      {{.wt = "3 3", .lc_nc = "20 3"}, "  1.3000E+01", "  1.3000E+01"},
      {dual({.wt = "3 3", .lc_nc = "20 3"}), "  1.3000E+01", "  1.3000E+01"},
      {{.wt = "3 6", .lc_nc = "20 3"}, "  1.4000E+01", "  1.5000E+01"},
      {dual({.wt = "3 6", .lc_nc = "20 3"}), "  1.4000E+01", "  1.5000E+01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.text());
    const bool dual_band = c.answers.type == "2";
    const std::vector<std::string> rows =
        ridge_rows(node_rows(run_answers(c.answers.text())), dual_band, 2);
    EXPECT_EQ(rho_of(rows[0]), c.floor_in_front);
    EXPECT_EQ(rho_of(rows[3]), c.floor_behind);
    if (dual_band) {
      EXPECT_EQ(rho_of(rows[4]), c.floor_behind);
      EXPECT_EQ(rho_of(rows[7]), c.floor_behind);
    }
  }
}

// ridge_offset (i * LC) / NC, floor_radius ((WT2 - WT1) * k) / NC + WT1 + RA and
// final_offset (LC + FL) + CT are
// each rounded to single precision once, at the end: for these answers rounding after
// every step writes 2.0998E+01, 2.5000E+01 and 3.8000E+01 instead.
TEST(ThickcorrProfile, RoundsEachComputedCoordinateOnce) {
  const Answers answers{.ra = "20",
                        .wt = "1 6.14221334",
                        .lc_nc = "26.9980717 9",
                        .ct = "1.0024302",
                        .fl_ft = "10 2"};
  for (const Answers& band : {answers, dual(answers)}) {
    SCOPED_TRACE(band.type);
    const std::vector<std::string> rows = node_rows(run_answers(band.text()));
    ASSERT_FALSE(rows.empty());
    const std::vector<std::string> ridge_7 = ridge_rows(rows, band.type == "2", 7);
    EXPECT_EQ(ridge_7[0], row("\"-REF(ZI)-  2.0999E+01\"", "  2.4428E+01"));
    EXPECT_EQ(ridge_7[3], row("\"-REF(ZI)-  2.2001E+01\"", "  2.4999E+01"));
    EXPECT_EQ(rows.back(), row("\"-REF(ZI)-  3.8001E+01\"", "  2.2000E+01"));
  }
}

// Every question comes before the first block: a run that fails on an answer leaves
// an existing object file as it was even when it is written in place, and a new one
// empty.
TEST(ThickcorrFailures, LeaveTheObjectFileWithoutAnyObject) {
  struct Case {
    std::string answers;
    const char* error;
  };
  const std::string full_single = Answers{}.text();
  const std::string full_dual = dual({}).text();
  const Case cases[] = {
      {full_single.substr(0, full_single.rfind("4 6")),
       "severe (24): end-of-file during read, unit 50, file answers.txt\n"},
      {full_dual.substr(0, full_dual.rfind("10 2")),
       "severe (24): end-of-file during read, unit 50, file answers.txt\n"},
      {Answers{.ct = "thick"}.text(),
       "severe (59): list-directed I/O syntax error, unit 50, file answers.txt\n"},
      {Answers{.unit = "0"}.text(),
       "severe (66): length unit code 0 not in 1 to 4, unit 50, file answers.txt\n"},
      {dual({.unit = "5"}).text(),
       "severe (66): length unit code 5 not in 1 to 4, unit 50, file answers.txt\n"},
  };
  const std::string old_object_file = "an older wall\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    const WallRun kept = run_answers(c.answers, &old_object_file);
    EXPECT_EQ(kept.console.status, 1);
    // the first error line; the second says where (dialogue tests)
    EXPECT_EQ(kept.console.err.substr(0, kept.console.err.find('\n') + 1), c.error);
    EXPECT_EQ(kept.file, old_object_file);
    const WallRun created = run_answers(c.answers);
    EXPECT_EQ(created.console.err.substr(0, created.console.err.find('\n') + 1), c.error);
    EXPECT_TRUE(created.created);
    EXPECT_EQ(created.file, "");
  }
}

TEST(ThickcorrDispatch, OtherCorrugationTypesEndSilentlyWithoutObjectFile) {
  struct Case {
    const char* type;
    const char* echo;
  };
  const Case cases[] = {{"0", "           0"}, {"3", "           3"}, {"-1", "          -1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const WallRun wall = run_answers(Answers{.type = c.type}.text());
    EXPECT_EQ(wall.console.status, 0);
    EXPECT_EQ(wall.console.err, "");
    EXPECT_FALSE(wall.created);
    const std::string last_line =
        " Enter corrugation type: 1 single, 2 dual band " + std::string(c.echo) + "\n";
    ASSERT_GE(wall.console.out.size(), last_line.size());
    EXPECT_EQ(wall.console.out.substr(wall.console.out.size() - last_line.size()), last_line);
  }
}

}  // namespace
}  // namespace hornwall
