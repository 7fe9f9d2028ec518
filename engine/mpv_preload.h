#pragma once
// The one piece of the engine that start-up calls: loading libmpv on a thread of its own once the window is
// on screen. Declared apart so that start-up sees no libmpv header.

// Starts loading the library in the background; later calls do nothing.
void preloadMpv();
// Whether a load has finished, loaded or not; never waits.
bool mpvPreloaded();
