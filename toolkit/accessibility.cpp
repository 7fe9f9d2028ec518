#include "toolkit/accessibility.h"
#include "toolkit/drive_list.h"
#include "toolkit/picture.h"
#include <QAccessibleWidget>

namespace {
class PictureAccessible : public QAccessibleWidget {
  public:
    explicit PictureAccessible(Picture* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    // Asked each time: the handlers are connected after the control is built, and a screen reader may have
    // looked at it before.
    QAccessible::Role role() const override {
        return picture()->takesClicks() ? QAccessible::Button : QAccessible::Graphic;
    }

    QStringList actionNames() const override {
        return picture()->takesClicks() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString& name) override {
        // Hidden or disabled, a picture takes no clicks from the pointer either.
        if (name == pressAction() && picture()->isEnabled() && picture()->isVisible())
            emit picture()->clicked();
    }

  private:
    Picture* picture() const { return static_cast<Picture*>(widget()); }
};

// On Linux, Qt names a combo box by its current text and leaves the name to a label relation. The drive
// list has no label that names it, so it keeps its own name and gives its drive text as the value.
class DriveListAccessible : public QAccessibleWidget {
  public:
    explicit DriveListAccessible(DriveList* list) : QAccessibleWidget(list, QAccessible::ComboBox) {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& name) override {
        if ((name == showMenuAction() || name == pressAction()) && list()->isEnabled())
            list()->showPopup();
    }

  private:
    DriveList* list() const { return static_cast<DriveList*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("Picture"))
        return new PictureAccessible(static_cast<Picture*>(object));
    if (className == QLatin1String("DriveList"))
        return new DriveListAccessible(static_cast<DriveList*>(object));
    return nullptr;
}
} // namespace

void installAccessibility() {
    QAccessible::installFactory(factory);
}
