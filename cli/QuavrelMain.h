#pragma once
// The quavrel command as a function, so tests can run it in-process.
#include <ostream>

// Runs one command line (argv[0] is the program, argv[1] the command).
// Returns the exit code: 0 success, 2 wrong usage, 1 any other failure.
int QuavrelMain(int argc, char** argv, std::ostream& out, std::ostream& err);
