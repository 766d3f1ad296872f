// Each generator's questions are described once. The description must be what the program
// asks (in its order, as the console shows it), what its templates hold line by line, what
// its manual page lists, and what --set answers.
#include "hornwall/questions.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "hornwall/corr_wall.hpp"
#include "hornwall/frame.hpp"
#include "hornwall/sinecorr_wall.hpp"
#include "hornwall/spline_wall.hpp"
#include "hornwall/text.hpp"
#include "hornwall/thickcorr_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

using testing::MemoryFileSystem;
using testing::run_in_memory;

struct Template {
  const Program& program;
  Band band;
};

const Template templates[] = {{spline_program, Band::single}, {sinecorr_program, Band::single},
                              {sinecorr_program, Band::dual}, {corr_program, Band::single},
                              {corr_program, Band::dual},     {thickcorr_program, Band::single},
                              {thickcorr_program, Band::dual}};

std::string what(const Template& t) {
  return std::string(t.program.name) + (t.band == Band::dual ? " dual" : " single");
}

// The words of a template's line: its values first, then its comment.
std::vector<std::string> words_of(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The questions a run of the template `t` asks, one for each of its lines.
std::vector<AskedQuestion> asked_by(const Template& t, const std::vector<std::string>& lines) {
  const AnswersSchema& schema = *t.program.answers;
  std::int64_t passes = 0;
  if (!schema.pass_count_symbol.empty()) {
    // The pass count stands on the line of its question, before any pass.
    const auto asked = questions_asked(schema, t.band == Band::dual, 0);
    for (std::size_t i = 0; i < asked.size() && i < lines.size(); ++i) {
      if (asked[i].question->values[0].symbol == schema.pass_count_symbol) {
        passes = std::stoll(words_of(lines[i])[0]);
      }
    }
  }
  return questions_asked(schema, t.band == Band::dual, passes);
}

// A template line by line: as many values as the question has, then its comment in the
// template's unit; the object file's name alone on its line.
TEST(Questions, EveryTemplateLineIsItsQuestionsValuesAndComment) {
  for (const Template& t : templates) {
    const std::string text(answers_template(t.program, t.band));
    const std::vector<std::string> lines = testing::lines_of(text);
    const std::vector<AskedQuestion> asked = asked_by(t, lines);
    ASSERT_EQ(lines.size(), asked.size()) << what(t);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Question& question = *asked[i].question;
      if (question.values[0].kind == ValueKind::file_name) {
        EXPECT_TRUE(lines[i].ends_with(".zul")) << what(t) << ": " << lines[i];
        continue;
      }
      const std::string comment = lines[i].substr(17);
      const std::vector<std::string> values = words_of(lines[i].substr(0, 17));
      EXPECT_EQ(values.size(), question.value_count) << what(t) << ": " << lines[i];
      if (question.values[0].kind == ValueKind::corrugation_type) {
        EXPECT_TRUE(comment.starts_with(comment_of(question, 0, "mm"))) << lines[i];
      } else {
        EXPECT_EQ(comment, comment_of(question, asked[i].pass, "mm")) << what(t);
      }
    }
  }
}

// Written from its values by symbol, its unit and the words after its first comment, each
// template is itself, byte for byte: the description alone orders, numbers and comments
// the lines.
TEST(Questions, WritesEachTemplateFromItsValuesBySymbol) {
  for (const Template& t : templates) {
    const std::string text(answers_template(t.program, t.band));
    const std::vector<std::string> lines = testing::lines_of(text);
    const std::vector<AskedQuestion> asked = asked_by(t, lines);
    AnswersFile file;
    file.dual_band = t.band == Band::dual;
    std::string note;
    for (std::size_t i = 0; i < asked.size(); ++i) {
      const Question& question = *asked[i].question;
      if (question.values[0].kind == ValueKind::file_name) {
        file.object_file = lines[i];
        continue;
      }
      const std::vector<std::string> values = words_of(lines[i].substr(0, 17));
      for (std::size_t v = 0; v < question.value_count; ++v) {
        const ValueKind kind = question.values[v].kind;
        if (kind == ValueKind::unit_code) {
          file.unit = trim_blanks(t.program.answers->units[std::stoul(values[v]) - 1]);
        } else if (kind != ValueKind::corrugation_type) {
          file.values[symbol_of(question, v, asked[i].symbol_pass)] = std::stod(values[v]);
        }
      }
      // The corrugation type's line goes on to say what the example is.
      const std::string said = comment_of(question, 0, "mm") + ", ";
      if (lines[i].substr(17).starts_with(said)) note = lines[i].substr(17 + said.size());
    }
    file.note = note;
    const Result<std::string> written = answers_file_text(*t.program.answers, file);
    ASSERT_TRUE(written.ok()) << what(t) << ": " << written.reason();
    EXPECT_EQ(written.value(), text) << what(t);
  }
}

// What an answers file cannot be written without, and where a note goes in a file whose
// first line is the object file's name.
TEST(Questions, AnAnswersFileNamesWhatItLacks) {
  const SymbolValues corr_values = {{"RW1", 60},   {"ZW1", 0},     {"RW2", 20},   {"ZW2", 147.35},
                                    {"NCORR", 47}, {"CT", 0.6244}, {"D1", 3.122}, {"NVAR", 2},
                                    {"C1", 7.65},  {"D2", 2.4976}, {"C2", 7.65},  {"CD1", 7.65},
                                    {"CD2", 7.65}};
  const auto without = [&](std::string_view symbol) {
    SymbolValues values = corr_values;
    values.erase(values.find(symbol));
    return values;
  };
  const struct {
    std::string_view unit;
    SymbolValues values;
    std::string reason;
  } cases[] = {
      {"cm", corr_values, "the wall has no unit 'cm'"},
      {"mm", without("C2"), "no value for C2"},
      {"mm", without("NVAR"), "no value for NVAR"},
      // An eighth variable corrugation has no variables of its own, nor a symbol to answer.
      {"mm",
       [&] {
         SymbolValues values = corr_values;
         values["NVAR"] = 8;
         for (int k = 3; k <= 7; ++k) {
           values["C" + std::to_string(k)] = 7.65;
           values["D" + std::to_string(k)] = 2.4976;
         }
         return values;
       }(),
       "no value for 'Enter Z distance to next corrugation'"},
  };
  for (const auto& c : cases) {
    const Result<std::string> written =
        answers_file_text(corr_answers, {false, "h.zul", c.unit, c.values, ""});
    ASSERT_FALSE(written.ok()) << c.reason;
    EXPECT_EQ(written.reason(), c.reason);
  }
  const Result<std::string> spline = answers_file_text(spline_answers, {false,
                                                                        "s.zul",
                                                                        "cm",
                                                                        {{"RW1", 6},
                                                                         {"ZW1", 0},
                                                                         {"RW2", 2},
                                                                         {"ZW2", 15},
                                                                         {"NSIN", 5},
                                                                         {"NPTS", 41},
                                                                         {"HT", 0.15},
                                                                         {"D1", 3},
                                                                         {"SPL", 6}},
                                                                        "a note"});
  ASSERT_TRUE(spline.ok()) << spline.reason();
  EXPECT_EQ(testing::lines_of(spline.value())[0], "s.zul");
  EXPECT_EQ(testing::lines_of(spline.value())[1],
            "6.0              horn aperture outer radius RW1 (cm), a note");
  EXPECT_EQ(testing::lines_of(spline.value())[2],
            "4                units: 1 in, 2 ft, 3 mm, 4 cm, 5 m");
}

TEST(Questions, FindsAUnitByItsNameInTheTableOfItsWall) {
  const struct {
    UnitTable table;
    std::string_view name;
    std::optional<std::int32_t> code;
  } cases[] = {
      {four_unit_table, "mm", 3},  {four_unit_table, "m", 4},  {four_unit_table, "cm", {}},
      {five_unit_table, "m", 5},   {five_unit_table, "cm", 4}, {five_unit_table, "in", 1},
      {five_unit_table, "m ", {}}, {five_unit_table, "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(unit_code_of(c.table, c.name), c.code) << c.name;
  EXPECT_EQ(unit_names_text(four_unit_table), "in, ft, mm and m");
  EXPECT_EQ(unit_names_text(five_unit_table), "in, ft, mm, cm and m");
}

// The run asks the described questions in the described order.
TEST(Questions, ARunAsksTheDescribedQuestionsInOrder) {
  for (const Template& t : templates) {
    const std::string text(answers_template(t.program, t.band));
    MemoryFileSystem files;
    files.files["h.answers"] = text;
    const auto run = run_in_memory(t.program, "", files, {"--answers", "h.answers"});
    ASSERT_EQ(run.status, 0) << what(t) << run.err;
    std::size_t at = 0;
    for (const AskedQuestion& asked : asked_by(t, testing::lines_of(text))) {
      const std::size_t found = run.out.find(asked.question->prompt, at);
      ASSERT_NE(found, std::string::npos) << what(t) << ": " << asked.question->prompt;
      at = found + asked.question->prompt.size();
    }
  }
}

// The manual page's QUESTIONS section names every question, in order, with its symbols.
TEST(Questions, TheManualPageListsEveryQuestionInOrder) {
  for (const Program* program :
       {&spline_program, &sinecorr_program, &corr_program, &thickcorr_program}) {
    std::ifstream page(std::string(HORNWALL_SOURCE_DIR) + "/man/" + std::string(program->name) +
                       ".1");
    std::stringstream text;
    text << page.rdbuf();
    std::string manual = text.str();
    const std::size_t start = manual.find(".SH QUESTIONS");
    ASSERT_NE(start, std::string::npos) << program->name;
    manual = manual.substr(start, manual.find("\n.SH ", start + 1) - start);
    std::size_t at = 0;
    std::string_view previous;
    for (const Question* question : program->answers->questions) {
      const std::string_view prompt = trim_blanks(question->prompt);
      // The same question in each band, a template saying more of it in one, is one entry.
      if (prompt == std::exchange(previous, prompt)) continue;
      // The page's roff escapes a hyphen and a full stop that ends an abbreviation.
      std::string shown;
      for (const char c : prompt) shown += c == '-' ? std::string("\\-") : std::string(1, c);
      const std::size_t found = manual.find("\\fB" + shown + "\\fR", at);
      ASSERT_NE(found, std::string::npos) << program->name << ": " << prompt;
      // Its symbols are named in its entry, before the next question.
      const std::size_t end = manual.find("\n.TP", found);
      const std::string entry = manual.substr(found, end - found);
      for (const AnswerValue& value : question->answer_values()) {
        if (value.symbol.empty() || value.kind == ValueKind::file_name) continue;
        EXPECT_NE(entry.find("\\fB" + std::string(value.symbol)), std::string::npos)
            << program->name << ": " << value.symbol << " in " << prompt;
      }
      at = found + 1;
    }
  }
}

// --set gives a symbol the value that an answers file edited by hand would: the same
// console, the same object file, for every symbol every template asks.
TEST(Questions, SetAnswersAsTheEditedFileWould) {
  for (const Template& t : templates) {
    const std::string text(answers_template(t.program, t.band));
    const std::vector<std::string> lines = testing::lines_of(text);
    const std::vector<AskedQuestion> asked = asked_by(t, lines);
    for (std::size_t i = 0; i < asked.size(); ++i) {
      const Question& question = *asked[i].question;
      for (std::size_t v = 0; v < question.value_count; ++v) {
        const std::string symbol = symbol_of(question, v, asked[i].symbol_pass);
        const ValueKind kind = question.values[v].kind;
        if (symbol.empty() || kind == ValueKind::corrugation_type) continue;
        // A value the wall takes in its stride: one more of a count, another unit, a
        // length a little longer, another name.
        std::vector<std::string> values = words_of(lines[i].substr(0, 17));
        std::string edited;
        if (kind == ValueKind::file_name) {
          edited = "edited.zul";
        } else if (kind == ValueKind::length) {
          edited = std::to_string(std::stod(values[v]) * 1.25 + 0.5);
        } else if (kind == ValueKind::unit_code) {
          edited = "1";
        } else {
          edited = std::to_string(std::stoll(values[v]) + 1);
        }
        std::vector<std::string> edited_lines = lines;
        if (kind == ValueKind::file_name) {
          edited_lines[i] = edited;
        } else {
          values[v] = edited;
          std::string line;
          for (const std::string& value : values) line += value + " ";
          edited_lines[i] = line + " " + lines[i].substr(17);
        }
        std::string edited_text;
        for (const std::string& line : edited_lines) edited_text += line + "\n";

        MemoryFileSystem by_hand;
        by_hand.files["h.answers"] = edited_text;
        MemoryFileSystem by_option;
        by_option.files["h.answers"] = text;
        const auto hand = run_in_memory(t.program, "", by_hand, {"--answers", "h.answers"});
        const auto option = run_in_memory(
            t.program, "", by_option, {"--answers", "h.answers", "--set", symbol + "=" + edited});
        const std::string where = what(t) + " --set " + symbol + "=" + edited;
        EXPECT_EQ(option.status, hand.status) << where << option.err;
        EXPECT_EQ(option.out, hand.out) << where;
        EXPECT_EQ(option.err, hand.err) << where;
        by_hand.files.erase("h.answers");
        by_option.files.erase("h.answers");
        EXPECT_EQ(by_option.files, by_hand.files) << where;
      }
    }
  }
}

// What goes wrong with --set, line for line.
TEST(Questions, SetFaultsAreUsageErrorsOrTheAnswersFilesOwn) {
  const std::string corr_template(answers_template(corr_program, Band::single));
  const std::string usage =
      "usage: hornwall_corr [--answers FILE [--set NAME=VALUE]...] [--quiet] [--close] "
      "[--parametric-heights] [--template single|dual] [--] [NAME...]\n";
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;
  } cases[] = {
      {{"--set", "CD1=7"}, 2, usage + "hornwall_corr: option '--set' requires '--answers'\n"},
      {{"--answers", "h.answers", "--set", "CD1"},
       2,
       usage + "hornwall_corr: option '--set' requires NAME=VALUE, not 'CD1'\n"},
      {{"--answers", "h.answers", "--set", "=7"},
       2,
       usage + "hornwall_corr: option '--set' requires NAME=VALUE, not '=7'\n"},
      {{"--answers", "h.answers", "--set", "C8=7"},
       2,
       usage +
           "hornwall_corr: unknown symbol 'C8' for option '--set': hornwall_corr has FILE, RW1, "
           "UNIT, ZW1, RW2, ZW2, NCORR, CT, D1, NVAR, D2, D3, D4, D5, D6, D7, C1, C2, C3, C4, C5, "
           "C6, C7, CD1, CD2, CD3, CD4\n"},
      // A symbol of the dual band, or of a variable corrugation the run does not ask for.
      {{"--answers", "h.answers", "--set", "CD3=2"},
       2,
       "hornwall_corr: --set CD3=2 answers no question of this run\n"},
      {{"--answers", "h.answers", "--set", "c3=2"},
       2,
       "hornwall_corr: --set C3=2 answers no question of this run\n"},
      {{"--answers", "h.answers", "--set", "CD2=7,5"},
       1,
       "severe (59): list-directed I/O syntax error, unit 50, file h.answers\n"
       "--set CD2=7,5: error: \"7,5\" is not a valid answer to \"Enter remaining corrugation "
       "height 1st, last\"\n"},
      {{"--answers", "h.answers", "--set", "NCORR=3000000000"},
       1,
       "severe (64): input conversion error, unit 50, file h.answers\n"
       "--set NCORR=3000000000: error: \"3000000000\" is out of range for \"Enter number of "
       "corrugations along horn\"\n"},
      {{"--answers", "h.answers", "--set", "UNIT=5"},
       1,
       "severe (66): length unit code 5 not in 1 to 4, unit 50, file h.answers\n"
       "--set UNIT=5: error: unit code 5 is not one of 1 to 4 for \"Enter units: 1 in., 2 ft., "
       "3 mm, 4 m\"\n"},
      // A value is one value: none, a separator alone or a blank before it is none.
      {{"--answers", "h.answers", "--set", "CD1="},
       1,
       "severe (59): list-directed I/O syntax error, unit 50, file h.answers\n"
       "--set CD1=: error: \"\" is not a valid answer to \"Enter remaining corrugation height "
       "1st, last\"\n"},
      {{"--answers", "h.answers", "--set", "CD1=/"},
       1,
       "severe (59): list-directed I/O syntax error, unit 50, file h.answers\n"
       "--set CD1=/: error: \"/\" is not a valid answer to \"Enter remaining corrugation height "
       "1st, last\"\n"},
      {{"--answers", "h.answers", "--set", "CD1= 7"},
       1,
       "severe (59): list-directed I/O syntax error, unit 50, file h.answers\n"
       "--set CD1= 7: error: \" 7\" is not a valid answer to \"Enter remaining corrugation "
       "height 1st, last\"\n"},
      // No answers file can name an object file with a line end.
      {{"--answers", "h.answers", "--set", "FILE=a\nb.zul"},
       1,
       "severe (59): list-directed I/O syntax error, unit 50, file h.answers\n"
       "--set FILE=a\\x0ab.zul: error: \"a\\x0ab.zul\" is not a valid answer to \"Enter zul "
       "file addition\"\n"},
  };
  for (const auto& c : cases) {
    MemoryFileSystem files;
    files.write_beside = true;
    files.files["h.answers"] = corr_template;
    files.files["corr-single.zul"] = "old\n";
    const auto run = run_in_memory(corr_program, "", files, c.arguments);
    EXPECT_EQ(run.status, c.status) << c.err;
    EXPECT_TRUE(run.err.ends_with(c.err)) << run.err;
    EXPECT_EQ(files.files["corr-single.zul"], "old\n") << "a failed run keeps the old file";
  }
}

}  // namespace
}  // namespace hornwall
