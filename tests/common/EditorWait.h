#pragma once

#include "editor/RichTextBox.h"
#include "editor/SermonDocument.h"

#include <QString>
#include <QtTest>
#include <optional>

// Long commands of the editor run as jobs: tests wait for them to end.
namespace EditorWait {

inline bool idle(const RichTextBox &box, int ms = 120'000)
{
    return QTest::qWaitFor([&box] { return !box.isBusy(); }, ms);
}

struct Loaded {
    bool ok = false;
    QString reason;
};

// LoadText or LoadRtf, waited for.
inline Loaded load(RichTextBox &box, const QString &content, bool rtf = false)
{
    std::optional<Loaded> result;
    const auto done = [&result](bool ok, const QString &reason) { result = Loaded{ok, reason}; };
    if (rtf)
        box.LoadRtf(content, done);
    else
        box.LoadText(content, done);
    (void)QTest::qWaitFor([&result] { return result.has_value(); }, 120'000);
    return result.value_or(Loaded{false, QStringLiteral("not done in time")});
}

// SermonDocument::open, waited for.
inline Loaded open(SermonDocument &document, const QString &path)
{
    std::optional<Loaded> result;
    document.open(path, [&result](bool ok, const QString &reason) { result = Loaded{ok, reason}; });
    (void)QTest::qWaitFor([&result] { return result.has_value(); }, 120'000);
    return result.value_or(Loaded{false, QStringLiteral("not done in time")});
}

} // namespace EditorWait
