#pragma once

#include <QWidget>

// The status area: one line, elided to fit, the whole text in its tooltip.
class StatusText : public QWidget {
    Q_OBJECT
  public:
    explicit StatusText(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};
