#pragma once

#include <QAbstractButton>
#include <QColor>

// An image push button: caption on a face colour, optionally filled with a
// two-colour gradient, lit up while the mouse is over it (mouse tracking).
// Space, Return and Enter press it when it has the focus.
class RainButton : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RainButton)

public:
    explicit RainButton(const QString &caption, QWidget *parent = nullptr);

    void setFaceColor(const QColor &color);
    QColor faceColor() const { return m_face; }
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_text; }
    // Fills the face with a vertical gradient from the face colour to this one.
    void setGradientColor(const QColor &color);
    QColor gradientColor() const { return m_gradient; }
    bool hasGradient() const { return m_gradient.isValid(); }
    void setMouseTrack(bool on);
    bool mouseTrack() const { return m_mouseTrack; }
    bool isHighlighted() const { return m_mouseTrack && m_hover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_face{192, 192, 192};
    QColor m_text{0, 0, 0};
    QColor m_gradient;
    bool m_mouseTrack = true;
    bool m_hover = false;
};
