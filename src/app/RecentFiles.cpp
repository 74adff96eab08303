#include "app/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const QString Key = QStringLiteral("Recent/Files");

QSettings settings()
{
    return QSettings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
}

bool samePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

QStringList without(QStringList files, const QString &path)
{
    files.removeIf([&](const QString &f) { return samePath(f, path); });
    return files;
}

} // namespace

RecentFiles::RecentFiles(QMenu *menu, QAction *before, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
    , m_before(before)
{
    // There is no status bar: the full path shows as the item's tooltip.
    m_menu->setToolTipsVisible(true);
    rebuild();
}

QStringList RecentFiles::files() const
{
    QStringList files;
    for (const QString &f : settings().value(Key).toStringList())
        if (!f.isEmpty() && files.size() < Kept && without(files, f).size() == files.size())
            files << f;
    return files;
}

void RecentFiles::add(const QString &path)
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList kept = files();
    if (kept.value(0) == file)
        return; // saved again: nothing to write
    store((QStringList{file} + without(kept, file)).mid(0, Kept));
}

void RecentFiles::remove(const QString &path)
{
    store(without(files(), QDir::cleanPath(QFileInfo(path).absoluteFilePath())));
}

void RecentFiles::store(const QStringList &files)
{
    QSettings s = settings();
    if (files.isEmpty())
        s.remove(Key);
    else
        s.setValue(Key, files);
    s.sync();
    rebuild();
}

void RecentFiles::rebuild()
{
    // Later: the list changes when a file chosen from it opens, while its
    // item is still telling that it was triggered.
    for (QAction *a : std::as_const(m_items)) {
        m_menu->removeAction(a);
        a->setObjectName(QString());
        a->deleteLater();
    }
    m_items.clear();
    const QStringList list = files();
    if (list.isEmpty())
        return;
    auto separator = [this] {
        auto *s = new QAction(m_menu);
        s->setSeparator(true);
        m_menu->insertAction(m_before, s);
        m_items << s;
    };
    separator();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString &path = list.at(i);
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto *item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), m_menu);
        item->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i + 1));
        item->setStatusTip(QDir::toNativeSeparators(path));
        item->setToolTip(QDir::toNativeSeparators(path));
        connect(item, &QAction::triggered, this, [this, path] { emit chosen(path); });
        m_menu->insertAction(m_before, item);
        m_items << item;
    }
    separator();
}
