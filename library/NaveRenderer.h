#pragma once

#include <QString>

// Renders a topic of Nave's Topical Bible as plain text: one line per
// heading, list items indented under it, every Bible reference written out
// with the book name a reader uses ("Matthew 8:20", "1 Chronicles 6:2, 3").
namespace NaveRenderer {

// The article: the topic on its own line, then its indented lines.
QString render(const QString &topic, const QString &raw);

// The text with the module's misprinted headings mended ("FlGURATIVE",
// "AFFILICTION"); render() applies it to every line and the topic.
QString withoutMisprints(const QString &text);

// "1Chr" -> "1 Chronicles", "Ps" -> "Psalms"; empty for a book the KJV lacks.
QString bookNameFromOsis(const QString &osisBook);

// Nave's abbreviations: "1Ch" -> "1 Chronicles", "Mt" -> "Matthew"; empty if unknown.
QString bookNameFromAbbreviation(const QString &abbreviation);

// "Exod.6.16-Exod.6.20" -> "Exodus 6:16-20"; empty for a reference it cannot read.
QString readableReference(const QString &osisRef);

// Writes out the references Nave left as plain text: "2Ki 14:26,27" and,
// after a reference that names the book, "with 22:6-19". contextBook is the
// reader's name of the book last cited; it is updated by what is found.
QString expandPlainReferences(const QString &text, QString *contextBook);

} // namespace NaveRenderer
