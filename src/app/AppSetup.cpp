#include "app/AppSetup.h"

#include "app/Pictures.h"

#include <QApplication>
#include <QFont>
#include <mutex>

static void initVellumorResources()
{
    Q_INIT_RESOURCE(vellumor);
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
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace AppSetup
