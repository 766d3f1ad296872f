#include "corr_wall.hpp"
#include "frame.hpp"

int main(int argc, char** argv) {
  return hornwall::run_with_real_console(argc, argv, hornwall::run_corr);
}
