#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Makes the "See X" lines of the rendered topical index lead somewhere. Nave
// names a topic loosely ("See JESUS" for JESUS, THE CHRIST; "See PRIESTS" for
// PRIEST; "See SPEAKING, EVIL" for EVIL SPEAKING; "See WICKED, PUNISHMENT OF"
// for a sub-heading of WICKED (PEOPLE)): each target becomes the exact heading
// of a topic, a sub-heading it names is kept as "See PUNISHMENT OF, under
// WICKED (PEOPLE)" where that topic has it, and a target no topic answers is
// left out. "See X, above" and "below" point inside the same topic and stay;
// a bare "See X" to a sub-heading of the same topic gains them.
class NaveCrossReferences {
public:
    // articles: every topic's rendered article by its heading.
    explicit NaveCrossReferences(const QHash<QString, QString> &articles);

    // The article with its cross-references rewritten; unresolved, when
    // given, receives the targets left out.
    QString rewrite(const QString &article, QStringList *unresolved = nullptr) const;

private:
    QString find(const QString &target) const;
    bool hasSubheading(const QString &heading, const QString &sub, bool anyCase = false) const;
    QString resolve(const QString &target, const QString &tail, const QStringList &article, qsizetype lineIndex) const;
    QString rewriteLine(const QStringList &article, qsizetype lineIndex, QStringList *unresolved) const;

    QHash<QString, QString> m_articles;
    QHash<QString, QString> m_squeezed; // heading without blanks and hyphens -> heading
};
