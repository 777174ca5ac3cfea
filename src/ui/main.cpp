// sdupdate: the desktop program that updates the SD card module of a data logger.
#include "ui/program.h"

int main(int argc, char** argv) {
    return runProgram(argc, argv);
}
