#pragma once
// What screen readers see of the program's own controls, where Qt's defaults fall short: a picture is a
// button with a press action when a handler takes its clicks (the pause pictures, the farewell picture),
// otherwise a graphic; the drive list is named for what it holds ("Drives"), its drive text being its value.

// Call once QApplication exists.
void installAccessibility();
