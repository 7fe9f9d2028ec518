#pragma once
// The About window: the company line, the emblem, the maker's contact details and two buttons.

#include "toolkit/form.h"

class QPushButton;
class Label;
class Picture;

class Form1 : public Form {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);

    QPushButton* Command1;
    QPushButton* Command2;
    Label* Label1;
    Label* Label2;
    Label* Label3;
    Label* Label4;
    Label* Label5;
    Label* Label6;
    Label* Label7;
    Label* Label8;
    Picture* Image1;

    void Command1_Click();
    void Command2_Click();
};
