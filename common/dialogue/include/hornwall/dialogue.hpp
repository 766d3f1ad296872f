#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/answer_reader.hpp"
#include "hornwall/file_names.hpp"
#include "hornwall/files.hpp"
#include "hornwall/object_writer.hpp"
#include "hornwall/questions.hpp"
#include "hornwall/units.hpp"

namespace hornwall {

// The console streams: answers typed by the user, the console output, the error line.
struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// Whether a person types the console answers while watching the questions (console
// input and output both terminals), so that an answer that cannot be read is asked again.
enum class Interactive { no, yes };

// An answer given on the command line (--set NAME=VALUE): it takes the place of the value
// that the answers file gives the symbol.
struct Setting {
  std::string symbol;
  std::string value;
};

// What a run is asked to do beyond its answers.
struct RunChoices {
  // The remaining corrugations' heights written as expressions over their taper's
  // variables, where the wall writes them as numbers.
  bool parametric_heights = false;
  std::vector<Setting> settings;
};

// One run's dialogue: the console, the input source (the console, unit 5, or the
// input text file, unit 50) and the object file (unit 43), which it owns from its
// opening to the end of the run. Every operation may raise error during write (38)
// for the console, unit 6.
//
// On an interactive console an answer typed there that cannot be read (59, 64, 66) does
// not end the run: one line on the error output says what was wrong, in the compilers'
// form without a line number ("stdin: error: "5mm" is not a valid answer to "Enter
// units"; type it again"), the values it had filled get back what they held before the
// question, and the question is asked again, prompt and all. The end of the input still
// ends the run.
class Dialogue {
 public:
  Dialogue(Console console, FileSystem& files, NameArguments names,
           Interactive interactive = Interactive::no, RunChoices choices = {});

  // What the run is asked to do beyond its answers.
  const RunChoices& choices() const { return choices_; }

  // True when the answers come from the input text file.
  bool from_file() const { return input_file_.has_value(); }
  // The channel the answers come from.
  AnswerChannel& source() { return input_file_ ? *input_file_ : console_channel_; }
  const AnswerChannel& source() const { return input_file_ ? *input_file_ : console_channel_; }

  // Writes `text` to the console, leaving the cursor at its end.
  void write_prompt(std::string_view text);
  // Writes `text` and a line end to the console.
  void write_line(std::string_view text);

  // Reads one answer from the input source (reading failures: see AnswerChannel).
  void read_values(Targets targets);
  // When the answers come from the input text file, writes the values to the console
  // on the prompt's line and ends it: an integer in 12 columns, a real in 15.
  void echo_values(Targets targets);
  // Asks `question`: the prompt, one answer from the input source, in which a value given
  // by --set for its symbol (in variable corrugation `pass`) takes the place of the one
  // read, and, when the source is the input text file, its echo (or, with Echo::no, just
  // the line end). A reading failure (24, 59, 64) of the input text file says where it
  // lies, in the compilers' form: "answers.txt:7: error: "abc" is not a valid answer to
  // "Enter units""; one of a set value ("--set CD1=abc: error: ...") raises the failure
  // that the answers file would.
  void ask(const Question& question, Targets targets, std::int64_t pass = 0);
  // Asks a question that is answered on the console whatever the input source: the
  // prompt and one answer, which is not echoed. Raises the reading failures of the
  // console (24, 59, 64).
  void ask_console(std::string_view prompt, Targets targets);
  // Asks the length-unit `question` and returns the name the code selects in `table`.
  // Raises unit code not in table (66), after the echo, for a code that selects no entry;
  // from the input text file it says on which line.
  std::string_view ask_unit(const Question& question, UnitTable table, std::int32_t& code);

  // Reads one whole line of the console as a name (see AnswerChannel::read_line);
  // nothing is echoed.
  std::string read_console_line();

  // Opens the input text file named by `answer` (blanks around it dropped; a blank
  // answer takes the next command-line argument, else asks "UNIT 50? ") and makes it
  // the input source. Raises the open failures of FileSystem::open_input, and a name
  // that is no valid file name (43) for a line longer than max_name_bytes.
  void use_input_file(std::string_view answer);

  // The opening of every generator: the banner line, the question for the object file
  // name, its echo (a line end, the name padded to 70 columns, a line end) when it comes
  // from the input text file, and the opening of the object file on that name. The
  // dialogue closes the file at the end of the run. Raises the failures of read_line (the
  // end of the input text file says where), 43 for a name line longer than
  // max_name_bytes, and those of FileSystem::open_object.
  ObjectWriter& open_object_file(std::string_view banner);

  // The settings that no question of the run has taken, as "--set NAME=VALUE".
  std::vector<std::string> unused_settings() const;
  // How many name arguments the run's blank names have taken.
  std::size_t names_taken() const { return names_.taken(); }

  // Closes the profile that the wall left open at the end of the object file (the short
  // close: "    )" and ")"), when an object file is open. Raises error during write (38).
  void close_open_profile();

  // The end of a run: writes out the object file, closes the input text file, flushes
  // the console and, last, closes the object file, which then replaces the old one.
  // Raises error during write (38) for unit 6 or unit 43.
  void finish();
  // After a failure: discards the object file (the old one stays as it was; one written
  // in place keeps its whole lines written so far) and flushes the console, ignoring any
  // further failure.
  void abandon() noexcept;

 private:
  void flush_console();
  // The start of the line that says where in the input text file a failure lies.
  std::string where_prefix(std::int64_t line) const;
  // Adds to a reading failure of the input text file the line that says where it lies.
  void place_failure(RunError& failure, std::string_view prompt) const;
  // Asks `prompt` and reads one answer from `channel`, again while an interactive
  // console's answer cannot be read.
  void ask_from(AnswerChannel& channel, std::string_view prompt, Targets targets);
  // Asks `question` without the echo, its set values in place of those read; returns the
  // last setting taken, if any.
  const Setting* ask_values(const Question& question, Targets targets, std::int64_t pass);
  // The echo of an answer to `question`, or just the line end when it is not echoed.
  void echo_answer(const Question& question, Targets targets);
  // The set value for `symbol`, marked as taken; none when it has none.
  const Setting* setting_for(const std::string& symbol);
  // Reads the set value `setting` into `target` as the answers file would read it.
  void read_setting(const Setting& setting, const Target& target, std::string_view prompt);
  // Whether a failure to read an answer typed on the console lets the user type it again.
  bool may_type_again(const AnswerChannel& channel) const;
  // Says on the error output what was wrong with a typed answer, before it is asked again.
  void say_type_again(std::string_view fault);
  std::string resolve_file_name(std::string_view answer, int unit);

  Console console_;
  Interactive interactive_;
  RunChoices choices_;
  std::vector<bool> settings_taken_;
  FileSystem& files_;
  NameArguments names_;
  AnswerChannel console_channel_;
  std::unique_ptr<std::istream> input_stream_;
  std::optional<AnswerChannel> input_file_;
  std::unique_ptr<ObjectSink> object_sink_;
  std::optional<ObjectWriter> object_writer_;
};

}  // namespace hornwall
