#pragma once

#include <QString>

// Where the sentences of a quotation begin and end, so that nothing is
// quoted from the middle of a sentence.
namespace SentenceText {

// Whether the text ends a sentence: ". ! ?" perhaps followed by closing quotes or brackets.
bool endsSentence(const QString &text);

// Whether a sentence may begin at pos: the start of the text, or after the end of a sentence.
bool startsSentenceAt(const QString &text, qsizetype pos);

// Sentence ends in the text (initials such as "C. H." and titles such as "St." are not counted).
int count(const QString &text);

} // namespace SentenceText
