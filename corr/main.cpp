#include "hornwall/corr_wall.hpp"
#include "hornwall/frame.hpp"

int main(int argc, char** argv) {
  return hornwall::run_with_real_console(argc, argv, hornwall::corr_program);
}
