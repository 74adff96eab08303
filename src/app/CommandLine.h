#pragma once

#include <QString>
#include <QStringList>

class frmSplash;

// What the command line asks of the program: start (and open a document
// after ENTER), print help or the version, or refuse with a usage message.
// It is read before any window exists, so printing and refusing need no
// display.
class CommandLine {
public:
    enum class Action {
        Start,  // start as usual; file() is opened after ENTER when not empty
        Print,  // print text() on standard output and end successfully
        Refuse, // print text() on standard error and end with UsageError
    };
    static constexpr int UsageError = 2;

    // arguments as QCoreApplication::arguments() gives them, program first.
    static CommandLine parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The document to open, as an absolute path (relative to the folder the
    // program was started in), or empty.
    QString file() const { return m_file; }
    QString text() const { return m_text; }

    // Opens file() as File, Open does, once ENTER has shown the main window
    // (and the splash has given its own warning); nothing when file() is empty.
    void openFileAfterEnter(frmSplash &splash) const;

private:
    Action m_action = Action::Start;
    QString m_file;
    QString m_text;
};
