// Times Find in the Bible and dictionary panels on the real databases:
// the plain Find inside the entry on show (and a bare QTextEdit's find of
// the same text, the Qt baseline) beside Find reaching the whole panel: a
// reference, a word found only in the last section of the Bible, and text
// found nowhere (answered by the "Text Not Found" message). Each figure is
// the time from the click to the answer painted (the view, or the message
// box), wall and GUI-thread CPU, median and worst over the repeats; "cold"
// means the target entry's document was not prepared yet. Then the same
// with the find index removed (a copy of the files without it), to show
// what it saves. Run under Xvfb for figures that include painting:
//   bench_find [DATA_DIR [CASE]]

#include "Figures.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/SubjectList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Notes the first paint of the watched widget or of any message box, and
// closes the message box once it has painted.
class AnswerWatch : public QObject {
public:
    // w: the widget whose paint answers; nullptr: a message box answers.
    void watch(QWidget *w)
    {
        m_widget = w;
        m_wall = -1;
    }
    bool answered() const { return m_wall >= 0; }
    qint64 wall() const { return m_wall; }
    double cpu() const { return m_cpu; }
    bool sawMessage() const { return m_message; }

    QElapsedTimer clock;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Paint || m_inside)
            return false;
        QWidget *w = qobject_cast<QWidget *>(o);
        QMessageBox *box = nullptr;
        for (QWidget *p = w; p && !box; p = p->parentWidget())
            box = qobject_cast<QMessageBox *>(p);
        if (box && !m_closing.contains(box)) {
            // Every message box is answered, the one awaited or not.
            m_closing.append(box);
            QTimer::singleShot(0, box, &QMessageBox::accept);
        }
        if (m_wall >= 0 || (o != m_widget && !box) || (box && m_widget))
            return false;
        m_inside = true;
        QCoreApplication::sendEvent(o, e); // paint now, then take the time
        m_inside = false;
        m_wall = clock.nsecsElapsed();
        m_cpu = threadCpuMs();
        m_message = box != nullptr;
        return true;
    }

private:
    QWidget *m_widget = nullptr;
    qint64 m_wall = -1;
    double m_cpu = 0;
    bool m_message = false;
    bool m_inside = false;
    QList<QPointer<QMessageBox>> m_closing;
};

struct Sample {
    double wall = 0;
    double cpu = 0;
};

AnswerWatch *s_watch = nullptr;

Sample measure(QWidget *answerIn, const std::function<void()> &action)
{
    s_watch->watch(answerIn);
    const double cpuStart = threadCpuMs();
    const qint64 start = s_watch->clock.nsecsElapsed();
    action();
    while (!s_watch->answered() && s_watch->clock.nsecsElapsed() - start < 3'000'000'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Let the message box close and the loop settle.
    const qint64 settle = s_watch->clock.nsecsElapsed();
    while (s_watch->clock.nsecsElapsed() - settle < 100'000'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return {double(s_watch->wall() - start) / 1e6, s_watch->cpu() - cpuStart};
}

void report(const char *what, std::vector<Sample> samples)
{
    auto by = [&](double Sample::*field) {
        std::vector<double> v;
        for (const Sample &s : samples)
            v.push_back(s.*field);
        return medianAndWorst(std::move(v));
    };
    const auto [wMed, wMax] = by(&Sample::wall);
    const auto [cMed, cMax] = by(&Sample::cpu);
    std::printf("%-46s n=%2zu | to answer painted: wall %6.1f / %6.1f, cpu %6.1f / %6.1f\n", what, samples.size(),
                wMed, wMax, cMed, cMax);
    std::fflush(stdout);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

int rowOf(const SubjectList *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

// The panel's data as the program opens it, with the folder's files.
struct Window {
    std::unique_ptr<frmMain> main;
    explicit Window(const QString &dir)
        : main(std::make_unique<frmMain>(dir))
    {
        main->show();
        settle(300);
    }
};

struct Case {
    const char *name;
    bool dictionary;
    const char *from; // the item on show
    const char *text;
    const char *expectItem; // nullptr: nowhere
};

void runCases(const QString &dir, const char *label, const std::vector<Case> &cases, int repeats)
{
    for (const Case &c : cases) {
        std::vector<Sample> warm;
        std::vector<Sample> cold;
        for (int coldRun = 1; coldRun >= 0; --coldRun) {
            // Cold: a fresh window, the target not yet prepared by the warm-up
            // (which walks the list from its top). Warm: the window settled.
            std::unique_ptr<Window> w;
            if (!coldRun) {
                w = std::make_unique<Window>(dir);
                settle(8000);
            }
            for (int i = 0; i < repeats; ++i) {
                if (coldRun)
                    w = std::make_unique<Window>(dir);
                frmMain *m = w->main.get();
                SubjectList *list = c.dictionary ? m->lstJoke : m->lstBible;
                RichTextBox *view = c.dictionary ? m->RichTextBox5 : m->RichTextBox2;
                list->setCurrentRow(rowOf(list, QString::fromLatin1(c.from)));
                settle(coldRun ? 50 : 300);
                (c.dictionary ? m->txtTextBox2 : m->txtTextBox1)->setText(QString::fromLatin1(c.text));
                RainButton *find = c.dictionary ? m->rnbFind2 : m->rnbFind1;
                const Sample s = measure(c.expectItem ? view->viewport() : nullptr, [find] { find->click(); });
                const QString shown = list->currentItem() ? list->currentItem()->text() : QString();
                const bool ok = c.expectItem ? (!s_watch->sawMessage() && shown == QLatin1String(c.expectItem))
                                             : s_watch->sawMessage();
                if (!ok)
                    std::printf("  unexpected outcome for %s: %s\n", c.name, qPrintable(shown));
                (coldRun ? cold : warm).push_back(s);
                if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
                    std::printf("  %s %.1f / %.1f\n", coldRun ? "cold" : "warm", s.wall, s.cpu);
            }
        }
        report(qPrintable(QStringLiteral("%1 %2, cold").arg(QLatin1String(label), QLatin1String(c.name))), cold);
        report(qPrintable(QStringLiteral("%1 %2, warm").arg(QLatin1String(label), QLatin1String(c.name))), warm);
    }
}

bool dropFindIndex(const QString &path)
{
    sqlite3 *db = nullptr;
    const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, "DROP TABLE IF EXISTS FindText", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifdef VELLUMOR_LIBRARY_DATA
    QString dataDir = QStringLiteral(VELLUMOR_LIBRARY_DATA);
#else
    QString dataDir;
#endif
    if (argc > 1)
        dataDir = QString::fromLocal8Bit(argv[1]);
    // An optional second argument: run only the cases whose name holds it.
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    if (!QFile::exists(QDir(dataDir).filePath(QStringLiteral("bible.db")))) {
        std::fprintf(stderr, "usage: bench_find DATA_DIR (the folder holding bible.db and joke.db)\n");
        return 1;
    }
    AnswerWatch watch;
    watch.clock.start();
    s_watch = &watch;
    app.installEventFilter(&watch);
    constexpr int Repeats = 7;

    std::printf("figures in ms, median / worst of %d; cpu = GUI thread CPU time, free of other processes' load\n",
                Repeats);
    std::printf("platform %s, data %s\n", qPrintable(QGuiApplication::platformName()), qPrintable(dataDir));

    // The baselines: the plain Find of the last verse of the largest entry,
    // in the program and in a bare QTextEdit.
    {
        Window w(dataDir);
        frmMain *m = w.main.get();
        m->lstBible->setCurrentRow(rowOf(m->lstBible, QStringLiteral("Genesis 17-30")));
        settle(1500);
        const QString entry = m->RichTextBox2->Text();
        const QString lastVerse = entry.section(QLatin1Char('\n'), -1).left(40);
        m->txtTextBox1->setText(lastVerse);
        QTextEdit bare;
        bare.setFont(m->RichTextBox2->document()->defaultFont());
        bare.resize(m->RichTextBox2->size());
        bare.setPlainText(entry);
        bare.show();
        settle(1500);
        std::vector<Sample> plain, baseline;
        for (int i = 0; i < Repeats; ++i) {
            m->RichTextBox2->setSelection(0, 0);
            settle(50);
            plain.push_back(measure(m->RichTextBox2->viewport(), [m] { m->rnbFind1->click(); }));
            bare.moveCursor(QTextCursor::Start);
            settle(50);
            baseline.push_back(measure(bare.viewport(), [&] {
                bare.find(lastVerse);
                bare.setFocus();
            }));
        }
        report("plain Find, last verse of Genesis 17-30 (69 K)", plain);
        report("bare QTextEdit::find, the same", baseline);
        // What the message alone costs: the document's Find of a text it lacks.
        m->txtTextBox3->setText(QStringLiteral("Melchisedec the Hittite"));
        std::vector<Sample> message;
        for (int i = 0; i < Repeats; ++i)
            message.push_back(measure(nullptr, [m] { m->rnbFind3->click(); }));
        report("plain Find in the document, not found", message);
    }

    const std::vector<Case> cases{
        {"Bible: reference Rev 22:21", false, "Genesis 1-16", "Rev 22:21", "Revelation 12-22"},
        {"Bible: word only in the last section", false, "Genesis 1-16", "Alleluia", "Revelation 12-22"},
        {"Bible: rare text found nowhere", false, "Genesis 1-16", "Melchisedec the Hittite", nullptr},
        {"Bible: common words found nowhere", false, "Genesis 1-16", "and the lord was with thee and", nullptr},
        {"dictionary: headword Moses", true, "BibleNames A-J", "Moses", "BibleNames K-Z"},
        {"dictionary: word in a later entry", true, "WordUsage A-B", "Aharon", "BibleDict ALPHA"},
        {"dictionary: common words found nowhere", true, "BibleNames A-J", "and the lord was with thee and", nullptr},
    };
    std::vector<Case> chosen;
    for (const Case &c : cases)
        if (QByteArray(c.name).contains(only))
            chosen.push_back(c);
    runCases(dataDir, "with index:", chosen, Repeats);

    // The same files without the find index.
    QTemporaryDir copy;
    for (const char *file : {"bible.db", "joke.db", "quote.db", "sermon.db"})
        QFile::copy(QDir(dataDir).filePath(QLatin1String(file)), copy.filePath(QLatin1String(file)));
    if (!dropFindIndex(copy.filePath(QStringLiteral("bible.db"))) || !dropFindIndex(copy.filePath(QStringLiteral("joke.db")))) {
        std::fprintf(stderr, "cannot copy the databases\n");
        return 1;
    }
    std::vector<Case> unindexed;
    for (const Case &c : chosen)
        if (c.expectItem == nullptr || QByteArray(c.name).contains("word"))
            unindexed.push_back(c);
    runCases(copy.path(), "no index:", unindexed, 3);
    return 0;
}
