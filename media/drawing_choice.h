#pragma once
// Which way the video is drawn on this machine. OpenGL where the driver is hardware; the software path where
// OpenGL is itself software (its shaders would run on the processor, at more cost than the engine's own
// software scaler), indirect, or missing altogether. TOLVANE_VIDEO_OUTPUT=opengl or =software forces one.

#include <QByteArray>
#include <optional>

enum class DrawingPath { OpenGL, Software };

// The path forced by the environment, if any.
std::optional<DrawingPath> forcedDrawingPath();
// Whether the toolkit runs as a Wayland client ("wayland", "wayland-egl").
bool onWayland();
// Whether a driver's name for itself (GL_RENDERER) is one of the software rasterisers.
bool isSoftwareRenderer(const QByteArray& renderer);
// Whether the video is drawn in software without OpenGL ever being loaded (a software driver alone maps
// some 50 MiB of compiler): the software path forced, or an X server without direct rendering; in both
// cases only where the software path can run. `display`: the X display's name; empty away from X11 (on
// Wayland only the forced software path counts).
bool drawsWithoutOpenGL(const QByteArray& display);
