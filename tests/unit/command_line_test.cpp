#include "hornwall/command_line.hpp"

#include <gtest/gtest.h>

#include "hornwall/corr_wall.hpp"
#include "hornwall/sinecorr_wall.hpp"
#include "hornwall/spline_wall.hpp"
#include "hornwall/thickcorr_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::MemoryFileSystem;
using testing::run_in_memory;

// The options of a command line as one line of text, or "error: WHAT".
std::string read_options(const Program& program, const std::vector<std::string>& arguments) {
  const Result<RunOptions> parsed = parse_run_options(program, arguments);
  if (!parsed.ok()) return "error: " + parsed.reason();
  const RunOptions& options = parsed.value();
  const char* actions[] = {"run", "help", "version", "template"};
  std::string text = actions[static_cast<int>(options.action)];
  if (options.answers_file) text += " answers=" + *options.answers_file;
  if (options.template_band) text += options.template_band == Band::single ? " single" : " dual";
  for (const std::string& name : options.names) text += " [" + name + "]";
  if (options.quiet) text += " quiet";
  if (options.close) text += " close";
  if (options.parametric_heights) text += " parametric";
  for (const Setting& setting : options.settings)
    text += " set " + setting.symbol + "=" + setting.value;
  return text;
}

TEST(CommandLine, ReadsOptionsAnywhereTheGnuWay) {
  const struct {
    const Program& program;
    std::vector<std::string> arguments;
    const char* expected;
  } cases[] = {
      {corr_program, {}, "run"},
      {corr_program, {"a.txt", "--help"}, "help [a.txt]"},
      {corr_program, {"--", "--odd.zul", "x"}, "run [--odd.zul] [x]"},
      {corr_program, {"--", "-odd.zul", "-q"}, "run [-odd.zul] [-q]"},
      {corr_program, {"-"}, "run [-]"},
      {corr_program, {"a", "-q", "b"}, "run [a] [b] quiet"},
      {corr_program, {"--quiet", "--answers", "h.answers"}, "run answers=h.answers quiet"},
      {corr_program, {"--close", "--parametric-heights"}, "run close parametric"},
      {sinecorr_program, {"--close"}, "run close"},
      {corr_program,
       {"-x"},
       "error: unrecognized option '-x' (a name that begins with '-' follows '--')"},
      {corr_program,
       {"-qx", "a"},
       "error: unrecognized option '-x' (a name that begins with '-' follows '--')"},
      {corr_program, {"a.zul", "--frob"}, "error: unrecognized option '--frob'"},
      {spline_program, {"--close"}, "error: unrecognized option '--close'"},
      {thickcorr_program, {"--close"}, "error: unrecognized option '--close'"},
      {sinecorr_program,
       {"--parametric-heights"},
       "error: unrecognized option '--parametric-heights'"},
      {corr_program, {"--answers", "h.answers", "out.zul"}, "run answers=h.answers [out.zul]"},
      {corr_program, {"--answers=h.answers"}, "run answers=h.answers"},
      {corr_program, {"--answers", "--x"}, "run answers=--x"},
      {corr_program, {"--answers=a", "--answers=b"}, "run answers=b"},
      {corr_program, {"--template", "dual"}, "template dual"},
      {thickcorr_program, {"--template=single"}, "template single"},
      {spline_program, {"--template"}, "template"},
      {spline_program, {"--version", "--help"}, "version"},
      {corr_program, {"--frobnicate", "--help"}, "help"},
      {corr_program,
       {"--template", "--help"},
       "error: invalid band '--help' for option '--template': single or dual"},
      {corr_program, {"--frobnicate=1"}, "error: unrecognized option '--frobnicate=1'"},
      {corr_program, {"--answers"}, "error: option '--answers' requires a file name"},
      {corr_program, {"--answers="}, "error: option '--answers' requires a file name"},
      {corr_program, {"--answers", "  "}, "error: option '--answers' requires a file name"},
      {corr_program, {"--template"}, "error: option '--template' requires a band: single or dual"},
      {corr_program,
       {"--template", "triple"},
       "error: invalid band 'triple' for option '--template': single or dual"},
      {spline_program, {"--template", "single"}, "error: option '--template' takes no band"},
      {spline_program, {"--template", "out.zul"}, "error: option '--template' takes no file names"},
      {corr_program, {"--template", "dual", "x"}, "error: option '--template' takes no file names"},
      {corr_program,
       {"--answers", "a", "--template", "dual"},
       "error: options '--template' and '--answers' do not go together"},
      {corr_program, {"--help=x"}, "error: option '--help' takes no value"},
      {spline_program, {"--answers", "h", "--set"}, "error: option '--set' requires NAME=VALUE"},
      // A symbol set again takes the later value; a symbol in any case is the program's.
      {corr_program,
       {"--answers", "h", "--set", "CD1=1", "--set", "cd1=7"},
       "run answers=h set CD1=7"},
      {corr_program,
       {"--set", "rw1=5", "--answers", "h", "--set", "NCORR=3"},
       "run answers=h set RW1=5 set NCORR=3"},
      // sinecorr's gaps run one pass ahead of its heights: D8 is the last, with C7.
      {sinecorr_program,
       {"--answers", "h", "--set", "D9=1"},
       "error: unknown symbol 'D9' for option '--set': hornwall_sinecorr has FILE, RW1, UNIT, "
       "ZW1, RW2, ZW2, NCORR, NSPL, D1, NVAR, D2, D3, D4, D5, D6, D7, D8, C1, C2, C3, C4, C5, C6, "
       "C7, CD1, CD2, CD3, CD4"},
  };
  for (const auto& c : cases) {
    std::string command = std::string(c.program.name);
    for (const std::string& argument : c.arguments) command += " " + argument;
    EXPECT_EQ(read_options(c.program, c.arguments), c.expected) << command;
  }
}

TEST(CommandLine, AUsageErrorWritesTwoLinesBeforeAnythingElse) {
  MemoryFileSystem files;
  files.files["out.zul"] = "old\n";
  const auto run = run_in_memory(corr_program, "1\na.txt\n", files, {"--template", "triple"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "usage: hornwall_corr [--answers FILE [--set NAME=VALUE]...] [--quiet] [--close] "
            "[--parametric-heights] [--template single|dual] [--] [NAME...]\n"
            "hornwall_corr: invalid band 'triple' for option '--template': single or dual\n");
  EXPECT_EQ(files.files.size(), 1u);

  const auto spline = run_in_memory(spline_program, "", files, {"--x"});
  EXPECT_EQ(spline.err,
            "usage: hornwall_spline [--answers FILE [--set NAME=VALUE]...] [--quiet] [--template] "
            "[--] [NAME...]\n"
            "hornwall_spline: unrecognized option '--x'\n");
}

TEST(CommandLine, HelpVersionAndTemplateGoToTheConsoleOutput) {
  MemoryFileSystem files;
  const auto version = run_in_memory(thickcorr_program, "", files, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "hornwall_thickcorr (hornwall) " HORNWALL_VERSION "\n");
  EXPECT_EQ(version.err, "");

  const auto help = run_in_memory(corr_program, "", files, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with(
      "Usage: hornwall_corr [--answers FILE [--set NAME=VALUE]...] [--quiet] [--close] "
      "[--parametric-heights] [--template single|dual] [--] [NAME...]\n"));
  EXPECT_TRUE(help.out.ends_with(
      "See man hornwall_corr for its questions, and man hornwall for the answers-file format "
      "and every\nerror.\n"));

  const auto dual = run_in_memory(corr_program, "", files, {"--template=dual"});
  EXPECT_EQ(dual.status, 0);
  EXPECT_EQ(dual.out, answers_template(corr_program, Band::dual));
  EXPECT_TRUE(dual.out.starts_with("2 ")) << "the dual band's corrugation type comes first";
  EXPECT_NE(dual.out, answers_template(corr_program, Band::single));
  EXPECT_TRUE(files.files.empty());
}

TEST(CommandLine, AConsoleThatCannotTakeTheHelpIsAWriteError) {
  MemoryFileSystem files;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  out.setstate(std::ios::badbit);
  const std::vector<std::string> arguments{"--template"};
  EXPECT_EQ(run_program(spline_program, Console{in, out, err}, files, arguments), 1);
  EXPECT_EQ(err.str(), "severe (38): error during write, unit 6, file stdout\n");
}

// --answers FILE is the console's "1" and "FILE": the same transcript, errors and files,
// for every program and band, on its template and on the template cut short.
TEST(CommandLine, AnswersOptionRunsAsIfTheConsoleNamedTheFile) {
  const struct {
    const Program& program;
    Band band;
  } templates[] = {{spline_program, Band::single}, {sinecorr_program, Band::single},
                   {sinecorr_program, Band::dual}, {corr_program, Band::single},
                   {corr_program, Band::dual},     {thickcorr_program, Band::single},
                   {thickcorr_program, Band::dual}};
  for (const auto& t : templates) {
    const std::string answers(answers_template(t.program, t.band));
    for (const std::string& text : {answers, answers.substr(0, answers.size() / 2)}) {
      MemoryFileSystem typed_files;
      typed_files.files["h.answers"] = text;
      MemoryFileSystem option_files = typed_files;
      const auto typed = run_in_memory(t.program, "1\nh.answers\n", typed_files);
      const auto option = run_in_memory(t.program, "", option_files, {"--answers", "h.answers"});
      EXPECT_EQ(option.status, typed.status) << text;
      EXPECT_EQ(option.out, typed.out) << text;
      EXPECT_EQ(option.err, typed.err) << text;
      EXPECT_EQ(option_files.files, typed_files.files) << text;
      EXPECT_EQ(typed.status, text == answers ? 0 : 1) << typed.err;
    }
  }
  MemoryFileSystem files;
  files.files["h.answers"] = "\n60\n";  // a blank object-file name takes the next NAME
  const auto named = run_in_memory(spline_program, "", files, {"--answers=h.answers", "n.zul"});
  EXPECT_TRUE(
      named.err.starts_with("severe (24): end-of-file during read, unit 50, file h.answers\n"));
  EXPECT_EQ(files.files.count("n.zul"), 1u);

  // A name longer than any path is refused alike, named by its first 4096 bytes and "...".
  const std::string long_name(5000, 'a');
  MemoryFileSystem none;
  const auto typed = run_in_memory(spline_program, "1\n" + long_name + "\n", none);
  const auto option = run_in_memory(spline_program, "", none, {"--answers", long_name});
  EXPECT_EQ(option.err, typed.err);
  EXPECT_EQ(typed.err, "severe (43): file name specification error, unit 50, file " +
                           long_name.substr(0, 4096) + "...\n");
}

// On a terminal, the error line starts a line of its own: a line end follows a prompt
// that was left open, unless the user's own line end (shown by the terminal) closed it.
TEST(CommandLine, OnATerminalTheErrorStartsALineOfItsOwn) {
  const struct {
    const char* console;
    const char* answers;
    Terminals terminals;
    bool line_end_added;
  } cases[] = {
      {"1\nh.answers\n", "spline.zul\nabc\n", {true, true}, true},     // after a file's prompt
      {"1\nh.answers\n", "spline.zul\nabc\n", {false, true}, true},    // typed input piped in
      {"1\nh.answers\n", "spline.zul\nabc\n", {true, false}, false},   // output to a file
      {"1\nh.answers\n", "spline.zul\n60\n9\n", {true, true}, false},  // after the echo
      {"1\nmissing.txt\n", "", {true, true}, false},                   // the user's Enter
      {"0\nspline.zul\nabc\n", "", {false, true}, true},
      {"0\nspline.zul\n", "", {true, true}, true},  // the console ends after a prompt
  };
  for (const auto& c : cases) {
    MemoryFileSystem plain_files;
    plain_files.files["h.answers"] = c.answers;
    MemoryFileSystem files = plain_files;
    const auto plain = run_in_memory(spline_program, c.console, plain_files);

    std::istringstream in(c.console);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_program(spline_program, Console{in, out, err}, files, {}, c.terminals);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(), plain.err) << c.console << c.answers;
    EXPECT_EQ(out.str(), plain.out + (c.line_end_added ? "\n" : "")) << c.console << c.answers;
  }
}

}  // namespace
}  // namespace hornwall
