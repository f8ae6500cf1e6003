#pragma once
// The program's own path, taken from the process command line. Each returns
// a text of its own that the next call of the same operation replaces.

const char* ProgramPath();
const char* ProgramFileName();
// Up to and including the last backslash; nullptr when the path has none.
const char* ProgramDirectory();
