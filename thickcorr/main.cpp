#include "hornwall/frame.hpp"
#include "hornwall/thickcorr_wall.hpp"

int main(int argc, char** argv) {
  return hornwall::run_with_real_console(argc, argv, hornwall::thickcorr_program);
}
