#include "info/about_window.h"
#include "toolkit/error_report.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/window_slots.h"
#include "info/about_layout.h"
#include <QPushButton>

Form1::Form1(QWidget* parent) : Form(about_layout::window, parent) {
    setObjectName(QStringLiteral("Form1"));
    const auto controls = buildControls(client(), about_layout::controls);
    const auto label = [&](const char* name) { return qobject_cast<Label*>(controls.value(name)); };
    Command1 = qobject_cast<QPushButton*>(controls.value(QStringLiteral("Command1")));
    Command2 = qobject_cast<QPushButton*>(controls.value(QStringLiteral("Command2")));
    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");
    Label4 = label("Label4");
    Label5 = label("Label5");
    Label6 = label("Label6");
    Label7 = label("Label7");
    Label8 = label("Label8");
    Image1 = qobject_cast<Picture*>(controls.value(QStringLiteral("Image1")));

    // The labels and the picture have no handlers: a click on them does nothing.
    connect(Command1, &QPushButton::clicked, this, guarded(this, &Form1::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, guarded(this, &Form1::Command2_Click));
    // The lower tab index takes the focus when the window first shows.
    Command1->setFocus();
}

// "More Details": back to the player window, then out of the way.
void Form1::Command1_Click() {
    showWindow(windows().frm);
    hideWindow(windows().Form1);
}

// "Exit": closes this window and an open farewell window; the program keeps running.
void Form1::Command2_Click() {
    hideWindow(windows().Form1);
    hideWindow(windows().Form2);
}
