#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One running program per user and display: a later start hands its
// documents to the program already running, through a local socket named
// after the user's runtime folder and the display, and ends. Separate
// desktop logins, and tests with a runtime folder of their own, never meet.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // How long a running program has to answer before it counts as gone.
    static constexpr int AnswerTimeoutMs = 1000;

    enum class Role {
        HandedOver, // a running program took the documents: end this one
        Running,    // this is the running program now; later starts reach it
        Alone,      // neither: the socket could not be set up (runs on its own)
    };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket's name for this user's runtime folder and this display.
    static QString serverName();

    // Hands the documents (absolute paths; none just raises the window) to
    // the program listening under name, or else becomes that program. A
    // socket left behind by a program that ended without closing it, or one
    // whose program does not answer within AnswerTimeoutMs, is taken over.
    Role claim(const QString &name, const QStringList &files);

signals:
    // A later start asked for these documents (none: just show yourself).
    void requested(const QStringList &files);

private:
    enum class Delivery { Delivered, NoAnswer, NoProgram };
    static Delivery deliver(const QString &name, const QStringList &files);
    void serve(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
};
