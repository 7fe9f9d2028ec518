#include "media/seek_accessible.h"

#include "media/seek_slider.h"

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("SeekSlider") && object && object->isWidgetType())
        return new SeekAccessible(static_cast<SeekSlider*>(object));
    return nullptr;
}

} // namespace

SeekAccessible::SeekAccessible(SeekSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {
    addControllingSignal(QStringLiteral("valueChanged(int)"));
}

void SeekAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

SeekSlider* SeekAccessible::slider() const {
    return static_cast<SeekSlider*>(widget());
}

void* SeekAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString SeekAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value)
        return slider()->valueText();
    return QAccessibleWidget::text(kind);
}

QVariant SeekAccessible::currentValue() const {
    return slider()->value() / 1000.0;
}

// As a drag would: the slider moves and the engine seeks there.
void SeekAccessible::setCurrentValue(const QVariant& value) {
    if (!slider()->isEnabled())
        return;
    const int ms = qBound(slider()->minimum(), qRound(value.toDouble() * 1000), slider()->maximum());
    slider()->setValue(ms);
    emit slider()->seekRequested(ms);
}

QVariant SeekAccessible::maximumValue() const {
    return slider()->maximum() / 1000.0;
}
QVariant SeekAccessible::minimumValue() const {
    return slider()->minimum() / 1000.0;
}
QVariant SeekAccessible::minimumStepSize() const {
    return slider()->singleStep() / 1000.0;
}
