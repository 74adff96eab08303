#pragma once

#include <QString>

// Turns the XML-like markup of SWORD dictionary entries into plain text.
namespace MarkupText {

// Drops every tag (a line break becomes a blank), decodes character
// entities, removes leftovers of doubly escaped markup and collapses blanks.
QString toPlain(const QString &markup);

// Decodes the entities of text between tags and drops leftovers of doubly
// escaped markup; blanks are kept as they are.
QString decodeText(const QString &text);

// Writes out the abbreviations of the old reference books: "R. V." ->
// "Revised Version", "i.e." -> "that is", "mss." -> "manuscripts".
QString expandAbbreviations(const QString &text);

// Decodes &amp; &lt; &gt; &quot; &apos; and numeric character references.
QString decodeEntities(const QString &text);

} // namespace MarkupText
