#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "hornwall/view/view.hpp"

// Anything that escapes a run (memory running out on a huge file, above all) ends it
// with one line and status 2, after the open files have been closed and the temporary
// outputs removed.
int main(int argc, char** argv) {
  // A closed console must surface as a write failure, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  try {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return hornwall::view::run_view(arguments, {std::cout, std::cerr});
  } catch (const std::bad_alloc&) {
    std::cerr << "hornwall_view: out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << "hornwall_view: " << error.what() << '\n';
  }
  return 2;
}
