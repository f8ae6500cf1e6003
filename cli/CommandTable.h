#pragma once
// The subcommands of the quavrel command, in the order --help lists them.
#include "cli/Command.h"

const Command* CommandTable();
int CommandCount();
// nullptr when there is no command of that name.
const Command* FindCommand(const char* name);
