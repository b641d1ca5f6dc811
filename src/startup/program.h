// Program start, the mode switch and the one end sequence.
#pragma once

#include <string>

#include "show/host_request.h"

enum class SaverMode { show, configure, preview, password, none };

// Runs the whole program: initialisation, mode choice, the mode, endProgram.
[[noreturn]] void programMain();

// Runs the show a host asked for (see show/host_request.h): only the drawing
// and image layers are started, not the window, control and help layers.
[[noreturn]] void hostedProgramMain(const HostRequest& request);

// Argument `index` of a Windows-style command line: tokens are split at
// spaces, a double quote groups up to the next one, and the first token (the
// program's own path) is never handed out. Empty when there is no such token.
std::string commandLineArgument(const std::string& commandLine, int index);

// The next argument after the program's name; each call moves on by one.
std::string nextProgramArgument();
SaverMode modeFromCommandLine();
// The mode that a first argument selects.
SaverMode modeFromArgument(const std::string& argument);
void dispatchMode(SaverMode mode);

// Releases the images, closes help and windows, and exits with code 0.
[[noreturn]] void endProgram();
