#include "app/CommonDialog.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/FileDropFilter.h"
#include "editor/PrintJob.h"
#include "editor/RichTextBox.h"
#include "editor/SermonDocument.h"

#include <QApplication>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
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

// Asked before formatting would be lost to a plain text file: Save keeps
// it as rich text, Discard lets it go.
QMessageBox::StandardButton askKeepFormatting(QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                    QStringLiteral("This document has formatting (bold, fonts, colours or alignment) that a plain "
                                   "text file cannot keep."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Save)->setText(QStringLiteral("Save as Rich Text"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("Save as Plain Text"));
    // Both save: no waste-bin picture on the plain text one.
    box.button(QMessageBox::Discard)->setIcon(box.button(QMessageBox::Save)->icon());
    box.setDefaultButton(QMessageBox::Save);
    return QMessageBox::StandardButton(box.exec());
}

// The same name with ".rtf" in place of its extension.
QString richTextName(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".rtf"));
}

// Whether to write over a file; No is the safe answer and the default.
bool confirmReplace(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

void frmMain::setUpDocument()
{
    Document->setEditor(RichTextBox1);
    connect(RichTextBox1, &RichTextBox::busyChanged, this, &frmMain::RichTextBox1_busyChanged);
    // A file dropped onto the document or the window opens as File, Open would.
    auto *drops = new FileDropFilter(
        [this](const QString &path) {
            if (!RichTextBox1->isBusy() && SaveChanges())
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

void frmMain::RichTextBox1_busyChanged(bool busy)
{
    // Nothing may touch the document while a long command works on it.
    for (QAction *a : {mnuFileNew, mnuFileOpen, mnuSaveFile, mnuFileSaveAs, mnuFilePrint, mnuAllCaps, mnuFont,
                       mnuBold, mnuUnderline, mnuFindText3, mnuItalic, mnuClearAll, mnuEditCut, mnuEditCopy,
                       mnuEditPaste})
        a->setEnabled(!busy);
    for (QWidget *w : {static_cast<QWidget *>(cmdUpperCase), static_cast<QWidget *>(cmdLowerCase),
                       static_cast<QWidget *>(optAlign[0]), static_cast<QWidget *>(optAlign[1]),
                       static_cast<QWidget *>(optAlign[2]), static_cast<QWidget *>(txtTextBox3),
                       static_cast<QWidget *>(rnbFind3), static_cast<QWidget *>(rnbFindNext3)})
        w->setEnabled(!busy);
    if (busy)
        return;
    // A close or exit asked for during a command that cannot be cancelled.
    if (std::exchange(m_exitWhenIdle, false))
        QTimer::singleShot(0, this, &frmMain::mnuFileExit_Click);
    else if (std::exchange(m_closeWhenIdle, false))
        QTimer::singleShot(0, this, &QWidget::close);
}

bool frmMain::stopLongCommand()
{
    EditorJob *job = RichTextBox1->job();
    if (!job)
        return true;
    if (!job->isCancellable())
        return false;
    job->cancel(); // the document stays as it was before the command
    return true;
}

void frmMain::RichTextBox1_Change()
{
    Document->editorChanged();
}

bool frmMain::SaveChanges()
{
    if (RichTextBox1->isBusy())
        return false;
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
    if (RichTextBox1->isBusy())
        return;
    const bool named = !CurrentFile.isEmpty();
    QString path = CurrentFile;
    bool richTypeChosen = Document->fileFormat() == SermonDocument::Format::RichText;
    // Cancelled or failed: the document keeps the name and title it had.
    const auto keepName = [this, named] {
        if (!named)
            CurrentFile = PreviousFile;
    };
    if (!named) {
        CommonDialog1->ShowSave(this);
        path = CommonDialog1->FileName;
        if (path.isEmpty()) {
            keepName();
            return;
        }
        richTypeChosen = CommonDialog1->FilterIndex == SermonDocument::RichTextFilterIndex;
    }
    SermonDocument::Format format = SermonDocument::formatFor(path, richTypeChosen);
    // Formatting is never dropped unasked; asked once per name.
    bool agreedToPlain = false;
    if (format == SermonDocument::Format::PlainText && !Document->plainTextAgreed(path) && Document->hasFormatting()) {
        switch (askKeepFormatting(this)) {
        case QMessageBox::Save: {
            const QString rich = richTextName(path);
            if (QFileInfo::exists(rich)
                && !confirmReplace(this, QStringLiteral("\"%1\" already exists.\nDo you want to replace it?")
                                             .arg(QDir::toNativeSeparators(rich)))) {
                keepName();
                return;
            }
            path = rich;
            format = SermonDocument::Format::RichText;
            break;
        }
        case QMessageBox::Discard:
            agreedToPlain = true;
            break;
        default:
            keepName();
            return;
        }
    }
    // Written at once, without a dialog: another program's changes are not
    // overwritten unasked. No leaves both as they are.
    if (named && path == CurrentFile && Document->changedOnDisk()
        && !confirmReplace(this, QStringLiteral("The file has been changed by another program since it was opened. "
                                                "Replace it with this document?")))
        return;
    QString reason;
    if (!Document->save(path, format, &reason)) {
        keepName();
        reportFileProblem(this, saveFailed(), path, reason);
        return;
    }
    if (agreedToPlain)
        Document->agreePlainText(path);
    const bool renamed = path != CurrentFile;
    CurrentFile = path;
    if (!named || renamed)
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
    if (RichTextBox1->isBusy() || !SaveChanges())
        return;
    if (Document->clear())
        setWindowTitle(documentTitle(QString()));
}

void frmMain::mnuFileOpen_Click()
{
    if (RichTextBox1->isBusy() || !SaveChanges())
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
    // Whether it failed before this returns; a long file is still loading then.
    auto failed = std::make_shared<bool>(false);
    Document->open(path, [this, path, failed](bool opened, const QString &reason) {
        if (opened) {
            setWindowTitle(documentTitle(CurrentFile));
            return;
        }
        *failed = true;
        if (!reason.isEmpty()) // cancelled by the user: nothing to say
            reportFileProblem(this, QStringLiteral("The document could not be opened from"), path, reason);
    });
    return !*failed;
}

// ------------------------------------------------------------------- printing

void frmMain::mnuFilePrint_Click()
{
    if (RichTextBox1->isBusy())
        return;
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
    const QString printer = info.printerName();
    auto *job = new PrintJob(RichTextBox1, {printer, QString(), printTitle()});
    connect(job, &EditorJob::finished, this, [this, printer](EditorJob::Outcome outcome, const QString &reason) {
        if (outcome != EditorJob::Outcome::Refused)
            return;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"),
                        QStringLiteral("The document could not be printed on \"%1\".\n\n%2").arg(printer, reason),
                        QMessageBox::Ok, this);
        box.exec();
    });
    job->start();
}

QString frmMain::printTitle() const
{
    return CurrentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(CurrentFile).fileName();
}

void frmMain::savePdf()
{
    const QString path = CommonDialog1->ShowSaveWithFilter(this, QStringLiteral("PDF files (*.pdf)|*.pdf"));
    if (path.isEmpty())
        return;
    auto *job = new PrintJob(RichTextBox1, {QString(), path, printTitle()});
    connect(job, &EditorJob::finished, this, [this, path](EditorJob::Outcome outcome, const QString &reason) {
        if (outcome == EditorJob::Outcome::Refused)
            reportFileProblem(this, saveFailed(), path, reason);
    });
    job->start();
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
    m_orphans = Document->recovery()->takeOrphans();
    offerNextRecovered();
}

void frmMain::openFromCommandLine(const QString &path)
{
    if (!m_orphans.empty() || m_offeringRecovered) {
        m_openAfterRecovery = path;
        return;
    }
    if (!RichTextBox1->isBusy() && SaveChanges())
        openDocumentFile(path);
}

void frmMain::openAfterRecovery()
{
    const QString path = std::exchange(m_openAfterRecovery, QString());
    if (path.isEmpty())
        return;
    if (std::exchange(m_recoveredMeanwhile, false)) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"),
                        QStringLiteral("The unsaved document was recovered, so \"%1\" was not opened. Save the "
                                       "recovered document, then open the file with File, Open.")
                            .arg(QDir::toNativeSeparators(path)),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    openFromCommandLine(path);
}

void frmMain::offerNextRecovered()
{
    if (m_orphans.empty()) {
        m_offeringRecovered = false;
        openAfterRecovery();
        return;
    }
    // Asked once the window is up, no other question is showing and the
    // editor is not busy with a long command.
    if (!isVisible() || QApplication::activeModalWidget() || RichTextBox1->isBusy()) {
        QTimer::singleShot(100, this, &frmMain::offerNextRecovered);
        return;
    }
    DocumentRecovery::Orphan orphan = std::move(m_orphans.front());
    m_orphans.erase(m_orphans.begin());
    m_offeringRecovered = true;
    const auto next = [this] { QTimer::singleShot(0, this, &frmMain::offerNextRecovered); };
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
        next();
        return;
    }
    const DocumentRecovery::Contents c = *orphan.contents;
    const QString name = c.fileName.isEmpty() ? QStringLiteral("Untitled")
                                              : QStringLiteral("\"%1\"").arg(QFileInfo(c.fileName).fileName());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vellumor"),
                    QStringLiteral("Vellumor was not closed properly. Recover the unsaved document %1 from %2?")
                        .arg(name, QLocale().toString(c.time.toLocalTime(), QLocale::ShortFormat)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes) {
        orphan.remove(nullptr);
        next();
        return;
    }
    // A document recovered before (or typed meanwhile) is not replaced unasked.
    if (!SaveChanges()) {
        orphan.release();
        next();
        return;
    }
    // Kept locked until the recovered document is in, or could not be.
    auto held = std::make_shared<DocumentRecovery::Orphan>(std::move(orphan));
    Document->restore(c, [this, held, next](bool restored, const QString &reason) {
        if (!restored) {
            held->release();
            if (!reason.isEmpty()) {
                QMessageBox failed(QMessageBox::Warning, QStringLiteral("Vellumor"),
                                   QStringLiteral("The unsaved document could not be recovered; its recovery file "
                                                  "\"%1\" is kept.\n\n%2")
                                       .arg(QDir::toNativeSeparators(held->path), reason),
                                   QMessageBox::Ok, this);
                failed.exec();
            }
            next();
            return;
        }
        setWindowTitle(documentTitle(CurrentFile));
        Document->recovery()->removeAfterWrites(std::move(*held));
        if (!m_openAfterRecovery.isEmpty())
            m_recoveredMeanwhile = true;
        next();
    });
}
