#pragma once
// A top-level window built from its layout: title, icon, frame, background and the client area's place and
// size on the screen in twips. Its controls stand at fixed places on the client area and never move.

#include "toolkit/pointer_event.h"
#include <QMainWindow>

enum class FrameKind {
    Sizable,         // title bar, system menu, minimise, maximise and close boxes
    FixedToolWindow, // narrow title bar with a close box only; not resizable
    None,            // no border and no title bar; not movable or resizable
};

struct FormLayout {
    const char* title;
    FrameKind frame;
    bool showInTaskbar;
    quint32 background;           // layout colour (0x00BBGGRR)
    int left, top, width, height; // client area on the screen, in twips
    const char* icon;             // resource path
};

// The client area: it reports pointer moves over bare window only, never those over a control.
class ClientArea : public QWidget {
    Q_OBJECT
  public:
    explicit ClientArea(QWidget* parent = nullptr);
  signals:
    void bareMouseMove(PointerArgs args);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

class Form : public QMainWindow {
    Q_OBJECT
  public:
    explicit Form(const FormLayout& layout, QWidget* parent = nullptr);
    ClientArea* client() const { return client_; }
    // Places the window so that its client area stands where the layout says. Call once the menu bar exists.
    void placeClientArea();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    FormLayout layout_;
    ClientArea* client_;
};
