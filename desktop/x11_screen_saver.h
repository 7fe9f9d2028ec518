#pragma once
// Holds the X server's screen saver off through the MIT screen-saver extension. The server drives its
// blanking and its display power-saving (DPMS) from one timer, which it does not arm while a client holds
// the saver suspended; a suspension also ends with the client's connection, so a crash cannot leave the
// screen awake for good.

class X11ScreenSaver {
  public:
    X11ScreenSaver();
    ~X11ScreenSaver();
    X11ScreenSaver(const X11ScreenSaver&) = delete;
    X11ScreenSaver& operator=(const X11ScreenSaver&) = delete;

    // False when the program does not run on X11 or the server lacks the extension.
    bool isAvailable() const { return display_ != nullptr; }
    void setSuspended(bool suspended);
    bool isSuspended() const { return suspended_; }

  private:
    void* display_ = nullptr; // Display*, kept out of the header with Xlib's macros
    bool suspended_ = false;
};
