#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// What the Word Count command reports of a text, counted as a reader would.
//
// A word is a run of letters, marks and digits. An apostrophe (straight or
// typographic) or a hyphen between two such characters joins them
// ("Lord's", "well-known"), and so does a full stop, comma or colon between
// two digits ("3:16", "1,000"). Punctuation on its own is no word.
//
// Characters are counted as the reader sees them: a character outside the
// Basic Multilingual Plane is one, paragraph breaks are none, and neither
// are invisible formatting characters (soft hyphens, zero-width joiners,
// the document's object and frame markers). A space is any Unicode space
// or separator: the space itself, the no-break space, the tab and the line
// break within a paragraph (Shift+Enter).
//
// A paragraph is counted when it holds anything other than spaces, as word
// processors count them. Paragraphs are separated by U+2029, as
// QTextDocument::toRawText() and QTextCursor::selectedText() give them, or
// by a line feed.
struct TextCount {
    qint64 words = 0;
    qint64 characters = 0;       // with spaces
    qint64 charactersNoSpaces = 0;
    qint64 paragraphs = 0;

    friend bool operator==(const TextCount &, const TextCount &) = default;

    // Counts text. stop, when given, is asked now and then; once it returns
    // true the count is given up and nothing is returned.
    static std::optional<TextCount> of(QStringView text, const std::function<bool()> &stop = {});
};
