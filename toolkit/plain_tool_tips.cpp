#include "toolkit/plain_tool_tips.h"
#include "toolkit/outside_text.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

void PlainToolTips::install() {
    static QPointer<PlainToolTips> filter;
    if (!filter)
        qApp->installEventFilter(filter = new PlainToolTips(qApp));
}

// What QWidget does with a tooltip event, with the text escaped.
bool PlainToolTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->property(kShownElsewhere).toBool())
        return true;
    const QString text = widget->toolTip();
    if (text.isEmpty())
        return false; // the widget's own handling, or its parent's
    const QString tip = OutsideText::tip(text);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, widget, {},
                           widget->toolTipDuration());
    return true;
}
