// Times a subject lookup in the Bible panel through the real path (list
// selection, data source, bound view) with entries of 50, 150 and 550 KB
// (the library's longest entry), beside a bare QTextEdit::setPlainText of
// the same text: time from the selection change to the whole entry painted,
// and the longest event-loop stall in the 300 ms after it. Then Find of the
// last verse, and a window whose dictionary holds two 50 MB entries: its
// start-up and a lookup of the other one. Run under a real X server (Xvfb)
// for figures that include painting.

#include "Figures.h"
#include "ReferenceFixture.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/SubjectList.h"
#include "reference/SubjectLists.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include "reference/BoundView.h"
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// Notes when a widget has finished painting what is awaited: by default
// any paint; for a lookup, the whole entry (not a first part shown while
// the rest is prepared).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *w)
        : m_widget(w)
    {
        w->installEventFilter(this);
    }
    void arm(std::function<bool()> awaited = {})
    {
        m_painted = -1;
        m_first = -1;
        m_awaited = std::move(awaited);
    }
    qint64 firstPaintAt() const { return m_first; }
    qint64 paintedAt() const { return m_painted; }
    double paintedCpu() const { return m_paintedCpu; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o != m_widget || e->type() != QEvent::Paint || m_inside)
            return false;
        m_inside = true;
        QCoreApplication::sendEvent(o, e); // paint now, then take the time
        m_inside = false;
        const qint64 now = clock.nsecsElapsed();
        if (m_first < 0)
            m_first = now;
        if (m_painted < 0 && (!m_awaited || m_awaited())) {
            m_painted = now;
            m_paintedCpu = threadCpuMs();
        }
        return true;
    }

public:
    static QElapsedTimer clock;

private:
    QWidget *m_widget;
    std::function<bool()> m_awaited;
    qint64 m_painted = -1;
    qint64 m_first = -1; // any paint, such as the beginning of an entry still being built
    double m_paintedCpu = 0;
    bool m_inside = false;
};
QElapsedTimer PaintWatch::clock;

struct Sample {
    double handler = 0;   // ms until the action returned
    double handlerCpu = 0; // GUI thread CPU ms until the action returned
    double toPainted = 0; // ms
    double toFirstPaint = 0; // ms
    double stall = 0;     // ms
    double cpuToPainted = 0; // GUI thread CPU ms until painted
    double cpuStall = 0;     // longest GUI thread CPU ms between two loop turns
    double laidOut = -1;     // ms until the view's document was fully laid out
};

// The view whose document's layout is watched to its end, or none.
QTextEdit *s_laidOutView = nullptr;

// Runs action, waits for the awaited paint, then watches the event loop
// until windowMs after the action.
Sample measure(PaintWatch &watch, const std::function<void()> &action, qint64 windowMs = 300,
               std::function<bool()> awaited = {})
{
    watch.arm(std::move(awaited));
    qint64 finished = -1;
    const auto laidOut = [] {
        return s_laidOutView && s_laidOutView->document()->lastBlock().layout()->lineCount() > 0;
    };
    const double cpuStart = threadCpuMs();
    const qint64 start = PaintWatch::clock.nsecsElapsed();
    action();
    const qint64 returned = PaintWatch::clock.nsecsElapsed();
    const double cpuReturned = threadCpuMs();
    {
        // Waits without spinning, so that the CPU figure is the GUI thread's
        // work, not its waiting for the worker.
        QTimer wake;
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(1);
        while (watch.paintedAt() < 0 && PaintWatch::clock.nsecsElapsed() - start < 10'000'000'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    Sample s;
    s.toPainted = double(watch.paintedAt() - start) / 1e6;
    s.toFirstPaint = double(watch.firstPaintAt() - start) / 1e6;
    s.handler = double(returned - start) / 1e6;
    s.handlerCpu = cpuReturned - cpuStart;
    s.cpuToPainted = watch.paintedCpu() - cpuStart;

    qint64 last = PaintWatch::clock.nsecsElapsed();
    const qint64 end = start + windowMs * 1'000'000;
    qint64 worst = 0;
    double lastCpu = threadCpuMs();
    double worstCpu = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = PaintWatch::clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
        const double cpu = threadCpuMs();
        worstCpu = std::max(worstCpu, cpu - lastCpu);
        lastCpu = cpu;
        if (finished < 0 && laidOut())
            finished = now;
    });
    tick.start();
    while (PaintWatch::clock.nsecsElapsed() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    s.stall = double(worst) / 1e6;
    s.cpuStall = worstCpu;
    if (finished >= 0)
        s.laidOut = double(finished - start) / 1e6;
    return s;
}

void report(const char *what, int kb, std::vector<Sample> samples)
{
    if (samples.empty())
        return;
    auto by = [&](double Sample::*field) {
        std::vector<double> v;
        for (const Sample &s : samples)
            v.push_back(s.*field);
        return medianAndWorst(std::move(v));
    };
    const auto [pMed, pMax] = by(&Sample::toPainted);
    const auto [sMed, sMax] = by(&Sample::stall);
    const auto [cMed, cMax] = by(&Sample::cpuToPainted);
    const auto [csMed, csMax] = by(&Sample::cpuStall);
    const auto [lMed, lMax] = by(&Sample::laidOut);
    const auto [fMed, fMax] = by(&Sample::toFirstPaint);
    std::printf("%-26s %3d KB n=%2zu | to painted: wall %5.1f / %5.1f, cpu %5.1f / %5.1f"
                " | stall after: wall %5.1f / %5.1f, cpu %5.1f / %5.1f",
                what, kb, samples.size(), pMed, pMax, cMed, cMax, sMed, sMax, csMed, csMax);
    if (fMed < pMed || fMax < pMax)
        std::printf(" | first paint (its beginning) wall %5.1f / %5.1f", fMed, fMax);
    if (lMed >= 0)
        std::printf(" | laid out after %5.0f / %5.0f", lMed, lMax);
    std::printf("\n");
}

// A figure of /proc/self/status in KB: "VmRSS" resident now, "VmHWM" its peak.
long statusKb(const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A dictionary whose first record (shown at start-up) and another one hold
// 50 MB each: the window's start-up, and a lookup of the other one.
void hugeEntries()
{
    QTemporaryDir dir;
    const QString huge = ReferenceFixture::versesOfSize(50 << 20, QStringLiteral("Huge"));
    bool written = ReferenceFixture::write(dir.filePath(QStringLiteral("joke.db")), ReferenceSchema::Joke,
                                           {{QStringLiteral("BibleNames A-J"), huge},
                                            {QStringLiteral("BibleNames K-Z"), QStringLiteral("small")},
                                            {QStringLiteral("WordUsage A-B"), huge}});
    // The other panels hold a small entry each, so that no message interrupts.
    for (const ReferenceSchema::Table &t : {ReferenceSchema::Bible, ReferenceSchema::Quote, ReferenceSchema::Sermon})
        written = written
            && ReferenceFixture::write(dir.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size()))), t,
                                       {{QStringLiteral("any"), QStringLiteral("small")}});
    if (!written) {
        std::fprintf(stderr, "cannot write the 50 MB fixture\n");
        return;
    }
    const long rssBefore = statusKb("VmRSS");
    const long peakBefore = statusKb("VmHWM");
    const double cpuStart = threadCpuMs();
    const qint64 start = PaintWatch::clock.nsecsElapsed();
    frmMain window(dir.path());
    window.show();
    const double constructed = double(PaintWatch::clock.nsecsElapsed() - start) / 1e6;
    const double constructedCpu = threadCpuMs() - cpuStart;
    PaintWatch watch(window.RichTextBox5->viewport());
    // Start-up: the longest event-loop gap while the window comes up.
    Sample up = measure(watch, [] {}, 3000);
    std::printf("50 MB entry at start-up:   window built in wall %.1f, cpu %.1f"
                " | longest stall in 3 s after: wall %.1f, cpu %.1f\n",
                constructed, constructedCpu, up.stall, up.cpuStall);
    const auto whole = [&] { return window.RichTextBox5->document()->characterCount() > 100'000; };
    Sample look = measure(watch, [&] { window.lstJoke->setCurrentRow(2); }, 3000, whole);
    std::printf("50 MB entry lookup:        handler wall %.1f, cpu %.1f | to painted: wall %.1f"
                " | stall after: wall %.1f, cpu %.1f\n",
                look.handler, look.handlerCpu, look.toPainted, look.stall, look.cpuStall);
    std::printf("50 MB entries: resident %ld -> %ld KB, peak %ld -> %ld KB; view holds %d characters\n", rssBefore,
                statusKb("VmRSS"), peakBefore, statusKb("VmHWM"), window.RichTextBox5->document()->characterCount());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PaintWatch::clock.start();

    // Rows 0-29 hold 50 KB entries, 30-59 150 KB, 60-89 550 KB, the rest small.
    const QStringList keys = SubjectLists::load(QStringLiteral("lstBible"));
    const int sizes[] = {50, 150, 550};
    QTemporaryDir dir;
    QList<ReferenceFixture::Row> rows;
    QStringList entries;
    for (int i = 0; i < keys.size(); ++i) {
        const int kb = i < 90 ? sizes[i / 30] : 2;
        entries << ReferenceFixture::versesOfSize(qsizetype(kb) * 1024, QStringLiteral("Row%1").arg(i));
        rows.append({keys.at(i), entries.constLast()});
    }
    if (!ReferenceFixture::write(dir.filePath(QStringLiteral("bible.db")), ReferenceSchema::Bible, rows)) {
        std::fprintf(stderr, "cannot write the fixture database\n");
        return 1;
    }
    // The other three panels stay empty: answer the start-up message.
    QTimer::singleShot(0, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer.start(20);

    frmMain window(dir.path());
    window.show();
    QTextEdit bare;
    bare.setWindowTitle(QStringLiteral("bare QTextEdit"));
    bare.setFont(window.RichTextBox2->document()->defaultFont());
    bare.resize(window.RichTextBox2->size());
    bare.move(window.geometry().bottomLeft());
    bare.show();
    const qint64 settle = PaintWatch::clock.nsecsElapsed();
    while (PaintWatch::clock.nsecsElapsed() - settle < 500'000'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    answer.stop();

    PaintWatch viewWatch(window.RichTextBox2->viewport());
    PaintWatch bareWatch(bare.viewport());
    SubjectList *list = window.lstBible;
    // The view shows row's whole entry, not a part of it.
    const auto wholeEntry = [&](int row) -> std::function<bool()> {
        return [&, row] { return window.RichTextBox2->document()->characterCount() > entries.at(row).size(); };
    };
    s_laidOutView = window.RichTextBox2;
    std::printf("figures in ms, median / worst; cpu = GUI thread CPU time, free of other processes' load;\n"
                "stall after = longest event-loop gap from painted to 300 ms after the change (33 ms with the key held)\n");
    std::printf("platform %s, view %dx%d px\n", qPrintable(QGuiApplication::platformName()),
                window.RichTextBox2->viewport()->width(), window.RichTextBox2->viewport()->height());

    // The floor: what the machine's load alone does to the event loop.
    std::vector<Sample> idle;
    for (int i = 0; i < 5; ++i)
        idle.push_back(measure(viewWatch, [&] { window.RichTextBox2->viewport()->update(); }));
    report("idle (repaint only)", 0, idle);

    for (int s = 0; s < 3; ++s) {
        const int first = s * 30;
        std::vector<Sample> walk, cold, plain;
        // Walking down the list (the arrow key), neighbours prepared ahead.
        list->setCurrentRow(first);
        measure(viewWatch, [] {});
        for (int row = first + 1; row <= first + 12; ++row)
            walk.push_back(measure(viewWatch, [&] { list->setCurrentRow(row); }, 300, wholeEntry(row)));
        // Jumps to entries nobody prepared (a mouse pick far away).
        for (int row = first + 16; row < first + 30; row += 4)
            cold.push_back(measure(viewWatch, [&] { list->setCurrentRow(row); }, 300, wholeEntry(row)));
        report("lookup, walking the list", sizes[s], walk);
        report("lookup, far jump (cold)", sizes[s], cold);
        s_laidOutView = nullptr;
        for (int row = first + 1; row <= first + 12; ++row)
            plain.push_back(measure(bareWatch, [&] { bare.setPlainText(entries.at(row)); }));
        s_laidOutView = window.RichTextBox2;
        report("bare setPlainText", sizes[s], plain);
        // Holding the down key: a move every 33 ms (typical key repeat).
        std::vector<Sample> held;
        for (int row = first + 13; row < first + 29; ++row)
            held.push_back(measure(viewWatch, [&] { list->setCurrentRow(row); }, 33, wholeEntry(row)));
        report("lookup, key held (33 ms)", sizes[s], held);
        measure(viewWatch, [] {});
    }

    // Find of the last verse in a 550 KB entry: once the entry has settled,
    // and straight after the lookup.
    const int row = 60 + 5;
    const QString last = entries.at(row).trimmed().section(QLatin1Char('\n'), -1);
    window.txtTextBox1->setText(last.left(last.indexOf(QLatin1String(" And")) + 4));
    std::vector<Sample> settled, early;
    for (int i = 0; i < 5; ++i) {
        list->setCurrentRow(row + (i % 2 ? 1 : 0));
        measure(viewWatch, [] {});
        list->setCurrentRow(row);
        measure(viewWatch, [] {});
        window.RichTextBox2->setSelection(0, 0);
        settled.push_back(measure(viewWatch, [&] { window.rnbFind1->click(); }));
        if (window.RichTextBox2->SelStart() < entries.at(row).size() - 200)
            std::printf("Find did not reach the last verse\n");
    }
    for (int i = 0; i < 5; ++i) {
        list->setCurrentRow(row + 1);
        measure(viewWatch, [] {});
        viewWatch.arm(wholeEntry(row));
        list->setCurrentRow(row);
        while (viewWatch.paintedAt() < 0)
            QCoreApplication::processEvents();
        early.push_back(measure(viewWatch, [&] { window.rnbFind1->click(); }));
    }
    report("Find last verse (settled)", 550, settled);
    report("Find last verse (at once)", 550, early);
    std::printf("resident memory %ld KB, peak %ld KB\n", statusKb("VmRSS"), statusKb("VmHWM"));
    hugeEntries();
    return 0;
}
