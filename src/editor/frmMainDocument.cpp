#include "app/CommonDialog.h"
#include "app/frmMain.h"
#include "editor/FileDropFilter.h"
#include "editor/RichTextBox.h"
#include "editor/SermonDocument.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

namespace {

const QString TitlePrefix = QStringLiteral("Text Editor - ");

QString documentTitle(const QString &path)
{
    return TitlePrefix + (path.isEmpty() ? QStringLiteral("Untitled") : QDir::toNativeSeparators(path));
}

void reportFileProblem(QWidget *parent, const QString &what, const QString &path, const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                    QStringLiteral("%1 \"%2\".\n\n%3").arg(what, QDir::toNativeSeparators(path), reason),
                    QMessageBox::Ok, parent);
    box.exec();
}

QString saveFailed()
{
    return QStringLiteral("The document could not be saved to");
}

} // namespace

void frmMain::setUpDocument()
{
    Document->setEditor(RichTextBox1);
    // A file dropped onto the document or the window opens as File, Open would.
    auto *drops = new FileDropFilter(
        [this](const QString &path) {
            if (SaveChanges())
                openDocumentFile(path);
        },
        this);
    drops->setObjectName(QStringLiteral("fileDropFilter"));
    drops->watch(RichTextBox1->viewport());
    drops->watch(this);
    // Said once a run: the document itself is unharmed, only its safety copy failed.
    connect(Document->recovery(), &DocumentRecovery::writeFailed, this, [this](const QString &reason) {
        if (m_recoveryWarned)
            return;
        m_recoveryWarned = true;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                        QStringLiteral("Unsaved changes could not be kept for recovery after a crash.\n\n%1\n\n"
                                       "Save the document to keep them safe.")
                            .arg(reason),
                        QMessageBox::Ok, this);
        box.exec();
    });
}

void frmMain::RichTextBox1_Change()
{
    Document->editorChanged();
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
    if (!SaveChanges())
        return false;
    // The user has decided about the changes: nothing is left to recover.
    Document->endSession();
    return true;
}

void frmMain::SaveDocument()
{
    const bool named = !CurrentFile.isEmpty();
    SermonDocument::Format format = Document->fileFormat();
    if (!named) {
        CommonDialog1->ShowSave(this);
        CurrentFile = CommonDialog1->FileName;
        if (CurrentFile.isEmpty()) {
            CurrentFile = PreviousFile;
            return;
        }
        format = SermonDocument::formatFor(CurrentFile,
                                           CommonDialog1->FilterIndex == SermonDocument::RichTextFilterIndex);
    }
    QString reason;
    if (!Document->save(CurrentFile, format, &reason)) {
        const QString failed = CurrentFile;
        // The document keeps the name and title it had before the command.
        if (!named)
            CurrentFile = PreviousFile;
        reportFileProblem(this, saveFailed(), failed, reason);
        return;
    }
    if (!named)
        setWindowTitle(documentTitle(CurrentFile));
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
    Document->clear();
    setWindowTitle(documentTitle(QString()));
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
    if (!Document->open(path, &reason)) {
        reportFileProblem(this, QStringLiteral("The document could not be opened from"), path, reason);
        return false;
    }
    setWindowTitle(documentTitle(CurrentFile));
    return true;
}

// ------------------------------------------------------------------- printing

void frmMain::mnuFilePrint_Click()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty()) {
            QMessageBox box(QMessageBox::Question, QStringLiteral("Vellumor"),
                            QStringLiteral("No printer is installed. Save the document as a PDF instead?"),
                            QMessageBox::Yes | QMessageBox::No, this);
            box.setDefaultButton(QMessageBox::Yes);
            if (box.exec() == QMessageBox::Yes)
                savePdf();
            return;
        }
        if (printers.size() == 1) {
            info = printers.first();
        } else {
            QStringList names;
            for (const QPrinterInfo &p : printers)
                names << p.printerName();
            bool chosen = false;
            const QString name = QInputDialog::getItem(
                this, QStringLiteral("Print"),
                QStringLiteral("No default printer is set. Print on one of these printers:"), names, 0, false,
                &chosen);
            if (!chosen)
                return;
            info = QPrinterInfo::printerInfo(name);
        }
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

void frmMain::savePdf()
{
    const QString path = CommonDialog1->ShowSaveWithFilter(this, QStringLiteral("PDF files (*.pdf)|*.pdf"));
    if (path.isEmpty())
        return;
    QString reason;
    if (!Document->writePdf(path, &reason))
        reportFileProblem(this, saveFailed(), path, reason);
}

// ------------------------------------------------------------------- recovery

void frmMain::enableRecovery(const QString &folder)
{
    QString reason;
    if (!Document->startRecovery(folder.isEmpty() ? DocumentRecovery::defaultFolder() : folder, &reason)) {
        QTimer::singleShot(0, this, [this, reason] {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                            QStringLiteral("Unsaved changes cannot be kept for recovery after a crash.\n\n%1")
                                .arg(reason),
                            QMessageBox::Ok, this);
            box.exec();
        });
        return;
    }
    offerRecoveredDocuments();
}

void frmMain::offerRecoveredDocuments()
{
    // Asked once the window is up and no other question is showing.
    if (!isVisible() || QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, &frmMain::offerRecoveredDocuments);
        return;
    }
    std::vector<DocumentRecovery::Orphan> orphans = Document->recovery()->takeOrphans();
    for (DocumentRecovery::Orphan &orphan : orphans) {
        if (!orphan.contents) {
            QString kept;
            QString reason;
            const QString text = orphan.setAside(&kept, &reason)
                                     ? QStringLiteral("A recovery file could not be read, so it was set aside as "
                                                      "\"%1\".\n\n%2")
                                           .arg(QDir::toNativeSeparators(kept), orphan.problem)
                                     : QStringLiteral("A recovery file could not be read: \"%1\".\n\n%2\n\n"
                                                      "It could not be set aside either: %3")
                                           .arg(QDir::toNativeSeparators(orphan.path), orphan.problem, reason);
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"), text, QMessageBox::Ok, this);
            box.exec();
            continue;
        }
        const DocumentRecovery::Contents &c = *orphan.contents;
        const QString name = c.fileName.isEmpty() ? QStringLiteral("Untitled")
                                                  : QStringLiteral("\"%1\"").arg(QFileInfo(c.fileName).fileName());
        QMessageBox box(QMessageBox::Question, QStringLiteral("Vellumor"),
                        QStringLiteral("Vellumor was not closed properly. Recover the unsaved document %1 from %2?")
                            .arg(name, QLocale().toString(c.time.toLocalTime(), QLocale::ShortFormat)),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::Yes);
        if (box.exec() != QMessageBox::Yes) {
            orphan.remove(nullptr);
            continue;
        }
        // A document recovered before (or typed meanwhile) is not replaced unasked.
        if (!SaveChanges()) {
            orphan.release();
            continue;
        }
        QString reason;
        if (!Document->restore(c, &reason)) {
            orphan.release();
            QMessageBox failed(QMessageBox::Warning, QStringLiteral("Vellumor"),
                               QStringLiteral("The unsaved document could not be recovered; its recovery file "
                                              "\"%1\" is kept.\n\n%2")
                                   .arg(QDir::toNativeSeparators(orphan.path), reason),
                               QMessageBox::Ok, this);
            failed.exec();
            continue;
        }
        setWindowTitle(documentTitle(CurrentFile));
        Document->recovery()->removeAfterWrites(std::move(orphan));
    }
}
