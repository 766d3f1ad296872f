#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hornwall/sinecorr_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::block_names;
using testing::node_rows;

// The answers of one file run, each field one or more lines of the answers file.
struct Answers {
  int type = 1;
  std::string unit = "3";
  std::string ncorr = "10";
  std::string nspl = "2";
  std::string nvar = "1";
  std::string variable = "20\n5\n";    // distance and height of each variable corrugation
  std::string heights = "4 2\n6 3\n";  // CD1 CD2, then CD3 CD4 for the dual band

  std::string text() const {
    return std::to_string(type) + "\nwall.zul\n50\n" + unit + "\n0\n30\n100\n" + ncorr + "\n" +
           nspl + "\n10\n" + nvar + "\n" + variable + heights;
  }
};

using testing::WallRun;

WallRun run_answers(const std::string& answers) {
  return testing::run_answers(sinecorr_program, answers, "wall.zul");
}

// What the value line of block `name` holds after its colon.
std::string value_of(const std::string& file, const std::string& name) {
  const std::string line = testing::value_line_of(file, name);
  return line.empty() ? "(no block)" : line.substr(line.find(':') + 2);
}

// Names that an expression refers to but that no block defines.
std::set<std::string> undefined_references(const std::string& file) {
  std::set<std::string> defined;
  std::istringstream names(block_names(file));
  for (std::string name; names >> name;) defined.insert(name);
  std::set<std::string> undefined;
  const std::regex reference("(REF|ref)\\(([A-Z0-9]+)\\)");
  for (std::sregex_iterator it(file.begin(), file.end(), reference), end; it != end; ++it) {
    if (!defined.contains((*it)[2])) undefined.insert((*it)[2]);
  }
  return undefined;
}

int count_of(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::string start_blocks = "RW1 ZW1 RW2 ZW2 SPLC NSPL D1 ZC1 ZD RD";
const std::string six_corrugations =
    " D2 ZC2 C1 RC1 D3 ZC3 C2 D4 ZC4 C3 D5 ZC5 C4 D6 ZC6 C5 D7 ZC7";

// The answers of n variable corrugations: distance 20 + k and height k.
std::string corrugations(int n) {
  std::string answers;
  for (int k = 1; k <= n; ++k) answers += std::to_string(20 + k) + "\n" + std::to_string(k) + "\n";
  return answers;
}

TEST(SineCorrWall, VariableCorrugationsDefineEveryObjectTheirRowsName) {
  struct Case {
    int nvar;
    std::string blocks;  // from after RD up to the heights of the remaining corrugations
    const char* zcf;
    std::size_t variable_rows;  // NSPL = 2 and NCORR = 10: the start row included
    std::size_t remaining_rows;
    const char* last_variable_row;  // its z column
  };
  const Case cases[] = {
      {0, " ZCF", "REF(ZC1)", 1, 20, "\"-REF(ZW1)\""},
      {-1, " ZCF", "REF(ZC1)", 1, 22, "\"-REF(ZW1)\""},
      {1, " D2 ZC2 ZCF C1 RC1", "REF(ZC2)", 4, 18, "\"-REF(ZC1)-REF(D2)/REF(NSPL)* 2\""},
      {6, six_corrugations + " ZCF C6", "REF(ZC7)", 14, 8, "\"-REF(ZC6)-REF(D7)/REF(NSPL)* 2\""},
      {7, six_corrugations + " C6 D8 ZC8 ZCF C7", "REF(ZC8)", 16, 6,
       "\"-REF(ZC7)-REF(D8)/REF(NSPL)* 2\""},
      {8, six_corrugations + " C6 D8 ZC8 ZCF C7", "REF(ZC8)", 16, 4,
       "\"-REF(ZC7)-REF(D8)/REF(NSPL)* 2\""},
      {9, six_corrugations + " C6 D8 ZC8 ZCF C7", "REF(ZC8)", 16, 2,
       "\"-REF(ZC7)-REF(D8)/REF(NSPL)* 2\""},
  };
  for (const Case& c : cases) {
    for (const int type : {1, 2}) {
      SCOPED_TRACE("NVAR " + std::to_string(c.nvar) + ", type " + std::to_string(type));
      const Answers answers{
          .type = type, .nvar = std::to_string(c.nvar), .variable = corrugations(c.nvar)};
      const WallRun run = run_answers(answers.text());
      ASSERT_EQ(run.console.status, 0) << run.console.err;
      const std::string heights = type == 1 ? " CD1 CD2" : " CD1 CD2 CD3 CD4";
      EXPECT_EQ(block_names(run.file), start_blocks + c.blocks + heights + " ZCS NCR");
      EXPECT_EQ(value_of(run.file, "ZCF"), std::string("\"") + c.zcf + "\"");
      EXPECT_EQ(undefined_references(run.file), std::set<std::string>{});
      const std::vector<std::string> rows = node_rows(run.file);
      ASSERT_EQ(rows.size(), c.variable_rows + c.remaining_rows);
      EXPECT_TRUE(
          rows[c.variable_rows - 1].starts_with("        " + std::string(c.last_variable_row)));
      // Every distance and height is asked for and echoed, described or not.
      EXPECT_EQ(count_of(run.console.out, "    \n Enter corrugation height "), std::max(0, c.nvar));
      if (c.nvar >= 8) {
        EXPECT_EQ(count_of(run.console.out, std::to_string(20 + c.nvar) + ".00000    \n"), 1);
      }
    }
  }
}

// The tapers that the remaining corrugations follow, one digit a row: 1 for CD1 towards
// CD2, 3 for CD3 towards CD4.
std::string tapers_of(const std::vector<std::string>& rows) {
  std::string tapers;
  for (const std::string& row : rows) {
    if (row.find("ref(CD1)+(ref(CD2)-ref(CD1))") != std::string::npos) tapers += '1';
    if (row.find("ref(CD3)+(ref(CD4)-ref(CD3))") != std::string::npos) tapers += '3';
  }
  return tapers;
}

TEST(SineCorrWall, RemainingCorrugationsAreCountedWithoutWrapAround) {
  struct Case {
    const char* ncorr;
    const char* nvar;
    const char* zcs;  // none: neither ZCS nor NCR is written
    const char* ncr;
    const char* dual_tapers;  // NSPL = 1: one row a remaining corrugation
  };
  const Case cases[] = {
      {"1", "1", nullptr, nullptr, ""},
      {"0", "1", nullptr, nullptr, ""},
      {"-2147483648", "1", nullptr, nullptr, ""},
      {"2", "1", "\"(REF(ZW2)-REF(ZCF))/  1\"", "  1.0000E+00", "1"},
      {"4", "1", "\"(REF(ZW2)-REF(ZCF))/  3\"", "  3.0000E+00", "131"},
      {"4", "0", "\"(REF(ZW2)-REF(ZCF))/  4\"", "  4.0000E+00", "1313"},
      {"13", "1", "\"(REF(ZW2)-REF(ZCF))/ 12\"", "  1.2000E+01", "131313131313"},
      {"2147483647", "-1", "\"(REF(ZW2)-REF(ZCF))/2147483648\"", "  2.1475E+09", nullptr},
      {"2147483647", "-2147483648", "\"(REF(ZW2)-REF(ZCF))/4294967295\"", "  4.2950E+09", nullptr},
  };
  for (const Case& c : cases) {
    for (const int type : {1, 2}) {
      SCOPED_TRACE(std::string("NCORR ") + c.ncorr + ", NVAR " + c.nvar + ", type " +
                   std::to_string(type));
      // A huge count of remaining corrugations is only drawn without points.
      const Answers answers{.type = type,
                            .ncorr = c.ncorr,
                            .nspl = c.dual_tapers ? "1" : "0",
                            .nvar = c.nvar,
                            .variable = corrugations(std::stoi(c.nvar))};
      const WallRun run = run_answers(answers.text());
      ASSERT_EQ(run.console.status, 0) << run.console.err;
      const std::string heights = type == 1 ? "CD1 CD2" : "CD1 CD2 CD3 CD4";
      const std::string names = block_names(run.file);
      EXPECT_EQ(names.substr(names.find("CD1")), c.zcs ? heights + " ZCS NCR" : heights);
      if (c.zcs) {
        EXPECT_EQ(value_of(run.file, "ZCS"), c.zcs);
        EXPECT_EQ(value_of(run.file, "NCR"), c.ncr);
      }
      if (!c.dual_tapers) continue;
      const std::string single_tapers(std::string(c.dual_tapers).size(), '1');
      EXPECT_EQ(tapers_of(node_rows(run.file)), type == 1 ? single_tapers : c.dual_tapers);
    }
  }
}

TEST(SineCorrWall, PointCountSetsTheAngleStepAndTheRowsOfEveryCorrugation) {
  struct Case {
    const char* nspl;
    const char* splc;
    const char* nspl_value;
    std::size_t points;  // rows of each corrugation
  };
  const Case cases[] = {
      {"0", "    Infinity", "  0.0000E+00", 0},     {"-4", " -1.5708E+00", " -4.0000E+00", 0},
      {"1", "  6.2832E+00", "  1.0000E+00", 1},     {"3", "  2.0944E+00", "  3.0000E+00", 3},
      {"100", "  6.2832E-02", "  1.0000E+02", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("NSPL ") + c.nspl);
    const WallRun run = run_answers(Answers{.ncorr = "2", .nspl = c.nspl}.text());
    EXPECT_EQ(value_of(run.file, "SPLC"), c.splc);
    EXPECT_EQ(value_of(run.file, "NSPL"), c.nspl_value);
    // The start of the wall and of the first corrugation, then one variable corrugation
    // and one remaining corrugation.
    const std::vector<std::string> rows = node_rows(run.file);
    ASSERT_EQ(rows.size(), 2 + 2 * c.points);
    EXPECT_EQ(rows[1], R"r(        "-REF(ZC1)"   "REF(RC1)")r");
  }
}

TEST(SineCorrWall, CountsWiderThanTheirFieldsAreWrittenInFull) {
  const WallRun points = run_answers(Answers{.ncorr = "1", .nspl = "100"}.text());
  const std::vector<std::string> point_rows = node_rows(points.file);
  ASSERT_EQ(point_rows.size(), 102u);
  EXPECT_TRUE(point_rows[100].starts_with(R"r(        "-REF(ZC1)-REF(D2)/REF(NSPL)*99"   )r"));
  EXPECT_EQ(
      point_rows[101],
      R"r(        "-REF(ZC1)-REF(D2)/REF(NSPL)*100"   "ref(RD)*(ref(ZC1)+REF(D2)/REF(NSPL)*100)r"
      R"r()/ref(ZD)+ref(RW1)+REF(C1)/2.*(1.-COS(ref(SPLC)*100))")r");

  const WallRun remaining = run_answers(Answers{.ncorr = "101", .nspl = "1"}.text());
  EXPECT_EQ(value_of(remaining.file, "ZCS"), R"r("(REF(ZW2)-REF(ZCF))/100")r");
  EXPECT_EQ(node_rows(remaining.file).back(),
            R"r(        "-REF(ZCF)-REF(ZCS)*(99+ 1/REF(NSPL))"   )r"
            R"r("ref(RD)*(ref(ZCF)+REF(ZCS)*(99+ 1/REF(NSPL)))/ref(ZD)+ref(RW1)+)r"
            R"r((ref(CD1)+(ref(CD2)-ref(CD1))*(100-1)/ref(NCR))/2.*(1.-COS(ref(SPLC)* 1))")r");
}

TEST(SineCorrWall, TwoHeightsAreReadAsOneAnswer) {
  for (const char* heights : {"4 2\n6 3\n", "4,2\n6,3\n", "4 , 2\n6\t3\n", "4\n2\n\n6 3 7\n"}) {
    for (const int type : {1, 2}) {
      SCOPED_TRACE(std::string(heights) + "type " + std::to_string(type));
      const WallRun run = run_answers(Answers{.type = type, .heights = heights}.text());
      EXPECT_EQ(value_of(run.file, "CD1"), "  4.0000E+00");
      EXPECT_EQ(value_of(run.file, "CD2"), "  2.0000E+00");
      EXPECT_EQ(value_of(run.file, "CD3"), type == 1 ? "(no block)" : "  6.0000E+00");
      EXPECT_EQ(value_of(run.file, "CD4"), type == 1 ? "(no block)" : "  3.0000E+00");
    }
  }
}

TEST(SineCorrWall, AnAnswersFileThatEndsEarlyKeepsTheBlocksWrittenBeforeIt) {
  struct Case {
    Answers answers;
    std::string blocks;
  };
  const Case cases[] = {
      {{.nvar = "3", .variable = "21\n1\n22\n", .heights = ""}, " D2 ZC2 C1 RC1 D3 ZC3"},
      {{.nvar = "8", .variable = corrugations(7) + "28\n", .heights = ""},
       six_corrugations + " C6 D8 ZC8 ZCF C7"},
      {{.nvar = "2", .variable = "", .heights = ""}, ""},
      // Both pairs of heights are asked for before either is written.
      {{.type = 2, .nvar = "0", .variable = "", .heights = "4 2\n"}, " ZCF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.text());
    const WallRun run = run_answers(c.answers.text());
    EXPECT_EQ(run.console.status, 1);
    // the first error line; the second says where (dialogue tests)
    EXPECT_EQ(run.console.err.substr(0, run.console.err.find('\n') + 1),
              "severe (24): end-of-file during read, unit 50, file answers.txt\n");
    EXPECT_EQ(block_names(run.file), start_blocks + c.blocks);
  }
}

TEST(SineCorrWall, TheUnitCodeNamesTheLengthUnitOrIsRefused) {
  const std::pair<const char*, const char*> units[] = {
      {"1", "in,"}, {"2", "ft,"}, {"3", "mm,"}, {"4", "cm,"}, {"5", "m ,"}};
  for (const auto& [code, name] : units) {
    const WallRun run = run_answers(Answers{.unit = code}.text());
    EXPECT_NE(run.file.find("\n  length_unit      : " + std::string(name) + "\n"),
              std::string::npos)
        << code;
  }
  for (const char* code : {"0", "6"}) {
    const WallRun run = run_answers(Answers{.unit = code}.text());
    EXPECT_EQ(run.console.err, "severe (66): length unit code " + std::string(code) +
                                   " not in 1 to 5, unit 50, file answers.txt\n"
                                   "answers.txt:4: error: unit code " +
                                   std::string(code) +
                                   " is not one of 1 to 5 for \"Enter units: 1 in., 2 ft., 3 "
                                   "mm, 4 cm, 5 m\"\n");
    EXPECT_EQ(run.file, "");
  }
}

TEST(SineCorrWall, AnyOtherCorrugationTypeEndsTheRunWithoutAnObjectFile) {
  const std::pair<int, const char*> types[] = {
      {3, "           3\n"}, {0, "           0\n"}, {-1, "          -1\n"}};
  for (const auto& [type, echo] : types) {
    const WallRun run = run_answers(Answers{.type = type}.text());
    EXPECT_EQ(run.console.status, 0);
    EXPECT_EQ(run.console.err, "");
    EXPECT_FALSE(run.created) << type;
    EXPECT_TRUE(run.console.out.ends_with(" dual band " + std::string(echo)));
  }
}

// A null answer keeps what the previous corrugation was given.
TEST(SineCorrWall, KeepsThePreviousPassForANullAnswer) {
  const WallRun run = run_answers(Answers{.nvar = "3", .variable = "20\n5\n/\n/\n7.5\n/\n"}.text());
  ASSERT_EQ(run.console.status, 0) << run.console.err;
  EXPECT_EQ(value_of(run.file, "D3"), "  2.0000E+01");
  EXPECT_EQ(value_of(run.file, "C2"), "  5.0000E+00");
  EXPECT_EQ(value_of(run.file, "D4"), "  7.5000E+00");
  EXPECT_EQ(value_of(run.file, "C3"), "  5.0000E+00");
}

}  // namespace
}  // namespace hornwall
