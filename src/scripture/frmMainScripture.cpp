#include "app/frmMain.h"

#include "editor/RichTextBox.h"
#include "reference/PanelFind.h"
#include "editor/TextDecorations.h"
#include "scripture/LiveReferences.h"
#include "scripture/ScriptureCommands.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>

void frmMain::setUpScripture()
{
    // Ctrl+click on a reference in the document: what Find does with a typed one.
    const auto show = [this](const BibleReference &ref) {
        QString problem;
        if (m_bibleFind && m_bibleFind->showReference(ref, &problem) == PanelFind::Result::NoSuchReference) {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"), problem, QMessageBox::Ok, this);
            box.exec();
        }
    };
    m_scripture = new ScriptureCommands(this, RichTextBox1, RichTextBox2, databible, show, this);
    m_scripture->setObjectName(QStringLiteral("scriptureCommands"));
    // References on screen get a dotted underline, display only.
    documentDecorations()->addSource([live = QPointer<LiveReferences>(m_scripture->liveReferences())](
                                         const QTextBlock &block) {
        return live ? live->referenceMarks(block) : QList<QTextLayout::FormatRange>();
    });

    mnuToolsInsertScripture = mnuTools->addAction(QStringLiteral("Insert &Scripture..."));
    mnuToolsInsertScripture->setObjectName(QStringLiteral("mnuToolsInsertScripture"));
    mnuToolsInsertScripture->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    connect(mnuToolsInsertScripture, &QAction::triggered, this, &frmMain::mnuToolsInsertScripture_Click);
    connect(RichTextBox1, &RichTextBox::busyChanged, mnuToolsInsertScripture, [this](bool busy) {
        mnuToolsInsertScripture->setEnabled(!busy);
    });
}

void frmMain::mnuToolsInsertScripture_Click()
{
    m_scripture->insertScripture();
}
