// The Tools menu's sermon length and preaching view commands.

#include "app/frmMain.h"

#include "editor/RichTextBox.h"
#include "pulpit/dlgWordCount.h"
#include "pulpit/frmPreach.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTextBlock>
#include <QTimer>

namespace {

// A document edited while the view is open shows anew once the typing pauses.
constexpr int PreachRefreshMs = 500;

// The second screen when there is one and the window is on the first;
// otherwise the window's own.
QScreen *preachScreen(const QWidget &window)
{
    QScreen *own = window.screen();
    if (own != QGuiApplication::primaryScreen())
        return own;
    for (QScreen *s : QGuiApplication::screens())
        if (s != own)
            return s;
    return own;
}

} // namespace

void frmMain::setUpPulpit()
{
    mnuToolsWordCount = mnuTools->addAction(QStringLiteral("&Word Count..."));
    mnuToolsWordCount->setObjectName(QStringLiteral("mnuToolsWordCount"));
    connect(mnuToolsWordCount, &QAction::triggered, this, &frmMain::mnuToolsWordCount_Click);
    mnuToolsPreach = mnuTools->addAction(QStringLiteral("&Preach"));
    mnuToolsPreach->setObjectName(QStringLiteral("mnuToolsPreach"));
    mnuToolsPreach->setShortcut(QKeySequence(Qt::Key_F5));
    connect(mnuToolsPreach, &QAction::triggered, this, &frmMain::mnuToolsPreach_Click);

    auto *refresh = new QTimer(this);
    refresh->setObjectName(QStringLiteral("preachRefresh"));
    refresh->setSingleShot(true);
    refresh->setInterval(PreachRefreshMs);
    connect(refresh, &QTimer::timeout, this, [this] {
        // A long command's document is read once the command is done.
        if (m_preach && !RichTextBox1->isBusy())
            m_preach->reread(*RichTextBox1->document());
    });
    connect(RichTextBox1, &RichTextBox::Change, refresh, [this, refresh] {
        if (m_preach)
            refresh->start();
    });
    // Counting or copying a document a long command is still writing
    // would show half of it; the open view can still be closed.
    connect(RichTextBox1, &RichTextBox::busyChanged, this, [this, refresh](bool busy) {
        mnuToolsWordCount->setEnabled(!busy);
        mnuToolsPreach->setEnabled(!busy || m_preach);
        if (!busy && m_preach)
            refresh->start();
    });
}

void frmMain::placeCaretAtParagraph(int paragraph)
{
    // The one place this feature moves the editor's caret; a long command
    // under way keeps it until it ends.
    if (RichTextBox1->isBusy()) {
        auto *wait = new QObject(this);
        connect(RichTextBox1, &RichTextBox::busyChanged, wait, [this, wait, paragraph](bool busy) {
            if (busy)
                return;
            wait->deleteLater();
            placeCaretAtParagraph(paragraph);
        });
        return;
    }
    QTextDocument *doc = RichTextBox1->document();
    const QTextBlock block = doc->findBlockByNumber(qBound(0, paragraph, doc->blockCount() - 1));
    RichTextBox1->setTextCursor(QTextCursor(block));
    activateWindow();
    RichTextBox1->SetFocus();
    RichTextBox1->ensureCursorVisible();
}

void frmMain::mnuToolsWordCount_Click()
{
    if (RichTextBox1->isBusy())
        return;
    const QTextCursor cursor = RichTextBox1->textCursor();
    std::optional<QString> selection;
    if (cursor.hasSelection())
        selection = cursor.selectedText();
    auto *dialog = new dlgWordCount(RichTextBox1->document()->toRawText(), selection, this);
    dialog->open();
}

void frmMain::mnuToolsPreach_Click()
{
    if (m_preach) {
        m_preach->close();
        return;
    }
    if (RichTextBox1->isBusy())
        return;
    m_preach = new frmPreach(*RichTextBox1->document(), RichTextBox1->textCursor().blockNumber(), this);
    registerWindow(m_preach);
    // Back at the start of the paragraph the view was showing at the top.
    connect(m_preach, &frmPreach::closedAt, this, &frmMain::placeCaretAtParagraph);
    QScreen *screen = preachScreen(*this);
    m_preach->setScreen(screen);
    m_preach->setGeometry(screen->geometry());
    m_preach->showFullScreen();
    m_preach->raise();
    m_preach->activateWindow();
}
