#include "hornwall/tool_main.hpp"

#include <exception>
#include <iostream>
#include <new>
#include <vector>

#include "hornwall/interruption.hpp"

namespace hornwall {

int run_tool(int argc, char** argv, std::string_view name, ToolRun run) {
  remove_marked_files_when_interrupted();
  std::ios::sync_with_stdio(false);
  try {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return run(arguments, {std::cout, std::cerr});
  } catch (const std::bad_alloc&) {
    std::cerr << name << ": out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << name << ": " << error.what() << '\n';
  }
  return 2;
}

}  // namespace hornwall
