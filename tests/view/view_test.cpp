#include "hornwall/view/view.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "hornwall/band_figures.hpp"
#include "hornwall/bands.hpp"
#include "hornwall/object_writer.hpp"
#include "hornwall/text.hpp"
#include "hornwall/view/checks.hpp"
#include "hornwall/view/command_line.hpp"
#include "hornwall/view/expression.hpp"
#include "hornwall/view/json_report.hpp"
#include "hornwall/view/node_table.hpp"
#include "hornwall/view/summary.hpp"
#include "hornwall/view/svg_drawing.hpp"
#include "hornwall/view/view_files.hpp"

namespace hornwall::view {
namespace {

namespace fs = std::filesystem;

// What evaluating a text gives, with A = 2 defined and BAD defined without a value.
struct Evaluated {
  std::string syntax_error;
  double value = 0.0;
  bool usable = false;
};

Evaluated evaluate_text(std::string_view text) {
  Names names;
  std::vector<Instruction> code;
  Evaluated result;
  result.syntax_error = compile(text, names, code);
  std::vector<double> stack;
  const Outcome outcome = evaluate(
      code,
      [&](std::uint32_t symbol, double& value) {
        if (names.name(symbol) == "A") {
          value = 2.0;
          return Found::value;
        }
        return names.name(symbol) == "BAD" ? Found::failed : Found::undefined;
      },
      stack);
  result.value = outcome.value;
  result.usable = result.syntax_error.empty() && outcome.usable();
  return result;
}

TEST(ViewExpression, EvaluatesWhatTheGeneratorsWrite) {
  const struct {
    std::string_view text;
    double value;
  } cases[] = {
      {"2.", 2.0},
      {".5", 0.5},
      {"  1.0000E+01", 10.0},
      {"   3", 3.0},
      {"-2.5e-1", -0.25},
      {"1-2-3", -4.0},
      {"8/4/2", 1.0},
      {"1+2*3", 7.0},
      {"(1+2)*3", 9.0},
      {"- -5.0000E+00", 5.0},
      {"-REF(A)*2", -4.0},
      {"ref( A )+REF(A)", 4.0},
      {"1.-COS(3.14159265358979323846)", 2.0},
      {"2*(99+ 1/ 4)", 198.5},
      // A number too small for a double reads as zero, as the programs' answers do.
      {"1e-400", 0.0},
      {"-1e-400+1", 1.0},
      {"0.000001e-320", 0.0},
  };
  for (const auto& c : cases) {
    const Evaluated result = evaluate_text(c.text);
    EXPECT_TRUE(result.usable) << c.text << ": " << result.syntax_error;
    EXPECT_EQ(result.value, c.value) << c.text;
  }
  EXPECT_TRUE(std::isnan(evaluate_text("NaN").value));
  EXPECT_EQ(evaluate_text("-Infinity").value, -INFINITY);
  EXPECT_FALSE(evaluate_text("REF(BAD)+1").usable);
  EXPECT_FALSE(evaluate_text("REF(X)").usable);
}

TEST(ViewExpression, GivesTheReasonAndColumnOfASyntaxError) {
  const struct {
    std::string text;
    std::string_view reason;
  } cases[] = {
      {"", "expected an operand at the end"},
      {"1+", "expected an operand at the end"},
      {"1+*2", "expected an operand at column 3"},
      {"(1+2", "expected ')' at the end"},
      {"1+2)", "unexpected ')' at column 4"},
      {"2 3", "unexpected '3' at column 3"},
      {"REF A", "expected '(' after REF at column 5"},
      {"REF(1)", "expected a variable name at column 5"},
      {"SIN(1)", "unknown name 'SIN' at column 1"},
      {"1e999", "number out of range at column 1"},
      {"2+10000e305", "number out of range at column 3"},
      {"1.0E+", "unexpected 'E' at column 4"},
      {std::string(101, '(') + "1", "nested too deeply at column 102"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(evaluate_text(c.text).syntax_error, c.reason) << c.text;
  }
}

TEST(ViewExpression, LongRunsOfSignsAndGroupsDoNotCountAsNesting) {
  const auto repeated = [](std::size_t count, std::string_view piece) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
  };
  const struct {
    std::string text;
    double value;
  } cases[] = {
      {repeated(1000, "-") + "5", 5.0},
      {repeated(1001, "-") + "5", -5.0},
      {repeated(1000, "+-") + "REF(A)", 2.0},
      {repeated(100, "-(") + "1" + std::string(100, ')'), 1.0},
      {repeated(99, "(") + "COS(0)" + std::string(99, ')'), 1.0},
      {"\f1\f+\f2\f", 3.0},
      // Groups side by side each close before the next opens.
      {"0" + repeated(150, "+(1)"), 150.0},
  };
  for (const auto& c : cases) {
    const Evaluated result = evaluate_text(c.text);
    EXPECT_TRUE(result.usable) << c.text.substr(0, 20) << ": " << result.syntax_error;
    EXPECT_EQ(result.value, c.value) << c.text.substr(0, 20);
  }
  EXPECT_EQ(evaluate_text(repeated(100, "(") + "COS(0)" + std::string(100, ')')).syntax_error,
            "nested too deeply at column 105");
  EXPECT_TRUE(is_plain_number("\f-2.5E+00\f"));
}

struct ViewRun {
  int status = 0;
  std::string messages;
  std::string summary;
  std::string svg;
};

// Views `text` as the object file t.zul: its messages, picture and summary.
ViewRun view(const std::string& text, bool quiet = true, bool mirror = false) {
  ViewRun run;
  std::ostringstream summary, messages, svg;
  TextSource source(text);
  CheckSettings settings;
  settings.mirror = mirror;
  const Examined examined = examine(source, settings);
  write_diagnostics(examined.diagnostics, "t.zul", messages);
  write_svg(examined.wall, {"t.zul", mirror}, svg);
  if (!quiet) write_summary(examined.wall, examined.diagnostics, summary);
  run.status = examined.diagnostics.error_count() == 0 ? 0 : 1;
  run.messages = messages.str();
  run.summary = summary.str();
  run.svg = svg.str();
  return run;
}

std::string variable(std::string_view name, std::string_view value) {
  return std::string(name) + "  real_variable\n(\n  value    : " + std::string(value) + "\n)\n\n";
}

std::string profile(std::string_view name, std::string_view rows, bool closed = true) {
  return std::string(name) +
         "   circular_symmetric_horn_exterior\n(\n  length_unit      : mm,\n"
         "  nodes             : table\n    (\n" +
         std::string(rows) + (closed ? "   )\n)\n\n" : "");
}

// A sound two-node wall from the aperture backwards, appended to each broken case.
const std::string sound_wall = profile("w", "        0.   10.\n        -5.   12.\n");

// The name of variable `i` of a chain or cycle: V0, V1, ...
std::string v(std::size_t i) { return std::string(1, 'V').append(std::to_string(i)); }

// `count` variables V0, V1, ... each referencing the next, the last the first.
std::string cycle(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += variable(v(i), "\"REF(" + v((i + 1) % count) + ")\"");
  }
  return text;
}

TEST(ViewMessages, NameTheLineAndTheFaultWhole) {
  const struct {
    std::string text;
    int status;
    std::string messages;
  } cases[] = {
      {variable("A", "\"REF(B)*2\"") + variable("B", "  1.0000E+00") + sound_wall, 0, ""},
      {variable("A", "\"REF(ZCF)+1\"") + sound_wall, 1,
       "t.zul:1: error: reference to undefined variable 'ZCF' in variable 'A'\n"},
      {variable("A", "\"REF(B)\"") + variable("B", "\"REF(A)+1\"") + sound_wall, 1,
       "t.zul:1: error: variables 'A' and 'B' reference each other in a cycle\n"},
      {variable("C", "\"REF(A)\"") + variable("A", "\"REF(B)\"") + variable("B", "\"REF(C)\"") +
           variable("D", "\"REF(A)\"") + sound_wall,
       1, "t.zul:1: error: variables 'C', 'A' and 'B' reference each other in a cycle\n"},
      {variable("A", "\"1+REF(A)\"") + sound_wall, 1,
       "t.zul:1: error: variable 'A' references itself\n"},
      {variable("A", "\"2*(1+\"") + variable("B", "\"REF(A)\"") + sound_wall, 1,
       "t.zul:1: error: cannot parse variable 'A': expected an operand at the end\n"},
      {variable("RSP1", "         NaN") +
           profile("s", "        \"-REF(RSP1)\"   1.\n        \"- NaN\"   \"REF(RSP1)\"\n"),
       1,
       "t.zul:1: error: variable 'RSP1' is not finite (NaN)\n"
       "t.zul:12: error: z of node 2 of 's' is not finite (NaN)\n"},
      {sound_wall + variable("A", "1") + profile("p", "        \"-REF(Q)\"  \"1+\"\n"), 1,
       "t.zul:16: warning: profile 'p' has only one node\n"
       "t.zul:21: error: reference to undefined variable 'Q' in z of node 1 of 'p'\n"
       "t.zul:21: error: cannot parse rho of node 1 of 'p': expected an operand at the end\n"},
      {variable("A", "1") + "A  real_variable\n(\n  value : 2\n)\n" + sound_wall, 0,
       "t.zul:6: warning: variable 'A' is defined again (first at line 1); this later value is "
       "used\n"},
      {variable("A", "1") + variable("A", "2") + variable("A", "3") + sound_wall, 0,
       "t.zul:6: warning: variable 'A' is defined again (first at line 1); this later value is "
       "used\n"
       "t.zul:11: warning: variable 'A' is defined again (first at line 1); this later value is "
       "used\n"},
      {variable("A", "\"REF(X)+REF(Y)*REF(X)+REF(B)\"") + variable("B", "\"REF(Y)\"") + sound_wall,
       1,
       "t.zul:1: error: reference to undefined variable 'X' in variable 'A'\n"
       "t.zul:1: error: reference to undefined variable 'Y' in variable 'A'\n"
       "t.zul:6: error: reference to undefined variable 'Y' in variable 'B'\n"},
      {variable("A", "\"1e400\"") + variable("B", "\"-1e-400\"") + sound_wall, 1,
       "t.zul:1: error: cannot parse variable 'A': number out of range at column 1\n"},
      {profile("p", "        0.  10.\n        -5.  10.\n        -4.  11.\n        -4.  -1.\n"), 1,
       "t.zul:8: warning: node 3 of 'p' runs back towards the aperture: z rises from -5 to -4\n"
       "t.zul:8: error: the segment from node 3 to node 4 of 'p' crosses the segment from node 1 "
       "to node 2 (line 6)\n"
       "t.zul:9: warning: node 4 of 'p' has a negative radius (-1)\n"},
      {sound_wall + profile("q", "        -5.   12.0001\n        -9.  14.\n") +
           profile("r", "        -9.  14.\n        -10.  15.\n"),
       0,
       "t.zul:16: warning: profile 'q' does not join 'w': it starts at (-5, 12.0001), 'w' ends at "
       "(-5, 12)\n"},
      {sound_wall + profile("q", "        -5.   12.000001\n        -9.  14.\n"), 0, ""},
      {"", 1, "t.zul:1: error: the file holds no profile\n"},
      {variable("A", "1"), 1, "t.zul:1: error: the file holds no profile\n"},
      {sound_wall + profile("open", "        \"-5.\"   \"12.\"\n        -7.  13.\n", false), 0, ""},
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 13.\n        \"-9.\"  \"3", false), 1,
       "t.zul:18: error: file ends inside node 3 of 'cut'\n"},
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 13.\n        -9.\n", false), 1,
       "t.zul:18: error: file ends inside node 3 of 'cut'\n"},
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 13.\n        -9.\n    )\n"), 1,
       "t.zul:19: error: node 3 of 'cut' has no rho column\n"},
      {sound_wall + "A  real_variable\n(\n  value : 2", 1,
       "t.zul:13: error: file ends inside variable 'A'\n"},
      // A last line without its line end is cut, whatever of a block it holds.
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 5.9", false), 1,
       "t.zul:11: warning: profile 'cut' has only one node\n"
       "t.zul:17: error: file ends inside node 2 of 'cut'\n"},
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 13.\n  \t ", false), 0, ""},
      {sound_wall + "A  real_variable\n(\n  value : 2\n)", 1,
       "t.zul:14: error: file ends inside variable 'A'\n"},
      {sound_wall + "\"garbage", 1,
       "t.zul:11: error: expected the name of an object, found an unclosed quote\n"},
      {sound_wall + "RW1", 1, "t.zul:11: error: file ends inside object 'RW1'\n"},
      {sound_wall + profile("cut", "  -5. 12.\n  -7. 13.\n   )\n)", false), 1,
       "t.zul:19: error: file ends inside profile 'cut'\n"},
      {sound_wall + "A  real_variable\n(\n  value : \"2\n)\n", 1,
       "t.zul:13: error: quoted expression in variable 'A' is not closed on its line\n"},
      {sound_wall + "A  real_variable\n(\n  value : two\n)\n", 1,
       "t.zul:13: error: expected a number or a quoted expression in variable 'A', found 'two'\n"},
      {sound_wall + "A  integer_variable\n", 1,
       "t.zul:11: error: unknown kind of object 'integer_variable' for object 'A'\n"},
      {"w circular_symmetric_horn_exterior ( colour : red, nodes : table ( ) )\n", 1,
       "t.zul:1: error: unknown entry 'colour' in profile 'w'\n"
       "t.zul:1: warning: profile 'w' has no nodes\n"},
      // Bytes of the file that are not printable ASCII never reach the terminal raw.
      {sound_wall + "A\x1b[2J real_variable\n", 1,
       "t.zul:11: error: expected the name of an object, found 'A\\x1b[2J'\n"},
      {variable("A", "\"1\x07\"") + variable("B", "\"2\xC3\xA9\"") + sound_wall, 1,
       "t.zul:1: error: cannot parse variable 'A': unexpected '\\x07' at column 2\n"
       "t.zul:6: error: cannot parse variable 'B': unexpected '\\xc3' at column 2\n"},
      // '~' is the last printable byte; DEL is not.
      {variable("A", "\"1~\"") + variable("B", "\"1\x7f\"") + sound_wall, 1,
       "t.zul:1: error: cannot parse variable 'A': unexpected '~' at column 2\n"
       "t.zul:6: error: cannot parse variable 'B': unexpected '\\x7f' at column 2\n"},
      {sound_wall + "\"\x9b" + std::string(50, 'x') + "\"", 1,
       "t.zul:11: error: expected the name of an object, found \"\\x9b" + std::string(39, 'x') +
           "...\"\n"},
      // A token of exactly 40 bytes is shown whole.
      {sound_wall + "1" + std::string(39, 'x') + "\n", 1,
       "t.zul:11: error: expected the name of an object, found '1" + std::string(39, 'x') + "'\n"},
      // A long cycle is named by its first five members.
      {cycle(5) + sound_wall, 1,
       "t.zul:1: error: variables 'V0', 'V1', 'V2', 'V3' and 'V4' reference each other in a "
       "cycle\n"},
      {cycle(6) + sound_wall, 1,
       "t.zul:1: error: variables 'V0', 'V1', 'V2', 'V3', 'V4' and 1 more reference each other "
       "in a cycle\n"},
      {cycle(1000) + sound_wall, 1,
       "t.zul:1: error: variables 'V0', 'V1', 'V2', 'V3', 'V4' and 995 more reference each "
       "other in a cycle\n"},
  };
  for (const auto& c : cases) {
    const ViewRun run = view(c.text);
    EXPECT_EQ(run.messages, c.messages) << c.text.substr(0, 400);
    EXPECT_EQ(run.status, c.status) << c.text.substr(0, 400);
  }
}

// The rows of a profile from (z, rho) pairs, one row a line.
std::string rows(std::initializer_list<std::pair<double, double>> nodes) {
  std::string text;
  for (const auto& [z, rho] : nodes) {
    text += "        " + short_number(z) + "   " + short_number(rho) + "\n";
  }
  return text;
}

TEST(ViewChecks, AWallThatCrossesOrFoldsOntoItselfIsAnError) {
  const struct {
    std::string_view what;
    std::string rows;
    std::string messages;
  } cases[] = {
      {"fins thicker than their pitch",
       rows({{0, 10},
             {-2, 10},
             {-2, 12},
             {-5, 12},
             {-5, 10},
             {-4, 10},
             {-4, 12},
             {-7, 12},
             {-7, 10}}),
       "t.zul:11: warning: node 6 of 'f' runs back towards the aperture: z rises from -5 to -4\n"
       "t.zul:11: error: the segment from node 6 to node 7 of 'f' crosses the segment from node 3 "
       "to node 4 (line 8)\n"
       "t.zul:12: error: the segment from node 7 to node 8 of 'f' crosses the segment from node 4 "
       "to node 5 (line 9)\n"},
      {"a ridge folded back through the one before",
       rows({{0, 10}, {-2, 10}, {-2, 14}, {-4, 14}, {-4, 10}, {-1, 12}, {-6, 12}}),
       "t.zul:10: error: the segment from node 5 to node 6 of 'f' crosses the segment from node 2 "
       "to node 3 (line 7)\n"
       "t.zul:11: warning: node 6 of 'f' runs back towards the aperture: z rises from -4 to -1\n"
       "t.zul:11: error: the segment from node 6 to node 7 of 'f' crosses the segment from node 4 "
       "to node 5 (line 9)\n"},
      {"a three-node fold back along itself", rows({{0, 10}, {-5, 12}, {-2.5, 11}}),
       "t.zul:7: error: the segment from node 2 to node 3 of 'f' folds back over the segment from "
       "node 1 to node 2 (line 6)\n"
       "t.zul:8: warning: node 3 of 'f' runs back towards the aperture: z rises from -5 to -2.5\n"},
      {"a three-node fold at one z", rows({{0, 10}, {0, 14}, {0, 12}}),
       "t.zul:7: error: the segment from node 2 to node 3 of 'f' folds back over the segment from "
       "node 1 to node 2 (line 6)\n"},
      {"a fin of no thickness", rows({{0, 10}, {-2, 10}, {-2, 12}, {-2, 10}, {-4, 10}}),
       "t.zul:8: error: the segment from node 3 to node 4 of 'f' folds back over the segment from "
       "node 2 to node 3 (line 7)\n"},
      {"a line along another", rows({{0, 10}, {-4, 10}, {-4, 11}, {-1, 11}, {-1, 10}, {-3, 10}}),
       "t.zul:9: warning: node 4 of 'f' runs back towards the aperture: z rises from -4 to -1\n"
       "t.zul:10: error: the segment from node 5 to node 6 of 'f' overlaps the segment from node 1 "
       "to node 2 (line 6)\n"},
      {"a face leaning back by less than the tolerance",
       rows({{0, 10}, {-5, 10}, {-4.99999, 12}, {-8, 12}}), ""},
      {"running back without crossing", rows({{0, 10}, {-5, 10}, {-6, 11}, {-5.5, 12}}),
       "t.zul:9: warning: node 4 of 'f' runs back towards the aperture: z rises from -6 to -5.5\n"},
      {"a sound corrugated wall",
       rows({{0, 10}, {-2, 10}, {-2, 12}, {-3, 12}, {-3, 10}, {-4, 10}, {-4, 12}, {-5, 12}}), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ViewRun run = view(profile("f", c.rows));
    EXPECT_EQ(run.messages, c.messages);
    EXPECT_EQ(run.status, c.messages.find("error") == std::string::npos ? 0 : 1);
  }
}

TEST(ViewMessages, StayBoundedOnHostileFiles) {
  std::string many_names = "\"0";
  for (int i = 0; i < 250; ++i) many_names += "+REF(U" + std::to_string(i) + ")";
  const ViewRun undefined = view(variable("A", many_names + "\"") + sound_wall);
  EXPECT_EQ(std::count(undefined.messages.begin(), undefined.messages.end(), '\n'), 101);
  EXPECT_TRUE(undefined.messages.ends_with(
      "t.zul:1: error: reference to undefined variable 'U99' in variable 'A'\n"
      "t.zul: note: 150 more errors of this kind not shown: reference to undefined variable\n"));

  // A chain whose last member references every earlier one is one cycle.
  std::string chain;
  constexpr std::size_t links = 2000;
  for (std::size_t i = 0; i + 1 < links; ++i) chain += variable(v(i), "\"REF(" + v(i + 1) + ")\"");
  std::string last = "\"0";
  for (std::size_t i = 0; i + 1 < links; ++i) last += "+REF(" + v(i) + ")";
  chain += variable(v(links - 1), last + "\"");
  EXPECT_EQ(view(chain + sound_wall).messages,
            "t.zul:1: error: variables 'V0', 'V1', 'V2', 'V3', 'V4' and 1995 more reference each "
            "other in a cycle\n");

  // A long profile name is cut in every message and in the summary.
  const std::string name(100000, 'n');
  std::string bad_rows;
  for (int i = 0; i < 300; ++i) bad_rows += "  \"REF(Q)\"  1.\n";
  const ViewRun named = view(profile(name, bad_rows), false);
  const std::string shown = single_quoted(std::string(40, 'n') + "...");
  EXPECT_LT(named.messages.size() + named.summary.size(), 20000u);
  EXPECT_NE(named.messages.find("t.zul:6: error: reference to undefined variable 'Q' in z of node "
                                "1 of " +
                                shown + "\n"),
            std::string::npos);
  EXPECT_TRUE(named.messages.ends_with(
      "t.zul: note: 200 more errors of this kind not shown: reference to undefined variable\n"));
  EXPECT_TRUE(named.summary.starts_with("profile " + std::string(40, 'n') + "...: unit mm"));
  EXPECT_NE(named.summary.find("errors: 300, warnings: 0"), std::string::npos);
}

TEST(Bands, AreCapacitiveStrictlyInsideTheirWindows) {
  // A corrugation a metre high is a quarter wavelength deep at c/4 Hz, half at c/2 Hz.
  const double quarter = speed_of_light / 4.0, half = speed_of_light / 2.0;
  const struct {
    double frequency;
    bool capacitive;
  } cases[] = {
      {quarter, false},
      {std::nextafter(quarter, 0.0), false},
      {std::nextafter(quarter, half), true},
      {std::nextafter(half, 0.0), true},
      {half, false},
      {3.0 * quarter, false},
      {std::nextafter(3.0 * quarter, half * 4), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(is_capacitive(1.0, c.frequency), c.capacitive) << c.frequency;
  EXPECT_EQ(quarter_wave_frequency(1.0), quarter);
}

TEST(Bands, DrawAtMostAThousandWindowsWhateverTheHeight) {
  // Heights so large that the windows' numbers pass 2^53, where adding one to a double
  // no longer moves it, and heights too small or not numbers at all.
  const struct {
    double height;
    std::size_t most;
  } cases[] = {
      {0.01, 1},
      {1e3, 1000},
      {1e15, 1000},
      {1e300, 1000},
      {1e-300, 0},
      {0.0, 0},
      {std::numeric_limits<double>::infinity(), 0},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    const auto ranges = capacitive_ranges(c.height, 10e9, 20e9);
    EXPECT_LE(ranges.size(), c.most) << c.height;
    for (const auto& range : ranges) {
      EXPECT_GE(range.low, 10e9) << c.height;
      EXPECT_LE(range.high, 20e9) << c.height;
    }
  }
}

TEST(Bands, ReadBandTextsAndRefuseWhatIsNoBand) {
  const struct {
    std::string_view text;
    double low, high;
  } good[] = {{"10:20", 10e9, 20e9},
              {"9.5GHz:10.5GHz", 9.5e9, 10.5e9},
              {"800MHz:1.2ghz", 800e6, 1.2e9},
              {"1e3Hz:2kHz", 1e3, 2e3}};
  for (const auto& c : good) {
    const Result<FrequencyBand> band = parse_band(c.text);
    ASSERT_TRUE(band.ok()) << c.text;
    EXPECT_EQ(band.value().low, c.low);
    EXPECT_EQ(band.value().high, c.high);
  }
  const std::string form =
      ": write F1:F2, in GHz or with Hz, kHz, MHz or GHz (10:20, 9.5GHz:10.5GHz)";
  const struct {
    std::string_view text;
    std::string reason;
  } bad[] = {
      {"20:10", "invalid band '20:10': its first frequency must be below its second"},
      {"10:10", "invalid band '10:10': its first frequency must be below its second"},
      {"10GHz:10000MHz",
       "invalid band '10GHz:10000MHz': its first frequency must be below its "
       "second"},
      {"0:5", "invalid band '0:5': its frequencies must be above zero"},
      {"x", "invalid band 'x'" + form},
      {"10:20THz", "invalid band '10:20THz'" + form},
      {"inf:5", "invalid band 'inf:5': its frequencies must be finite"},
  };
  for (const auto& c : bad) EXPECT_EQ(parse_band(c.text).reason(), c.reason);
}

// One fin on a short wall in `unit`, `height` high.
std::string one_fin(std::string_view unit, double height) {
  const std::string h = short_number(10.0 + height, 17);
  return "f   circular_symmetric_horn_exterior\n(\n  length_unit      : " + std::string(unit) +
         ",\n  nodes             : table\n    (\n        0   10\n        -1   10\n        -1   " +
         h + "\n        -2   " + h + "\n        -2   10\n        -3   10\n   )\n)\n";
}

TEST(Bands, ConvertEveryUnitAndRefuseAnUnknownOne) {
  // A fin a quarter wavelength deep at 10 GHz, in each unit: capacitive over the upper
  // half of a band around 10 GHz.
  const double metres = speed_of_light / 4e10;
  for (const auto& [unit, per_unit] :
       {std::pair{"in", 0.0254}, {"ft", 0.3048}, {"mm", 1e-3}, {"cm", 1e-2}, {"m", 1.0}}) {
    const std::string text = one_fin(unit, metres / per_unit);
    TextSource source(text);
    CheckSettings settings;
    settings.bands = {parse_band("9.9:10.1").value()};
    const Examined examined = examine(source, settings);
    ASSERT_EQ(examined.wall.profiles.at(0).bands.size(), 1u) << unit;
    EXPECT_NEAR(capacitive_part(examined.wall.profiles[0].corrugations.at(0).capacitive[0]),
                200.0 / 401.0, 1.5 / 401.0)
        << unit;
  }
  const std::string text = one_fin("furlong", 1.0);
  TextSource source(text);
  CheckSettings settings;
  settings.bands = {parse_band("10:20").value()};
  std::ostringstream messages;
  write_diagnostics(examine(source, settings).diagnostics, "t.zul", messages);
  EXPECT_EQ(messages.str(),
            "t.zul:1: error: profile 'f' has the length unit 'furlong', which a band check cannot "
            "convert (in, ft, mm, cm, m)\n");
}

// A faced wall in mm: fins 1 thick of these heights, `pitch` apart, on rho 50.
std::string fins(std::initializer_list<double> heights, double pitch) {
  std::string rows = "        0   50\n";
  double z = -2.0;
  for (const double height : heights) {
    const std::string top = short_number(50.0 + height, 17);
    const std::string near = short_number(z, 17), far = short_number(z - 1.0, 17);
    rows += "        " + near + "   50\n        " + near + "   " + top + "\n        " + far +
            "   " + top + "\n        " + far + "   50\n";
    z -= pitch;
  }
  return profile("f", rows);
}

TEST(ViewBands, DrawWindowsFinerThanThePanelAsOneHalfShadedBar) {
  // 10-19 GHz: a 7.625 mm fin opens one window there; fins a thousand times deeper or more
  // open hundreds to billions, which the panel cannot part.
  const struct {
    double height;
    std::size_t windows, half_shaded;
  } cases[] = {{7.625, 1, 0}, {7625.0, 0, 2}, {7.625e15, 0, 2}, {7.625e300, 0, 2}};
  const std::vector<FrequencyBand> bands = {parse_band("10:19").value()};
  for (const auto& c : cases) {
    const std::string wall = fins({c.height, c.height}, 4.0);
    TextSource source(wall);
    std::ostringstream svg;
    write_svg(examine(source, {}).wall, {"t.zul", false, bands}, svg);
    const std::string text = svg.str();
    const auto count = [&](std::string_view piece) {
      std::size_t found = 0;
      for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++found;
      return found;
    };
    EXPECT_EQ(count("fill-opacity=\"0.5\""), c.half_shaded) << c.height;
    EXPECT_GE(count("<rect"), 2 * c.windows + bands.size()) << c.height;
  }
}

// The band panel's frequencies: the bands, the quarter waves of the fins that serve them
// and the ends of the margins, 5% beyond, within half the lowest bottom and one and a half
// times the highest top. A 7.625 mm fin serves 9.829 to 19.659 GHz (and 29.488 to 39.317
// GHz); a 38.2 mm one 1.962 to 3.924 GHz, and 10-12 GHz only through its third window
// (9.809 to 11.771 GHz); a 1 mm one opens at 75 GHz.
TEST(ViewBands, ThePanelSpansTheBandsTheirQuarterWavesAndTheirMargins) {
  const double quarter = speed_of_light / (4.0 * 7.625e-3);
  const struct {
    std::string_view what;
    std::string wall;
    std::vector<std::string_view> bands;
    double low, high;
    double min_coverage = default_min_coverage;
  } cases[] = {
      {"up to the margin's cap", fins({7.625, 7.625}, 2.0), {"10:12"}, 0.95 * quarter, 1.05 * 18e9},
      // At no threshold the band may shift half its frequencies down, below the fins'
      // quarter wave: the panel shows the whole of it.
      {"down to the margin's cap, at no threshold",
       fins({7.625, 7.625}, 2.0),
       {"10:12"},
       0.95 * 5e9,
       1.05 * 18e9,
       0.0},
      {"up to where the fins close",
       fins({7.625, 7.625}, 2.0),
       {"10:19"},
       0.95 * quarter,
       1.05 * 2.0 * quarter},
      {"no fin serves the band", fins({1.0, 1.0}, 2.0), {"10:12"}, 0.95 * 10e9, 1.05 * 12e9},
      {"a quarter wave below half the band", fins({38.2}, 2.0), {"10:12"}, 0.95 * 5e9, 1.05 * 12e9},
      {"two bands, the upper served from the lower's fins' second window",
       fins({7.625, 7.625}, 2.0),
       {"10:12", "30:31"},
       0.95 * quarter,
       1.05 * 4.0 * quarter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextSource source(c.wall);
    CheckSettings settings;
    settings.min_coverage = c.min_coverage;
    for (const std::string_view band : c.bands) settings.bands.push_back(parse_band(band).value());
    const Examined examined = examine(source, settings);
    const FrequencyRange range = band_panel_range(examined.wall, settings.bands);
    EXPECT_NEAR(range.low, c.low, 1e-6 * c.low);
    EXPECT_NEAR(range.high, c.high, 1e-6 * c.high);
  }
}

TEST(ViewBands, WarnOfGapsSparseWallsAndBrokenInterleaves) {
  const double tall = 7.625, short_fin = 4.5;  // quarter waves a little below 10 and 17 GHz
  const struct {
    std::string_view what;
    std::string wall;
    std::vector<std::string_view> bands;
    std::string messages;
  } cases[] = {
      {"a sound dual band",
       fins({tall, short_fin, tall, short_fin, tall, short_fin}, 2.5),
       {"10:12", "17:19"},
       ""},
      {"two short fins in a row",
       fins({tall, short_fin, tall, short_fin, short_fin, tall}, 2.5),
       {"10:12", "17:19"},
       "t.zul:6: warning: the interleave for band 10-12 GHz breaks at corrugations 4 and 5 (z "
       "-9.5 to -13.0 mm)\n"},
      {"a band beyond the first window",
       fins({tall, tall, tall, tall}, 1.5),
       {"10:30"},
       "t.zul:6: warning: fewer than 25% of the corrugations of 'f' are capacitive from 19.7 to "
       "29.4 GHz (at worst 0 of 4, at 19.7 GHz)\n"},
      {"fins too far apart",
       fins({tall, tall, tall}, 4.0),
       {"10:19"},
       "t.zul:6: warning: profile 'f' has 3.9 corrugations per wavelength at 19.00 GHz (at least 5 "
       "are needed)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TextSource source(c.wall);
    CheckSettings settings;
    for (const std::string_view band : c.bands) settings.bands.push_back(parse_band(band).value());
    std::ostringstream messages;
    write_diagnostics(examine(source, settings).diagnostics, "t.zul", messages);
    EXPECT_EQ(messages.str(), c.messages);
  }
}

TEST(ViewValues, ALaterDefinitionIsTheOneUsed) {
  const std::string text = variable("A", "1") + variable("A", "2") +
                           variable("B", "\"REF(A)*10\"") + variable("A", "3") + sound_wall;
  TextSource source(text);
  const Examined examined = examine(source, {});
  EXPECT_EQ(examined.wall.value("A"), 3.0);
  EXPECT_EQ(examined.wall.value("B"), 30.0);
  EXPECT_EQ(examined.wall.value("C"), std::nullopt);
}

// Every kind of block that the writer writes, read back by the viewer.
TEST(ViewReading, ReadsBackEveryBlockTheWriterWrites) {
  struct TextSink : ObjectSink {
    std::string text;
    void write(std::string_view bytes) override { text.append(bytes); }
    void close() override {}
  } sink;
  {
    ObjectWriter out(sink);
    out.numeric_variable("RW1", 25.5f);
    out.numeric_variable(expression("RSP", Int1{12}), -0.5f);
    out.numeric_variable_pair("SPLC", 0.5f, "NSPL", 12.0f);
    out.expression_variable("ZC1", expression("REF(RW1)*", Int2{2}, "-ref(RSP12)+", Sci5{1.5f}));
    out.profile_header("plain", "mm");
    out.node_row(Number{0.0f}, expression("REF(RW1)"));
    out.node_row(expression("-REF(ZC1)-", Sci4{2.0f}), Number{30.0f});
    out.full_close();
    out.profile_header("all_lines", "m ", {.snap_to_aperture = true, .coor_order = true});
    out.node_row(expression("-REF(ZC1)-", Sci4{2.0f}), expression("REF(SPLC)*REF(NSPL)*5"));
    out.node_row(Number{-60.0f}, Number{31.0f});
    out.short_close();
    out.profile_header("left_open", "in");
    out.node_row(Number{-60.0f}, Number{31.0f});
    out.node_row(Number{-70.0f}, expression("COS(0.)+", Int3{5}));
    out.finish();
  }
  TextSource source(sink.text);
  const Examined examined = examine(source, {});
  std::ostringstream messages;
  write_diagnostics(examined.diagnostics, "w.zul", messages);
  EXPECT_EQ(messages.str(), "");
  const Wall& wall = examined.wall;
  EXPECT_EQ(wall.variable_count, 5u);
  EXPECT_EQ(wall.value("RSP12"), -0.5);
  EXPECT_EQ(wall.value("NSPL"), 12.0);
  EXPECT_EQ(wall.value("ZC1"), 53.0);
  ASSERT_EQ(wall.profiles.size(), 3u);
  const struct {
    std::string_view name, unit;
    ProfileEnd end;
    std::vector<std::pair<double, double>> nodes;
  } expected[] = {
      {"plain", "mm", ProfileEnd::closed, {{0.0, 25.5}, {-55.0, 30.0}}},
      {"all_lines", "m", ProfileEnd::closed, {{-55.0, 30.0}, {-60.0, 31.0}}},
      {"left_open", "in", ProfileEnd::open_at_end, {{-60.0, 31.0}, {-70.0, 6.0}}},
  };
  for (std::size_t p = 0; p < wall.profiles.size(); ++p) {
    const Profile& profile = wall.profiles[p];
    EXPECT_EQ(profile.name, expected[p].name);
    EXPECT_EQ(profile.unit, expected[p].unit);
    EXPECT_EQ(profile.end, expected[p].end);
    ASSERT_EQ(profile.nodes.size(), expected[p].nodes.size());
    for (std::size_t i = 0; i < profile.nodes.size(); ++i) {
      EXPECT_TRUE(profile.nodes[i].ok);
      EXPECT_EQ(profile.nodes[i].z, expected[p].nodes[i].first) << profile.name << i;
      EXPECT_EQ(profile.nodes[i].rho, expected[p].nodes[i].second) << profile.name << i;
    }
  }
}

TEST(ViewMessages, ASingleRipplePointGivesNotFiniteErrors) {
  std::ifstream in(HORNWALL_VIEW_DATA_DIR "/broken/spline-npts-1.zul", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const ViewRun run = view(text);
  EXPECT_EQ(run.messages,
            "t.zul:66: error: variable 'RSP1' is not finite (NaN)\n"
            "t.zul:71: warning: profile 'sinusoid_outer' has only one node\n"
            "t.zul:78: error: z of node 1 of 'sinusoid_outer' is not finite (NaN)\n"
            "t.zul:88: error: z of node 1 of 'horn_exterior_2' is not finite (NaN)\n"
            "t.zul:88: error: rho of node 1 of 'horn_exterior_2' is not finite (NaN)\n");
  EXPECT_EQ(run.status, 1);
}

TEST(ViewSummary, CountsProfilesVariablesAndFindings) {
  const ViewRun run =
      view(variable("R", "\"2*5.\"") + sound_wall +
               profile("o", "  -5. \"REF(R)+2\"  -6. \"REF(X)\"\n  -7. 9.\n", false),
           false);
  EXPECT_EQ(run.summary,
            "profile w: unit mm, 2 nodes, z -5 to 0, rho 10 to 12, closed\n"
            "  no corrugations\n"
            "profile o: unit mm, 3 nodes (1 not evaluated), z -7 to -5, rho 9 to 12, open at the "
            "end of the file\n"
            "  no corrugations\n"
            "variables: 1\n"
            "errors: 1, warnings: 0\n");
}

TEST(ViewCommandLine, ReadsOptionsTheGnuWay) {
  struct Parsed {
    ViewOptions options;
    std::string usage_error;
  };
  const auto parse = [](std::vector<std::string> arguments) {
    const Result<ViewOptions> read = parse_command_line(arguments);
    return read.ok() ? Parsed{read.value(), ""} : Parsed{{}, read.reason()};
  };
  const Parsed full = parse({"--mirror", "h.zul", "-q", "--table=t.csv", "-opic.svg"});
  EXPECT_EQ(full.usage_error, "");
  EXPECT_EQ(full.options.file, "h.zul");
  EXPECT_EQ(full.options.path(Output::picture), "pic.svg");
  EXPECT_EQ(full.options.path(Output::table), "t.csv");
  EXPECT_TRUE(full.options.mirror && full.options.quiet);
  const Parsed spaced = parse({"--tab", "-", "-o", "x.svg", "--", "-odd.zul"});
  EXPECT_EQ(spaced.options.path(Output::table), "-");
  EXPECT_EQ(spaced.options.path(Output::picture), "x.svg");
  EXPECT_EQ(spaced.options.file, "-odd.zul");
  EXPECT_EQ(parse({"h.zul"}).options.path(Output::picture), "h.zul.svg");
  EXPECT_EQ(parse({"h.zul"}).options.min_coverage, 25.0);
  EXPECT_EQ(parse({"h.zul", "--min-coverage=100", "--min-c", "0"}).options.min_coverage, 0.0);
  EXPECT_EQ(parse({"h.zul", "-o", "H.SVG"}).usage_error, "");
  EXPECT_TRUE(parse({"--version"}).options.version);
  EXPECT_TRUE(parse({"-h", "--nonsense"}).usage_error.empty() == false);
  const struct {
    std::vector<std::string> arguments;
    std::string_view error;
  } wrong[] = {
      {{}, "no object file given"},
      {{"a.zul", "b.zul"}, "more than one object file given: 'a.zul' and 'b.zul'"},
      {{"--colour", "a.zul"}, "unknown option '--colour'"},
      {{"-x", "a.zul"}, "unknown option '-x'"},
      {{"a.zul", "-o"}, "option '-o' needs a value"},
      {{"a.zul", "--table"}, "option '--table' needs a value"},
      {{"--mirror=yes", "a.zul"}, "option '--mirror' takes no value"},
      {{"a.zul", "-o", "-"}, "the picture cannot go to standard output"},
      {{"a.zul", "-o", "pic.png"}, "the picture's name must end in '.svg': 'pic.png'"},
      {{"a.zul", "-o", "svg"}, "the picture's name must end in '.svg': 'svg'"},
      {{"a.zul", "--band", "20:10"},
       "invalid band '20:10': its first frequency must be below its second"},
      {{"a.zul", "--band=0:5"}, "invalid band '0:5': its frequencies must be above zero"},
      {{"a.zul", "--band", "10:11", "--band", "12:13", "--band", "14:15"},
       "option '--band' may be given at most twice, for two bands"},
      {{"a.zul", "--min-coverage", "100.5"},
       "invalid minimum coverage '100.5': it must lie from 0 to 100 percent"},
      {{"a.zul", "--min-coverage=half"},
       "invalid minimum coverage 'half': write a percentage from 0 to 100, a number alone (25, "
       "12.5)"},
      {{"a.zul", "--mi", "5"}, "ambiguous option '--mi'"},
      {{"a.zul", "--table", "-", "--corrugations", "-"},
       "the table and the corrugations cannot both go to standard output"},
      {{"a.zul", "--table="}, "option '--table' needs a value"},
      {{"--tab", "", "a.zul"}, "option '--table' needs a value"},
      {{"--output=", "a.zul"}, "option '--output' needs a value"},
      {{"a.zul", "-o", ""}, "option '-o' needs a value"},
  };
  for (const auto& c : wrong) EXPECT_EQ(parse(c.arguments).usage_error, c.error);
}

// The numbers of every attribute `name` in `svg`, in order.
std::vector<double> attribute_values(const std::string& svg, const std::string& name) {
  std::vector<double> values;
  const std::regex attribute("\\s" + name + "=\"(-?[0-9.]+)\"");
  for (auto found = std::sregex_iterator(svg.begin(), svg.end(), attribute);
       found != std::sregex_iterator(); ++found) {
    values.push_back(std::stod((*found)[1]));
  }
  return values;
}

// The library's fixed form with two decimals is the oracle of the picture's numbers.
TEST(ViewReport, WritesStringsAsJsonOfEveryByteAndNumbersThatReadBack) {
  const struct {
    std::string text;
    std::string json;
  } strings[] = {
      {"horn.zul", "\"horn.zul\""},
      {"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
      {std::string("\0\x01\n\x1f\x7f", 5), "\"\\u0000\\u0001\\u000a\\u001f\\u007f\""},
      {"caf\xc3\xa9.zul", "\"caf\\u00c3\\u00a9.zul\""},
      {"\xff", "\"\\u00ff\""},
      // The printable bytes from the blank to the tilde stand as they are.
      {" ~", "\" ~\""},
  };
  for (const auto& c : strings) {
    std::string written;
    append_json_string(written, c.text);
    EXPECT_EQ(written, c.json);
  }
  const struct {
    double value;
    std::string_view json;
  } numbers[] = {{10e9, "1e+10"},
                 {19602500000.0, "19602500000"},
                 {0.1, "0.1"},
                 {-0.0, "-0"},
                 {1e-7, "1e-07"},
                 {0.5, "0.5"},
                 {std::numeric_limits<double>::infinity(), "null"},
                 {std::numeric_limits<double>::quiet_NaN(), "null"}};
  for (const auto& c : numbers) {
    std::string written;
    append_json_number(written, c.value);
    EXPECT_EQ(written, c.json) << c.value;
  }
}

TEST(ViewPicture, WritesNumbersAsTheLibraryDoesWithTwoDecimals) {
  std::mt19937_64 random(12345);
  std::vector<double> values = {0.0,   -0.0,   0.005,  0.015,  0.125,  -0.125, 2.675,
                                1e-9,  -1e-9,  1e15,   4.5e13, 4.5e14, -7e20,  1e308,
                                0.045, 1.0045, 99.995, 0.3,    -0.35};
  for (int k = -4000; k <= 4000; ++k) values.push_back(k / 8.0 + 0.001 * (k % 3));
  for (int i = 0; i < 200000; ++i) {
    const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 60) - 20);
    values.push_back(std::uniform_real_distribution<double>(-magnitude, magnitude)(random));
    values.push_back(std::round(values.back() * 200.0) / 200.0);  // near a half hundredth
  }
  for (const double value : values) {
    std::array<char, 400> expected{};
    const auto end = std::to_chars(expected.data(), expected.data() + expected.size(), value,
                                   std::chars_format::fixed, 2);
    std::string written;
    append_fixed(written, value);
    const std::string library(expected.data(), end.ptr);
    ASSERT_EQ(written, library.size() < 32 ? library : "0") << value;
  }
}

TEST(ViewPicture, DrawsRhoUpwardsWithTicksInsideThePlot) {
  const std::string svg = view(profile("w", rows({{0, 10}, {-7.3, 23.9}}))).svg;
  const std::vector<double> dots = attribute_values(svg, "cy");
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_GT(dots[0], dots[1]) << "a larger rho is drawn higher up";
  const std::vector<double> width = attribute_values(svg, "width");
  ASSERT_FALSE(width.empty());
  const double left = 80.0, right = left + width.back();
  for (const double x : attribute_values(svg, "x1")) {
    EXPECT_GE(x, left - 5.0);
    EXPECT_LE(x, right);
  }
  EXPECT_NE(view(sound_wall).svg.find("<title>t.zul</title>"), std::string::npos);
  TextSource source(sound_wall);
  std::ostringstream titled;
  write_svg(examine(source, {}).wall, {"a&b<c>.zul"}, titled);
  EXPECT_NE(titled.str().find("<title>a&amp;b&lt;c&gt;.zul</title>"), std::string::npos);
}

TEST(ViewPicture, StaysWellFormedAtTheEdgesOfDouble) {
  const std::string cannot_draw =
      "t.zul:1: warning: the nodes lie too far apart or too close together to draw; the picture "
      "shows an empty frame\n";
  const struct {
    std::string rows;
    bool mirror;
    std::string messages;
  } cases[] = {
      {"1e308 1e308\n -1e308 0\n", false, ""},
      {"1e308 1e308\n -1e308 0\n", true, ""},
      {"1.7e308 1e308\n -1.7e308 1e308\n", false, cannot_draw},
      {"0 1.7976931348623157e308\n -1 1\n", true, cannot_draw},
      {"0 0\n 0 5e-324\n", false, cannot_draw},
      {"-1e-310 0\n -2e-310 1e-310\n", true, cannot_draw},
      {"0 0\n -1e-300 1e-300\n", false, ""},
  };
  // Every coordinate and size written with two decimals, and nothing else.
  const std::regex attribute(R"re(\s([a-z0-9-]+)="([^"]*)")re");
  const std::regex number(R"re(-?[0-9]+\.[0-9]{2})re");
  const std::regex points(
      R"re(-?[0-9]+\.[0-9]{2},-?[0-9]+\.[0-9]{2}( -?[0-9]+\.[0-9]{2},-?[0-9]+\.[0-9]{2})*)re");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    const ViewRun run =
        view("w circular_symmetric_horn_exterior ( nodes : table (\n" + c.rows + " ) )\n", true,
             c.mirror);
    EXPECT_EQ(run.messages, c.messages);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.svg.ends_with("</svg>\n"));
    EXPECT_EQ(run.svg.find('\0'), std::string::npos);
    EXPECT_EQ(run.svg.find("nan"), std::string::npos);
    EXPECT_EQ(run.svg.find("inf"), std::string::npos);
    EXPECT_EQ(run.svg.find("<polyline") != std::string::npos, c.messages.empty());
    for (auto found = std::sregex_iterator(run.svg.begin(), run.svg.end(), attribute);
         found != std::sregex_iterator(); ++found) {
      const std::string name = (*found)[1], value = (*found)[2];
      if (name == "points") {
        EXPECT_TRUE(std::regex_match(value, points)) << value.substr(0, 80);
      } else if (name != "r" && (name.size() <= 2 || name == "width" || name == "height")) {
        EXPECT_TRUE(std::regex_match(value, number) || value == "100%") << name << "=" << value;
      }
    }
  }
}

// A fresh folder for the files of one test, removed with it.
struct Scratch {
  fs::path folder =
      fs::temp_directory_path() / ("hornwall_view_test_" + std::to_string(std::random_device{}()));
  Scratch() { fs::create_directories(folder); }
  ~Scratch() { fs::remove_all(folder); }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  }
};

TEST(ViewFiles, ReadsRegularFilesAndRefusesTheRest) {
  const Scratch scratch;
  std::string long_text;
  for (int i = 0; long_text.size() < 200000; ++i) long_text += std::to_string(i) + '\n';
  const std::string fifo = (scratch.folder / "pipe").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = (scratch.folder / "missing\x1b[2J.zul").string();
  const std::string shown_missing = (scratch.folder / "missing\\x1b[2J.zul").string();
  const std::string folder = scratch.folder.string();
  const struct {
    std::string path;
    std::string text;
    std::string failure;
  } cases[] = {
      {scratch.write("empty.zul", ""), "", ""},
      {scratch.write("long.zul", long_text), long_text, ""},
      {missing, "", "cannot open '" + shown_missing + "': No such file or directory"},
      {folder, "", "cannot read '" + folder + "': Is a directory"},
      {fifo, "", "cannot read '" + fifo + "': not a regular file"},
  };
  for (const auto& c : cases) {
    FileSource source;
    const Result<void> opened = source.open(c.path);
    EXPECT_EQ(opened.ok() ? "" : opened.reason(), c.failure);
    if (!c.failure.empty()) continue;
    std::string read(source.size(), '\0');
    EXPECT_EQ(source.read(0, read.data(), read.size()), c.text.size());
    EXPECT_TRUE(read == c.text) << c.path;
  }
}

TEST(ViewFiles, RefusesOutputsThatOverwriteTheObjectFile) {
  const Scratch scratch;
  const std::string input = scratch.write("horn.zul", "x");
  const std::string linked = (scratch.folder / "linked.zul").string();
  fs::create_hard_link(input, linked);
  const std::string dir = scratch.folder.string();
  const struct {
    std::string svg;
    std::string table;
    std::string clash;
  } cases[] = {
      {input + ".svg", "", ""},
      {input + ".svg", "-", ""},
      {dir + "/a.svg", dir + "/a.csv", ""},
      {"/dev/null", "/dev/null", ""},
      {input, "", "the picture cannot overwrite the object file '" + input + "'"},
      {linked, "", "the picture cannot overwrite the object file '" + input + "'"},
      {dir + "/./horn.zul", "", "the picture cannot overwrite the object file '" + input + "'"},
      {dir + "/a.svg", linked, "the table cannot overwrite the object file '" + input + "'"},
      {dir + "/a.svg", dir + "/sub/../a.svg",
       "the picture and the table cannot both go to '" + dir + "/sub/../a.svg'"},
      // Neither exists yet, and one is named from the working folder.
      {"./new-in-cwd.zul.svg", "new-in-cwd.zul.svg",
       "the picture and the table cannot both go to 'new-in-cwd.zul.svg'"},
  };
  for (const auto& c : cases) {
    ViewOptions options;
    options.file = input;
    options.paths[static_cast<std::size_t>(Output::picture)] = c.svg;
    options.paths[static_cast<std::size_t>(Output::table)] = c.table;
    EXPECT_EQ(output_clash(options), c.clash) << c.svg << " " << c.table;
  }
}

// A run of the program on files of `scratch`: its exit status and console.
struct ProgramRun {
  int status = 0;
  std::string out;
  std::string err;
};

ProgramRun run_program(std::vector<std::string> arguments) {
  std::ostringstream out, err;
  ProgramRun run;
  run.status = run_view(arguments, {out, err});
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The names of the files in `folder`, sorted.
std::vector<std::string> listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ViewRun, WritesEveryOutputWholeOrNone) {
  const Scratch scratch;
  const std::string horn = scratch.write("horn.zul", sound_wall);
  const std::string picture = scratch.write("horn.zul.svg", "old picture");
  const std::string dir = scratch.folder.string();

  const ProgramRun refused = run_program({horn, "--table", dir + "/none/t.csv"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "hornwall_view: cannot write '" + dir + "/none/t.csv': No such file or directory\n");
  EXPECT_EQ(contents(picture), "old picture");
  EXPECT_EQ(listing(scratch.folder), (std::vector<std::string>{"horn.zul", "horn.zul.svg"}));

  const ProgramRun written = run_program({horn, "--table", dir + "/t.csv"});
  EXPECT_EQ(written.status, 0);
  EXPECT_TRUE(written.out.ends_with("errors: 0, warnings: 0\npicture: " + dir +
                                    "/horn.zul.svg\ntable: " + dir + "/t.csv\n"))
      << written.out;
  EXPECT_TRUE(contents(picture).ends_with("</svg>\n"));
  EXPECT_TRUE(contents(dir + "/t.csv").starts_with("profile,index,z,rho\n"));
  EXPECT_EQ(listing(scratch.folder),
            (std::vector<std::string>{"horn.zul", "horn.zul.svg", "t.csv"}));
  if (geteuid() != 0) {
    // A picture without write permission is refused, as the object file is, and stays.
    const std::string before = contents(picture);
    fs::permissions(picture, fs::perms::owner_read | fs::perms::group_read);
    const ProgramRun kept = run_program({horn});
    EXPECT_EQ(kept.status, 2);
    EXPECT_EQ(kept.err, "hornwall_view: cannot write '" + picture + "': Permission denied\n");
    EXPECT_EQ(contents(picture), before);
    EXPECT_EQ(fs::status(picture).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read);
  }
}

TEST(ViewRun, NamesFilesSafelyAndRefusesWhatWouldGoWrong) {
  const Scratch scratch;
  const std::string dir = scratch.folder.string();
  const std::string hostile = scratch.write("bad\x1b[2J.zul", variable("A", "\"REF(X)\""));
  const std::string shown = dir + "/bad\\x1b[2J.zul";
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;
  } cases[] = {
      {{hostile, "-q"},
       1,
       shown + ":1: error: reference to undefined variable 'X' in variable 'A'\n" + shown +
           ":1: error: the file holds no profile\n"},
      {{dir + "/no\a.zul"},
       2,
       "hornwall_view: cannot open '" + dir + "/no\\x07.zul': No such file or directory\n"},
      {{hostile, "-o", "x.png"},
       2,
       "usage: hornwall_view [OPTIONS] FILE\nhornwall_view: the picture's name must end in "
       "'.svg': 'x.png'\n"},
      {{hostile, "-o", dir + "/same.svg", "--table", dir + "/same.svg"},
       2,
       "hornwall_view: the picture and the table cannot both go to '" + dir + "/same.svg'\n"},
      {{hostile, "--json", dir + "/same.json", "--corrugations", dir + "/./same.json"},
       2,
       "hornwall_view: the corrugations and the report cannot both go to '" + dir +
           "/same.json'\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = run_program(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments[0];
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(listing(scratch.folder),
            (std::vector<std::string>{"bad\x1b[2J.zul", "bad\x1b[2J.zul.svg"}));
}

TEST(ViewRun, ChecksBandsWritesCorrugationsAndCountsWarningsWhenStrict) {
  const Scratch scratch;
  const std::string horn = scratch.write("horn.zul", fins({7.625, 7.625, 7.625}, 4.0));
  const std::string table = (scratch.folder / "c.csv").string();
  const ProgramRun lenient = run_program({horn, "-q", "--band", "10:19", "--corrugations", table});
  EXPECT_EQ(lenient.status, 0);
  EXPECT_NE(lenient.err.find("3.9 corrugations per wavelength"), std::string::npos);
  EXPECT_EQ(contents(table),
            "profile,index,z_near,z_far,height,thickness,gap,pitch,q_GHz,capacitive_1\n"
            "f,1,-2,-3,7.625,1,3,4,9.829260918032787,1\n"
            "f,2,-6,-7,7.625,1,3,4,9.829260918032787,1\n"
            "f,3,-10,-11,7.625,1,,,9.829260918032787,1\n");
  EXPECT_EQ(run_program({horn, "--strict", "-q", "--band", "10:19"}).status, 1);
  // Two fins of 4.7 mm (15.9 to 31.9 GHz) beside one of 7.625 mm (9.8 to 19.7 GHz), 2 mm
  // apart: one of three at 10-12 GHz, 33.3%.
  const std::string third = scratch.write("third.zul", fins({7.625, 4.7, 4.7}, 2.0));
  const struct {
    std::string_view percent;
    int status;
  } strict[] = {{"33.3", 0}, {"33.34", 1}, {"0", 0}};
  for (const auto& c : strict) {
    const ProgramRun run = run_program(
        {third, "--strict", "-q", "--band", "10:12", "--min-coverage", std::string(c.percent)});
    EXPECT_EQ(run.status, c.status) << c.percent << ": " << run.err;
  }
  const ProgramRun listed = run_program({horn, "--corrugations", "-"});
  EXPECT_TRUE(listed.out.starts_with("profile,index,z_near,z_far,height,thickness,gap,pitch\n"));
  EXPECT_NE(listed.err.find("  3 corrugations: height 7.625 mm, thickness 1 mm, pitch 4 mm\n"),
            std::string::npos);
  EXPECT_TRUE(listed.err.ends_with("corrugations: standard output\n"));
  const std::string svg = contents(horn + ".svg");
  const ProgramRun banded = run_program({horn, "-q", "--band", "10:19"});
  EXPECT_GT(contents(horn + ".svg").size(), svg.size()) << "the band panel";
  EXPECT_NE(contents(horn + ".svg").find("band 10-19 GHz"), std::string::npos);
}

// The numbers of the attribute `name` of each element `tag` whose text or attributes hold
// `marker`, in order.
std::vector<double> values_where(const std::string& svg, std::string_view tag,
                                 std::string_view marker, const std::string& name) {
  std::vector<double> values;
  std::string opening(1, '<');
  opening += tag;
  opening += ' ';
  for (auto at = svg.find(opening); at != std::string::npos; at = svg.find(opening, at + 1)) {
    const std::string element = svg.substr(at, svg.find('\n', at) - at);
    if (element.find(marker) == std::string::npos) continue;
    const std::vector<double> found = attribute_values(element, name);
    values.insert(values.end(), found.begin(), found.end());
  }
  return values;
}

TEST(ViewBands, TitleTheBandsAndTheirVerdictAndKeepTheirNamesClearOfTheBars) {
  const Scratch scratch;
  const std::string horn =
      scratch.write("horn.zul", contents(HORNWALL_EXAMPLES_DIR "/corr-dual.zul"));
  const struct {
    std::vector<std::string> options;
    std::string title;
    std::vector<std::string_view> names;
    std::string threshold;  // the threshold line's label, and where it stands
    double threshold_x;
  } cases[] = {
      {{"--band", "10:12", "--band", "17:20"},
       ", bands 10-12 GHz and 17-20 GHz: passes",
       {"10-12 GHz", "17-20 GHz"},
       "at least 25%",
       1120.0},
      {{"--band", "10:12", "--min-coverage", "60"},
       ", band 10-12 GHz: passes with 1 warning",
       {"10-12 GHz"},
       "at least 60%",
       1176.0},
      {{"--band", "10:12", "--min-coverage", "60", "--strict"},
       ", band 10-12 GHz: fails with 1 warning (strict)",
       {"10-12 GHz"},
       "at least 60%",
       1176.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<std::string> arguments = {horn, "-q"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    run_program(arguments);
    const std::string svg = contents(horn + ".svg");
    EXPECT_NE(svg.find("<title>" + horn + c.title + "</title>"), std::string::npos);
    EXPECT_NE(svg.find(">" + horn + c.title + "</text>"), std::string::npos);
    // The bars (in the profile's colour) end left of every band's name.
    double bars_end = 0.0;
    const std::vector<double> x = values_where(svg, "rect", "fill=\"#1f77b4\"", "x");
    const std::vector<double> width = values_where(svg, "rect", "fill=\"#1f77b4\"", "width");
    ASSERT_EQ(x.size(), width.size());
    ASSERT_GE(x.size(), 43u);
    for (std::size_t i = 0; i < x.size(); ++i) bars_end = std::max(bars_end, x[i] + width[i]);
    for (const std::string_view name : c.names) {
      std::string shown(1, '>');
      shown += name;
      shown += '<';
      const std::vector<double> at = values_where(svg, "text", shown, "x");
      ASSERT_EQ(at.size(), 1u) << name;
      EXPECT_GT(at[0], bars_end + 100.0) << name;
    }
    // The z ticks under the wall and again under the panel; a worst point per band; the
    // threshold.
    EXPECT_EQ(values_where(svg, "text", ">-150<", "x").size(), 2u);
    EXPECT_EQ(values_where(svg, "circle", "r=\"4\"", "cx").size(), c.names.size());
    EXPECT_EQ(values_where(svg, "line", "stroke=\"#b22\"", "x1"),
              std::vector<double>{c.threshold_x});
    EXPECT_EQ(values_where(svg, "text", ">" + c.threshold + "<", "x"),
              std::vector<double>{c.threshold_x});
  }
}

// An object file read, evaluated and checked.
struct Loaded {
  Examined examined;

  double value(std::string_view name) const {
    const std::optional<double> found = examined.wall.value(name);
    if (!found) ADD_FAILURE() << "no variable " << name;
    return found.value_or(0.0);
  }
  const std::vector<Node>& nodes(std::string_view profile) const {
    for (const Profile& candidate : examined.wall.profiles) {
      if (candidate.name == profile) return candidate.nodes;
    }
    throw std::runtime_error("no profile " + std::string(profile));
  }
};

std::unique_ptr<Loaded> load(const fs::path& path) {
  FileSource source;
  const Result<void> opened = source.open(path.string());
  if (!opened.ok()) throw std::runtime_error(opened.reason());
  return std::make_unique<Loaded>(Loaded{examine(source, {})});
}

// The numbers at the start of each line of an answers file, line by line.
std::vector<std::vector<double>> answers(const fs::path& path) {
  std::vector<std::vector<double>> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<double>& values = lines.emplace_back();
    for (std::string word; words >> word;) {
      double value = 0.0;
      const auto read = std::from_chars(word.data(), word.data() + word.size(), value);
      if (read.ec != std::errc() || read.ptr != word.data() + word.size()) break;
      values.push_back(value);
    }
  }
  return lines;
}

// An object file to check: the program that wrote it, the file and its answers file.
struct Sample {
  std::string program;
  fs::path object_file;
  fs::path answers;
};

// Every shipped example, found when the test runs, and the golden cases of the horns
// that the programs' descriptions work through.
std::vector<Sample> sample_files() {
  std::vector<Sample> found;
  for (const auto& entry : fs::directory_iterator(HORNWALL_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".zul") continue;
    const std::string name = entry.path().stem().string();
    fs::path answers = entry.path();
    found.push_back(
        {name.substr(0, name.find('-')), entry.path(), answers.replace_extension(".answers")});
  }
  const fs::path golden = HORNWALL_GOLDEN_DIR;
  const struct {
    const char* program;
    const char* case_name;
    const char* object_file;
  } cases[] = {
      {"spline", "spline_10mm_one_period", "spline.zul"},
      {"sinecorr", "sine_50mm_three_corrugations", "single.zul"},
      {"sinecorr", "sine_50mm_dual_two_corrugations", "dual.zul"},
      {"corr", "corr_50mm_three_corrugations", "corr.zul"},
      {"corr", "corr_50mm_dual_four_corrugations", "corr.zul"},
      {"thickcorr", "ridges_10mm_three_ridges", "thick.zul"},
      {"thickcorr", "ridges_10mm_dual_three_ridges", "thick.zul"},
  };
  for (const auto& c : cases) {
    const fs::path folder = golden / c.program / c.case_name;
    found.push_back(
        {c.program, folder / "expect/files" / c.object_file, folder / "files/answers.txt"});
  }
  return found;
}

// The conical base line as the generators write it: REF(RD)*position/REF(ZD)+REF(RW1).
double base_line(const Loaded& wall, double z) {
  return wall.value("RD") * -z / wall.value("ZD") + wall.value("RW1");
}

void check_geometry(const Sample& sample, const Loaded& wall) {
  const std::string& name = sample.program;
  const double tolerance = geometry_tolerance(wall.examined.wall);
  if (name == "corr") {
    const std::vector<Node>& nodes = wall.nodes("horn_exterior");
    ASSERT_GE(nodes.size(), 2u);
    EXPECT_NEAR(nodes.back().z, -wall.value("ZW2"), tolerance) << "last far face at ZW2";
    EXPECT_EQ(nodes.back().z, nodes[nodes.size() - 2].z) << "the far face runs down";
  } else if (name == "thickcorr") {
    const auto given = answers(sample.answers);
    ASSERT_GE(given.size(), 11u);
    const double ra = given[2][0], zi = given[5][0], wt2 = given[6][1], lc = given[7][0];
    std::size_t last = given.size() - 1;
    while (given[last].empty()) --last;
    const double ct = given[8][0], fl = given[last][0];
    const std::vector<Node>& nodes = wall.nodes("horn_exterior");
    const double written = 5e-5 * std::abs(zi + lc + fl + ct);  // five significant digits
    EXPECT_NEAR(nodes[nodes.size() - 2].rho, wt2 + ra, 5e-5 * (wt2 + ra)) << "floor WT2 + RA";
    EXPECT_NEAR(nodes.back().z, -(zi + lc + fl + ct), written) << "final row";
  } else if (name == "spline") {
    const std::vector<Node>& ripple = wall.nodes("sinusoid_outer");
    ASSERT_FALSE(ripple.empty());
    EXPECT_NEAR(ripple.back().rho, base_line(wall, ripple.back().z), tolerance);
    EXPECT_EQ(wall.examined.diagnostics.warning_count(), 0u) << "the three profiles join";
  } else if (name == "sinecorr") {
    const std::vector<Node>& nodes = wall.nodes("horn_exterior");
    const auto nspl = static_cast<std::size_t>(wall.value("NSPL"));
    ASSERT_GT(nspl, 0u);
    ASSERT_EQ((nodes.size() - 2) % nspl, 0u);
    for (std::size_t i = 1; i < nodes.size(); i += nspl) {
      EXPECT_NEAR(nodes[i].rho, base_line(wall, nodes[i].z), tolerance) << "node " << i + 1;
    }
  } else {
    ADD_FAILURE() << "no geometry check for " << name;
  }
}

TEST(ViewSamples, AreSoundAndHaveTheirWallsGeometry) {
  const std::vector<Sample> samples = sample_files();
  EXPECT_GE(samples.size(), 14u);
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.object_file.string());
    const auto wall = load(sample.object_file);
    EXPECT_EQ(wall->examined.diagnostics.error_count(), 0u);
    check_geometry(sample, *wall);
  }
}

// The heights of the corrugations that the answers of `sample` ask for, in order: the
// variable corrugations' own heights, then those of the remaining ones, as the file writes
// them (taken from its text or its variables); a smooth wall's as high as its samples reach.
std::vector<double> asked_heights(const Sample& sample, const Loaded& wall,
                                  const std::string& text) {
  const auto given = answers(sample.answers);
  std::vector<double> heights;
  const auto value = [&](const std::string& name) { return wall.value(name); };
  if (sample.program == "corr" || sample.program == "sinecorr") {
    const bool sine = sample.program == "sinecorr";
    const auto nvar = static_cast<std::size_t>(given[10][0]);
    // Corrugation 1's height is on line 11 (corr) or 12; each further one two lines on.
    for (std::size_t k = 1; k <= nvar; ++k)
      heights.push_back(given[(sine ? 12 : 11) + 2 * (k - 1)][0]);
    if (!sine) {
      // Each remaining corrugation's height is the number its two top rows add to the base.
      const std::regex written(R"re(REF\(ZD\)\+REF\(RW1\)\+\s*([-0-9.E+]+)")re");
      bool first_top = true;
      for (auto found = std::sregex_iterator(text.begin(), text.end(), written);
           found != std::sregex_iterator(); ++found, first_top = !first_top) {
        if (first_top) heights.push_back(std::stod((*found)[1]));
      }
      return heights;
    }
    double crest = 0.0;  // the most of (1 - cos) / 2 that the points reach
    const auto nspl = static_cast<int>(value("NSPL"));
    for (int j = 1; j <= nspl; ++j)
      crest = std::max(crest, (1.0 - std::cos(value("SPLC") * j)) / 2.0);
    for (double& h : heights) h *= crest;
    const bool dual = given[0][0] == 2;
    for (int i = 1; i <= static_cast<int>(value("NCR")); ++i) {
      const std::string first = dual && i % 2 == 0 ? "CD3" : "CD1";
      const std::string last = dual && i % 2 == 0 ? "CD4" : "CD2";
      heights.push_back(crest *
                        (value(first) + (value(last) - value(first)) * (i - 1) / value("NCR")));
    }
  } else if (sample.program == "thickcorr") {
    const bool dual = given[0][0] == 2;
    const double nc = given[7][1];
    for (int i = 0; i <= static_cast<int>(nc); ++i) {
      heights.push_back(i * (value("CD2") - value("CD1")) / nc + value("CD1"));
      if (dual) heights.push_back(i * (value("CD4") - value("CD3")) / nc + value("CD3"));
    }
  } else if (sample.program == "spline") {
    double highest = 0.0;
    for (int i = 1; i <= static_cast<int>(given[6][1]); ++i) {
      highest = std::max(highest, value("RSP" + std::to_string(i)));
    }
    heights.assign(static_cast<std::size_t>(given[6][0]), highest);
  }
  return heights;
}

TEST(ViewSamples, FindTheCorrugationsTheirAnswersAskFor) {
  for (const Sample& sample : sample_files()) {
    SCOPED_TRACE(sample.object_file.string());
    const auto loaded = load(sample.object_file);
    std::vector<double> found;
    for (const Profile& profile : loaded->examined.wall.profiles) {
      for (const Corrugation& corrugation : profile.corrugations)
        found.push_back(corrugation.height);
    }
    std::vector<double> asked = asked_heights(sample, *loaded, contents(sample.object_file));
    // Points that miss every crest by a whole period leave a bump no higher than the
    // tolerance (NSPL = 1): no corrugation at all.
    std::erase_if(asked, [&](double h) { return h <= geometry_tolerance(loaded->examined.wall); });
    ASSERT_EQ(found.size(), asked.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_NEAR(found[i], asked[i], 1e-9 * asked[i]) << "corrugation " << i + 1;
    }
  }
}

// The figures of two shipped examples, worked by hand (c = 299 792 458 m/s; the threshold is
// 25%; each band is judged at 401 frequencies, a 400th of its width apart).
//
// corr-single against 10-12 GHz: its 47 fins are 7.6477 mm high, a quarter wave at
// c / 4h = 9.800086 GHz and half a wave at 19.600171 GHz, so each is capacitive over the
// whole band: worst 47 of 47 at its first frequency, mean 100%. Shifted down, the band keeps
// all 47 until its bottom reaches 9.800086 GHz, where none is left: the shift
// 1 - 9.800086 / 10 = 1.9991% ends the margin, shown rounded down, -1.9%. Shifted up, its
// top reaches 19.600171 GHz only at +63.3%: the margin is the whole 50%. The pitch of 3.122
// mm is 8.0 to the 24.98 mm wavelength at 12 GHz.
//
// corr-dual against 10-12 and 17-20 GHz: 43 tall fins of 7.6477 mm (9.800086 to 19.600171
// GHz) and 42 short ones of 4.4986 mm (16.660320 to 33.320640 GHz); 22 of 85 meet 25%.
// - 10-12 GHz: the tall fins alone, 43 of 85 (51%) everywhere, mean 51%; down as for
//   corr-single, -1.9%; up, the short fins take over from 16.66 GHz before the tall ones
//   close at 19.60 GHz, beyond the top shifted by 50% (18 GHz): +50.0%. Pitch 1.873 mm:
//   13.3 to the wavelength at 12 GHz.
// - 17-20 GHz: the short fins everywhere, the tall ones up to 19.600171 GHz, so the fewest,
//   42, from the first frequency above it, 17 + 347 * 0.0075 = 19.6025 GHz ("19.60"). The
//   tall fins serve frequencies 0 to 346, 347 of 401: the mean is (43 * 347 + 42 * 401) /
//   (85 * 401) = 31763 / 34085 = 93%. Down, below the short fins' 16.66 GHz the tall ones
//   still hold 43 (51%), down to 9.800086 GHz: 1 - 9.800086 / 17 = 42.35%, -42.3%. Up, the
//   short fins hold 42 (49%) up to 33.3 GHz, past 30 GHz: +50.0%. 8.0 per wavelength at
//   20 GHz.
TEST(ViewSamples, TheCorrExamplesHaveTheFiguresWorkedByHand) {
  const struct {
    std::string_view example;
    std::vector<std::string_view> bands;
    std::string lines;
  } cases[] = {
      {"corr-single.zul",
       {"10:12"},
       "  band 10-12 GHz: worst 47 of 47 capacitive (100%) at 10.00 GHz, mean 100%, margin "
       "-1.9% / +50.0% at 25%; 8.0 per wavelength at 12.00 GHz\n"},
      {"corr-dual.zul",
       {"10:12", "17:20"},
       "  band 10-12 GHz: worst 43 of 85 capacitive (51%) at 10.00 GHz, mean 51%, margin -1.9% / "
       "+50.0% at 25%; 13.3 per wavelength at 12.00 GHz\n"
       "  band 17-20 GHz: worst 42 of 85 capacitive (49%) at 19.60 GHz, mean 93%, margin -42.3% "
       "/ +50.0% at 25%; 8.0 per wavelength at 20.00 GHz\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.example);
    FileSource source;
    ASSERT_TRUE(source.open(std::string(HORNWALL_EXAMPLES_DIR "/") + std::string(c.example)).ok());
    CheckSettings settings;
    for (const std::string_view band : c.bands) settings.bands.push_back(parse_band(band).value());
    const Examined examined = examine(source, settings);
    std::ostringstream summary;
    write_summary(examined.wall, examined.diagnostics, summary, settings.bands);
    EXPECT_NE(summary.str().find("\n" + c.lines + "variables: "), std::string::npos)
        << summary.str();
    EXPECT_EQ(examined.diagnostics.warning_count(), 0u);
    const BandFigures& low = examined.wall.profiles.at(0).bands.at(0);
    EXPECT_NEAR(low.down, 1.0 - speed_of_light / (4.0 * 7.6477e-3) / 10e9, 1e-9);
    EXPECT_EQ(low.up, 0.5);
  }
}

TEST(ViewSamples, TableReadsBackToTheEvaluatedNodes) {
  for (const Sample& sample : sample_files()) {
    SCOPED_TRACE(sample.object_file.string());
    const auto loaded = load(sample.object_file);
    const Wall& wall = loaded->examined.wall;
    std::ostringstream table;
    write_node_table(wall, table);
    std::istringstream lines(table.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "profile,index,z,rho");
    std::size_t rows = 0;
    for (const Profile& profile : wall.profiles) {
      for (std::size_t i = 0; i < profile.nodes.size(); ++i, ++rows) {
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream fields(line);
        std::string name, index, z, rho;
        std::getline(fields, name, ',');
        std::getline(fields, index, ',');
        std::getline(fields, z, ',');
        std::getline(fields, rho);
        double z_read = 0.0, rho_read = 0.0;
        std::from_chars(z.data(), z.data() + z.size(), z_read);
        std::from_chars(rho.data(), rho.data() + rho.size(), rho_read);
        EXPECT_EQ(name, profile.name);
        EXPECT_EQ(index, std::to_string(i + 1));
        EXPECT_EQ(z_read, profile.nodes[i].z);
        EXPECT_EQ(rho_read, profile.nodes[i].rho);
      }
    }
    EXPECT_FALSE(std::getline(lines, line)) << "more rows than nodes";
    EXPECT_GT(rows, 0u);
  }
}

}  // namespace
}  // namespace hornwall::view
