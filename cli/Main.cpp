#include <iostream>

#include "cli/QuavrelMain.h"

int main(int argc, char** argv) { return QuavrelMain(argc, argv, std::cout, std::cerr); }
