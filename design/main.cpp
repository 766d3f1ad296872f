#include "hornwall/design/command_line.hpp"
#include "hornwall/tool_main.hpp"

int main(int argc, char** argv) {
  return hornwall::run_tool(argc, argv, "hornwall_design", hornwall::design::run_design);
}
