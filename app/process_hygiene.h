#pragma once
// Before any library starts: the program writes no file and starts no other program, not even through the
// libraries it loads: fontconfig's caches, the sound library's cookie. (The D-Bus library's dbus-launch: keepToolkitOffSessionBus.)

// Call first in main(), before QApplication and before libmpv is loaded.
void keepProcessToItself();
