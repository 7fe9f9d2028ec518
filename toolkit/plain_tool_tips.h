#pragma once
// Every widget's tooltip (QWidget::setToolTip) shown as plain text, for the whole program: a widget that
// puts a name in its tooltip cannot forget to escape it. Widgets that show tips of their own through
// QToolTip::showText (the lists' rows) pass them through OutsideText::tip().

#include <QObject>

class PlainToolTips : public QObject {
    Q_OBJECT
  public:
    // Once, when the application exists.
    static void install();
    // A widget with this property true shows what its tip would say some other way for now (the seek
    // bar's preview): it gets no tip meanwhile.
    static constexpr const char* kShownElsewhere = "tolvaneTipShownElsewhere";

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using QObject::QObject;
};
