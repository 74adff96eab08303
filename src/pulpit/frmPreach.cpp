#include "pulpit/frmPreach.h"

#include "app/AppSetup.h"
#include "editor/Contrast.h"
#include "pulpit/PreachZoom.h"
#include "pulpit/PulpitSettings.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QTime>
#include <QWheelEvent>

namespace {

// At 100 %, this many lines of body text fill the screen's height.
constexpr qreal LinesPerScreen = 22;
const QColor LightBackground(255, 255, 255);
const QColor LightText(0, 0, 0);
const QColor DarkBackground(0, 0, 0);
const QColor DarkText(235, 235, 235);
// A blanked screen is black whatever the look: nothing to catch the eye.
const QColor BlankColour(0, 0, 0);
constexpr int LinesPerWheelStep = 3;

QString elapsedText(qint64 ms)
{
    const qint64 s = ms / 1000;
    if (s < 3600)
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

frmPreach::frmPreach(const QTextDocument &source, int paragraph, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_startParagraph(paragraph)
    , m_zoom(PulpitSettings::preachZoom())
    , m_dark(PulpitSettings::preachDark())
{
    setObjectName(QStringLiteral("frmPreach"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Preach"));
    setWindowIcon(AppSetup::programIcon());
    setAccessibleName(QStringLiteral("Preaching view"));
    setAccessibleDescription(QStringLiteral("Page Down or Space: next screen. Page Up: previous screen. "
                                            "Escape: back to the document."));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);
    // Laid out once the window has its size.
    m_pages.setLook(bodyPixels(), textColour(), background());

    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, [this] { update(cornerRect()); });
    connect(&m_copy, &PreachCopy::finished, this, &frmPreach::copied);
    m_copy.start(source);
}

frmPreach::~frmPreach() = default;

void frmPreach::reread(const QTextDocument &source)
{
    m_copy.start(source);
}

void frmPreach::copied(std::shared_ptr<const PreachText> text)
{
    m_pages.setText(std::move(text), topParagraph());
    update();
}

QColor frmPreach::background() const
{
    return m_dark ? DarkBackground : LightBackground;
}

QColor frmPreach::textColour() const
{
    return m_dark ? DarkText : LightText;
}

QColor frmPreach::cornerColour() const
{
    return Contrast::dimmestReadable(background());
}

int frmPreach::cornerPixels() const
{
    return qMax(12, height() / 45);
}

QRect frmPreach::textRect() const
{
    const int side = width() * 6 / 100;
    const int top = height() * 4 / 100;
    const int bottom = cornerPixels() * 2 + height() * 2 / 100;
    return QRect(side, top, qMax(1, width() - 2 * side), qMax(1, height() - top - bottom));
}

QRect frmPreach::cornerRect() const
{
    const int px = cornerPixels();
    const int side = width() * 2 / 100;
    return QRect(width() / 2, height() - px * 2 - height() / 100, width() / 2 - side, px * 2);
}

qreal frmPreach::bodyPixels() const
{
    return qMax<qreal>(8, height() / LinesPerScreen / PreachPages::LineSpacing * m_zoom / 100.0);
}

void frmPreach::applyLook()
{
    m_pages.setLook(bodyPixels(), textColour(), background());
    update();
}

void frmPreach::setZoom(int percent)
{
    percent = qBound(PreachZoom::Smallest, percent, PreachZoom::Largest);
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    PulpitSettings::setPreachZoom(m_zoom);
    applyLook();
}

void frmPreach::setDark(bool dark)
{
    m_dark = dark;
    PulpitSettings::setPreachDark(m_dark);
    applyLook();
}

void frmPreach::moved(bool changed)
{
    if (!changed)
        return;
    // The counter starts with the first move: opening the view early
    // does not count.
    if (!m_elapsed.isValid())
        m_elapsed.start();
    update();
}

void frmPreach::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    event->accept();
    if (m_blank) {
        // The key that brings the text back does nothing else, unless it closes.
        m_blank = false;
        update();
        if (key != Qt::Key_Escape && key != Qt::Key_F5)
            return;
    }
    if (control) {
        switch (key) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: setZoom(PreachZoom::step(m_zoom, +1)); return;
        case Qt::Key_Minus: setZoom(PreachZoom::step(m_zoom, -1)); return;
        case Qt::Key_0: setZoom(PulpitSettings::DefaultZoom); return;
        default: break;
        }
        event->ignore();
        return;
    }
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_Down:
    case Qt::Key_Right: moved(m_pages.forward()); return;
    case Qt::Key_Space: moved(shift ? m_pages.back() : m_pages.forward()); return;
    case Qt::Key_PageUp:
    case Qt::Key_Up:
    case Qt::Key_Left: moved(m_pages.back()); return;
    case Qt::Key_Home: moved(m_pages.toStart()); return;
    case Qt::Key_End: moved(m_pages.toEnd()); return;
    case Qt::Key_D: setDark(!m_dark); return;
    case Qt::Key_T:
        m_elapsed.start();
        update(cornerRect());
        return;
    case Qt::Key_B:
    case Qt::Key_Period:
        m_blank = true;
        update();
        return;
    case Qt::Key_Escape:
    case Qt::Key_F5: close(); return;
    default: break;
    }
    event->ignore();
}

void frmPreach::wheelEvent(QWheelEvent *event)
{
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() != 0)
            setZoom(PreachZoom::step(m_zoom, event->angleDelta().y() > 0 ? +1 : -1));
        return;
    }
    // A notch (120) moves three lines; touchpads send less at a time.
    m_wheel += event->angleDelta().y();
    const int lines = m_wheel * LinesPerWheelStep / 120;
    if (lines == 0)
        return;
    m_wheel -= lines * 120 / LinesPerWheelStep;
    moved(m_pages.scroll(-lines) != 0);
}

void frmPreach::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_blank) {
        painter.fillRect(rect(), BlankColour);
        return;
    }
    painter.fillRect(rect(), background());
    QFont small(font());
    small.setPixelSize(cornerPixels());
    painter.setFont(small);
    painter.setPen(cornerColour());
    if (m_pages.text())
        m_pages.paint(painter, textRect().topLeft());
    else
        painter.drawText(textRect(), Qt::AlignCenter, QStringLiteral("Preparing the sermon\u2026"));

    painter.setFont(small);
    painter.setPen(cornerColour());
    // Hours and minutes in the user's way of writing them; seconds would only distract.
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss")).remove(QStringLiteral(".ss"));
    const QString clock = QLocale().toString(QTime::currentTime(), format);
    const QString elapsed = elapsedText(elapsedMs());
    painter.drawText(cornerRect(), Qt::AlignRight | Qt::AlignVCenter,
                     clock + QStringLiteral("    elapsed ") + elapsed);
}

void frmPreach::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_pages.setArea(textRect().size());
    m_pages.setLook(bodyPixels(), textColour(), background());
}

void frmPreach::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_clock.start();
}

void frmPreach::hideEvent(QHideEvent *event)
{
    m_clock.stop();
    QWidget::hideEvent(event);
}

void frmPreach::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        emit closedAt(topParagraph()); // the start one, while the copy is still made
    }
    event->accept();
}
