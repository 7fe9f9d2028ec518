#pragma once
// What screen readers see of the seek bar: a slider whose value is a time ("1:05 of 4:10"), in seconds.

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class SeekSlider;

class SeekAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit SeekAccessible(SeekSlider* slider);
    // Once, with the first seek bar.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

  private:
    SeekSlider* slider() const;
};
