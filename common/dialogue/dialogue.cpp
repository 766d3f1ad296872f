#include "hornwall/dialogue.hpp"

#include <algorithm>
#include <sstream>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "hornwall/fields.hpp"
#include "hornwall/text.hpp"

namespace hornwall {
namespace {

constexpr std::size_t object_name_width = 70;
// An answer's text as the line saying where shows it: its first bytes, every byte
// outside printable ASCII written \xNN, without a mark where it is cut.
std::string shown_answer(std::string_view text) { return printable(text.substr(0, shown_bytes)); }

// The file name that a name line gives: the line without the blanks around it. A line
// longer than any path is refused (43), named by its first bytes, without the blanks
// before them, and "..." (a line read from a channel comes already cut so).
std::string file_name_of(std::string_view line, int unit) {
  if (line.size() > max_name_bytes) {
    std::string_view shown = line.substr(0, max_name_bytes);
    shown.remove_prefix(std::min(shown.find_first_not_of(' '), shown.size()));
    throw channel_error(Failure::bad_file_name, unit, std::string(shown) + "...");
  }
  return std::string(trim_blanks(line));
}

// What was wrong with an answer to `prompt` that `channel` failed to read with `failure`,
// as the line that says where shows it after "error: "; empty for a failure that is no
// fault of the answer's.
std::string answer_fault(const AnswerChannel& channel, Failure failure, std::string_view prompt) {
  const std::string question = double_quoted(trim_blanks(prompt));
  const std::string answer = double_quoted(shown_answer(channel.failure_place().text));
  switch (failure) {
    case Failure::end_of_file: return "the file ends before the answer to " + question;
    case Failure::syntax_error: return answer + " is not a valid answer to " + question;
    case Failure::conversion_error: return answer + " is out of range for " + question;
    default: return "";
  }
}

// The start of the line that says where a value of --set went wrong, before its fault.
std::string setting_where(const Setting& setting) {
  return "--set " + printable(setting.symbol) + "=" + shown_answer(setting.value) + ": error: ";
}

// The same for a unit code `code` that selects no entry of a table of `table_size`.
std::string unit_fault(std::int32_t code, std::size_t table_size, std::string_view prompt) {
  return "unit code " + std::to_string(code) + " is not one of 1 to " + std::to_string(table_size) +
         " for " + double_quoted(trim_blanks(prompt));
}

// The values that an answer's targets hold, to be put back when it is typed again.
using Value = std::variant<std::int32_t, float>;

std::vector<Value> values_of(Targets targets) {
  std::vector<Value> values;
  for (const Target& target : targets) {
    std::visit([&](const auto* variable) { values.emplace_back(*variable); }, target);
  }
  return values;
}

void put_back(Targets targets, const std::vector<Value>& values) {
  auto value = values.begin();
  for (const Target& target : targets) {
    std::visit(
        [&](auto* variable) { *variable = std::get<std::decay_t<decltype(*variable)>>(*value); },
        target);
    ++value;
  }
}

}  // namespace

Dialogue::Dialogue(Console console, FileSystem& files, NameArguments names, Interactive interactive,
                   RunChoices choices)
    : console_(console),
      interactive_(interactive),
      choices_(std::move(choices)),
      settings_taken_(choices_.settings.size(), false),
      files_(files),
      names_(names),
      console_channel_(console.in, console_input_unit, "stdin") {}

void Dialogue::write_prompt(std::string_view text) {
  console_.out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!console_.out) throw channel_error(Failure::write_error, console_output_unit, "stdout");
}

void Dialogue::write_line(std::string_view text) {
  write_prompt(text);
  write_prompt("\n");
}

void Dialogue::flush_console() {
  console_.out.flush();
  if (!console_.out) throw channel_error(Failure::write_error, console_output_unit, "stdout");
}

void Dialogue::read_values(Targets targets) {
  flush_console();
  source().read_values(targets);
}

std::string Dialogue::read_console_line() {
  flush_console();
  return console_channel_.read_line();
}

void Dialogue::echo_values(Targets targets) {
  if (!from_file()) return;
  std::string line;
  for (const Target& target : targets) {
    if (auto* integer = std::get_if<std::int32_t*>(&target)) {
      append_echo_integer(line, **integer);
    } else {
      append_echo_real(line, *std::get<float*>(target));
    }
  }
  write_line(line);
}

std::string Dialogue::where_prefix(std::int64_t line) const {
  return input_file_->name() + ":" + std::to_string(line) + ": error: ";
}

void Dialogue::place_failure(RunError& failure, std::string_view prompt) const {
  if (!from_file()) return;
  const std::string fault =
      answer_fault(*input_file_, static_cast<Failure>(failure.number()), prompt);
  if (!fault.empty()) failure.set_where(where_prefix(input_file_->failure_place().line) + fault);
}

bool Dialogue::may_type_again(const AnswerChannel& channel) const {
  return interactive_ == Interactive::yes && &channel == &console_channel_;
}

void Dialogue::say_type_again(std::string_view fault) {
  console_.err << console_channel_.name() << ": error: " << fault << "; type it again\n";
  console_.err.flush();
}

void Dialogue::ask_from(AnswerChannel& channel, std::string_view prompt, Targets targets) {
  const bool retyped = may_type_again(channel);
  const std::vector<Value> before = retyped ? values_of(targets) : std::vector<Value>();
  for (;;) {
    write_prompt(prompt);
    flush_console();
    try {
      channel.read_values(targets);
      return;
    } catch (RunError& failure) {
      const auto kind = static_cast<Failure>(failure.number());
      if (!retyped || (kind != Failure::syntax_error && kind != Failure::conversion_error)) {
        if (&channel != &console_channel_) place_failure(failure, prompt);
        throw;
      }
      say_type_again(answer_fault(channel, kind, prompt));
      put_back(targets, before);
    }
  }
}

const Setting* Dialogue::setting_for(const std::string& symbol) {
  if (symbol.empty()) return nullptr;
  for (std::size_t i = 0; i < choices_.settings.size(); ++i) {
    if (choices_.settings[i].symbol != symbol) continue;
    settings_taken_[i] = true;
    return &choices_.settings[i];
  }
  return nullptr;
}

void Dialogue::read_setting(const Setting& setting, const Target& target, std::string_view prompt) {
  // One value, read as the answers file reads its values; a value that holds a separator
  // (a blank, a comma, a slash) is no one value.
  std::string text = setting.value;
  if (text.find_first_of(" \t,/") != std::string::npos) text = "\x01" + text;
  std::istringstream in(text + "\n");
  const AnswerChannel& file = source();
  AnswerChannel channel(in, file.unit(), file.name());
  try {
    channel.read_values({target});
  } catch (RunError& failure) {
    std::string fault;
    const std::string question = double_quoted(trim_blanks(prompt));
    const std::string value = double_quoted(shown_answer(setting.value));
    switch (static_cast<Failure>(failure.number())) {
      case Failure::end_of_file:
      case Failure::syntax_error: fault = value + " is not a valid answer to " + question; break;
      case Failure::conversion_error: fault = value + " is out of range for " + question; break;
      default: break;
    }
    if (failure.number() == static_cast<int>(Failure::end_of_file)) {
      failure = channel.error(Failure::syntax_error);
    }
    failure.set_where(setting_where(setting) + fault);
    throw failure;
  }
}

const Setting* Dialogue::ask_values(const Question& question, Targets targets, std::int64_t pass) {
  ask_from(source(), question.prompt, targets);
  const Setting* taken = nullptr;
  std::size_t v = 0;
  for (const Target& target : targets) {
    if (const Setting* setting = setting_for(symbol_of(question, v, pass))) {
      read_setting(*setting, target, question.prompt);
      taken = setting;
    }
    ++v;
  }
  return taken;
}

void Dialogue::echo_answer(const Question& question, Targets targets) {
  if (question.echo == Echo::yes) {
    echo_values(targets);
  } else if (from_file()) {
    write_prompt("\n");
  }
}

void Dialogue::ask(const Question& question, Targets targets, std::int64_t pass) {
  ask_values(question, targets, pass);
  echo_answer(question, targets);
}

std::vector<std::string> Dialogue::unused_settings() const {
  std::vector<std::string> unused;
  for (std::size_t i = 0; i < choices_.settings.size(); ++i) {
    if (settings_taken_[i]) continue;
    const Setting& setting = choices_.settings[i];
    unused.push_back("--set " + setting.symbol + "=" + setting.value);
  }
  return unused;
}

void Dialogue::ask_console(std::string_view prompt, Targets targets) {
  ask_from(console_channel_, prompt, targets);
}

std::string_view Dialogue::ask_unit(const Question& question, UnitTable table, std::int32_t& code) {
  const std::string_view prompt = question.prompt;
  const std::int32_t before = code;
  for (;;) {
    const Setting* setting = ask_values(question, {&code}, 0);
    echo_answer(question, {&code});
    try {
      return unit_name(table, code, source());
    } catch (RunError& failure) {
      const std::string fault = unit_fault(code, table.size(), prompt);
      if (!may_type_again(source())) {
        if (setting != nullptr) {
          failure.set_where(setting_where(*setting) + fault);
        } else if (from_file()) {
          failure.set_where(where_prefix(input_file_->answer_line()) + fault);
        }
        throw;
      }
      say_type_again(fault);
      code = before;
    }
  }
}

std::string Dialogue::resolve_file_name(std::string_view answer, int unit) {
  std::string name = file_name_of(answer, unit);
  if (name.empty()) name = names_.take_next();
  while (name.empty()) {
    write_line("File name missing or blank - please enter file name");
    write_prompt("UNIT " + std::to_string(unit) + "? ");
    name = file_name_of(read_console_line(), unit);
  }
  return name;
}

void Dialogue::use_input_file(std::string_view answer) {
  const std::string name = resolve_file_name(answer, input_file_unit);
  input_stream_ = files_.open_input(name);
  input_file_.emplace(*input_stream_, input_file_unit, name);
}

ObjectWriter& Dialogue::open_object_file(std::string_view banner) {
  write_line(banner);
  const std::string_view prompt = object_file_question.prompt;
  write_prompt(prompt);
  flush_console();
  std::string answer;
  try {
    answer = source().read_line();
  } catch (RunError& failure) {
    place_failure(failure, prompt);
    throw;
  }
  if (const Setting* setting = setting_for(symbol_of(object_file_question, 0, 0))) {
    // No answers file can give a name that holds a line end.
    if (setting->value.find_first_of("\n\r") != std::string::npos) {
      RunError failure = source().error(Failure::syntax_error);
      failure.set_where(setting_where(*setting) + double_quoted(shown_answer(setting->value)) +
                        " is not a valid answer to " + double_quoted(trim_blanks(prompt)));
      throw failure;
    }
    answer = setting->value;
  }
  if (from_file()) {
    std::string echo = answer;
    if (echo.size() < object_name_width) echo.resize(object_name_width, ' ');
    write_line("\n" + echo);
  }
  const std::string name = resolve_file_name(answer, object_file_unit);
  object_sink_ = files_.open_object(name);
  return object_writer_.emplace(*object_sink_);
}

void Dialogue::close_open_profile() {
  if (object_writer_) object_writer_->short_close();
}

void Dialogue::finish() {
  if (object_writer_) {
    object_writer_->finish();
    object_writer_.reset();
  }
  input_file_.reset();
  input_stream_.reset();
  flush_console();
  // Last of all, so that the object file is replaced only by a run that ends well.
  if (object_sink_) {
    const auto sink = std::move(object_sink_);
    sink->close();
  }
}

void Dialogue::abandon() noexcept {
  // The failure being reported already ends the run: a further one is not reported.
  // The lines composed so far go to the sink, for an object file written in place.
  try {
    if (object_writer_) object_writer_->flush();
  } catch (...) {
  }
  object_writer_.reset();
  object_sink_.reset();
  try {
    console_.out.flush();
  } catch (...) {
  }
}

}  // namespace hornwall
