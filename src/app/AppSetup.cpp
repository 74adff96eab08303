#include "app/AppSetup.h"

#include "app/Pictures.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <mutex>

static void initVellumorResources()
{
    Q_INIT_RESOURCE(vellumor);
    Q_INIT_RESOURCE(prerendered);
}

namespace AppSetup {

void initResources()
{
    static std::once_flag once;
    std::call_once(once, initVellumorResources);
}

void installFontSubstitutes()
{
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans")};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman"),
                            QStringLiteral("DejaVu Serif")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), serif);
    // Display faces of the splash window: a heavy sans and a bold book face.
    QFont::insertSubstitutions(QStringLiteral("Poster"),
                               {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(QStringLiteral("GoudyOldStyTExtBol"), serif);
}

void prepare(QApplication &app)
{
    initResources();
    installFontSubstitutes();
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setOrganizationName(QStringLiteral("Vellumor"));
    QApplication::setApplicationName(QStringLiteral("Vellumor"));
    app.setWindowIcon(programIcon());
}

QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(Pictures::pixmap(QStringLiteral("icon-16"), QSize(16, 16)));
    icon.addPixmap(Pictures::pixmap(QStringLiteral("icon"), QSize(32, 32)));
    return icon;
}

QFont designFont(const QString &family, double points, bool bold)
{
    // The first installed of the design's family and its stand-ins: given a
    // family that is not installed, Qt first asks fontconfig for fallbacks
    // (milliseconds per family, at start-up) and only then tries them.
    // Looked up in the list of families: hasFamily() asks fontconfig too.
    const QStringList families = QFontDatabase::families();
    QString installed = family;
    for (const QString &name : QStringList{family} + QFont::substitutes(family)) {
        if (families.contains(name, Qt::CaseInsensitive)) {
            installed = name;
            break;
        }
    }
    QFont f(installed);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace AppSetup
