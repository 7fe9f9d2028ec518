#include "toolkit/control_table.h"
#include "toolkit/colours.h"
#include "toolkit/cursor_file.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/twips.h"
#include <QPushButton>
#include <algorithm>
#include <map>

namespace {
QWidget* makeWidget(QWidget* client, const ControlRow& row, const QHash<QString, QWidget*>& custom) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
    case ControlKind::Label: {
        auto* label = new Label(client);
        label->setText(caption);
        if (row.options & opt::Centred)
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        return label;
    }
    case ControlKind::Picture: {
        auto* picture = new Picture(client);
        picture->setStretch(row.options & opt::Stretch);
        if (row.picture)
            picture->setPicture(QPixmap(QString::fromUtf8(row.picture)));
        return picture;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, client);
        // Drawn with the default-button frame; Enter clicks it while it has the focus.
        button->setDefault(row.options & opt::Default);
        return button;
    }
    case ControlKind::Custom:
        break;
    }
    QWidget* widget = custom.value(QString::fromUtf8(row.name));
    Q_ASSERT_X(widget, "buildControls", row.name);
    widget->setParent(client);
    return widget;
}

void applyLook(QWidget* widget, const ControlRow& row) {
    widget->setFont(makeFont(row.font, widget->font()));
    QPalette palette = widget->palette();
    if (row.text) {
        const QColor text = toQColor(*row.text);
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, text);
    }
    if (row.background) {
        const QColor back = toQColor(*row.background);
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            palette.setColor(role, back);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}
} // namespace

QHash<QString, QWidget*> buildControls(QWidget* client, std::span<const ControlRow> rows,
                                       const QHash<QString, QWidget*>& custom) {
    QHash<QString, QWidget*> built;
    std::map<int, QWidget*> tabOrder;
    for (const ControlRow& row : rows) {
        QWidget* widget = makeWidget(client, row, custom);
        widget->setObjectName(QString::fromUtf8(row.name));
        widget->setGeometry(twipsToPixels(row.left, row.top, row.width, row.height));
        applyLook(widget, row);
        if (auto* label = qobject_cast<Label*>(widget))
            label->setAutoSize(row.options & opt::AutoSize);
        if (row.cursor)
            widget->setCursor(loadCursorFile(QString::fromUtf8(row.cursor)));
        const char* accessible = row.accessibleName ? row.accessibleName : row.caption;
        if (*accessible)
            widget->setAccessibleName(QString::fromUtf8(accessible));
        if (row.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            tabOrder[row.tabIndex] = widget;
        built.insert(widget->objectName(), widget);
    }
    // Raising from the back row to the front one leaves the first row on top.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        built.value(QString::fromUtf8(row->name))->raise();
    QWidget* previous = nullptr;
    for (const auto& [index, widget] : tabOrder) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return built;
}
