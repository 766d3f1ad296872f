#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "hornwall/design/command_line.hpp"

int main(int argc, char** argv) {
  // A closed console must surface as a write failure, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return hornwall::design::run_design(arguments, {std::cout, std::cerr});
  } catch (const std::bad_alloc&) {
    std::cerr << "hornwall_design: out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << "hornwall_design: " << error.what() << '\n';
  }
  return 2;
}
