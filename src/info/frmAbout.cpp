#include "info/frmAbout.h"

#include "BuildConfig.h"
#include "app/AppSetup.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "app/WindowCentring.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>

frmAbout::frmAbout(QWidget *owner, SystemInfoLocator::Places places)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_locator(std::move(places))
{
    AppSetup::initResources();
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vellumor"));
    setWindowIcon(AppSetup::programIcon());
    setFont(AppSetup::designFont(QStringLiteral("MS Sans Serif"), 8.25));
    setSizeGripEnabled(false);
    resize(Twips::toPx(5865), Twips::toPx(4620));
    m_background = Pictures::pixmap(QStringLiteral("splash"), QSize(768, 512));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setAutoFillBackground(true);
    QPalette iconPalette = picIcon->palette();
    iconPalette.setColor(QPalette::Window, QColor(255, 192, 255));
    picIcon->setPalette(iconPalette);
    picIcon->setPixmap(Pictures::pixmap(QStringLiteral("about"), QSize(62, 99)));
    Twips::place(picIcon, 240, 240, 990, 1545);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    QPalette okPalette = cmdOK->palette();
    okPalette.setColor(QPalette::Button, QColor(255, 0, 255));
    // Black reads on the magenta face whatever the desktop's button text colour.
    okPalette.setColor(QPalette::ButtonText, Qt::black);
    cmdOK->setPalette(okPalette);
    cmdOK->setDefault(true);
    Twips::place(cmdOK, 4245, 2625, 1467, 345);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    Twips::place(cmdSysInfo, 4260, 3075, 1452, 345);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    // Labels are transparent so the background picture shows through them.
    auto label = [this](const char *name, const QString &text, const QColor &colour,
                        Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAutoFillBackground(false);
        l->setAttribute(Qt::WA_TranslucentBackground);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, colour);
        l->setPalette(p);
        l->setAlignment(align);
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);
        return l;
    };

    Label1 = label("Label1", QStringLiteral("email questions or comments to: help@vellumor.org"),
                   QColor(255, 255, 0), Qt::AlignHCenter | Qt::AlignTop);
    Twips::place(Label1, 480, 3840, 3135, 495);
    lblDescription = label("lblDescription",
                           QStringLiteral("The Vellumor software was designed to help Ministers develop sermons, "
                                          "teach Sunday School,  or direct bible study by providing a massive "
                                          "amount of material that is a simple cut and paste away.   "),
                           QColor(255, 192, 255));
    Twips::place(lblDescription, 1410, 1125, 3735, 1170);
    lblTitle = label("lblTitle", QStringLiteral("Application Title"), QColor(255, 255, 255));
    lblTitle->setFont(AppSetup::designFont(QStringLiteral("Times New Roman"), 18, true));
    Twips::place(lblTitle, 1410, 240, 3735, 480);
    lblVersion = label("lblVersion", QStringLiteral("Version"), QColor(128, 255, 255));
    lblVersion->setFont(AppSetup::designFont(QStringLiteral("Times New Roman"), 8.25));
    Twips::place(lblVersion, 1410, 780, 3735, 225);
    lblDisclaimer = label("lblDisclaimer",
                          QStringLiteral("Vellumor is free: you may copy it and give it away to anyone, but you "
                                         "may not sell it. It comes with no warranty of any kind; the notice at "
                                         "the end of the help text tells more."),
                          QColor(255, 192, 255));
    Twips::place(lblDisclaimer, 480, 2625, 3510, 1065);

    setAccessibleName(QStringLiteral("About Vellumor"));
    picIcon->setAccessibleName(QStringLiteral("Picture: a quill over a written scroll"));
    cmdSysInfo->setAccessibleDescription(QStringLiteral("Starts the system information program"));

    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();
    Form_Load();
}

frmAbout::~frmAbout() = default;

QString frmAbout::unavailableMessage()
{
    return QStringLiteral("System Information Is Unavailable At This Time");
}

void frmAbout::Form_Load()
{
    // Centred on the screen, not on the owner; framed as the owner is.
    WindowCentring::centre(this, WindowCentring::frameOf(parentWidget()));
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(VELLUMOR_VERSION_MAJOR)
                            .arg(VELLUMOR_VERSION_MINOR)
                            .arg(VELLUMOR_VERSION_PATCH));
    lblTitle->setText(QCoreApplication::applicationName());
}

void frmAbout::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 255, 128));
    painter.drawPixmap(0, 0, m_background);

    // The etched rule: a grey line with a white one just below it.
    const int right = Twips::toPx(5657);
    painter.fillRect(QRect(QPoint(Twips::toPx(225), Twips::toPx(2430)), QPoint(right, Twips::toPx(2430))),
                     QColor(128, 128, 128));
    painter.fillRect(QRect(QPoint(Twips::toPx(240), Twips::toPx(2445)), QPoint(right, Twips::toPx(2445) + 1)),
                     QColor(255, 255, 255));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

bool frmAbout::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal) const
{
    return m_locator.GetKeyValue(KeyRoot, KeyName, SubKeyRef, KeyVal);
}

void frmAbout::StartSysInfo()
{
    const std::optional<QString> program = m_locator.locate();
    if (program && QProcess::startDetached(*program, {}))
        return;
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), unavailableMessage(),
                    QMessageBox::Ok, this);
    box.exec();
}
