// Declarations shared by the Win32 service files only (not part of the
// portable service contracts).
#pragma once

#include <windows.h>

// The program's module, for window classes and resources.
HINSTANCE programInstance();

// Clears the event that a dispatched message may have raised; the show's
// message servicing uses it so that no event outlives its dispatch.
void clearPendingEvent();
