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
// Wall-clock medians and GUI-thread CPU medians over repeats: the machine
// may be shared. Usage: bench_document [repeats] [--recovery-only]
// For instruction counts of the GUI thread's part of a write:
//   valgrind --tool=callgrind --separate-threads=yes
//     --toggle-collect='DocumentRecovery::writeNow()' bench_document 2 --recovery-only
// (8 writes; thread 1's total over 8 is one write's count).

#include "Figures.h"
#include "editor/DocumentRecovery.h"
#include "editor/RichTextBox.h"
#include "editor/RtfReader.h"
#include "editor/SermonDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool recoveryOnly = argc > 2 && qstrcmp(argv[2], "--recovery-only") == 0;
    QTemporaryDir dir;
    QString reason;

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
