#include "editor/DocumentRecovery.h"

#include "editor/DocumentFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>
#include <QUuid>

#include <algorithm>

namespace {

const QByteArray Magic = QByteArrayLiteral("Vellumor recovery 1\n");
const QString DataSuffix = QStringLiteral(".recovery");
const QString LockSuffix = QStringLiteral(".lock");
const QString DamagedSuffix = QStringLiteral(".damaged");

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray fileBytes(const QByteArray &rtf, const QString &fileName, bool changed, bool richText,
                     const QDateTime &time)
{
    QByteArray out = Magic;
    out += "time: " + time.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    out += QByteArrayLiteral("changed: ") + (changed ? "yes" : "no") + '\n';
    out += QByteArrayLiteral("format: ") + (richText ? "rtf" : "text") + '\n';
    out += "file: " + QUrl::toPercentEncoding(fileName) + '\n';
    out += "length: " + QByteArray::number(rtf.size()) + '\n';
    out += "checksum: " + checksum(rtf) + '\n';
    out += '\n';
    out += rtf;
    return out;
}

void setProblem(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
}

// A lock that counts as stale only when its process is gone: a long-running
// program's lock is never taken over because of its age.
std::unique_ptr<QLockFile> makeLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    return lock;
}

QString lockPathFor(const QString &dataPath)
{
    return dataPath.chopped(DataSuffix.size()) + LockSuffix;
}

} // namespace

// Seen only by the worker thread, one job at a time.
struct DocumentRecovery::WorkerState {
    bool lastWriteOk = true;
};

// ------------------------------------------------------------------ Orphan

DocumentRecovery::Orphan::Orphan(QString path_, std::unique_ptr<QLockFile> lock)
    : path(std::move(path_))
    , m_lock(std::move(lock))
{
}

DocumentRecovery::Orphan::Orphan(Orphan &&) noexcept = default;
DocumentRecovery::Orphan &DocumentRecovery::Orphan::operator=(Orphan &&) noexcept = default;
DocumentRecovery::Orphan::~Orphan() = default;

bool DocumentRecovery::Orphan::remove(QString *reason)
{
    QFile file(path);
    const bool ok = !file.exists() || file.remove();
    if (!ok && reason)
        *reason = file.errorString();
    release();
    return ok;
}

bool DocumentRecovery::Orphan::setAside(QString *newPath, QString *reason)
{
    QString target = path + DamagedSuffix;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + DamagedSuffix + QString::number(n);
    QFile file(path);
    const bool ok = file.rename(target);
    if (ok && newPath)
        *newPath = target;
    if (!ok && reason)
        *reason = file.errorString();
    release();
    return ok;
}

void DocumentRecovery::Orphan::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

// -------------------------------------------------------- DocumentRecovery

DocumentRecovery::DocumentRecovery(QObject *parent)
    : QObject(parent)
    , m_state(std::make_shared<WorkerState>())
{
    // One worker: writes and removals happen in the order they were asked for.
    m_worker.setMaxThreadCount(1);
    m_idle.setSingleShot(true);
    m_longest.setSingleShot(true);
    setDelays(std::chrono::seconds(2), std::chrono::seconds(25));
    connect(&m_idle, &QTimer::timeout, this, &DocumentRecovery::writeNow);
    connect(&m_longest, &QTimer::timeout, this, &DocumentRecovery::writeNow);
}

DocumentRecovery::~DocumentRecovery()
{
    // A pending write finishes, so the file on disk is whole; the lock goes
    // with this object, and a file still there is offered at the next start.
    m_idle.stop();
    m_longest.stop();
    m_worker.waitForDone();
}

QString DocumentRecovery::defaultFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("recovery"));
}

bool DocumentRecovery::start(const QString &folder, QString *reason)
{
    if (m_lock)
        return true;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        setProblem(reason, QStringLiteral("The folder \"%1\" cannot be created.").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    const QString base = QDir(folder).filePath(QUuid::createUuid().toString(QUuid::Id128));
    auto lock = makeLock(base + LockSuffix);
    if (!lock->tryLock(0)) {
        setProblem(reason, QStringLiteral("The folder \"%1\" cannot be written to.").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    m_folder = folder;
    m_path = base + DataSuffix;
    m_lock = std::move(lock);
    return true;
}

void DocumentRecovery::setDelays(std::chrono::milliseconds idle, std::chrono::milliseconds longest)
{
    m_idle.setInterval(idle);
    m_longest.setInterval(longest);
}

void DocumentRecovery::noteEdit()
{
    if (!isActive())
        return;
    m_idle.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void DocumentRecovery::setPaused(bool paused)
{
    m_paused = paused;
    // Written after the usual pause, not at once: a job that opened a
    // document is followed by discard(), which must be able to cancel it.
    if (!paused && std::exchange(m_writeWhenResumed, false))
        m_idle.start();
}

void DocumentRecovery::writeNow()
{
    m_idle.stop();
    m_longest.stop();
    if (!isActive() || !m_source)
        return;
    if (m_paused) {
        m_writeWhenResumed = true;
        return;
    }
    // Only the capture runs here; the RTF text and the file are made on the worker.
    auto snapshot = std::make_shared<Snapshot>(m_source());
    m_fileQueued = true;
    m_worker.start([this, snapshot, state = m_state, path = m_path] {
        QString reason;
        state->lastWriteOk = DocumentFile::writeBytes(path, encode(*snapshot), &reason);
        if (state->lastWriteOk)
            QMetaObject::invokeMethod(this, [this, path] { emit written(path); }, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(this, [this, reason] { emit writeFailed(reason); }, Qt::QueuedConnection);
    });
}

void DocumentRecovery::discard()
{
    m_idle.stop();
    m_longest.stop();
    m_writeWhenResumed = false;
    if (!isActive() || !m_fileQueued)
        return;
    m_fileQueued = false;
    m_worker.start([path = m_path] { QFile::remove(path); });
}

void DocumentRecovery::waitForWorker()
{
    m_worker.waitForDone();
}

std::vector<DocumentRecovery::Orphan> DocumentRecovery::takeOrphans()
{
    std::vector<Orphan> orphans;
    if (!isActive())
        return orphans;
    const QDir dir(m_folder);
    const QStringList files = dir.entryList({QLatin1Char('*') + DataSuffix}, QDir::Files | QDir::Hidden);
    for (const QString &name : files) {
        const QString path = dir.filePath(name);
        if (path == m_path)
            continue;
        auto lock = makeLock(lockPathFor(path));
        // Held: its program is running.
        if (!lock->tryLock(0))
            continue;
        Orphan orphan(path, std::move(lock));
        QFile file(path);
        if (file.size() > MaxFileBytes) {
            orphan.problem = QStringLiteral("It is larger than %1 MB.").arg(MaxFileBytes / (1024 * 1024));
        } else if (!file.open(QIODevice::ReadOnly)) {
            orphan.problem = file.errorString();
        } else {
            // Read no further than the limit, should it have grown meanwhile.
            orphan.contents = decode(file.read(MaxFileBytes + 1), &orphan.problem);
        }
        orphan.time = orphan.contents ? orphan.contents->time : QFileInfo(path).lastModified();
        orphans.push_back(std::move(orphan));
    }
    // A dead program's lock without a recovery file: it had nothing unsaved.
    const QStringList locks = dir.entryList({QLatin1Char('*') + LockSuffix}, QDir::Files | QDir::Hidden);
    for (const QString &name : locks) {
        const QString path = dir.filePath(name);
        const QString data = path.chopped(LockSuffix.size()) + DataSuffix;
        if (path == m_lock->fileName() || QFileInfo::exists(data))
            continue;
        auto lock = makeLock(path);
        if (lock->tryLock(0))
            lock->unlock();
    }
    std::stable_sort(orphans.begin(), orphans.end(), [](const Orphan &a, const Orphan &b) { return a.time > b.time; });
    return orphans;
}

void DocumentRecovery::removeAfterWrites(Orphan orphan)
{
    auto held = std::make_shared<Orphan>(std::move(orphan));
    m_worker.start([held, state = m_state] {
        if (state->lastWriteOk)
            held->remove(nullptr);
        else
            held->release();
    });
}

QByteArray DocumentRecovery::encode(const Snapshot &snapshot)
{
    return fileBytes(RtfWriter::write(snapshot.content).toLatin1(), snapshot.fileName, snapshot.changed,
                     snapshot.richText, snapshot.time);
}

QByteArray DocumentRecovery::encode(const Contents &contents)
{
    return fileBytes(contents.rtf.toUtf8(), contents.fileName, contents.changed, contents.richText, contents.time);
}

std::optional<DocumentRecovery::Contents> DocumentRecovery::decode(const QByteArray &bytes, QString *problem)
{
    if (bytes.isEmpty()) {
        setProblem(problem, QStringLiteral("It is empty."));
        return std::nullopt;
    }
    if (!bytes.startsWith(Magic)) {
        setProblem(problem, QStringLiteral("It is not a recovery file of this program."));
        return std::nullopt;
    }
    const QString incomplete = QStringLiteral("It is incomplete.");
    const qsizetype headerEnd = bytes.indexOf("\n\n", Magic.size() - 1);
    if (headerEnd < 0) {
        setProblem(problem, incomplete);
        return std::nullopt;
    }
    QHash<QByteArray, QByteArray> fields;
    const QByteArray header = bytes.mid(Magic.size(), headerEnd - Magic.size() + 1);
    for (const QByteArray &line : header.split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        if (colon > 0)
            fields.insert(line.left(colon), line.mid(colon + 2));
    }
    const QString damaged = QStringLiteral("Its content is damaged.");
    bool lengthOk = false;
    const qint64 length = fields.value("length").toLongLong(&lengthOk);
    Contents c;
    c.time = QDateTime::fromString(QString::fromLatin1(fields.value("time")), Qt::ISODateWithMs);
    const QByteArray changed = fields.value("changed");
    const QByteArray format = fields.value("format");
    if (!lengthOk || length < 0 || !c.time.isValid() || (changed != "yes" && changed != "no")
        || (format != "rtf" && format != "text") || !fields.contains("file") || !fields.contains("checksum")) {
        setProblem(problem, damaged);
        return std::nullopt;
    }
    const QByteArray rtf = bytes.mid(headerEnd + 2);
    if (rtf.size() < length) {
        setProblem(problem, incomplete);
        return std::nullopt;
    }
    if (rtf.size() != length || checksum(rtf) != fields.value("checksum") || !rtf.startsWith("{\\rtf")) {
        setProblem(problem, damaged);
        return std::nullopt;
    }
    c.rtf = QString::fromUtf8(rtf);
    c.fileName = QUrl::fromPercentEncoding(fields.value("file"));
    c.changed = changed == "yes";
    c.richText = format == "rtf";
    return c;
}
