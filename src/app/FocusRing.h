#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// A ring around the control that has the keyboard focus, for the controls
// whose style shows focus faintly or not at all: buttons, lists and text
// views (a subject list with no item picked shows none of its own). Two
// lines just outside the control, white outside and black inside: one of
// them stands out from any background, light or dark, and the control
// itself and its colours stay as they are.
class FocusRing : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FocusRing)

public:
    static constexpr int Width = 2;

    // Follows the application's focus from now on.
    explicit FocusRing(QObject *parent = nullptr);
    ~FocusRing() override;

    // Whether focus on w is shown by the ring.
    static bool shows(const QWidget *w);
    // The control the ring is drawn on, or null.

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Overlay;
    void follow(QWidget *now);
    void place();

    QPointer<QWidget> m_target;
    QPointer<Overlay> m_overlay;
};
