#pragma once
// Process-wide set-up that must happen before the first window: identity, icon, fonts.

// Call before QApplication is constructed.
void prepareProcess();
// Call once QApplication exists.
void setUpApplication();
