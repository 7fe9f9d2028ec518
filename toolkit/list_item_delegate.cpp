#include "toolkit/list_item_delegate.h"
#include "toolkit/outside_text.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

int ListItemDelegate::indentStep(const QFontMetrics& metrics) {
    return metrics.height() * 3 / 4;
}

namespace {

int indentOf(const QStyleOptionViewItem& option, const QModelIndex& index) {
    return index.data(IndentLevelRole).toInt() * ListItemDelegate::indentStep(option.fontMetrics);
}

} // namespace

void ListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + indentOf(option, index));
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize ListItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // Height only: a list view stretches each row to its own width, so long names are cut with an
    // ellipsis (their tooltip shows them whole) and the list never scrolls sideways.
    return QSize(1, QStyledItemDelegate::sizeHint(option, index).height());
}

bool ListItemDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.rect.setLeft(option.rect.left() + indentOf(option, index));
    const QWidget* widget = view;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    // the style keeps a small margin on each side of the text
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int needed = item.fontMetrics.horizontalAdvance(item.text) + 2 * margin;
    const int visibleRight = qMin(textRect.right(), view->viewport()->width());
    if (needed <= visibleRight - textRect.left() + 1) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), OutsideText::tip(item.text), view->viewport(), option.rect);
    return true;
}
