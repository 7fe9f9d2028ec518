#pragma once
// Process-wide set-up that must happen before the first window: identity, icon, fonts.

// Fixed malloc thresholds (blocks from 256 KiB are mapped on their own); false if glibc refused them.
bool setMallocThresholds();
// Call before QApplication is constructed.
void prepareProcess();
// Call once QApplication exists.
void setUpApplication();
