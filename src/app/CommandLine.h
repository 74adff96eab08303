#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program: start (and open documents
// after ENTER), print help or the version, or refuse with a usage message.
// It is read twice: before any window exists, where only printing counts
// (help and version need no display, and Qt's own options are not known
// yet), and once QApplication has taken its own options out of it.
class CommandLine {
public:
    enum class Action {
        Start,  // start as usual; files() are opened after ENTER
        Print,  // print text() on standard output and end successfully
        Refuse, // print text() on standard error and end with UsageError
    };
    static constexpr int UsageError = 2;

    // arguments as QCoreApplication::arguments() gives them, program first.
    // Help and version are printed whatever else the line holds.
    static CommandLine parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The documents given, as absolute paths (relative to the folder the
    // program was started in), in order. One document is open at a time:
    // the first is opened, the others are named as not opened.
    QStringList files() const { return m_files; }
    QString text() const { return m_text; }

private:
    Action m_action = Action::Start;
    QStringList m_files;
    QString m_text;
};
