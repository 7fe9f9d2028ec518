#pragma once
// A flat button of the control bar that paints its own glyph in the component's colours.

#include <QAbstractButton>

class TransportButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class Glyph {
        Play,
        Pause,
        Stop,
        Previous,
        Next,
        FastReverse,
        FastForward,
        Speaker,
        Muted,
        FullScreen
    };

    TransportButton(Glyph glyph, const QString& name, const QString& toolTip, QWidget* parent = nullptr);
    void setGlyph(Glyph glyph);
    Glyph glyph() const { return glyph_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Glyph glyph_;
    bool hovered_ = false;
};
