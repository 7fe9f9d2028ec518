#pragma once
// The one piece of the engine that start-up calls: loading libmpv on a thread of its own while the window
// comes up. Declared apart so that start-up sees no libmpv header.

// Starts loading the library in the background; later calls do nothing.
void preloadMpv();
