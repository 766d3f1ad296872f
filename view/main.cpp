#include "hornwall/tool_main.hpp"
#include "hornwall/view/view.hpp"

int main(int argc, char** argv) {
  return hornwall::run_tool(argc, argv, "hornwall_view", hornwall::view::run_view);
}
