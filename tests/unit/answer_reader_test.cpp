#include "hornwall/answer_reader.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <streambuf>
#include <vector>

namespace hornwall {
namespace {

// Reads one answer of the given kinds ('i' integer, 'r' real) from `input` through the
// input text file's channel, then one integer answer more, and shows the values
// ("5 2.5 | 7"), or the error line of the first failure. Targets start at -1 so
// that a value left unchanged shows.
std::string read_answer(const std::string& input, const std::string& kinds) {
  std::istringstream in(input);
  AnswerChannel channel(in, input_file_unit, "answers.txt");
  std::vector<std::int32_t> integers(kinds.size(), -1);
  std::vector<float> reals(kinds.size(), -1.0f);
  std::vector<Target> targets;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k] == 'i') {
      targets.emplace_back(&integers[k]);
    } else {
      targets.emplace_back(&reals[k]);
    }
  }
  std::string shown;
  try {
    channel.read_values(targets);
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      char value[32];
      if (kinds[k] == 'i') {
        std::snprintf(value, sizeof value, "%d", integers[k]);
      } else {
        std::snprintf(value, sizeof value, "%.9g", static_cast<double>(reals[k]));
      }
      if (k > 0) shown += ' ';
      shown += value;
    }
    std::int32_t next = -1;
    channel.read_values({&next});
    shown += " | ";
    shown += std::to_string(next);
  } catch (const RunError& failure) {
    if (!shown.empty()) shown += ' ';
    shown += error_line(failure);
  }
  return shown;
}

struct ReadCase {
  std::string input;
  std::string kinds;
  std::string shown;
};

void expect_reads(std::initializer_list<ReadCase> cases) {
  for (const ReadCase& c : cases) {
    EXPECT_EQ(read_answer(c.input, c.kinds), c.shown) << "input: " << c.input;
  }
}

const std::string end_of_file = "severe (24): end-of-file during read, unit 50, file answers.txt\n";
const std::string syntax =
    "severe (59): list-directed I/O syntax error, unit 50, file answers.txt\n";
const std::string conversion = "severe (64): input conversion error, unit 50, file answers.txt\n";

TEST(ReadValues, SeparatorsLinesAndTheRestOfTheLine) {
  expect_reads({
      {"25.4 3 7\n9\n", "ri", "25.3999996 3 | 9"},  // the 7 is dropped
      {"25.4\n3\n9\n", "ri", "25.3999996 3 | 9"},   // values across lines
      {"25.4,3\n9\n", "ri", "25.3999996 3 | 9"},
      {"25.4 , 3\n9\n", "ri", "25.3999996 3 | 9"},
      {"\t25.4\t\t3\n9\n", "ri", "25.3999996 3 | 9"},
      {"\n   \n\t\n5\n9\n", "i", "5 | 9"},  // empty lines are skipped
      {"5\n,6\n9\n", "ii", "5 6 | 9"},      // a comma after a line end
      {"5,\n6\n9\n", "ii", "5 6 | 9"},
      {"5 6\n7\n", "i", "5 | 7"},      // every read starts a new line
      {"5", "i", "5 " + end_of_file},  // a last line without line end
  });
}

TEST(ReadValues, NullValuesKeepTheTargets) {
  expect_reads({
      {"/\n9\n", "ii", "-1 -1 | 9"},
      {"5 /\n9\n", "ii", "5 -1 | 9"},
      {"5/6\n9\n", "ii", "5 -1 | 9"},
      {",5\n9\n", "ii", "-1 5 | 9"},   // a comma at the start
      {"5,,\n9\n", "ii", "5 -1 | 9"},  // nothing between two commas
      {",\n7\n9\n", "ii", "-1 7 | 9"},
      {"2*7\n9\n", "ii", "7 7 | 9"},
      {"2*\n9\n", "ii", "-1 -1 | 9"},
      {"1*,8\n9\n", "ii", "-1 8 | 9"},
      {"1* 8\n9\n", "ii", "-1 8 | 9"},
      {"3*4 9\n5\n", "ii", "4 4 | 5"},  // the repeat outlasts the answer
      {"99999999999999999999999*4\n5\n", "ii", "4 4 | 5"},
      {"2*2.5\n9\n", "rr", "2.5 2.5 | 9"},
  });
}

TEST(ReadValues, IntegerSyntax) {
  expect_reads({
      {"+5\n9\n", "i", "5 | 9"},
      {"-0\n9\n", "i", "0 | 9"},
      {"2147483647\n9\n", "i", "2147483647 | 9"},
      {"-2147483648\n9\n", "i", "-2147483648 | 9"},
      {"2147483648\n", "i", conversion},
      {"-2147483649\n", "i", conversion},
      {"99999999999\n", "i", conversion},
      {"2.5\n", "i", syntax},  // a real for a count
      {"7.\n", "i", syntax},
      {"1e3\n", "i", syntax},
      {"abc\n", "i", syntax},
      {"5x\n", "i", syntax},
      {"+\n", "i", syntax},
      {"--5\n", "i", syntax},
      {"0*5\n", "i", syntax},  // a repeat count must be positive
      {"*5\n", "i", syntax},
      {"-1*5\n", "i", syntax},
      {"2*x\n", "ii", syntax},
  });
}

TEST(ReadValues, RealSyntax) {
  expect_reads({
      {"5\n9\n", "r", "5 | 9"},  // a plain integer for a real
      {"1.5E2\n9\n", "r", "150 | 9"},
      {"1.5d2\n9\n", "r", "150 | 9"},
      {"1.5D+2\n9\n", "r", "150 | 9"},
      {"15q-1\n9\n", "r", "1.5 | 9"},
      {"-.5\n9\n", "r", "-0.5 | 9"},
      {"7.\n9\n", "r", "7 | 9"},
      {"+7.e0\n9\n", "r", "7 | 9"},
      {"0.1\n9\n", "r", "0.100000001 | 9"},  // straight to single precision
      {"1e\n", "r", syntax},
      {".\n", "r", syntax},
      {"e5\n", "r", syntax},
      {"1+5\n", "r", syntax},
      {"1.5.2\n", "r", syntax},
      {"0x10\n", "r", syntax},
      {"inf\n", "r", syntax},
      {"nan\n", "r", syntax},
      {"1,5e\n", "rr", syntax},
  });
}

TEST(ReadValues, NumbersAtTheEdgesOfSinglePrecision) {
  expect_reads({
      {"3.4028235e38\n9\n", "r", "3.40282347e+38 | 9"},
      {"3.40282356e38\n9\n", "r", "3.40282347e+38 | 9"},  // still rounds down to the largest
      {"3.5e38\n", "r", conversion},
      {"-1e39\n", "r", conversion},
      {"1e99999999999999999999\n", "r", conversion},
      {"1e-45\n9\n", "r", "1.40129846e-45 | 9"},  // the smallest subnormal
      {"1e-40\n9\n", "r", "9.9999461e-41 | 9"},
      {"1e-50\n9\n", "r", "0 | 9"},  // too small: zero, no error
      {"-1e-50\n9\n", "r", "-0 | 9"},
      {"1e-99999999999999999999\n9\n", "r", "0 | 9"},
      {"0e99999999999\n9\n", "r", "0 | 9"},
      {"0.000000000000000000000000000000000000000000000001e48\n9\n", "r", "1 | 9"},
  });
}

TEST(ReadValues, LineEndsAndTheEndOfInput) {
  expect_reads({
      {"5\r\n6\r\n", "i", "5 | 6"},  // CR LF
      {"2.5\r\n9\r\n", "r", "2.5 | 9"},
      {"5\r", "i", "5 " + end_of_file},  // a CR before the end of the input
      {"5\r 6\n", "ii", syntax},         // a CR inside a line is text
      {"", "i", end_of_file},
      {"\n\n  \n", "i", end_of_file},
      {"5\n", "ii", end_of_file},  // the second value never comes
      {"5\n", "i", "5 " + end_of_file},
  });
}

TEST(ReadLine, TakesTheWholeLineWithoutItsLineEnd) {
  std::istringstream in("  a name, with / and *  \r\nsecond\r\n\nlast");
  AnswerChannel channel(in, input_file_unit, "answers.txt");
  EXPECT_EQ(channel.read_line(), "  a name, with / and *  ");
  EXPECT_EQ(channel.read_line(), "second");
  EXPECT_EQ(channel.read_line(), "");
  EXPECT_EQ(channel.read_line(), "last");
  try {
    channel.read_line();
    FAIL() << "read past the end";
  } catch (const RunError& failure) {
    EXPECT_EQ(error_line(failure), end_of_file);
  }
}

// Values far longer than any kept text read as their short equivalents: the correctly
// rounded number, with the dropped digits standing only for whether they are zero.
TEST(ReadValues, ValuesOfAnyLengthReadAsTheirShortEquivalents) {
  const std::string zeros(5000, '0');
  const std::string threes(5000, '3');
  // 1 + 2^-24, exactly halfway between 1 and the next single: a tie, rounded to even.
  const std::string halfway = "1.000000059604644775390625";
  expect_reads({
      {"1" + zeros + "e-5000\n9\n", "r", "1 | 9"},
      {"-0." + zeros + "15e5001\n9\n", "r", "-1.5 | 9"},
      {threes + "e-4999 comment\n9\n", "r", "3.33333325 | 9"},
      {halfway + zeros + "\n9\n", "r", "1 | 9"},
      {halfway + zeros + "1\n9\n", "r", "1.00000012 | 9"},  // a last non-zero digit tips it
      {"0." + zeros + "1\n9\n", "r", "0 | 9"},
      {"-" + zeros + "1e-" + zeros + "50\n9\n", "r", "-0 | 9"},
      {threes + "\n", "r", conversion},
      {"1e" + zeros + "39\n", "r", conversion},
      {zeros + "7\n9\n", "i", "7 | 9"},
      {"-" + zeros + "12\n9\n", "i", "-12 | 9"},
      {"+" + zeros + "\n9\n", "i", "0 | 9"},
      {threes + "\n", "i", conversion},
      {zeros + "2*" + zeros + "5\n9\n", "ii", "5 5 | 9"},
      {zeros + "2*\n9\n", "ii", "-1 -1 | 9"},
      {threes + "*4\n9\n", "ii", "4 4 | 9"},
      {zeros + "*7\n", "ii", syntax},  // a repeat count of zero
      {"*" + zeros + "\n", "ii", syntax},
      {zeros + "." + zeros + "\n", "i", syntax},
      {zeros + "." + zeros + "\n9\n", "r", "0 | 9"},
      {zeros + "e\n", "r", syntax},
      {zeros + "x\n", "r", syntax},
      {std::string(100000, 'x') + "\n", "r", syntax},
      {"7 " + std::string(100000, 'x') + "\n9\n", "i", "7 | 9"},  // a long comment
  });
}

// An input that never ends a line: /dev/zero as the answers file.
class EndlessBuffer : public std::streambuf {
 public:
  explicit EndlessBuffer(char fill) { piece_.fill(fill); }

 protected:
  int_type underflow() override {
    setg(piece_.data(), piece_.data(), piece_.data() + piece_.size());
    return traits_type::to_int_type(piece_[0]);
  }

 private:
  std::array<char, 4096> piece_{};
};

TEST(ReadValues, AnEndlessLineOfNoNumberEndsAtOnce) {
  for (const char fill : {'\0', 'x'}) {
    EndlessBuffer buffer(fill);
    std::istream in(&buffer);
    AnswerChannel channel(in, input_file_unit, "/dev/zero");
    float value = 0.0f;
    try {
      channel.read_values({&value});
      FAIL() << "read a value";
    } catch (const RunError& failure) {
      EXPECT_EQ(failure.number(), 59);
      EXPECT_EQ(channel.failure_place().line, 1);
      EXPECT_EQ(channel.failure_place().text.substr(0, 3), std::string(3, fill));
    }
    AnswerChannel names(in, input_file_unit, "/dev/zero");
    EXPECT_EQ(names.read_line(), std::string(max_name_bytes, fill) + "...");
  }
}

TEST(ReadLine, ALineLongerThanAnyPathIsCut) {
  const std::string longest(max_name_bytes, 'a');
  std::istringstream in(longest + "\n" + longest + "\r\n" + longest + "b\r\n7\n" + longest + "\r" +
                        longest);
  AnswerChannel channel(in, input_file_unit, "answers.txt");
  EXPECT_EQ(channel.read_line(), longest);
  EXPECT_EQ(channel.read_line(), longest);
  EXPECT_EQ(channel.read_line(), longest + "...");
  std::int32_t value = 0;
  channel.read_values({&value});  // the rest of the long line is dropped
  EXPECT_EQ(value, 7);
  EXPECT_EQ(channel.read_line(), longest + "...");  // a CR inside a line is text
}

TEST(TrimBlanks, DropsBlanksAroundOnly) {
  EXPECT_EQ(trim_blanks("  out file.zul  "), "out file.zul");
  EXPECT_EQ(trim_blanks("    "), "");
  EXPECT_EQ(trim_blanks("\tname"), "\tname");
}

}  // namespace
}  // namespace hornwall
