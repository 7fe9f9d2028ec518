#pragma once
// Records the show and hide events of the widgets it watches, in the order they come: "Image1 shown",
// "Form1 hidden". Two steps that end in the same place can still come in the wrong order.

#include <QEvent>
#include <QStringList>
#include <QWidget>

class VisibilityLog : public QObject {
  public:
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    QStringList events;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            events << watched->objectName() + (event->type() == QEvent::Show ? " shown" : " hidden");
        return false;
    }
};
