#pragma once
// Draws a list row indented by its level (IndentLevelRole) and shows a row's whole text as a tooltip
// only when the row is too narrow to show it.

#include <QStyledItemDelegate>

inline constexpr int IndentLevelRole = Qt::UserRole + 1;

class ListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Pixels one level is indented by, for the given font.
    static int indentStep(const QFontMetrics& metrics);
};
