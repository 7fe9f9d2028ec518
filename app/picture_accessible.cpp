#include "app/picture_accessible.h"
#include "app/picture.h"
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

QAccessibleInterface* pictureFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("Picture") && object && object->isWidgetType())
        return new PictureAccessible(static_cast<Picture*>(object));
    return nullptr;
}
} // namespace

void installPictureAccessibility() {
    QAccessible::installFactory(pictureFactory);
}
