#include "hornwall/frame.hpp"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <new>
#include <span>
#include <streambuf>
#include <vector>

#include "hornwall/command_line.hpp"
#include "hornwall/example_answers.hpp"
#include "hornwall/interruption.hpp"
#include "hornwall/text.hpp"

namespace hornwall {
namespace {

constexpr std::int32_t file_input = 1;
constexpr std::int32_t single_band = 1;
constexpr std::int32_t dual_band = 2;
constexpr std::string_view file_input_prompt = " Enter 1 for file input ";
// Asked after the choice of file input, and shown the same when --answers answers both.
constexpr std::string_view input_file_prompt = " Enter input text file ";

// The choice of the input source, asked after the program banner: --answers gives both
// console answers, the choice of file input and the file's name, without reading the
// console.
void choose_input_source(Dialogue& dialogue, const std::optional<std::string>& answers_file) {
  if (answers_file) {
    dialogue.write_prompt(file_input_prompt);
    dialogue.write_prompt(input_file_prompt);
    dialogue.use_input_file(*answers_file);
    return;
  }
  std::int32_t choice = 0;
  dialogue.ask_console(file_input_prompt, {&choice});
  if (choice != file_input) return;
  dialogue.write_prompt(input_file_prompt);
  dialogue.use_input_file(dialogue.read_console_line());
}

// Runs the generator for the band that the corrugation type names; any other type runs
// nothing, and the program ends without an object file.
void run_generator(const Program& program, Dialogue& dialogue) {
  if (const auto* wall = std::get_if<WallGenerator>(&program.generator)) {
    (*wall)(dialogue);
    return;
  }
  const BandedGenerator banded_wall = std::get<BandedGenerator>(program.generator);
  std::int32_t corrugation_type = 0;
  dialogue.ask(corrugation_type_question, {&corrugation_type});
  if (corrugation_type == single_band) banded_wall(dialogue, Band::single);
  if (corrugation_type == dual_band) banded_wall(dialogue, Band::dual);
}

void report(std::ostream& err, const RunError& failure) {
  err << error_line(failure);
  if (!failure.where().empty()) err << failure.where() << '\n';
  err.flush();
}

// Whether the cursor of a terminal console stands after a prompt: set by every byte the
// program writes to the console, and cleared by a line end typed on it, which the
// terminal itself shows.
class ConsoleLine {
 public:
  bool unfinished = false;

  // The console output, passed on to `target` while its last byte is watched.
  class Output : public std::streambuf {
   public:
    Output(std::streambuf& target, ConsoleLine& line) : target_(target), line_(line) {}

   protected:
    int_type overflow(int_type c) override {
      if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
      const char byte = traits_type::to_char_type(c);
      if (traits_type::eq_int_type(target_.sputc(byte), traits_type::eof())) {
        return traits_type::eof();
      }
      line_.unfinished = byte != '\n';
      return c;
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
      const std::streamsize written = target_.sputn(bytes, count);
      if (written > 0) line_.unfinished = bytes[written - 1] != '\n';
      return written;
    }
    int sync() override { return target_.pubsync(); }

   private:
    std::streambuf& target_;
    ConsoleLine& line_;
  };

  // The console input, taken from `source` while the line ends read are watched.
  class Input : public std::streambuf {
   public:
    Input(std::streambuf& source, ConsoleLine& line) : source_(source), line_(line) {}

   protected:
    int_type underflow() override { return source_.sgetc(); }
    int_type uflow() override {
      const int_type c = source_.sbumpc();
      if (traits_type::eq_int_type(c, traits_type::to_int_type('\n'))) line_.unfinished = false;
      return c;
    }

   private:
    std::streambuf& source_;
    ConsoleLine& line_;
  };
};

// A console output that takes every byte and shows none: the console of a quiet run.
class Discard : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// When a run that read its answers from a standard input that is no terminal ends there,
// the answers file was perhaps named without --answers: a note says how to give it, for a
// name that no blank name of the run has taken (one taken was the run's own file).
void suggest_answers_option(const Program& program, std::ostream& err, const RunError& failure,
                            const RunOptions& options, std::size_t names_taken) {
  if (failure.number() != static_cast<int>(Failure::end_of_file) ||
      failure.unit() != console_input_unit || options.answers_file) {
    return;
  }
  const std::span<const std::string> untaken =
      std::span(options.names).subspan(std::min(names_taken, options.names.size()));
  for (const std::string& name : untaken) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(name, ignored)) continue;
    err << program.name << ": note: " << quoted_printable(name)
        << " is a file: to take the answers from it, give --answers " << printable(name) << '\n';
    err.flush();
    return;
  }
}

// The run proper, once the options are read.
int run_dialogue(const Program& program, Console console, FileSystem& files,
                 const RunOptions& options, const ConsoleLine* line, Interactive interactive,
                 bool console_input_is_terminal) {
  Dialogue dialogue(console, files, NameArguments(options.names), interactive,
                    RunChoices{options.parametric_heights, options.settings});
  // After a failure the error line must start a line of its own on a terminal.
  const auto end_console_line = [&] {
    if (line == nullptr || !line->unfinished) return;
    console.out.put('\n');
    console.out.flush();
  };
  try {
    dialogue.write_prompt(program.banner);
    choose_input_source(dialogue, options.answers_file);
    run_generator(program, dialogue);
    // A value given for a question that the run did not ask would be lost unseen.
    if (const std::vector<std::string> unused = dialogue.unused_settings(); !unused.empty()) {
      dialogue.abandon();
      end_console_line();
      console.err << program.name << ": " << printable(unused.front())
                  << " answers no question of this run\n";
      console.err.flush();
      return 2;
    }
    if (options.close) dialogue.close_open_profile();
    dialogue.finish();
    return 0;
  } catch (const RunError& failure) {
    dialogue.abandon();
    end_console_line();
    report(console.err, failure);
    if (!console_input_is_terminal) {
      suggest_answers_option(program, console.err, failure, options, dialogue.names_taken());
    }
    return 1;
  } catch (const std::bad_alloc&) {
    dialogue.abandon();
    end_console_line();
    const std::string_view out_of_memory = out_of_memory_line();
    console.err.write(out_of_memory.data(), static_cast<std::streamsize>(out_of_memory.size()));
    console.err.flush();
    return 1;
  }
}

// Writes the help, the version or a template to the console. A failed write is the
// console's write error.
int print(Console console, std::string_view text) {
  console.out.write(text.data(), static_cast<std::streamsize>(text.size()));
  console.out.flush();
  if (console.out) return 0;
  report(console.err, channel_error(Failure::write_error, console_output_unit, "stdout"));
  return 1;
}

}  // namespace

std::string_view answers_template(const Program& program, Band band) {
  if (std::holds_alternative<WallGenerator>(program.generator)) {
    return example_answers(program.example);
  }
  return example_answers(std::string(program.example) +
                         (band == Band::single ? "-single" : "-dual"));
}

int run_program(const Program& program, Console console, FileSystem& files,
                std::span<const std::string> arguments, Terminals terminals) {
  const Result<RunOptions> parsed = parse_run_options(program, arguments);
  if (!parsed.ok()) {
    console.err << "usage: " << synopsis(program) << '\n'
                << program.name << ": " << parsed.reason() << '\n';
    console.err.flush();
    return 2;
  }
  const RunOptions& options = parsed.value();
  switch (options.action) {
    case Action::help: return print(console, help_text(program));
    case Action::version: return print(console, version_line(program));
    case Action::print_template:
      return print(console,
                   answers_template(program, options.template_band.value_or(Band::single)));
    case Action::run: break;
  }
  // A person at a terminal may type a bad answer again; a file or a pipe cannot.
  const Interactive interactive =
      terminals.in && (terminals.out || terminals.out_and_err) ? Interactive::yes : Interactive::no;
  if (options.quiet) {
    Discard discard;
    std::ostream silent(&discard);
    return run_dialogue(program, Console{console.in, silent, console.err}, files, options, nullptr,
                        interactive, terminals.in);
  }
  if (!terminals.out_and_err || console.out.rdbuf() == nullptr || console.in.rdbuf() == nullptr) {
    return run_dialogue(program, console, files, options, nullptr, interactive, terminals.in);
  }
  // The console is watched through streams of its own that pass every byte on.
  ConsoleLine line;
  ConsoleLine::Output output(*console.out.rdbuf(), line);
  std::ostream out(&output);
  out.setstate(console.out.rdstate());
  if (!terminals.in) {
    return run_dialogue(program, Console{console.in, out, console.err}, files, options, &line,
                        interactive, false);
  }
  ConsoleLine::Input input(*console.in.rdbuf(), line);
  std::istream in(&input);
  in.setstate(console.in.rdstate());
  return run_dialogue(program, Console{in, out, console.err}, files, options, &line, interactive,
                      true);
}

int run_with_real_console(int argc, char** argv, const Program& program) {
  // A closed console or a file-size limit must surface as a write failure, not end the
  // process; an interruption ends it, leaving no file of the run's behind.
  remove_marked_files_when_interrupted();
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  PosixFileSystem files;
  const Terminals terminals{isatty(STDIN_FILENO) == 1,
                            isatty(STDOUT_FILENO) == 1 && isatty(STDERR_FILENO) == 1,
                            isatty(STDOUT_FILENO) == 1};
  return run_program(program, Console{std::cin, std::cout, std::cerr}, files, arguments, terminals);
}

}  // namespace hornwall
