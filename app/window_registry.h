#pragma once
// The program's windows: which class fills each slot of the registry.

#include "toolkit/window_slots.h"

// Gives each slot its window class; runs once at start-up, before any window is referenced.
void registerWindows();
