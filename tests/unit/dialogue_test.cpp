#include "hornwall/dialogue.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace hornwall {
namespace {

// A question of `prompt` and `values` values without symbols, as the dialogue asks it.
Question question(std::string_view prompt, std::size_t values = 1, Echo echo = Echo::yes) {
  return Question{prompt, {}, values, "", echo};
}

using testing::MemoryFileSystem;
using testing::run_in_memory;

// A small generator that exercises the dialogue: it opens the object file, asks for a
// real and a unit code (echoed) and a count (not echoed), and writes one block.
void probe_generator(Dialogue& dialogue) {
  float radius = 0.0f;
  std::int32_t unit_code = 0;
  std::int32_t count = 0;
  ObjectWriter& out = dialogue.open_object_file(" probe banner");
  dialogue.ask(question(" radius "), {&radius});
  dialogue.ask(question(" units "), {&unit_code});
  const std::string_view unit = unit_name(four_unit_table, unit_code, dialogue.source());
  dialogue.ask(question(" count ", 1, Echo::no), {&count});
  out.numeric_variable("R", radius);
  out.profile_header("p", unit);
}

// The probe for the first band, a generator that only opens its file for the second.
void probe_bands(Dialogue& dialogue, Band band) {
  if (band == Band::single) {
    probe_generator(dialogue);
  } else {
    dialogue.open_object_file(" second banner");
  }
}

const Program probe_program{"probe", " probe program\n", probe_bands};
const Program single_program{"single", " single program\n", probe_generator};

const std::string probe_object =
    "R  real_variable\n(\n  value            :   2.5000E+00\n)\n\n"
    "p   circular_symmetric_horn_exterior\n(\n  length_unit      : m ,\n"
    "  nodes             : table\n    (\n";

TEST(Frame, FileRunEchoesOnThePromptLine) {
  MemoryFileSystem files;
  files.files["a.txt"] = "1\nout.zul\n2.5\n4\n7\n";
  const auto run = run_in_memory(probe_program, "1\na.txt\n", files);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            " probe program\n Enter 1 for file input  Enter input text file "
            " Enter corrugation type: 1 single, 2 dual band            1\n"
            " probe banner\n Enter zul file addition \n" +
                std::string("out.zul") + std::string(63, ' ') + "\n" +
                " radius    2.500000    \n units            4\n count \n");
  EXPECT_EQ(files.files["out.zul"], probe_object);
}

TEST(Frame, ConsoleRunShowsOnlyThePrompts) {
  MemoryFileSystem files;
  const auto run = run_in_memory(probe_program, "0\n1\nout.zul\n2.5\n4\n7\n", files);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            " probe program\n Enter 1 for file input "
            " Enter corrugation type: 1 single, 2 dual band  probe banner\n"
            " Enter zul file addition  radius  units  count ");
  EXPECT_EQ(files.files["out.zul"], probe_object);
}

TEST(Frame, CorrugationTypeChoosesTheGenerator) {
  const struct {
    const char* type;
    const char* banner;  // empty: no generator runs
  } cases[] = {{"1", " probe banner"}, {"2", " second banner"}, {"3", ""}, {"0", ""}, {"-1", ""}};
  for (const auto& c : cases) {
    MemoryFileSystem files;
    const auto run =
        run_in_memory(probe_program, std::string("2\n") + c.type + "\nout.zul\n2.5\n4\n7\n", files);
    EXPECT_EQ(run.status, 0) << c.type;
    EXPECT_EQ(run.out.find(" probe banner") != std::string::npos,
              std::string(c.banner) == " probe banner");
    EXPECT_EQ(run.out.find(" second banner") != std::string::npos,
              std::string(c.banner) == " second banner");
    EXPECT_EQ(files.files.count("out.zul"), *c.banner ? 1u : 0u) << c.type;
  }
}

TEST(Frame, ANameIsTheWholeLineAndItsEchoIsAtLeastSeventyColumns) {
  const std::string long_name(75, 'n');
  MemoryFileSystem files;
  files.files["a.txt"] = "  " + long_name + "  \r\n2.5\n4\n7\n";
  const auto run = run_in_memory(single_program, "1\n  a.txt \n", files);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\n  " + long_name + "  \n"), std::string::npos);
  EXPECT_EQ(files.files[long_name], probe_object);
}

// The units of the "UNIT n? " questions in a console transcript, in order.
std::string units_asked(const std::string& transcript) {
  const std::string question = "File name missing or blank - please enter file name\nUNIT ";
  std::string units;
  for (auto at = transcript.find(question); at != std::string::npos;
       at = transcript.find(question, at + 1)) {
    units += transcript.substr(at + question.size(), 4);
  }
  return units;
}

TEST(Frame, BlankNamesTakeArgumentsThenAskTheConsole) {
  const struct {
    const char* console;
    std::vector<std::string> arguments;
    const char* questions;
    const char* object_name;
  } cases[] = {
      {"1\n \n", {"a.txt", "out.zul"}, "", "out.zul"},
      {"1\n \n\nasked.zul\n", {"  a.txt  "}, "43? 43? ", "asked.zul"},
      // a blank argument counts as used: the object file takes the one after it
      {"1\n \n  \na.txt\n", {" ", "out.zul"}, "50? 50? ", "out.zul"},
      {"1\n\na.txt\n\nasked.zul\n", {}, "50? 43? 43? ", "asked.zul"},
      {"1\na.txt\n", {"out.zul"}, "", "out.zul"},
  };
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.files["a.txt"] = "\n2.5\n4\n7\n";
    const auto run = run_in_memory(single_program, c.console, files, c.arguments);
    EXPECT_EQ(run.status, 0) << c.console << run.err;
    EXPECT_EQ(units_asked(run.out), c.questions) << c.console;
    EXPECT_EQ(files.files[c.object_name], probe_object) << c.console;
  }
}

TEST(Frame, FailuresEndTheRunWithOneErrorLine) {
  const struct {
    const char* console;
    const char* answers;
    const char* error;
  } cases[] = {
      {"1\nmissing.txt\n", "", "severe (29): file not found, unit 50, file missing.txt\n"},
      {"1\na.txt\n", "",
       "severe (24): end-of-file during read, unit 50, file a.txt\n"
       "a.txt:1: error: the file ends before the answer to \"Enter corrugation type: 1 single, 2 "
       "dual band\"\n"},
      {"1\na.txt\n", "1\nout.zul\n2.5\n9\n",
       "severe (66): length unit code 9 not in 1 to 4, unit 50, file a.txt\n"},
      {"1\na.txt\n", "1\nout.zul\n2.5\n0\n",
       "severe (66): length unit code 0 not in 1 to 4, unit 50, file a.txt\n"},
      {"1\na.txt\n", "1\nout.zul\nabc\n",
       "severe (59): list-directed I/O syntax error, unit 50, file a.txt\n"
       "a.txt:3: error: \"abc\" is not a valid answer to \"radius\"\n"},
      {"1\na.txt\n", "1\na.txt\n", "severe (30): open failure, unit 43, file a.txt\n"},
      {"x\n", "", "severe (59): list-directed I/O syntax error, unit 5, file stdin\n"},
      {"0\n1\nout.zul\n2.5\n5\n", "",
       "severe (66): length unit code 5 not in 1 to 4, unit 5, file stdin\n"},
      {"", "", "severe (24): end-of-file during read, unit 5, file stdin\n"},
      {"1\n\n", "", "severe (24): end-of-file during read, unit 5, file stdin\n"},
  };
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.files["a.txt"] = c.answers;
    const auto run = run_in_memory(probe_program, c.console, files);
    EXPECT_EQ(run.status, 1) << c.console << c.answers;
    EXPECT_EQ(run.err, c.error) << c.console << c.answers;
  }
}

// A generator that asks for a unit code through the dialogue, then for two reals.
void unit_probe(Dialogue& dialogue) {
  std::int32_t code = 0;
  float pair[2] = {};
  dialogue.open_object_file(" unit probe");
  dialogue.ask_unit(question(" Enter units "), five_unit_table, code);
  dialogue.ask(question("  Enter a pair ", 2), {&pair[0], &pair[1]});
}
const Program unit_program{"unit", " unit program\n", unit_probe};

TEST(Frame, AReadingFailureOfTheAnswersFileSaysWhere) {
  const struct {
    const char* answers;
    const char* where;  // the second error line
  } cases[] = {
      {"", "a.txt:1: error: the file ends before the answer to \"Enter zul file addition\""},
      {"out.zul\n3\n\n1.5\n",
       "a.txt:5: error: the file ends before the answer to \"Enter a pair\""},
      {"out.zul\n7   metres\n",
       "a.txt:2: error: unit code 7 is not one of 1 to 5 for \"Enter units\""},
      {"out.zul\n\n\n  / no code\n",
       "a.txt:4: error: unit code 0 is not one of 1 to 5 for \"Enter units\""},
      {"out.zul\n3\n1.5\n\n 1e99 x\n",
       "a.txt:5: error: \"1e99\" is out of range for \"Enter a pair\""},
      {"out.zul\n3\n2*abc\n",
       "a.txt:3: error: \"2*abc\" is not a valid answer to \"Enter a pair\""},
      // the text is cut to 40 bytes, and bytes outside printable ASCII are shown in hex
      {"out.zul\n3\n\t\x01\xe9\"\\0123456789012345678901234567890123456789\n",
       "a.txt:3: error: \"\\x01\\xe9\"\\012345678901234567890123456789012345\" is not a valid "
       "answer to \"Enter a pair\""},
      // '~' is the last printable byte; DEL is not
      {"out.zul\n3\n~\x7f\n",
       "a.txt:3: error: \"~\\x7f\" is not a valid answer to \"Enter a pair\""},
  };
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.files["a.txt"] = c.answers;
    const auto run = run_in_memory(unit_program, "1\na.txt\n", files);
    EXPECT_EQ(run.status, 1) << c.answers;
    EXPECT_EQ(run.err.substr(run.err.find('\n') + 1), c.where + std::string("\n")) << c.answers;
  }
  // Answers typed on the console have no place to show.
  MemoryFileSystem files;
  const auto run = run_in_memory(unit_program, "0\nout.zul\n7\n", files);
  EXPECT_EQ(run.err, "severe (66): length unit code 7 not in 1 to 5, unit 5, file stdin\n");
}

TEST(Frame, ANameLineLongerThanAnyPathIsRefusedWithoutBeingHeldWhole) {
  const std::string line = std::string(max_name_bytes, 'n') + "tail";
  const std::string shown = std::string(max_name_bytes, 'n') + "...";
  MemoryFileSystem files;
  files.files["a.txt"] = line + "\n3\n";
  auto run = run_in_memory(unit_program, "1\na.txt\n", files);
  EXPECT_EQ(run.err, "severe (43): file name specification error, unit 43, file " + shown + "\n");
  EXPECT_NE(run.out.find("\n" + shown + "\n"), std::string::npos);  // its echo
  EXPECT_EQ(files.files.size(), 1u);
  run = run_in_memory(unit_program, "1\n  " + line + "\n", files);  // blanks around it are dropped
  EXPECT_EQ(run.err,
            "severe (43): file name specification error, unit 50, file " + shown.substr(2) + "\n");
  // A name of the longest length is still a name.
  files.files[std::string(max_name_bytes, 'n')] = "out.zul\n3\n1 2\n";
  run = run_in_memory(unit_program, "1\n" + std::string(max_name_bytes, 'n') + "\n", files);
  EXPECT_EQ(run.status, 0) << run.err;
}

TEST(Frame, AFailureKeepsAnExistingObjectFileUntilTheFirstLine) {
  MemoryFileSystem files;
  files.files["a.txt"] = "1\nout.zul\n2.5\n9\n";
  files.files["out.zul"] = "old contents\n";
  EXPECT_EQ(run_in_memory(probe_program, "1\na.txt\n", files).status, 1);
  EXPECT_EQ(files.files["out.zul"], "old contents\n");

  files.files["a.txt"] = "1\nout.zul\n2.5\n4\n";  // ends before the count
  EXPECT_EQ(run_in_memory(probe_program, "1\na.txt\n", files).status, 1);
  EXPECT_EQ(files.files["out.zul"], "old contents\n");
}

// A generator that writes a block after each answer, as the walls do.
void writing_probe(Dialogue& dialogue) {
  float radius = 0.0f;
  std::int32_t code = 0;
  ObjectWriter& out = dialogue.open_object_file(" writing probe");
  dialogue.ask(question(" radius "), {&radius});
  out.numeric_variable("R", radius);
  out.profile_header("p", dialogue.ask_unit(question(" units "), four_unit_table, code));
}
const Program writing_program{"writing", " writing program\n", writing_probe};

// A console output that keeps what is written and fails its `failing`-th flush (0: none).
class FlushCounter : public std::stringbuf {
 public:
  explicit FlushCounter(int failing) : failing_(failing) {}
  int flushes = 0;

 protected:
  int sync() override { return ++flushes == failing_ ? -1 : 0; }

 private:
  int failing_;
};

TEST(Frame, TheObjectFileIsReplacedOnlyByARunThatEndsWell) {
  const std::string whole =
      "R  real_variable\n(\n  value            :   2.5000E+00\n)\n\n"
      "p   circular_symmetric_horn_exterior\n(\n  length_unit      : mm,\n"
      "  nodes             : table\n    (\n";
  const struct {
    const char* what;
    const char* answers;
    bool last_flush_fails;
    const char* error;  // the first error line; "" for a run that ends well
  } cases[] = {
      {"a whole run", "out.zul\n2.5\n3\n", false, ""},
      {"a bad answer after a block", "out.zul\n2.5\nmm\n", false,
       "severe (59): list-directed I/O syntax error, unit 50, file a.txt\n"},
      {"a unit code outside the table", "out.zul\n2.5\n9\n", false,
       "severe (66): length unit code 9 not in 1 to 4, unit 50, file a.txt\n"},
      {"the answers end", "out.zul\n2.5\n", false,
       "severe (24): end-of-file during read, unit 50, file a.txt\n"},
      {"the console's last flush", "out.zul\n2.5\n3\n", true,
       "severe (38): error during write, unit 6, file stdout\n"},
  };
  for (const auto& c : cases) {
    for (const bool old_file : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (old_file ? ", old file" : ", new file"));
      int flushes = 0;  // in a whole run
      for (const bool counting : {true, false}) {
        MemoryFileSystem files;
        files.write_beside = true;
        files.files["a.txt"] = c.answers;
        if (old_file) files.files["out.zul"] = "old contents\n";
        std::istringstream in("1\na.txt\n");
        FlushCounter out_buffer(counting || !c.last_flush_fails ? 0 : flushes);
        std::ostream out(&out_buffer);
        std::ostringstream err;
        const int status = run_program(writing_program, Console{in, out, err}, files, {});
        flushes = out_buffer.flushes;
        if (counting) continue;
        const std::string error = err.str();
        EXPECT_EQ(error.substr(0, error.find('\n') + 1), c.error);
        EXPECT_EQ(status, *c.error ? 1 : 0);
        if (!*c.error) {
          EXPECT_EQ(files.files["out.zul"], whole);
        } else if (old_file) {
          EXPECT_EQ(files.files["out.zul"], "old contents\n");
        } else {
          EXPECT_EQ(files.files.count("out.zul"), 0u);
        }
      }
    }
  }
}

// What asking one question on a console of `typed` answers left.
struct Asked {
  std::string out;
  std::string err;
  std::string failure;  // the error line of the failure that ended the run, "" for none
};

template <typename Ask>
Asked ask_typed(const std::string& typed, Interactive interactive, Ask ask) {
  std::istringstream in(typed);
  std::ostringstream out;
  std::ostringstream err;
  MemoryFileSystem files;
  Dialogue dialogue(Console{in, out, err}, files, NameArguments({}), interactive);
  std::string failure;
  try {
    ask(dialogue);
  } catch (const RunError& error) {
    failure = error_line(error);
  }
  return {out.str(), err.str(), failure};
}

std::string type_again(const std::string& fault) {
  return "stdin: error: " + fault + "; type it again\n";
}

TEST(Dialogue, OnAnInteractiveConsoleABadAnswerIsTypedAgain) {
  const std::string bad = " is not a valid answer to \"Enter a pair\"";
  const struct {
    const char* typed;
    Interactive interactive;
    float first, second;  // the pair afterwards; it holds 0.5 and 0.25 before
    int prompts;
    std::string err;
    const char* failure;
  } cases[] = {
      {"5mm 2\n1 2\n", Interactive::yes, 1, 2, 2, type_again("\"5mm\"" + bad), ""},
      {"1e99 2\n3 4\n", Interactive::yes, 3, 4, 2,
       type_again("\"1e99\" is out of range for \"Enter a pair\""), ""},
      // the value that the bad answer had filled gets its old value back
      {"7 x\n/\n", Interactive::yes, 0.5f, 0.25f, 2, type_again("\"x\"" + bad), ""},
      {"7\n2*x\n ,8\n", Interactive::yes, 0.5f, 8, 2, type_again("\"2*x\"" + bad), ""},
      {"a\n  b c\n1,2\n", Interactive::yes, 1, 2, 3,
       type_again("\"a\"" + bad) + type_again("\"b\"" + bad), ""},
      // the end of the input still ends the run
      {"abc\n", Interactive::yes, 0.5f, 0.25f, 2, type_again("\"abc\"" + bad),
       "severe (24): end-of-file during read, unit 5, file stdin\n"},
      {"5mm 2\n1 2\n", Interactive::no, 0.5f, 0.25f, 1, "",
       "severe (59): list-directed I/O syntax error, unit 5, file stdin\n"},
  };
  for (const auto& c : cases) {
    float pair[2] = {0.5f, 0.25f};
    const Asked asked = ask_typed(c.typed, c.interactive, [&](Dialogue& dialogue) {
      dialogue.ask(question(" Enter a pair ", 2), {&pair[0], &pair[1]});
    });
    EXPECT_EQ(asked.err, c.err) << c.typed;
    EXPECT_EQ(asked.failure, c.failure) << c.typed;
    EXPECT_EQ(asked.out, testing::repeated(" Enter a pair ", c.prompts)) << c.typed;
    if (!*c.failure) {
      EXPECT_EQ(pair[0], c.first) << c.typed;
      EXPECT_EQ(pair[1], c.second) << c.typed;
    }
  }
}

TEST(Dialogue, OnAnInteractiveConsoleAUnitCodeOutsideTheTableIsTypedAgain) {
  const std::string outside = " is not one of 1 to 5 for \"Enter units\"";
  const struct {
    const char* typed;
    Interactive interactive;
    std::int32_t code;  // afterwards; 2 before
    int prompts;
    std::string err;
    const char* failure;
  } cases[] = {
      {"9\n3\n", Interactive::yes, 3, 2, type_again("unit code 9" + outside), ""},
      {"x\n0\n5\n", Interactive::yes, 5, 3,
       type_again("\"x\" is not a valid answer to \"Enter units\"") +
           type_again("unit code 0" + outside),
       ""},
      {"9\n/\n", Interactive::yes, 2, 2, type_again("unit code 9" + outside), ""},
      {"-1\n", Interactive::yes, 2, 2, type_again("unit code -1" + outside),
       "severe (24): end-of-file during read, unit 5, file stdin\n"},
      {"9\n3\n", Interactive::no, 9, 1, "",
       "severe (66): length unit code 9 not in 1 to 5, unit 5, file stdin\n"},
  };
  for (const auto& c : cases) {
    std::int32_t code = 2;
    std::string_view unit;
    const Asked asked = ask_typed(c.typed, c.interactive, [&](Dialogue& dialogue) {
      unit = dialogue.ask_unit(question(" Enter units "), five_unit_table, code);
    });
    EXPECT_EQ(asked.err, c.err) << c.typed;
    EXPECT_EQ(asked.failure, c.failure) << c.typed;
    EXPECT_EQ(asked.out, testing::repeated(" Enter units ", c.prompts)) << c.typed;
    EXPECT_EQ(code, c.code) << c.typed;
    if (!*c.failure) {
      EXPECT_EQ(unit, five_unit_table[static_cast<std::size_t>(c.code - 1)]) << c.typed;
    }
  }
}

// Only a person at a terminal types an answer again: answers from a file or a pipe, and
// answers read from the answers file, end the run as they always did.
TEST(Frame, OnlyAnswersTypedAtATerminalAreTypedAgain) {
  const std::string clean = "0\nout.zul\n2.5\n3\n";
  const std::string typos = "x\n0\nout.zul\n2.5cm\n2.5\n9\n3\n";
  const std::string retyped =
      type_again("\"x\" is not a valid answer to \"Enter 1 for file input\"") +
      type_again("\"2.5cm\" is not a valid answer to \"radius\"") +
      type_again("unit code 9 is not one of 1 to 4 for \"units\"");
  const std::string refused = "severe (59): list-directed I/O syntax error, unit 5, file stdin\n";
  const struct {
    const char* what;
    Terminals terminals;
    std::string console;
    std::string err;
  } cases[] = {
      {"a terminal", {true, true, true}, typos, retyped},
      {"the error output to a file", {true, false, true}, typos, retyped},
      {"the console input from a pipe", {false, true, true}, typos, refused},
      {"the console output to a file", {true, false, false}, typos, refused},
      {"an answers file",
       {true, true, true},
       "1\na.txt\n",
       "severe (59): list-directed I/O syntax error, unit 50, file a.txt\n"
       "a.txt:2: error: \"2.5cm\" is not a valid answer to \"radius\"\n"},
  };
  MemoryFileSystem clean_files;
  const auto clean_run = run_in_memory(writing_program, clean, clean_files);
  ASSERT_EQ(clean_run.status, 0) << clean_run.err;
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.files["a.txt"] = "out.zul\n2.5cm\n2.5\n3\n";
    std::istringstream in(c.console);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run_program(writing_program, Console{in, out, err}, files, {}, c.terminals);
    EXPECT_EQ(err.str(), c.err) << c.what;
    EXPECT_EQ(status, c.err == retyped ? 0 : 1) << c.what;
    if (c.err == retyped) {
      EXPECT_EQ(files.files["out.zul"], clean_files.files["out.zul"]) << c.what;
    }
  }
}

TEST(Frame, AConsoleThatCannotBeWrittenEndsTheRun) {
  MemoryFileSystem files;
  std::istringstream in("0\n1\nout.zul\n2.5\n4\n7\n");
  std::ostringstream out;
  std::ostringstream err;
  out.setstate(std::ios::badbit);
  EXPECT_EQ(run_program(probe_program, Console{in, out, err}, files, {}), 1);
  EXPECT_EQ(err.str(), "severe (38): error during write, unit 6, file stdout\n");
}

}  // namespace
}  // namespace hornwall
