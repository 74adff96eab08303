// Times what the user does with large content in the document editor, at
// 1, 2, 4, 8, 16 and 32 MB: Open (the file read and LoadText), Paste of
// plain text and of RTF (SetSelRTF) at the end of a short document, and the
// Font command (size, name, effects) over a selection of everything.
// Beside it, a bare QTextEdit doing the same with Qt's plain calls
// (setPlainText, insertText, mergeCharFormat), run in a child process that
// is given up on after a time limit, since it may never finish.
//
// For each: the time until the call returned and until the view had
// painted, and the longest time the event loop did not turn (the window
// not answering) from the start until a second after the call. Wall
// clock, median of the runs; on a loaded machine the stalls grow with the
// load. Run under a real X server (Xvfb) for figures that include painting.
// Open also tells when the text was first shown (the editor's open returns
// once the whole text is laid out and may be edited), and the baseline how
// long Qt takes to lay all of it out.
//
//   bench_large_documents [runs=3] [largest MB=32] [operation...]
//   operations: open paste-text paste-rtf format repro
// repro runs the hostile cases once each (not in the default list): the
// time, the longest stall, and whether the editor took the content or
// refused it with a message; among them the files and commands that used
// to stall the window (a line without spaces, many runs in a paragraph,
// Save As RTF, printing, select all and copy, Bold on a large document).
// REPRO_CASE=<part of a name> picks cases.

#include "Figures.h"
#include "SampleText.h"
#include "app/AppSetup.h"
#include "editor/DocumentFile.h"
#include "editor/PrintJob.h"
#include "editor/RichTextBox.h"
#include "editor/SermonDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The editor's design size in the main window, in pixels.
constexpr int EditorWidth = 345;
constexpr int EditorHeight = 497;
constexpr int BaselineLimitSeconds = 60;

// Notes when a widget has painted, and the longest gap between turns of
// the event loop.
class Watch : public QObject {
public:
    explicit Watch(QWidget *viewport)
        : m_viewport(viewport)
    {
        viewport->installEventFilter(this);
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_stall = std::max(m_stall, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_stall = 0;
        m_painted = -1;
        m_shown = -1;
        m_tick.start();
    }
    double ms() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    double paintedMs() const { return double(m_painted) / 1e6; }
    // The first paint after the start: an open shows its text while its
    // job still lays out the rest.
    double shownMs() const { return double(m_shown) / 1e6; }
    // What must be true of a paint for it to show the new content.
    std::function<bool()> shownWhen;
    // Paints before this count for the content shown before the action.
    void returned() { m_painted = -1; }
    double stallMs()
    {
        const qint64 now = m_clock.nsecsElapsed();
        return double(std::max(m_stall, now - m_last)) / 1e6;
    }
    // Lets events run until painted, then for another second.
    void settle()
    {
        while (m_painted < 0 && m_clock.elapsed() < 120'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        const qint64 until = m_clock.elapsed() + 1000;
        while (m_clock.elapsed() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        m_tick.stop();
    }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_viewport && e->type() == QEvent::Paint && m_clock.isValid()) {
            if (m_painted < 0)
                m_painted = m_clock.nsecsElapsed();
            if (m_shown < 0 && (!shownWhen || shownWhen()))
                m_shown = m_clock.nsecsElapsed();
        }
        return false;
    }

private:
    QWidget *m_viewport;
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_stall = 0;
    qint64 m_painted = -1;
    qint64 m_shown = -1;
};

struct Sample {
    double returned = 0;
    double painted = 0;
    double stall = 0;
    double shown = 0;
};

// Lets events run until the editor has ended its long command, if any.
void waitUntilDone(QTextEdit &edit)
{
    const auto *box = qobject_cast<RichTextBox *>(&edit);
    while (box && box->isBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// Prepares the editor (not timed), then times action, until the editor
// has done it (a long command runs as a job after the call returns).
Sample measure(QTextEdit &edit, const std::function<void()> &prepare, const std::function<void()> &action)
{
    prepare();
    waitUntilDone(edit);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    Watch watch(edit.viewport());
    // Every action starts from a document without text, or with a line.
    watch.shownWhen = [&edit] { return edit.document()->characterCount() > 100; };
    watch.start();
    action();
    waitUntilDone(edit);
    Sample s;
    s.returned = watch.ms();
    s.shown = watch.shownMs();
    watch.returned();
    edit.viewport()->update();
    watch.settle();
    s.painted = watch.paintedMs();
    s.stall = watch.stallMs();
    return s;
}

using Operation = std::function<Sample(QTextEdit &edit, qsizetype bytes, const QString &file)>;

Sample runVellumor(const QString &op, QTextEdit &edit, qsizetype bytes, const QString &file)
{
    auto &box = static_cast<RichTextBox &>(edit);
    if (op == QLatin1String("open")) {
        return measure(
            edit, [&] { box.LoadText(QString()); },
            [&] {
                QString reason;
                const std::optional<QString> text = DocumentFile::read(file, &reason);
                if (!text) {
                    std::fprintf(stderr, "open refused: %s\n", qPrintable(reason));
                    return;
                }
                box.LoadText(*text, [](bool ok, const QString &why) {
                    if (!ok)
                        std::fprintf(stderr, "open refused: %s\n", qPrintable(why));
                });
            });
    }
    if (op == QLatin1String("paste-text") || op == QLatin1String("paste-rtf")) {
        const QString content = op == QLatin1String("paste-text") ? sampleText(bytes) : sampleRtf(bytes);
        return measure(
            edit,
            [&] {
                box.LoadText(QStringLiteral("In the beginning\n"));
                box.setSelection(box.Text().size(), 0);
            },
            [&] { box.SetSelRTF(content); });
    }
    // format: the Font command over everything.
    const QString text = sampleText(bytes);
    // A refusal is an outcome, not a time: say so beside the figures.
    const QMetaObject::Connection said = QObject::connect(&box, &RichTextBox::Refused, &box, [](const QString &m) {
        std::fprintf(stderr, "format refused: %s\n", qPrintable(m));
    });
    const auto disconnect = qScopeGuard([&] { QObject::disconnect(said); });
    return measure(
        edit,
        [&] {
            box.LoadText(text);
            // The open of a large text runs as a job; select once it is in.
            waitUntilDone(edit);
            box.setSelection(0, int(text.size()));
        },
        [&] {
            const RichTextBox::FormatGroup group(box);
            box.SetSelFontName(QStringLiteral("Arial"));
            box.SetSelFontSize(12);
            box.SetSelBold(true);
            box.SetSelItalic(false);
        });
}

Sample runBaseline(const QString &op, QTextEdit &edit, qsizetype bytes, const QString &file)
{
    if (op == QLatin1String("open")) {
        return measure(
            edit, [&] { edit.clear(); },
            [&] {
                QFile f(file);
                if (f.open(QIODevice::ReadOnly))
                    edit.setPlainText(QString::fromUtf8(f.readAll()));
            });
    }
    if (op == QLatin1String("paste-text") || op == QLatin1String("paste-rtf")) {
        // Qt has no RTF reader: the baseline pastes the same amount of text.
        const QString content = sampleText(bytes);
        return measure(
            edit, [&] { edit.setPlainText(QStringLiteral("In the beginning\n")); edit.moveCursor(QTextCursor::End); },
            [&] { edit.textCursor().insertText(content); });
    }
    const QString text = sampleText(bytes);
    return measure(
        edit, [&] { edit.setPlainText(text); edit.selectAll(); },
        [&] {
            QTextCharFormat f;
            f.setFontFamilies({QStringLiteral("Arial")});
            f.setFontPointSize(12);
            f.setFontWeight(QFont::Bold);
            f.setFontItalic(false);
            edit.textCursor().mergeCharFormat(f);
        });
}

QString writeFile(const QTemporaryDir &dir, qsizetype bytes)
{
    const QString path = dir.filePath(QStringLiteral("%1.txt").arg(bytes));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(sampleText(bytes).toUtf8());
    return path;
}

// In the child: one baseline run, its figures on stdout.
int childMain(const QString &op, qsizetype bytes, const QString &file)
{
    QTextEdit edit;
    edit.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    edit.resize(EditorWidth, EditorHeight);
    edit.show();
    edit.activateWindow();
    edit.setFocus();
    const Sample s = runBaseline(op, edit, bytes, file);
    std::printf("%.0f %.0f %.0f", s.returned, s.painted, s.stall);
    if (op == QLatin1String("open")) {
        // Qt lays the rest out later, a step per timer: this is when the
        // whole text would have its place, as the editor's open gives it.
        edit.clear();
        QElapsedTimer clock;
        clock.start();
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            edit.setPlainText(QString::fromUtf8(f.readAll()));
        edit.document()->documentLayout()->blockBoundingRect(edit.document()->lastBlock());
        std::printf(" %lld", clock.elapsed());
    }
    std::printf("\n");
    return 0;
}

QString baselineInChild(const char *self, const QString &op, qsizetype bytes, const QString &file)
{
    QProcess child;
    child.start(QString::fromLocal8Bit(self),
                {QStringLiteral("--child"), op, QString::number(bytes), file});
    if (!child.waitForFinished(BaselineLimitSeconds * 1000)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("no answer in %1 s").arg(BaselineLimitSeconds);
    }
    const QStringList f = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
    if (f.size() == 4)
        return QStringLiteral("%1 / %2 / %3, all laid out %4").arg(f[0], f[1], f[2], f[3].trimmed());
    if (f.size() != 3)
        return QStringLiteral("failed");
    return QStringLiteral("%1 / %2 / %3").arg(f[0], f[1], f[2].trimmed());
}

struct Case {
    const char *name;
    std::function<void(RichTextBox &)> prepare;
    std::function<bool(RichTextBox &, QString &)> action; // false: refused, message set
};

QString oneWord(qsizetype chars)
{
    return QString(chars, QLatin1Char('w'));
}

int runRepro(RichTextBox &box, const QTemporaryDir &dir)
{
    QString refused;
    QObject::connect(&box, &RichTextBox::Refused, &box, [&refused](const QString &m) { refused = m; });
    const auto shortDocument = [](RichTextBox &b) {
        b.LoadText(QStringLiteral("In the beginning\n"));
        b.setSelection(b.Text().size(), 0);
    };
    const auto paste = [&refused](const QString &content) {
        return [&refused, content](RichTextBox &b, QString &message) {
            refused.clear();
            b.SetSelRTF(content);
            waitUntilDone(b); // a job may refuse once it has measured
            message = refused;
            return refused.isEmpty();
        };
    };
    // The file is written before the clock starts.
    QString file;
    const auto emptyWithFile = [&dir, &file](qsizetype bytes) {
        return [&dir, &file, bytes](RichTextBox &b) {
            b.LoadText(QString());
            file = writeFile(dir, bytes);
        };
    };
    // Opens the file as File, Open does: plain text or RTF by its first bytes.
    const auto open = [&file](RichTextBox &b, QString &message) {
        const std::optional<QByteArray> bytes = DocumentFile::readBytes(file, &message);
        QFile::remove(file);
        if (!bytes)
            return false;
        bool taken = false;
        const auto done = [&taken, &message](bool ok, const QString &why) {
            taken = ok;
            message = why;
        };
        if (bytes->startsWith("{\\rtf"))
            b.LoadRtf(DocumentFile::fromUtf8Or1252(*bytes), done);
        else
            b.LoadText(DocumentFile::decode(*bytes), done);
        waitUntilDone(b);
        return taken;
    };
    const auto fileOf = [&dir, &file](const QByteArray &bytes) {
        return [&dir, &file, bytes](RichTextBox &b) {
            b.LoadText(QString());
            file = dir.filePath(QStringLiteral("case"));
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        };
    };
    // Formatting runs in one paragraph, as word processors write them.
    const auto runs = [](int count) {
        QByteArray rtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ");
        for (int i = 0; i < count; ++i)
            rtf += i % 2 ? "{\\b x}" : "{\\i y}";
        return rtf + '}';
    };
    const auto wholeDocument = [](qsizetype bytes) {
        return [bytes](RichTextBox &b) {
            const QString text = sampleText(bytes);
            b.LoadText(text);
            waitUntilDone(b);
            b.setSelection(0, int(text.size()));
        };
    };
    const QString fonts = [] {
        QString t = QStringLiteral("{\\rtf1{\\fonttbl");
        for (int i = 0; i < 20000; ++i)
            t += QStringLiteral("{\\f%1 Font %1;}").arg(i);
        t += QStringLiteral("}");
        for (int i = 0; i < 20000; ++i)
            t += QStringLiteral("\\f%1 a").arg(i);
        return t + QLatin1Char('}');
    }();
    const std::vector<Case> cases = {
        {"open 32 MB text file", emptyWithFile(32 << 20), open},
        {"open 40 MB text file", emptyWithFile(40 << 20), open},
        {"paste 16,800 chars at \\fs99999999", shortDocument,
         paste(QStringLiteral("{\\rtf1\\fs99999999 ") + oneWord(16800) + QLatin1Char('}'))},
        {"paste 10 MB of text lines", shortDocument, paste(sampleText(10 << 20))},
        {"paste 10 MB of \\par", shortDocument,
         paste(QStringLiteral("{\\rtf1 ") + QStringLiteral("\\par ").repeated((10 << 20) / 5) + QLatin1Char('}'))},
        {"paste 400 KB font name", shortDocument,
         paste(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 ") + oneWord(400 << 10) + QStringLiteral(";}}\\f0 a}"))},
        {"paste 20,000 font-table entries", shortDocument, paste(fonts)},
        {"paste a 400,000-letter word", shortDocument, paste(oneWord(400000))},
        {"paste a 1 MB word", shortDocument, paste(oneWord(1 << 20))},
        {"paste a 1 MB word as RTF", shortDocument,
         paste(QStringLiteral("{\\rtf1 ") + oneWord(1 << 20) + QLatin1Char('}'))},
        {"open a 300 KB one-line file", fileOf(oneWord(300 << 10).toUtf8()), open},
        {"open a 600 KB one-line file", fileOf(oneWord(600 << 10).toUtf8()), open},
        {"open a 1 MB one-line file", fileOf(oneWord(1 << 20).toUtf8()), open},
        {"open RTF, 20,000 runs in a paragraph", fileOf(runs(20000)), open},
        {"open RTF, 60,000 runs in a paragraph", fileOf(runs(60000)), open},
        {"open RTF, 450 KB of runs in a paragraph", fileOf(runs((450 << 10) / 6)), open},
        {"Save As .rtf, 30 MB", wholeDocument(30 << 20),
         [&dir](RichTextBox &b, QString &message) {
             SermonDocument document;
             document.setEditor(&b);
             const bool saved =
                 document.save(dir.filePath(QStringLiteral("saved.rtf")), SermonDocument::Format::RichText, &message);
             QFile::remove(dir.filePath(QStringLiteral("saved.rtf")));
             return saved;
         }},
        {"print 3 MB to PDF", wholeDocument(3 << 20),
         [&dir](RichTextBox &b, QString &message) {
             b.setSelection(0, 0);
             bool printed = false;
             auto *job = new PrintJob(&b, {QString(), dir.filePath(QStringLiteral("out.pdf")), QStringLiteral("out")});
             QObject::connect(job, &EditorJob::finished, [&](EditorJob::Outcome outcome, const QString &why) {
                 printed = outcome == EditorJob::Outcome::Done;
                 message = why;
             });
             job->start();
             waitUntilDone(b);
             return printed;
         }},
        {"Ctrl+A on 30 MB", wholeDocument(30 << 20),
         [](RichTextBox &b, QString &) {
             b.setSelection(0, 0);
             QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
             QCoreApplication::sendEvent(&b, &press);
             return b.SelLength() > 0;
         }},
        {"Ctrl+C of 30 MB", wholeDocument(30 << 20),
         [](RichTextBox &b, QString &) {
             // What Edit, Copy puts on the clipboard.
             QGuiApplication::clipboard()->setMimeData(b.SelMimeData());
             return true;
         }},
        {"Bold on 30 MB", wholeDocument(30 << 20),
         [](RichTextBox &b, QString &) {
             b.SetSelBold(true);
             return true;
         }},
        {"Font command on 32 MB of text", wholeDocument(32 << 20),
         [&refused](RichTextBox &b, QString &message) {
             refused.clear();
             {
                 const RichTextBox::FormatGroup group(b);
                 b.SetSelFontName(QStringLiteral("Arial"));
                 b.SetSelFontSize(12);
                 b.SetSelBold(true);
             }
             waitUntilDone(b); // a job may refuse once it has measured
             message = refused;
             return refused.isEmpty();
         }},
        {"Font 1638 pt on 20,000 chars", wholeDocument(20000),
         [&refused](RichTextBox &b, QString &message) {
             refused.clear();
             {
                 const RichTextBox::FormatGroup group(b);
                 b.SetSelFontSize(1638);
             }
             waitUntilDone(b); // a job may refuse once it has measured
             message = refused;
             return refused.isEmpty();
         }},
    };
    std::printf("ms, wall clock, one run: returned / painted / longest stall; outcome\n\n");
    // REPRO_CASE=<part of a name> runs only the matching cases.
    const QString only = qEnvironmentVariable("REPRO_CASE");
    for (const Case &c : cases) {
        if (!only.isEmpty() && !QString::fromLatin1(c.name).contains(only))
            continue;
        bool taken = false;
        QString message;
        const Sample s = measure(box, [&] { c.prepare(box); }, [&] { taken = c.action(box, message); });
        std::printf("%-36s %6.0f / %6.0f / %5.0f  %s\n", c.name, s.returned, s.painted, s.stall,
                    taken ? "taken" : qPrintable(QStringLiteral("refused: ") + message.simplified().left(90)));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppSetup::installFontSubstitutes();
    if (argc == 5 && QByteArray(argv[1]) == "--child")
        return childMain(QString::fromLatin1(argv[2]), QByteArray(argv[3]).toLongLong(), QString::fromLocal8Bit(argv[4]));

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int largest = argc > 2 ? std::max(1, atoi(argv[2])) : 32;
    QStringList ops;
    for (int i = 3; i < argc; ++i)
        ops << QString::fromLatin1(argv[i]);
    if (ops.isEmpty())
        ops = {QStringLiteral("open"), QStringLiteral("paste-text"), QStringLiteral("paste-rtf"), QStringLiteral("format")};

    QTemporaryDir dir;
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(EditorWidth, EditorHeight);
    box.show();
    // With the focus, as the user's editor has it: input methods then ask
    // about the caret after every change.
    box.activateWindow();
    box.setFocus();

    if (ops == QStringList{QStringLiteral("repro")})
        return runRepro(box, dir);

    std::printf("ms, wall clock, median of %d: returned / painted / longest stall\n", runs);
    for (const QString &op : ops) {
        std::printf("\n%s\n%6s  %-28s %-44s%s\n", qPrintable(op), "MB", "Vellumor", "bare QTextEdit (one run)",
                    op == QLatin1String("open") ? "Vellumor, text shown" : "");
        for (int mb = 1; mb <= largest; mb *= 2) {
            const qsizetype bytes = qsizetype(mb) * 1024 * 1024;
            const QString file = writeFile(dir, bytes);
            std::vector<double> returned, painted, stall, shown;
            for (int r = 0; r < runs; ++r) {
                const Sample s = runVellumor(op, box, bytes, file);
                returned.push_back(s.returned);
                painted.push_back(s.painted);
                stall.push_back(s.stall);
                shown.push_back(s.shown);
            }
            const QString ours = QStringLiteral("%1 / %2 / %3")
                                     .arg(median(returned), 0, 'f', 0)
                                     .arg(median(painted), 0, 'f', 0)
                                     .arg(median(stall), 0, 'f', 0);
            std::printf("%6d  %-28s ", mb, qPrintable(ours));
            std::fflush(stdout);
            std::printf("%-44s", qPrintable(baselineInChild(argv[0], op, bytes, file)));
            if (op == QLatin1String("open"))
                std::printf("%.0f", median(shown));
            std::printf("\n");
            std::fflush(stdout);
            QFile::remove(file);
        }
    }
    return 0;
}
