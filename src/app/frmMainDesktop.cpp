#include "app/RainButton.h"
#include "app/RecentFiles.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

namespace {

// Ctrl+F shows the document's find box as Format, Find does and puts the
// caret in it, its words selected, to type at once. Unlike the menu item it
// searches nothing yet: that would select a blank in the document (the box
// starts with one), and Find would then look only inside that selection.
class FindKey : public QObject {
public:
    FindKey(QAction *action, QList<QWidget *> shown, QLineEdit *box)
        : QObject(action)
        , m_shown(std::move(shown))
        , m_box(box)
    {
        action->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        for (QWidget *w : std::as_const(m_shown))
            w->setVisible(true);
        m_box->setFocus(Qt::ShortcutFocusReason);
        m_box->selectAll();
        return true;
    }

private:
    QList<QWidget *> m_shown;
    QLineEdit *m_box;
};

// Controls may claim a key before the window's shortcuts see it: on X11 a
// line edit takes Ctrl+U to clear itself. The menus' keys act on the
// document whatever has the focus, so they are kept from the controls; the
// edit keys have a router of their own.
class MenuKeysFirst : public QObject {
public:
    MenuKeysFirst(QWidget *window, QList<QAction *> own)
        : QObject(window)
        , m_window(window)
        , m_own(std::move(own))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_window)
            return false;
        const QKeyCombination combination = static_cast<QKeyEvent *>(event)->keyCombination();
        // Sent for every key typed: plain typing, which no menu item claims,
        // goes on at once.
        const bool functionKey = combination.key() >= Qt::Key_F1 && combination.key() <= Qt::Key_F35;
        if (!functionKey && !(combination.keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        const QKeySequence key(combination);
        // Looked up each time: other areas add their menu items later.
        const QList<QAction *> actions = m_window->findChildren<QAction *>();
        return std::any_of(actions.cbegin(), actions.cend(), [&](const QAction *a) {
            return !m_own.contains(a) && a->isEnabled() && a->shortcut() == key;
        });
    }

private:
    QWidget *m_window;
    QList<QAction *> m_own; // keys left to their own handling
};

void tell(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void frmMain::setUpDesktop()
{
    new FindKey(mnuFindText3, {rnbFind3, txtTextBox3, rnbFindNext3}, txtTextBox3);
    new MenuKeysFirst(this, {mnuEditCut, mnuEditCopy, mnuEditPaste});

    m_recentFiles = new RecentFiles(mnuFile, mnuFileExit, this);
    m_recentFiles->setObjectName(QStringLiteral("recentFiles"));
    connect(Document, &SermonDocument::fileOpenedOrSaved, m_recentFiles, &RecentFiles::add);
    connect(m_recentFiles, &RecentFiles::chosen, this, [this](const QString &path) {
        if (!QFileInfo::exists(path)) {
            m_recentFiles->remove(path);
            tell(this, QStringLiteral("\"%1\" no longer exists, so it was taken off the list of recent "
                                      "documents.")
                           .arg(QDir::toNativeSeparators(path)));
            return;
        }
        openFromOutside({path});
    });
}

void frmMain::openFromOutside(const QStringList &files)
{
    if (files.isEmpty())
        return;
    // As a file named on the command line: the question first, and never
    // over work that a recovery offer still pending may bring back.
    openFromCommandLine(files.first());
    if (files.size() == 1)
        return;
    QStringList names;
    for (const QString &f : files.mid(1))
        names << QDir::toNativeSeparators(f);
    tell(this, QStringLiteral("Vellumor holds one document at a time, so it opens only \"%1\". %2\n\n%3")
                   .arg(QFileInfo(files.first()).fileName(),
                        names.size() == 1 ? QStringLiteral("This one was not opened:")
                                          : QStringLiteral("These were not opened:"),
                        names.join(QLatin1Char('\n'))));
}
