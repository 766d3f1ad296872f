#include "hornwall/dialogue.hpp"

#include "hornwall/fields.hpp"

namespace hornwall {
namespace {

constexpr std::size_t object_name_width = 70;

}  // namespace

Dialogue::Dialogue(Console console, FileSystem& files, NameArguments names)
    : console_(console),
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

void Dialogue::read_console_values(Targets targets) {
  flush_console();
  console_channel_.read_values(targets);
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

void Dialogue::ask(std::string_view prompt, Targets targets, Echo echo) {
  write_prompt(prompt);
  read_values(targets);
  if (echo == Echo::yes) {
    echo_values(targets);
  } else if (from_file()) {
    write_prompt("\n");
  }
}

std::string_view Dialogue::ask_unit(std::string_view prompt, UnitTable table, std::int32_t& code) {
  ask(prompt, {&code});
  return unit_name(table, code, source());
}

std::string Dialogue::resolve_file_name(std::string_view answer, int unit) {
  std::string name(trim_blanks(answer));
  if (name.empty()) name = names_.take_next();
  while (name.empty()) {
    write_line("File name missing or blank - please enter file name");
    write_prompt("UNIT " + std::to_string(unit) + "? ");
    name = trim_blanks(read_console_line());
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
  write_prompt(" Enter zul file addition ");
  flush_console();
  std::string answer = source().read_line();
  if (from_file()) {
    std::string echo = answer;
    if (echo.size() < object_name_width) echo.resize(object_name_width, ' ');
    write_line("\n" + echo);
  }
  const std::string name = resolve_file_name(answer, object_file_unit);
  object_sink_ = files_.open_object(name);
  return object_writer_.emplace(*object_sink_);
}

void Dialogue::finish() {
  if (object_writer_) {
    object_writer_->finish();
    object_writer_.reset();
    const auto sink = std::move(object_sink_);
    sink->close();
  }
  input_file_.reset();
  input_stream_.reset();
  flush_console();
}

void Dialogue::abandon() noexcept {
  // The failure being reported already ends the run: a further one is not reported.
  try {
    if (object_writer_) object_writer_->flush();
  } catch (...) {
  }
  object_writer_.reset();
  try {
    if (object_sink_) object_sink_->close();
  } catch (...) {
  }
  object_sink_.reset();
  try {
    console_.out.flush();
  } catch (...) {
  }
}

}  // namespace hornwall
