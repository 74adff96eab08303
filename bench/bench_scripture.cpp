// Times Scripture in the sermon document, each beside bare Qt in the same run:
//  - Insert Scripture of Psalm 119 (176 verses, some 14,000 characters): the
//    command from reading bible.db to the passage in the shown editor, and
//    until painted, beside QTextCursor::insertText of the same text in the
//    same editor;
//  - typing in a sermon of 1 and 8 MB full of references, each key until
//    the editor has painted, and paging up through it, with the live
//    references attached to the editor and without them.
// Wall-clock and GUI-thread CPU medians over repeats: the machine may be
// shared. Run under a real X server (Xvfb) for figures that include painting.
//   bench_scripture [data folder holding bible.db] [repeats=9]

#include "Figures.h"
#include "app/AppSetup.h"
#include "editor/RichTextBox.h"
#include "reference/DataSource.h"
#include "scripture/BibleText.h"
#include "scripture/ScriptureCommands.h"

#include <BuildConfig.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The editor's design size in the main window, in pixels.
constexpr int EditorWidth = 345;
constexpr int EditorHeight = 497;

struct Figures {
    std::vector<double> wall;
    std::vector<double> cpu;
    void print(const char *what) const
    {
        const auto [wallMedian, wallWorst] = medianAndWorst(wall);
        std::printf("  %-50s median %7.2f ms  max %7.2f ms  GUI-thread CPU median %7.2f ms\n", what, wallMedian,
                    wallWorst, median(cpu));
        std::fflush(stdout);
    }
};

// Notes that the watched widget has painted.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *w) { w->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void untilPainted(PaintWatch &watch)
{
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted && limit.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

void settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

// Times job (and, with watch, the paint after it).
void time(Figures &f, const std::function<void()> &job, PaintWatch *watch = nullptr)
{
    if (watch)
        watch->painted = false;
    QElapsedTimer t;
    const double c0 = threadCpuMs();
    t.start();
    job();
    if (watch)
        untilPainted(*watch);
    f.wall.push_back(double(t.nsecsElapsed()) / 1e6);
    f.cpu.push_back(threadCpuMs() - c0);
}

// A sermon of about `bytes` characters, references every few lines.
QString sermonOf(qsizetype bytes)
{
    const QString paragraph = QStringLiteral(
        "Brethren, the love of God is no idea of ours: as John 3:16 says, he gave his Son. Paul writes in "
        "rom 8:28-30 that all things work together for good, and the psalmist sings in Ps 23 of the shepherd. "
        "Read Gen 1:26-2:3; Heb 4:9 and consider the rest that remains for the people of God. Grace, said one, "
        "is love that stoops; we must not think it cheap because it is free.\n");
    return paragraph.repeated(bytes / paragraph.size() + 1).left(bytes);
}

void insertPsalm119(const QString &dataDir, int repeats)
{
    DataSource bible;
    QString problem;
    if (!bible.open(QDir(dataDir).filePath(QStringLiteral("bible.db")), ReferenceSchema::Bible, &problem)) {
        std::fprintf(stderr, "bible.db: %s\n", qPrintable(problem));
        return;
    }
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(EditorWidth, EditorHeight);
    box.show();
    PaintWatch watch(box.viewport());
    settle();
    const QString passage = BibleText(&bible).passage(*BibleReference::parseList(u"Ps 119"))->join(QLatin1Char('\n'));
    std::printf("Insert Scripture, Psalm 119 (%lld characters), into a short document\n", qlonglong(passage.size()));

    Figures command, commandPainted, bare, barePainted;
    for (int i = 0; i < repeats; ++i) {
        for (const bool painted : {false, true}) {
            // A fresh command each time: nothing of bible.db kept from before.
            box.LoadText(QStringLiteral("The law of the LORD is perfect: Ps 119"));
            box.moveCursor(QTextCursor::End);
            ScriptureCommands commands(&box, &box, nullptr, &bible, {});
            settle();
            time(painted ? commandPainted : command, [&] { commands.insertScripture(); }, painted ? &watch : nullptr);
            if (box.Text().size() < passage.size())
                std::fprintf(stderr, "the passage did not go in\n");

            box.LoadText(QStringLiteral("The law of the LORD is perfect: "));
            box.moveCursor(QTextCursor::End);
            settle();
            time(painted ? barePainted : bare, [&] { box.textCursor().insertText(passage); },
                 painted ? &watch : nullptr);
        }
    }
    command.print("Insert Scripture (read, set out, insert)");
    commandPainted.print("Insert Scripture, until painted");
    bare.print("bare QTextCursor::insertText of the same text");
    barePainted.print("bare insertText, until painted");
}

void typeAndScroll(const QString &dataDir, int repeats)
{
    DataSource bible;
    if (!bible.open(QDir(dataDir).filePath(QStringLiteral("bible.db")), ReferenceSchema::Bible))
        return;
    for (const int mb : {1, 8}) {
        const QString text = sermonOf(qsizetype(mb) << 20);
        std::printf("\nA %d MB sermon: 60 keys typed mid-document, each until painted; 40 pages up\n", mb);
        for (const bool live : {false, true}) {
            RichTextBox box(QStringLiteral("MS Sans Serif"));
            box.resize(EditorWidth, EditorHeight);
            box.show();
            box.activateWindow();
            box.setFocus();
            box.LoadText(text);
            // A long text is loaded as a job of the editor's.
            while (box.isBusy())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
            std::unique_ptr<ScriptureCommands> commands;
            if (live)
                commands = std::make_unique<ScriptureCommands>(&box, &box, nullptr, &bible, [](const BibleReference &) {});
            PaintWatch watch(box.viewport());
            box.setSelection(int(text.size() / 2), 0);
            box.ensureCursorVisible();
            settle();
            Figures keys, pages;
            for (int r = 0; r < repeats; ++r) {
                for (int k = 0; k < 60; ++k) {
                    const QChar c = QLatin1Char("amen "[k % 5]);
                    time(keys, [&] {
                        QKeyEvent press(QEvent::KeyPress, c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, c);
                        QKeyEvent release(QEvent::KeyRelease, c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A, Qt::NoModifier, c);
                        QCoreApplication::sendEvent(&box, &press);
                        QCoreApplication::sendEvent(&box, &release);
                    }, &watch);
                }
                QScrollBar *bar = box.verticalScrollBar();
                // Up from the caret: Qt lays a long document out only as far as it is shown.
                for (int p = 0; p < 40 && bar->value() >= bar->pageStep(); ++p)
                    time(pages, [&] { bar->setValue(bar->value() - bar->pageStep()); }, &watch);
                box.ensureCursorVisible();
                settle();
            }
            keys.print(live ? "a key, live references" : "a key, without live references");
            pages.print(live ? "a page up, live references" : "a page up, without live references");
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppSetup::installFontSubstitutes();
    const QString dataDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELLUMOR_DATA_DIR);
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 9;
    insertPsalm119(dataDir, repeats);
    typeAndScroll(dataDir, std::max(1, repeats / 3));
    return 0;
}
