#pragma once

// The program from start to end: the command line, the display, the windows, the
// event loop and the clipboard left behind. Its exit code.
namespace Process {

int run(int argc, char *argv[]);

}
