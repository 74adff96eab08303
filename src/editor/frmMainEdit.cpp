#include "app/frmMain.h"

#include "app/CommonDialog.h"
#include "editor/EditShortcutRouter.h"
#include "editor/FontDialog.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>

namespace {

// The font dialog's flags: screen and printer fonts, effects.
constexpr int kFontDialogFlags = 259;

} // namespace

void frmMain::setUpEditCommands()
{
    auto *router = new EditShortcutRouter(this, [this](EditShortcutRouter::Command command) {
        mnuEdit_Click();
        switch (command) {
        case EditShortcutRouter::Command::Cut: mnuEditCut_Click(); break;
        case EditShortcutRouter::Command::Copy: mnuEditCopy_Click(); break;
        case EditShortcutRouter::Command::Paste:
            // Paste over nothing pasteable would delete the selection: the
            // key goes on to the focused control, which has nothing to insert.
            if (!mnuEditPaste->isEnabled())
                return false;
            mnuEditPaste_Click();
            break;
        }
        return true;
    });
    router->setObjectName(QStringLiteral("editShortcutRouter"));
    // A paste or format the document cannot hold is refused by the editor.
    connect(RichTextBox1, &RichTextBox::Refused, this, [this](const QString &message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"), message, QMessageBox::Ok, this);
        box.exec();
    });
    // Rich text opened or pasted that went in without a part of it.
    connect(RichTextBox1, &RichTextBox::LeftOut, this, [this](const QString &message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"), message, QMessageBox::Ok, this);
        box.exec();
    });
    for (QWidget *w : {static_cast<QWidget *>(RichTextBox2), static_cast<QWidget *>(RichTextBox3),
                       static_cast<QWidget *>(RichTextBox4), static_cast<QWidget *>(RichTextBox5),
                       static_cast<QWidget *>(txtTextBox1), static_cast<QWidget *>(txtTextBox2),
                       static_cast<QWidget *>(txtTextBox3)})
        router->addNativeWidget(w);
}

void frmMain::mnuEdit_Click()
{
    const bool idle = !RichTextBox1->isBusy();
    mnuEditPaste->setEnabled(idle && RichTextBox::pasteText(QGuiApplication::clipboard()->mimeData()).has_value());
    const bool selection = idle && RichTextBox1->SelLength() != 0;
    mnuEditCopy->setEnabled(selection);
    mnuEditCut->setEnabled(selection);
}

void frmMain::mnuClearAll_Click()
{
    if (RichTextBox1->isBusy())
        return;
    RichTextBox1->SetText(QString());
}

void frmMain::mnuEditCut_Click()
{
    if (RichTextBox1->isBusy())
        return;
    if (RichTextBox1->SelLength() == 0) {
        QApplication::beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(RichTextBox1->SelMimeData());
    RichTextBox1->SetSelRTF(QString());
}

void frmMain::mnuEditCopy_Click()
{
    if (RichTextBox1->isBusy())
        return;
    if (RichTextBox1->SelLength() == 0) {
        QApplication::beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(RichTextBox1->SelMimeData());
}

void frmMain::mnuEditPaste_Click()
{
    if (RichTextBox1->isBusy())
        return;
    // With nothing pasteable the selection is replaced by nothing.
    RichTextBox1->SetSelRTF(RichTextBox::pasteText(QGuiApplication::clipboard()->mimeData()).value_or(QString()));
}

void frmMain::mnuAllCaps_Click()
{
    if (RichTextBox1->isBusy())
        return;
    // Each run keeps its own format, as lower case keeps it.
    RichTextBox1->mapSelectionText([](const QString &text) { return text.toUpper(); });
}

void frmMain::cmdUpperCase_Click(int)
{
    mnuAllCaps_Click();
}

void frmMain::cmdLowerCase_Click(int)
{
    if (RichTextBox1->isBusy())
        return;
    // Through the rich text, so that the formatting survives.
    RichTextBox1->SetSelRTF(RtfWriter::toLower(RichTextBox1->SelRTF()));
}

void frmMain::mnuBold_Click()
{
    if (RichTextBox1->isBusy())
        return;
    // A mixed selection becomes bold throughout.
    RichTextBox1->SetSelBold(RichTextBox1->SelBold() != RichTextBox::Tri::On);
}

void frmMain::mnuItalic_Click()
{
    if (RichTextBox1->isBusy())
        return;
    RichTextBox1->SetSelItalic(RichTextBox1->SelItalic() != RichTextBox::Tri::On);
}

void frmMain::mnuUnderline_Click()
{
    if (RichTextBox1->isBusy())
        return;
    RichTextBox1->SetSelUnderline(RichTextBox1->SelUnderline() != RichTextBox::Tri::On);
}

void frmMain::mnuFont_Click()
{
    if (RichTextBox1->isBusy())
        return;
    CommonDialog1->CancelError = true;
    CommonDialog1->Flags = kFontDialogFlags;
    // The dialog opens with the selection's own format, so that changing
    // one thing keeps the rest.
    const QTextCharFormat start = RichTextBox1->SelStartFormat();
    const RtfContent::Format first = RtfWriter::formatOf(start, RichTextBox1->document()->defaultFont());
    CommonDialog1->FontName = first.family;
    CommonDialog1->FontSize = float(start.fontPointSize() > 0 ? start.fontPointSize()
                                                               : RichTextBox1->document()->defaultFont().pointSizeF());
    CommonDialog1->Color = first.colour ? qRgb(qRed(*first.colour), qGreen(*first.colour), qBlue(*first.colour))
                                        : FontDialog::AutomaticColor;
    CommonDialog1->FontBold = first.bold;
    CommonDialog1->FontItalic = first.italic;
    CommonDialog1->FontUnderline = first.underline;
    CommonDialog1->FontStrikethru = first.strike;
    if (!CommonDialog1->ShowFont(this))
        return;
    // One undo step and one pass over the selection for the whole choice.
    const RichTextBox::FormatGroup group(*RichTextBox1);
    RichTextBox1->SetSelFontName(CommonDialog1->FontName);
    RichTextBox1->SetSelFontSize(CommonDialog1->FontSize);
    RichTextBox1->SetSelColor(CommonDialog1->Color);
    RichTextBox1->SetSelBold(CommonDialog1->FontBold);
    RichTextBox1->SetSelItalic(CommonDialog1->FontItalic);
    RichTextBox1->SetSelUnderline(CommonDialog1->FontUnderline);
    RichTextBox1->SetSelStrikeThru(CommonDialog1->FontStrikethru);
}

void frmMain::optAlign_Click(int Index)
{
    RichTextBox1->SetSelAlignment(Index);
}
