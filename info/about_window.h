#pragma once
// The About window.

#include "app/form.h"

class Form1 : public Form {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
};
