// The vistrel desktop program.

#include "gui/program_entry.h"

int main(int argc, char** argv) {
  return vistrel::RunProgram(argc, argv);
}
