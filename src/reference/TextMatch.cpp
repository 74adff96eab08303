#include "reference/TextMatch.h"

namespace {

char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
    switch (c) {
    case u'\u2018':
    case u'\u2019':
        return u'\'';
    case u'\u201C':
    case u'\u201D':
        return u'"';
    default:
        // Simple case folding, as Qt's case-insensitive comparison does it.
        return QChar::toCaseFolded(c);
    }
}

// Folds into out, which holds text.size() units.
void foldInto(QStringView text, char16_t *out)
{
    const qsizetype n = text.size();
    const char16_t *in = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            // Simple folding keeps a letter in its plane; anything else stays as it is.
            if (QChar::requiresSurrogates(folded)) {
                out[i] = QChar::highSurrogate(folded);
                out[i + 1] = QChar::lowSurrogate(folded);
            } else {
                out[i] = c;
                out[i + 1] = in[i + 1];
            }
            ++i;
            continue;
        }
        out[i] = foldUnit(c);
    }
}

} // namespace

namespace TextMatch {

QString folded(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    foldInto(text, reinterpret_cast<char16_t *>(out.data()));
    return out;
}

qsizetype indexOfFolded(QStringView haystack, QStringView foldedNeedle, qsizetype from)
{
    if (foldedNeedle.isEmpty() || from < 0 || from > haystack.size())
        return -1;
    // A needle without apostrophes or quotation marks cannot match one in
    // the haystack whatever its style, so Qt's case-insensitive search gives
    // the same answer, without a folded copy of the haystack.
    if (!foldedNeedle.contains(u'\'') && !foldedNeedle.contains(u'"'))
        return haystack.indexOf(foldedNeedle, from, Qt::CaseInsensitive);
    const QString hay = folded(haystack.mid(from));
    const qsizetype at = QStringView(hay).indexOf(foldedNeedle);
    return at < 0 ? -1 : from + at;
}

qsizetype indexOfLine(QStringView haystack, QStringView foldedLine)
{
    const qsizetype n = foldedLine.size();
    if (n == 0 || haystack.size() < n)
        return -1;
    const auto isLine = [&](qsizetype at) { return indexOfFolded(haystack.mid(at, n), foldedLine) == 0; };
    if ((haystack.size() == n || haystack.at(n) == u'\n') && isLine(0))
        return 0;
    const QString inner = QLatin1Char('\n') + foldedLine.toString() + QLatin1Char('\n');
    const qsizetype between = indexOfFolded(haystack, inner);
    if (between >= 0)
        return between + 1;
    const qsizetype last = haystack.size() - n;
    return last > 0 && haystack.at(last - 1) == u'\n' && isLine(last) ? last : -1;
}

qsizetype indexIn(QStringView haystack, QStringView needle, qsizetype from)
{
    return indexOfFolded(haystack, folded(needle), from);
}

} // namespace TextMatch
