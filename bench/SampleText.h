#pragma once

// The sermon-like text the editor benchmarks work on, of a given size.

#include <QString>

// Verse lines, a line break each.
inline QString sampleText(qsizetype chars)
{
    const QString line = QStringLiteral("And God said, Let there be light: and there was light. 1:3\n");
    return line.repeated(chars / line.size() + 1).left(chars);
}

// The same as rich text: a paragraph mark per line and some runs in bold
// and italic, as copied text has.
inline QString sampleRtf(qsizetype chars)
{
    const QString line = QStringLiteral("And God said, {\\b Let there be light}: and {\\i there} was light.\\par\n");
    return QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + line.repeated(chars / line.size() + 1)
        + QLatin1Char('}');
}
