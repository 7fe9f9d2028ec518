#pragma once
// The component's settings that the program stores and reports back but never acts on. They are kept so
// that a host written for the component reads back what it wrote; none of them changes what is shown:
//   windowlessVideo  the video always has a native window of its own (VideoSurface);
//   invokeURLs       media files here carry no script commands that could open addresses;
//   baseURL          URLs are file paths, never resolved against a base;
//   defaultFrame     there are no browser frames to open addresses in;
//   SAMIStyle, SAMILang, SAMIFilename, captioningID   SAMI captions are not shown (a same-named
//                    subtitle file is, by the engine);
//   currentMarker    files are not searched for markers.

#include <QString>

struct StoredSettings {
    bool windowlessVideo = false;
    bool invokeURLs = true;
    QString baseURL;
    QString defaultFrame;
    QString samiStyle;
    QString samiLang;
    QString samiFilename;
    QString captioningID;
    int currentMarker = 0;
};
