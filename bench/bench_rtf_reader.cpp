// Times the RTF reader over hostile input shapes whose size doubles from 1 to
// 16 MB (and at 10 MB), read into a bare document with no view. A linear
// reader at most doubles its time at each step. Beside it, Qt alone: the
// text the reader produced, inserted as plain text. Figures are the calling
// thread's CPU time (median of the runs), so other load on the machine
// changes them little.
//
//   bench_rtf_reader [runs=3] [largest=16] [shape...]
// Sizes are in MB, or in KB with the environment variable RTF_BENCH_KB=1.

#include "Figures.h"
#include "editor/RtfReader.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// Repeats unit (given its index) until the text holds at least bytes.
QString repeatTo(qsizetype bytes, const QString &head, const std::function<QString(int)> &unit)
{
    QString out = head;
    out.reserve(bytes + 64);
    for (int i = 0; out.size() < bytes; ++i)
        out += unit(i);
    out += QLatin1Char('}');
    return out;
}

struct Shape {
    const char *name;
    std::function<QString(qsizetype)> make;
};

const std::vector<Shape> &shapes()
{
    static const std::vector<Shape> all = {
        // One font whose name is half the input, then many short runs in it.
        {"long-name", [](qsizetype bytes) {
             QString head = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 ") + QString(bytes / 2, QLatin1Char('N'))
                 + QStringLiteral(";}}\\f0 ");
             return repeatTo(bytes, head, [](int) { return QStringLiteral("{\\b a}{\\i b}"); });
         }},
        // A font table of many entries, then a run in each font in turn.
        {"many-fonts", [](qsizetype bytes) {
             QString table = QStringLiteral("{\\rtf1{\\fonttbl");
             int fonts = 0;
             while (table.size() < bytes / 2)
                 table += QStringLiteral("{\\f%1 Font%1;}").arg(fonts++);
             table += QLatin1Char('}');
             return repeatTo(bytes, table, [fonts](int i) { return QStringLiteral("\\f%1 x").arg(i % fonts); });
         }},
        // A colour table of many entries, then a run in each colour in turn.
        {"many-colours", [](qsizetype bytes) {
             QString table = QStringLiteral("{\\rtf1{\\colortbl;");
             int colours = 0;
             while (table.size() < bytes / 2) {
                 table += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(colours % 256).arg(colours / 256 % 256).arg(colours / 65536 % 256);
                 ++colours;
             }
             table += QLatin1Char('}');
             return repeatTo(bytes, table, [colours](int i) { return QStringLiteral("\\cf%1 x").arg(1 + i % colours); });
         }},
        {"par-runs", [](qsizetype bytes) {
             return repeatTo(bytes, QStringLiteral("{\\rtf1 "), [](int) { return QStringLiteral("\\par "); });
         }},
        {"plain-text", [](qsizetype bytes) {
             return repeatTo(bytes, QStringLiteral("{\\rtf1 "), [](int) {
                 return QStringLiteral("In the beginning God created the heaven and the earth. ");
             });
         }},
    };
    return all;
}

// The reader's time, and Qt's alone: the text the reader produced inserted
// as plain text into an empty document, paragraphs and all.
struct Times {
    double reader = 0;
    double qt = 0;
};

Times timeReader(const QString &input)
{
    Times t;
    QString text;
    {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        const double start = threadCpuMs();
        RtfReader::insert(cursor, input);
        t.reader = threadCpuMs() - start;
        text = doc.toRawText();
    }
    QTextDocument doc;
    QTextCursor cursor(&doc);
    const double start = threadCpuMs();
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    t.qt = threadCpuMs() - start;
    return t;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int largest = argc > 2 ? std::max(1, atoi(argv[2])) : 16;
    QStringList wanted;
    for (int i = 3; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);

    const bool kb = qEnvironmentVariableIntValue("RTF_BENCH_KB") == 1;
    const qsizetype unit = kb ? 1024 : 1024 * 1024;
    const char *unitName = kb ? "KB" : "MB";
    std::vector<int> sizes;
    for (int mb = 1; mb <= largest; mb *= 2)
        sizes.push_back(mb);
    if (largest >= 10)
        sizes.push_back(10);

    std::printf("RTF reader, thread CPU ms, median of %d; x: ratio to the size before; "
                "Qt: the same text inserted by Qt alone\n", runs);
    std::printf("%-14s", "shape");
    for (int mb : sizes)
        std::printf("%20d %s", mb, unitName);
    std::printf("\n");
    for (const Shape &shape : shapes()) {
        if (!wanted.isEmpty() && !wanted.contains(QString::fromLatin1(shape.name)))
            continue;
        std::printf("%-14s", shape.name);
        double previous = 0;
        for (int mb : sizes) {
            const QString input = shape.make(qsizetype(mb) * unit);
            std::vector<double> reader;
            std::vector<double> qt;
            for (int r = 0; r < runs; ++r) {
                const Times t = timeReader(input);
                reader.push_back(t.reader);
                qt.push_back(t.qt);
            }
            const double t = median(reader);
            if (previous > 0 && mb != 10)
                std::printf("%7.0f x%.1f (Qt %5.0f)", t, t / previous, median(qt));
            else
                std::printf("%12.0f (Qt %5.0f)", t, median(qt));
            std::fflush(stdout);
            if (mb != 10)
                previous = t;
        }
        std::printf("\n");
    }
    return 0;
}
