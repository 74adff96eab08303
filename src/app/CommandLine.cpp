#include "app/CommandLine.h"

#include "BuildConfig.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

QString refusal(const QString &problem)
{
    return QStringLiteral("vellumor: %1\nTry 'vellumor --help' for more information.\n").arg(problem);
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform" is one unknown option, not eight unknown letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Vellumor, a writing aid for sermons and Bible studies. It starts with its splash\n"
                       "window; after ENTER the main window opens FILE as File, Open does."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The document to open after ENTER."),
                                 QStringLiteral("[FILE]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.m_action = Action::Refuse;
        result.m_text = refusal(parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.m_action = Action::Print;
        result.m_text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.m_action = Action::Print;
        result.m_text = QStringLiteral("Vellumor %1.%2.%3\nThis program is free: you may copy it and give it away "
                                       "to anyone, but you may not sell it.\n")
                            .arg(VELLUMOR_VERSION_MAJOR)
                            .arg(VELLUMOR_VERSION_MINOR)
                            .arg(VELLUMOR_VERSION_PATCH);
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.m_action = Action::Refuse;
        result.m_text = refusal(QStringLiteral("Vellumor opens one document at a time, but %1 were given.")
                                    .arg(files.size()));
        return result;
    }
    if (!files.isEmpty() && files.first().isEmpty()) {
        result.m_action = Action::Refuse;
        result.m_text = refusal(QStringLiteral("The document's name is empty."));
        return result;
    }
    if (!files.isEmpty())
        result.m_file = QDir::cleanPath(QFileInfo(files.first()).absoluteFilePath());
    return result;
}

void CommandLine::openFileAfterEnter(frmSplash &splash) const
{
    if (m_file.isEmpty())
        return;
    // Connected after the splash's own handler, so this runs once the main
    // window is shown and the screen warning has been answered.
    QObject::connect(
        splash.RainButton1, &RainButton::clicked, &splash,
        [&splash, file = m_file] {
            if (frmMain *main = splash.mainWindow())
                main->openFromCommandLine(file);
        },
        Qt::SingleShotConnection);
}
