#pragma once

#include "pulpit/PreachCopy.h"
#include "pulpit/PreachPages.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QTextDocument;

// The preaching view: the sermon in large type on a screen of its own,
// read-only, moved through by screens with the keys presentation clickers
// send. A small clock and the time since the first move sit in a corner.
//
// Keys: Page Down, Space, Down, Right: next screen; Page Up, Shift+Space,
// Up, Left: previous screen; Home, End; Ctrl+Plus, Ctrl+Minus, Ctrl+0:
// zoom; D: light or dark; T: the elapsed time from zero again; B or full
// stop: a black screen until the next key; Esc or F5: close. The zoom and
// the look are kept in the settings.
class frmPreach : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPreach)

public:
    // Shows a copy of source from the start of paragraph. A long document
    // is copied between events; the view says so meanwhile.
    frmPreach(const QTextDocument &source, int paragraph, QWidget *parent = nullptr);
    ~frmPreach() override;

    // Copies source again (it changed), to show from the same paragraph.
    void reread(const QTextDocument &source);
    // Whether the copy is still being made.
    bool isPreparing() const { return !m_pages.text() || m_copy.isRunning(); }

    int topParagraph() const { return m_pages.text() ? m_pages.topParagraph() : m_startParagraph; }
    // The text of the whole lines on the screen, top to bottom.
    QStringList shownLines() { return m_pages.shownLines(); }
    int zoom() const { return m_zoom; }
    bool isDark() const { return m_dark; }
    bool isBlank() const { return m_blank; }
    // Whether the elapsed time runs, and how much has passed.
    bool isTiming() const { return m_elapsed.isValid(); }
    qint64 elapsedMs() const { return m_elapsed.isValid() ? m_elapsed.elapsed() : 0; }

    QColor background() const;
    QColor textColour() const;
    // The clock's colour: the dimmest that stays readable.
    QColor cornerColour() const;
    // The rectangle the lines fill, and the corner with the clock.
    QRect textRect() const;
    QRect cornerRect() const;

signals:
    // The view closed with paragraph at the top of its screen.
    void closedAt(int paragraph);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void copied(std::shared_ptr<const PreachText> text);
    void moved(bool changed);
    void setZoom(int percent);
    void setDark(bool dark);
    void applyLook();
    qreal bodyPixels() const;
    int cornerPixels() const;

    PreachPages m_pages;
    PreachCopy m_copy;
    int m_startParagraph = 0;
    int m_zoom = 100;
    bool m_dark = false;
    bool m_blank = false;
    bool m_closed = false;
    int m_wheel = 0; // wheel turns not yet a whole line
    QElapsedTimer m_elapsed;
    QTimer m_clock;
};
