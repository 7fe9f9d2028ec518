#include "info/farewell_window.h"
#include "toolkit/error_report.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/window_slots.h"
#include "info/farewell_layout.h"

Form2::Form2(QWidget* parent) : Form(farewell_layout::window, parent) {
    setObjectName(QStringLiteral("Form2"));
    const auto controls = buildControls(client(), farewell_layout::controls);
    const auto label = [&](const char* name) { return qobject_cast<Label*>(controls.value(name)); };
    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");
    Label4 = label("Label4");
    Label5 = label("Label5");
    Image1 = qobject_cast<Picture*>(controls.value(QStringLiteral("Image1")));

    connect(Image1, &Picture::clicked, this, guarded(this, &Form2::Image1_Click));
    connect(Label1, &Label::clicked, this, guarded(this, &Form2::Label1_Click));
    connect(Label2, &Label::clicked, this, guarded(this, &Form2::Label2_Click));
    connect(Label3, &Label::clicked, this, guarded(this, &Form2::Label3_Click));
    connect(Label4, &Label::clicked, this, guarded(this, &Form2::Label4_Click));
    connect(Label5, &Label::clicked, this, guarded(this, &Form2::Label5_Click));
}

// Each one ends the program, so whichever control a click lands on, the first click is the last.
void Form2::Image1_Click() {
    endProgram();
}

void Form2::Label1_Click() {
    endProgram();
}

void Form2::Label2_Click() {
    endProgram();
}

void Form2::Label3_Click() {
    endProgram();
}

void Form2::Label4_Click() {
    endProgram();
}

void Form2::Label5_Click() {
    endProgram();
}
