#pragma once
// The farewell window.

#include "app/form.h"

class Form2 : public Form {
    Q_OBJECT
  public:
    explicit Form2(QWidget* parent = nullptr);
};
