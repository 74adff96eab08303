// Times the sermon length and preaching view commands on a large document
// (default 32 MB), each beside a baseline in the same run:
//
// - count: TextCount over the document's text (median of the runs), beside
//   a plain loop that counts runs of non-space characters; then the whole
//   Word Count command as the user meets it: the text taken from the
//   editor and the dialog's worker, until the figures show, with the
//   longest time the event loop did not turn.
// - preach: the preaching view opened on the loaded editor, until it has
//   painted, beside the editor's own Open of the same document (the time
//   until the editor has painted it); then a zoom step and a page turn.
//
// Wall clock; run under a real X server (Xvfb) for figures that include
// painting.
//
//   bench_pulpit [runs=3] [MB=32] [text|rtf]
// rtf: the document read from RTF with bold and italic runs, many
// fragments to copy.

#include "Figures.h"
#include "SampleText.h"
#include "app/AppSetup.h"
#include "editor/RichTextBox.h"
#include "pulpit/PreachText.h"
#include "pulpit/TextCount.h"
#include "pulpit/dlgWordCount.h"
#include "pulpit/frmPreach.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int EditorWidth = 345;
constexpr int EditorHeight = 497;

// When a widget first paints, and the longest gap between turns of the event loop.
class Watch : public QObject {
public:
    explicit Watch(QWidget *painted)
    {
        painted->installEventFilter(this);
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_stall = std::max(m_stall, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_tick.start();
    }
    double ms() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    double stallMs() const { return double(std::max(m_stall, m_clock.nsecsElapsed() - m_last)) / 1e6; }
    // Lets events run until done() or painted, whichever is asked.
    double waitFor(const std::function<bool()> &done)
    {
        while (!done() && m_clock.elapsed() < 120'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        return ms();
    }
    bool painted() const { return m_painted; }
    void resetPainted() { m_painted = false; }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_stall = 0;
    bool m_painted = false;
};

void settle()
{
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
}

double timed(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

qint64 plainLoopWords(const QString &text)
{
    qint64 words = 0;
    bool in = false;
    for (const QChar c : text) {
        const bool space = c.isSpace();
        if (!space && !in)
            ++words;
        in = !space;
    }
    return words;
}

void report(const char *what, const std::vector<double> &v)
{
    const auto [median, worst] = medianAndWorst(v);
    std::printf("  %-52s %8.0f ms (worst %.0f)\n", what, median, worst);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    const qsizetype mb = argc > 2 ? qMax(1, atoi(argv[2])) : 32;
    const bool rtf = argc > 3 && QByteArray(argv[3]) == "rtf";
    const qsizetype chars = mb << 20;

    std::printf("%lld MB of %s, %d runs, platform %s\n", qint64(mb), rtf ? "RTF (bold and italic runs)" : "plain text",
                runs, qPrintable(QGuiApplication::platformName()));

    const QString plain = sampleText(chars);
    {
        std::vector<double> ours, loop;
        qint64 words = 0, loopWords = 0;
        for (int i = 0; i < runs; ++i) {
            ours.push_back(timed([&] { words = TextCount::of(plain)->words; }));
            loop.push_back(timed([&] { loopWords = plainLoopWords(plain); }));
        }
        std::printf("count (%lld words; plain loop %lld)\n", words, loopWords);
        report("TextCount::of", ours);
        report("baseline: plain loop over QChar::isSpace", loop);
    }

    RichTextBox editor(QStringLiteral("MS Sans Serif"));
    editor.resize(EditorWidth, EditorHeight);
    editor.show();
    settle();
    std::vector<double> openPaint, openStall;
    for (int i = 0; i < runs; ++i) {
        editor.LoadText(QString());
        settle();
        Watch watch(editor.viewport());
        const QString content = rtf ? sampleRtf(chars) : plain;
        // A long document is loaded as a job: painted after it is in.
        bool loaded = false;
        const RichTextBox::Loaded done = [&](bool ok, const QString &reason) {
            if (!ok)
                std::fprintf(stderr, "refused: %s\n", qPrintable(reason));
            loaded = true;
            watch.resetPainted();
            editor.viewport()->update();
        };
        if (rtf)
            editor.LoadRtf(content, done);
        else
            editor.LoadText(content, done);
        openPaint.push_back(watch.waitFor([&] { return loaded && watch.painted(); }));
        openStall.push_back(watch.stallMs());
    }
    settle();
    std::printf("editor: %d paragraphs, %d characters\n", editor.document()->blockCount(),
                editor.document()->characterCount());
    std::printf("open in the editor (baseline)\n");
    report("until painted", openPaint);
    report("longest stall", openStall);

    {
        std::vector<double> raw, shown, stall;
        for (int i = 0; i < runs; ++i) {
            raw.push_back(timed([&] { (void)editor.document()->toRawText(); }));
            Watch watch(&editor);
            auto *dialog = new dlgWordCount(editor.document()->toRawText(), std::nullopt, &editor);
            bool counted = false;
            QObject::connect(dialog, &dlgWordCount::counted, [&counted] { counted = true; });
            dialog->show();
            shown.push_back(watch.waitFor([&] { return counted; }));
            stall.push_back(watch.stallMs());
            dialog->close();
            settle();
        }
        std::printf("Word Count command\n");
        report("QTextDocument::toRawText (GUI thread)", raw);
        report("until the figures show", shown);
        report("longest stall", stall);
    }

    {
        std::vector<double> copy, open, stall, zoom, turn;
        for (int i = 0; i < runs; ++i) {
            copy.push_back(timed([&] { (void)PreachText::fromDocument(*editor.document()); }));
            // From the middle of the document, as after reading half way.
            QTextDocument *doc = editor.document();
            editor.setTextCursor(QTextCursor(doc->findBlockByNumber(doc->blockCount() / 2)));
            settle();
            QWidget host;
            Watch watch(&host);
            auto *view = new frmPreach(*editor.document(), editor.textCursor().blockNumber(), &host);
            view->setGeometry(QGuiApplication::primaryScreen()->geometry());
            view->showFullScreen();
            Watch viewWatch(view);
            open.push_back(watch.waitFor([&] { return viewWatch.painted() && !view->isPreparing(); }));
            stall.push_back(watch.stallMs());
            settle();
            viewWatch.resetPainted();
            const double zoomStart = viewWatch.ms();
            QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::ControlModifier);
            QCoreApplication::sendEvent(view, &plus);
            zoom.push_back(viewWatch.waitFor([&] { return viewWatch.painted(); }) - zoomStart);
            QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::ControlModifier);
            QCoreApplication::sendEvent(view, &minus);
            settle();
            viewWatch.resetPainted();
            const double turnStart = viewWatch.ms();
            QKeyEvent next(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &next);
            turn.push_back(viewWatch.waitFor([&] { return viewWatch.painted(); }) - turnStart);
            view->close();
            settle();
        }
        std::printf("preaching view\n");
        report("the copy alone, in one go (PreachText::fromDocument)", copy);
        report("open from the middle, until the text has painted", open);
        report("longest stall while opening", stall);
        report("zoom step, until painted", zoom);
        report("page turn, until painted", turn);
    }
    return 0;
}
