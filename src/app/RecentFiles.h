#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

// The documents last opened or saved, newest first, kept in the settings
// and listed in a menu before one of its items ("&1 name" to "&8 name",
// the full path as status tip and tooltip), between separators.
class RecentFiles : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentFiles)

public:
    static constexpr int Kept = 8;

    // The list goes into menu just before the item before.
    RecentFiles(QMenu *menu, QAction *before, QObject *parent = nullptr);

    QStringList files() const;
    // The document was opened or saved: it goes to the top.
    void add(const QString &path);
    void remove(const QString &path);

signals:
    void chosen(const QString &path);

private:
    void store(const QStringList &files);
    void rebuild();

    QMenu *m_menu;
    QAction *m_before;
    QList<QAction *> m_items; // the list and its separators
};
