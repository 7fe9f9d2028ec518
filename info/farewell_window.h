#pragma once
// The farewell window: a borderless picture with the maker's details over it; a click anywhere on it ends the
// program.

#include "toolkit/form.h"

class Label;
class Picture;

class Form2 : public Form {
    Q_OBJECT
  public:
    explicit Form2(QWidget* parent = nullptr);

    Label* Label1;
    Label* Label2;
    Label* Label3;
    Label* Label4;
    Label* Label5;
    Picture* Image1;

    void Image1_Click();
    void Label1_Click();
    void Label2_Click();
    void Label3_Click();
    void Label4_Click();
    void Label5_Click();
};
