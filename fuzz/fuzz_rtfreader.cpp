// libFuzzer entry for the RTF reader: any input must read without a crash,
// the same whether read at once or in steps (as long pastes are), and
// whatever was read must survive a write and a second read unchanged.
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts need a GUI application; it lives for the whole fuzzing run.
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    QTextDocument document;
    QTextCursor cursor(&document);
    RtfReader::insert(cursor, input);
    (void)RtfWriter::toLower(input);
    if (!RtfReader::isRtf(input))
        return 0;

    QTextDocument stepped;
    QTextCursor steppedCursor(&stepped);
    RtfReader reader(steppedCursor, input);
    const qsizetype step = qsizetype(size % 13) + 1;
    while (reader.step(step)) {
    }
    reader.finish();
    if (stepped.toRawText() != document.toRawText())
        __builtin_trap();
    LayoutBudget budget(300, 96);
    RtfReader::measure(input, budget);

    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    const QString written = RtfWriter::write(all);

    QTextDocument copy;
    QTextCursor copyCursor(&copy);
    RtfReader::insert(copyCursor, written);
    if (copy.toPlainText() != document.toPlainText())
        __builtin_trap();

    // Lowering what we wrote must still read as the same text, lowered.
    QTextDocument lowered;
    QTextCursor loweredCursor(&lowered);
    RtfReader::insert(loweredCursor, RtfWriter::toLower(written));
    if (lowered.blockCount() != document.blockCount())
        __builtin_trap();
    return 0;
}
