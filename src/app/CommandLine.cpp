#include "app/CommandLine.h"

#include "BuildConfig.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

QString refusal(const QString &problem)
{
    return QStringLiteral("vellumor: %1\nTry 'vellumor --help' for more information.\n").arg(problem);
}

// The help names the program as users type it, not by the path it was started from.
QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: vellumor [options] [FILE...]") + text.mid(lineEnd)
           + QStringLiteral("\nQt's own options (-style, -platform, -display, -session and the others) are "
                            "accepted too.\n");
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform" is one unknown option, not eight unknown letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Vellumor, a writing aid for sermons and Bible studies. It starts with its splash\n"
                       "window; after ENTER the main window opens FILE as File, Open does. When Vellumor\n"
                       "already runs on this display, FILE is opened there instead. Of several files the\n"
                       "first is opened."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The document to open after ENTER."),
                                 QStringLiteral("[FILE...]"));

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    // Before QApplication has taken out its own options they are unknown
    // here: asking for help or the version must still work.
    if (parser.isSet(help)) {
        result.m_action = Action::Print;
        result.m_text = helpText(parser);
        return result;
    }
    // The version likewise, unless it was given a value.
    if (parser.isSet(version) && (parsed || !parser.unknownOptionNames().isEmpty())) {
        result.m_action = Action::Print;
        result.m_text = QStringLiteral("Vellumor %1.%2.%3\nThis program is free: you may copy it and give it away "
                                       "to anyone, but you may not sell it.\n")
                            .arg(VELLUMOR_VERSION_MAJOR)
                            .arg(VELLUMOR_VERSION_MINOR)
                            .arg(VELLUMOR_VERSION_PATCH);
        return result;
    }
    if (!parsed) {
        result.m_action = Action::Refuse;
        result.m_text = refusal(parser.errorText());
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.contains(QString())) {
        result.m_action = Action::Refuse;
        result.m_text = refusal(QStringLiteral("The document's name is empty."));
        return result;
    }
    for (const QString &file : files)
        result.m_files << QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    return result;
}
