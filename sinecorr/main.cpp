#include "hornwall/frame.hpp"
#include "hornwall/sinecorr_wall.hpp"

int main(int argc, char** argv) {
  return hornwall::run_with_real_console(argc, argv, hornwall::sinecorr_program);
}
