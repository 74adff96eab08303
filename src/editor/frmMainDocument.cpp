#include "app/CommonDialog.h"
#include "app/frmMain.h"
#include "editor/DocumentFile.h"
#include "editor/RichTextBox.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QString TitlePrefix = QStringLiteral("Text Editor - ");

QString documentTitle(const QString &path)
{
    return TitlePrefix + QDir::toNativeSeparators(path);
}

// The program's own replacement of the whole text is not an edit: exactly
// its notification is skipped, and none is left pending for the user's next
// keystroke should the editor have raised nothing. False (with the reason)
// when the editor cannot hold the text; the document is then unchanged.
bool replaceDocumentText(frmMain &w, const QString &text, QString *reason = nullptr)
{
    w.SkipNextChange = true;
    const bool loaded = w.RichTextBox1->LoadText(text, reason);
    w.SkipNextChange = false;
    return loaded;
}

void reportFileProblem(QWidget *parent, const QString &what, const QString &path, const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                    QStringLiteral("%1 \"%2\".\n\n%3").arg(what, QDir::toNativeSeparators(path), reason),
                    QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void frmMain::RichTextBox1_Change()
{
    if (SkipNextChange) {
        SkipNextChange = false;
        return;
    }
    TextChanged = true;
}

bool frmMain::SaveChanges()
{
    if (!TextChanged)
        return true;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Text has changed"), QStringLiteral("Save changes to text?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        SaveDocument();
        // A cancelled save dialog or a failed write leaves the edits unsaved:
        // the caller must not discard them.
        return !TextChanged;
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool frmMain::confirmExit()
{
    return SaveChanges();
}

void frmMain::SaveDocument()
{
    const QString text = RichTextBox1->Text();
    const bool named = !CurrentFile.isEmpty();
    if (!named) {
        CommonDialog1->ShowSave(this);
        CurrentFile = CommonDialog1->FileName;
        if (CurrentFile.isEmpty()) {
            CurrentFile = PreviousFile;
            return;
        }
    }
    QString reason;
    if (!DocumentFile::write(CurrentFile, text, &reason)) {
        const QString failed = CurrentFile;
        // The document keeps the name and title it had before the command.
        if (!named)
            CurrentFile = PreviousFile;
        reportFileProblem(this, QStringLiteral("The document could not be saved to"), failed, reason);
        return;
    }
    if (!named)
        setWindowTitle(documentTitle(CurrentFile));
    TextChanged = false;
}

void frmMain::mnuSaveFile_Click()
{
    SaveDocument();
}

void frmMain::mnuFileSaveAs_Click()
{
    PreviousFile = CurrentFile;
    CurrentFile.clear();
    SaveDocument();
}

void frmMain::mnuFileNew_Click()
{
    if (!SaveChanges())
        return;
    replaceDocumentText(*this, QString());
    CurrentFile.clear();
    // A name set aside by an earlier Save As must not come back to an
    // untitled document when its first save dialog is cancelled.
    PreviousFile.clear();
    setWindowTitle(TitlePrefix + QStringLiteral("Untitled"));
    TextChanged = false;
}

void frmMain::mnuFileOpen_Click()
{
    if (!SaveChanges())
        return;
    CommonDialog1->FilterIndex = 1;
    CommonDialog1->ShowOpen(this);
    const QString path = CommonDialog1->FileName;
    if (path.isEmpty())
        return;
    openDocumentFile(path);
}

bool frmMain::openDocumentFile(const QString &path)
{
    QString reason;
    const std::optional<QString> text = DocumentFile::read(path, &reason);
    if (!text) {
        reportFileProblem(this, QStringLiteral("The document could not be opened from"), path, reason);
        return false;
    }
    if (!replaceDocumentText(*this, *text, &reason)) {
        reportFileProblem(this, QStringLiteral("The document could not be opened from"), path, reason);
        return false;
    }
    CurrentFile = path;
    setWindowTitle(documentTitle(CurrentFile));
    TextChanged = false;
    return true;
}

void frmMain::mnuFilePrint_Click()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"),
                        QStringLiteral("No printer is installed."), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(CurrentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(CurrentFile).fileName());
    RichTextBox1->SelPrint(&printer);
    if (printer.printerState() == QPrinter::Error) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                        QStringLiteral("The document could not be printed on \"%1\".").arg(info.printerName()),
                        QMessageBox::Ok, this);
        box.exec();
    }
}
