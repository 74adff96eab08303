// Spelling in the sermon document: the Tools menu's check-as-you-type item
// and the checker behind it, loaded off the GUI thread.

#include "app/frmMain.h"

#include "editor/RichTextBox.h"
#include "editor/TextDecorations.h"
#include "reference/ReferenceSchema.h"
#include "spelling/DocumentSpelling.h"
#include "spelling/SpellChecker.h"
#include "spelling/Speller.h"

#include <QDir>
#include <QFutureWatcher>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QtConcurrent>

namespace {

const QString SettingsGroup = QStringLiteral("Spelling");
const QString CheckAsYouTypeKey = QStringLiteral("CheckAsYouType");

} // namespace

void frmMain::setUpSpelling()
{
    mnuToolsSpelling = mnuTools->addAction(QStringLiteral("Check &Spelling as You Type"));
    mnuToolsSpelling->setObjectName(QStringLiteral("mnuToolsSpelling"));
    mnuToolsSpelling->setCheckable(true);
    QSettings settings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
    mnuToolsSpelling->setChecked(settings.value(SettingsGroup + u'/' + CheckAsYouTypeKey, true).toBool());
    // The reason the item is off, when it is, shows as its tip in the menu.
    mnuTools->setToolTipsVisible(true);
    connect(mnuToolsSpelling, &QAction::toggled, this, [this](bool on) {
        QSettings s(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
        s.setValue(SettingsGroup + u'/' + CheckAsYouTypeKey, on);
        if (m_spelling)
            m_spelling->setEnabled(on);
    });

    const SpellChecker::Setup setup{
        SpellChecker::dictionaryFolders(), QLocale::system(),
        QDir(m_dataDir).filePath(QString::fromLatin1(ReferenceSchema::KjvWordsFile.data(),
                                                     qsizetype(ReferenceSchema::KjvWordsFile.size()))),
        SpellChecker::personalWordsPath()};
    if (!Speller::find(setup.dictionaryFolders, setup.locale)) {
        const QString tip = QStringLiteral("No spelling dictionary is installed: install the package %1 "
                                           "to check spelling.")
                                .arg(Speller::packageFor(setup.locale));
        mnuToolsSpelling->setEnabled(false);
        mnuToolsSpelling->setStatusTip(tip);
        mnuToolsSpelling->setToolTip(tip);
        return;
    }
    // Loaded once there is something to check: a dictionary takes some
    // 8 MB, which a program just started need not hold yet.
    auto started = std::make_shared<QMetaObject::Connection>();
    *started = connect(RichTextBox1, &RichTextBox::Change, this, [this, setup, started] {
        disconnect(*started);
        auto *loading = new QFutureWatcher<std::shared_ptr<SpellChecker>>(this);
        connect(loading, &QFutureWatcherBase::finished, this, [this, loading] {
            loading->deleteLater();
            const std::shared_ptr<SpellChecker> checker = loading->result();
            if (!checker->hasDictionary())
                return; // found at start, unreadable now: nothing is marked
            m_spelling = new DocumentSpelling(RichTextBox1, documentDecorations(), checker);
            m_spelling->setObjectName(QStringLiteral("documentSpelling"));
            m_spelling->setEnabled(mnuToolsSpelling->isChecked());
            connect(m_spelling, &DocumentSpelling::addFailed, this, [this](const QString &message) {
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellumor"), message, QMessageBox::Ok, this);
                box.exec();
            });
        });
        loading->setFuture(
            QtConcurrent::run([setup] { return std::shared_ptr<SpellChecker>(SpellChecker::load(setup)); }));
    });
}
