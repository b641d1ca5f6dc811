// The Windows program entry: everything else is the portable start-up.
#include <windows.h>

#include "startup/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { programMain(); }
