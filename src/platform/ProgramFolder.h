// The folder of the running program, made the current directory at start so that the `data`
// folder beside the program is found wherever it was started from.
#pragma once

#include <string>

// The folder holding the program's executable (from /proc/self/exe); empty when it cannot be
// read.
std::string ProgramFolder();

// Makes ProgramFolder() the current directory; false when it cannot be found or entered.
bool EnterProgramFolder();
