// Times the sermon document's file and recovery paths on large documents,
// each beside a bare-Qt way of doing the same job:
//  - Save of a 5 MB RTF document (SermonDocument::save) beside
//    QTextDocument::toHtml written with QSaveFile;
//  - Open of that file into a shown editor, until the event loop is idle
//    (SermonDocument::open) beside QTextEdit::setHtml of the same document,
//    with the RTF reader's share on a document without a view;
//  - the GUI thread's part of one recovery write of a 400 KB document
//    (DocumentRecovery::writeNow) beside QTextDocument::clone, and the
//    worker's time until the file is on disk.
//  - Typing into a 1 MB and an 8 MB document, with spelling checked as you
//    type beside the same editor without it and a bare QTextEdit: each
//    keystroke until the event loop is idle (the view repainted, the
//    spelling marks of the paragraph put right);
//  - Open of a 32 MB text document, painted, with spelling on and off.
// Wall-clock medians and GUI-thread CPU medians over repeats: the machine
// may be shared. Usage: bench_document [repeats] [--recovery-only | --typing-only]
// For instruction counts of the GUI thread's part of a write:
//   valgrind --tool=callgrind --separate-threads=yes
//     --toggle-collect='DocumentRecovery::writeNow()' bench_document 2 --recovery-only
// (8 writes; thread 1's total over 8 is one write's count).

#include "Figures.h"
#include "editor/DocumentRecovery.h"
#include "editor/RichTextBox.h"
#include "editor/RtfReader.h"
#include "editor/SermonDocument.h"
#include "editor/TextDecorations.h"
#include "reference/ReferenceSchema.h"
#include "spelling/DocumentSpelling.h"
#include "spelling/SpellChecker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

struct Timing {
    double wallMs;
    double cpuMs;
};

// Runs job repeats times; prints the median and largest wall time and the
// median GUI-thread CPU time.
void report(const char *what, int repeats, const std::function<void()> &job)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        const double c0 = threadCpuMs();
        t.start();
        job();
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - c0);
    }
    std::printf("%-58s median %8.1f ms  max %8.1f ms  GUI-thread CPU median %8.1f ms\n", what, median(wall),
                *std::max_element(wall.begin(), wall.end()), median(cpu));
    std::fflush(stdout);
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// Sermon text: a centred bold heading every ten paragraphs, each paragraph
// with plain, coloured and italic runs, until the RTF has about rtfBytes.
void fill(QTextDocument *doc, qsizetype chars)
{
    QTextCursor c(doc);
    c.beginEditBlock();
    QTextCharFormat plain;
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(14);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    QTextCharFormat red;
    red.setForeground(QColor(160, 0, 0));
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    const QTextBlockFormat left;
    const QString body = QStringLiteral(
        "And the Lord spake unto Moses, saying, Speak unto the children of Israel, that they bring me an "
        "offering: of every man that giveth it willingly with his heart ye shall take my offering. ");
    qsizetype n = 0;
    for (int i = 0; n < chars; ++i) {
        if (i % 10 == 0) {
            c.insertBlock(centre);
            c.insertText(QStringLiteral("Part %1").arg(i / 10 + 1), heading);
        }
        c.insertBlock(left);
        c.insertText(body, plain);
        c.insertText(QStringLiteral("John 3:16 "), red);
        c.insertText(body, italic);
        c.insertText(body, plain);
        n += body.size() * 3 + 20;
    }
    c.endEditBlock();
}

// The KJV's word list the build made, when it made one.
QString bibleWords()
{
#ifdef VELLUMOR_LIBRARY_DATA
    const std::string_view file = ReferenceSchema::KjvWordsFile;
    return QDir(QStringLiteral(VELLUMOR_LIBRARY_DATA)).filePath(QString::fromLatin1(file.data(), qsizetype(file.size())));
#else
    return {};
#endif
}

std::shared_ptr<SpellChecker> loadChecker()
{
    const std::shared_ptr<SpellChecker> checker = SpellChecker::load(
        {SpellChecker::dictionaryFolders(), QLocale(QLocale::English, QLocale::UnitedStates), bibleWords(), QString()});
    std::printf("spelling: %s, %d words of the Bible's word list\n",
                checker->hasDictionary() ? "a Hunspell dictionary" : "NO DICTIONARY (install hunspell-en-us)",
                checker->bibleWordCount());
    return checker;
}

// Lets events run until the view is laid out to the end and nothing waits:
// a keystroke while Qt is still laying a long document out ends that layout
// early, and typing would be timed on a document cut short.
void settleFully(QTextEdit &edit, const TextDecorations *decorations)
{
    while (edit.document()->lastBlock().layout()->lineCount() == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 5 || (decorations && decorations->isPending()); ++i)
        QCoreApplication::processEvents();
}

// Keystrokes into a shown editor holding about `chars` of sermon text, the
// caret in a paragraph near the top; each until the event loop is idle.
// The plain editor, the checked one and a bare QTextEdit take turns in
// rounds, so that the machine's load falls on all three alike.
void typing(qsizetype chars, int keystrokes, const std::shared_ptr<SpellChecker> &checker)
{
    struct Editor {
        const char *name;
        std::unique_ptr<QTextEdit> edit;
        TextDecorations *decorations = nullptr;
        std::vector<double> wall, cpu;
    };
    Editor editors[3];
    editors[0].name = "without spelling (today)";
    editors[0].edit = std::make_unique<RichTextBox>(QStringLiteral("MS Sans Serif"));
    editors[1].name = "spelling checked as you type";
    editors[1].edit = std::make_unique<RichTextBox>(QStringLiteral("MS Sans Serif"));
    editors[2].name = "bare Qt: QTextEdit";
    editors[2].edit = std::make_unique<QTextEdit>();
    for (Editor &e : editors) {
        e.edit->resize(345, 497);
        e.edit->show();
        fill(e.edit->document(), chars);
        QTextCursor c(e.edit->document()->findBlockByNumber(12));
        c.movePosition(QTextCursor::EndOfBlock);
        e.edit->setTextCursor(c);
    }
    editors[1].decorations = new TextDecorations(editors[1].edit.get());
    new DocumentSpelling(editors[1].edit.get(), editors[1].decorations, checker);
    for (Editor &e : editors)
        settleFully(*e.edit, e.decorations);

    // Words right and wrong, so that marks come and go.
    const QString typed = QStringLiteral(" and teh preist spake unto them of grace");
    const int rounds = 4;
    for (int round = 0; round < rounds; ++round) {
        for (Editor &e : editors) {
            for (int k = 0; k < keystrokes / rounds; ++k) {
                const QChar key = typed.at((round * keystrokes / rounds + k) % typed.size());
                QElapsedTimer t;
                const double c0 = threadCpuMs();
                t.start();
                QTest::keyClick(e.edit.get(), key.toLatin1());
                for (int i = 0; i < 3 || (e.decorations && e.decorations->isPending()); ++i)
                    QCoreApplication::processEvents();
                e.wall.push_back(double(t.nsecsElapsed()) / 1e6);
                e.cpu.push_back(threadCpuMs() - c0);
            }
        }
    }
    // The writer looks at the end of the document, then types at the caret
    // again: the marks set down there must not make that key lay out all
    // that lies between.
    std::vector<double> afterLook;
    for (Editor &e : editors) {
        QTextCursor end(e.edit->document());
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("\nAmen, teh end.")); // something to mark down there
        settleFully(*e.edit, e.decorations);
        e.edit->verticalScrollBar()->setValue(e.edit->verticalScrollBar()->maximum());
        settleFully(*e.edit, e.decorations);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(e.edit.get(), 'a');
        for (int i = 0; i < 3 || (e.decorations && e.decorations->isPending()); ++i)
            QCoreApplication::processEvents();
        afterLook.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("Typing at %.0f MB, %d keystrokes each:\n", double(chars) / (1 << 20), keystrokes);
    for (std::size_t i = 0; i < std::size(editors); ++i) {
        const Editor &e = editors[i];
        const auto [wallMedian, wallWorst] = medianAndWorst(e.wall);
        std::printf("  %-42s median %7.2f ms  max %7.1f ms  GUI-thread CPU median %7.2f ms;"
                    "  first key after a look at the end %7.1f ms\n",
                    e.name, wallMedian, wallWorst, median(e.cpu), afterLook[i]);
    }
    std::printf("  marked on screen at the end: %d words\n", [&] {
        int n = 0;
        for (QTextBlock b = editors[1].edit->document()->begin(); b.isValid(); b = b.next())
            n += int(b.layout()->formats().size());
        return n;
    }());
    std::fflush(stdout);
}

// Open of a text file of about `bytes` into a shown editor, painted and
// idle, with and without spelling, taking turns.
void openLarge(const QTemporaryDir &dir, qsizetype bytes, int repeats, const std::shared_ptr<SpellChecker> &checker)
{
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    {
        QTextDocument doc;
        fill(&doc, bytes);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        // A slip on the first screen, for the checker to mark.
        f.write("Teh sermon on grace\n" + doc.toPlainText().toUtf8());
    }
    RichTextBox plain(QStringLiteral("MS Sans Serif"));
    RichTextBox checked(QStringLiteral("MS Sans Serif"));
    auto *decorations = new TextDecorations(&checked);
    new DocumentSpelling(&checked, decorations, checker);
    SermonDocument plainDoc;
    SermonDocument checkedDoc;
    plainDoc.setEditor(&plain);
    checkedDoc.setEditor(&checked);
    for (RichTextBox *box : {&plain, &checked}) {
        box->resize(345, 497);
        box->show();
    }
    settle();
    std::vector<double> wall[2], cpu[2];
    QString reason;
    for (int i = 0; i < repeats; ++i) {
        for (int which = 0; which < 2; ++which) {
            RichTextBox &box = which ? checked : plain;
            SermonDocument &doc = which ? checkedDoc : plainDoc;
            box.LoadText(QString());
            settle();
            QElapsedTimer t;
            const double c0 = threadCpuMs();
            t.start();
            doc.open(path, [](bool opened, const QString &why) {
                if (!opened)
                    std::fprintf(stderr, "open failed: %s\n", qPrintable(why));
            });
            while (box.isBusy())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
            for (int k = 0; k < 5 || (which && decorations->isPending()); ++k)
                QCoreApplication::processEvents();
            wall[which].push_back(double(t.nsecsElapsed()) / 1e6);
            cpu[which].push_back(threadCpuMs() - c0);
        }
    }
    std::printf("Open %.0f MB text, painted (SermonDocument::open), %d times each:\n", double(bytes) / (1 << 20),
                repeats);
    for (int which = 0; which < 2; ++which) {
        const auto [m, worst] = medianAndWorst(wall[which]);
        std::printf("  %-42s median %7.1f ms  max %7.1f ms  GUI-thread CPU median %7.1f ms\n",
                    which ? "spelling checked as you type" : "without spelling (today)", m, worst, median(cpu[which]));
    }
    int marks = 0;
    for (QTextBlock b = checked.document()->begin(); b.isValid() && b.blockNumber() < 200; b = b.next())
        marks += int(b.layout()->formats().size());
    std::printf("  marked in the first screenfuls: %d words\n", marks);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool recoveryOnly = argc > 2 && qstrcmp(argv[2], "--recovery-only") == 0;
    const bool typingOnly = argc > 2 && qstrcmp(argv[2], "--typing-only") == 0;
    QTemporaryDir dir;
    QString reason;

    // ------------------------------------------- typing and opening, spelling
    if (!recoveryOnly) {
        const std::shared_ptr<SpellChecker> checker = loadChecker();
        typing(1 << 20, 40, checker);
        typing(8 << 20, 20, checker);
        openLarge(dir, qsizetype(32) << 20, std::max(3, repeats), checker);
        std::printf("\n");
        if (typingOnly)
            return 0;
    }

    // ------------------------------------------------------ 5 MB RTF document
    if (!recoveryOnly) {
    RichTextBox editor(QStringLiteral("MS Sans Serif"));
    editor.resize(400, 600);
    editor.show();
    fill(editor.document(), 4'400'000);
    settle();
    SermonDocument doc;
    doc.setEditor(&editor);
    const QString rtfPath = dir.filePath(QStringLiteral("sermon.rtf"));
    if (!doc.save(rtfPath, SermonDocument::Format::RichText, &reason)) {
        std::fprintf(stderr, "save failed: %s\n", qPrintable(reason));
        return 1;
    }
    std::printf("document: %d characters, %d paragraphs, RTF file %.2f MB\n\n", editor.document()->characterCount(),
                editor.document()->blockCount(), double(QFileInfo(rtfPath).size()) / 1e6);

    report("Save 5 MB RTF (SermonDocument::save)", repeats,
           [&] { doc.save(rtfPath, SermonDocument::Format::RichText, &reason); });
    const QString htmlPath = dir.filePath(QStringLiteral("sermon.html"));
    report("  bare Qt: toHtml + QSaveFile", repeats, [&] {
        QSaveFile f(htmlPath);
        f.open(QIODevice::WriteOnly);
        f.write(editor.document()->toHtml().toUtf8());
        f.commit();
    });

    RichTextBox reader(QStringLiteral("MS Sans Serif"));
    reader.resize(400, 600);
    reader.show();
    SermonDocument opened;
    opened.setEditor(&reader);
    settle();
    report("Open 5 MB RTF, painted (SermonDocument::open)", repeats, [&] {
        opened.open(rtfPath, [](bool, const QString &) {});
        while (reader.isBusy())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        settle();
    });
    QFile rtfFile(rtfPath);
    rtfFile.open(QIODevice::ReadOnly);
    const QString rtf = QString::fromLatin1(rtfFile.readAll());
    report("  of which the RTF reader into a document without view", repeats, [&] {
        QTextDocument bare;
        QTextCursor cursor(&bare);
        RtfReader::insert(cursor, rtf);
    });
    QFile htmlFile(htmlPath);
    htmlFile.open(QIODevice::ReadOnly);
    const QString html = QString::fromUtf8(htmlFile.readAll());
    QTextEdit bareEdit;
    bareEdit.resize(400, 600);
    bareEdit.show();
    report("  bare Qt: QTextEdit::setHtml, painted", repeats, [&] {
        bareEdit.setHtml(html);
        settle();
    });
    }

    // ------------------------------------------------ 400 KB recovery write
    RichTextBox small(QStringLiteral("MS Sans Serif"));
    small.resize(400, 600);
    small.show();
    fill(small.document(), 400'000);
    settle();
    SermonDocument working;
    working.setEditor(&small);
    working.TextChanged = true;
    if (!working.startRecovery(dir.filePath(QStringLiteral("recovery")), &reason)) {
        std::fprintf(stderr, "recovery: %s\n", qPrintable(reason));
        return 1;
    }
    std::printf("\nrecovery document: %d characters\n", small.document()->characterCount());
    DocumentRecovery *recovery = working.recovery();
    QSignalSpy written(recovery, &DocumentRecovery::written);
    const int writes = repeats * 4;
    // As in use, each write finds the worker idle: the next one comes seconds later.
    std::vector<double> gui;
    std::vector<double> guiCpu;
    std::vector<double> worker;
    for (int i = 0; i < writes; ++i) {
        QElapsedTimer t;
        const double c0 = threadCpuMs();
        t.start();
        recovery->writeNow();
        gui.push_back(double(t.nsecsElapsed()) / 1e6);
        guiCpu.push_back(threadCpuMs() - c0);
        recovery->waitForWorker();
        worker.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(gui.begin(), gui.end());
    std::sort(guiCpu.begin(), guiCpu.end());
    std::printf("%-58s median %8.1f ms  p90 %6.1f ms  max %6.1f ms (%d writes)\n",
                "Recovery write, GUI thread part (writeNow), 400 KB", median(gui), gui[gui.size() * 9 / 10],
                gui.back(), writes);
    std::printf("%-58s median %8.1f ms  p90 %6.1f ms  max %6.1f ms\n", "  its GUI-thread CPU time", median(guiCpu),
                guiCpu[guiCpu.size() * 9 / 10], guiCpu.back());
    std::printf("%-58s median %8.1f ms\n", "  whole write until on disk (worker)", median(worker));
    report("  bare Qt: QTextDocument::clone of the same document", writes,
           [&] { delete small.document()->clone(); });
    std::printf("recovery file: %.2f MB\n", double(QFileInfo(recovery->filePath()).size()) / 1e6);
    working.endSession();
    return 0;
}
