#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/BoundView.h"
#include "reference/DataSource.h"
#include "reference/PanelFind.h"
#include "reference/IntegrityCheck.h"
#include "reference/ReferenceSchema.h"
#include "reference/SubjectList.h"
#include "reference/SubjectNeighbours.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <memory>

namespace {

QString fromView(std::string_view v)
{
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

// How long after the window is built the databases are checked for damage.
constexpr int IntegrityCheckDelay = 2000;

// The subject lookup shared by the four lists. A source that did not open
// does nothing.
void lookUp(DataSource *source, const ReferenceSchema::Table &schema, const QString &key)
{
    if (!source || !source->isOpen())
        return;
    source->selectIndex(fromView(schema.index));
    source->seek(key);
    if (source->noMatch())
        source->moveFirst();
}

// The subjects next to the user's place in the list are the likely next
// lookups (the arrow keys walk the list): have their entries ready before
// they are asked for, and let go of the others. previous: the row before
// the last move, -1 when unknown.
void prepareAround(BoundView *binding, const ReferenceSchema::Table &schema, const SubjectList *list, int previous)
{
    const int visible = list->indexAt(QPoint(1, 1)).row();
    QStringList keys;
    for (int row : SubjectNeighbours::rows(list->currentRow(), previous, visible, list->count()))
        keys << list->item(row)->text();
    binding->prepareOnly(fromView(schema.index), keys);
}

void followUser(BoundView *binding, const ReferenceSchema::Table &schema, const SubjectList *list)
{
    QObject::connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, binding,
                     [=](const QModelIndex &, const QModelIndex &previous) {
                         prepareAround(binding, schema, list, previous.row());
                     });
    // Scrolled without selecting (the mouse wheel): the subject in view is
    // the next click's target.
    QObject::connect(list->verticalScrollBar(), &QScrollBar::valueChanged, binding, [=] {
        if (list->indexAt(QPoint(1, 1)).row() != list->currentRow())
            prepareAround(binding, schema, list, -1);
    });
    prepareAround(binding, schema, list, -1);
}

QString selectedSubject(const SubjectList *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item ? item->text() : QString();
}

QString withoutLeadingBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

void textNotFound(QWidget *window)
{
    QMessageBox::information(window, QStringLiteral("Vellumor"),
                             QStringLiteral("End of Document") + QChar(13) + QStringLiteral("Text Not Found"),
                             QMessageBox::Ok);
}

void findFirst(QWidget *window, RichTextBox *view, const QLineEdit *box)
{
    const int found = view->Find(withoutLeadingBlanks(box->text()));
    view->SetFocus();
    if (found == -1)
        textNotFound(window);
}

// Find in a reference panel: the entry on show, then the rest of the panel.
void findInPanel(QWidget *window, PanelFind *panel, RichTextBox *view, const QLineEdit *box)
{
    QString problem;
    const PanelFind::Result result = panel->find(withoutLeadingBlanks(box->text()), &problem);
    view->SetFocus();
    if (result == PanelFind::Result::NotFound)
        textNotFound(window);
    else if (result == PanelFind::Result::NoSuchReference)
        QMessageBox::information(window, QStringLiteral("Vellumor"), problem, QMessageBox::Ok);
}

void findFollowing(RichTextBox *view, const QLineEdit *box)
{
    view->SetFocus();
    const QString text = box->text();
    view->Find(text, view->SelStart() + 1);
}

} // namespace

void frmMain::setUpReferencePanels()
{
    struct Panel {
        const ReferenceSchema::Table &schema;
        DataSource *&source;
        const char *name;
        RichTextBox *view;
        const SubjectList *list;
        BoundView *&binding;
    };
    const Panel panels[] = {
        {ReferenceSchema::Bible, databible, "databible", RichTextBox2, lstBible, m_bibleView},
        {ReferenceSchema::Joke, datajoke, "datajoke", RichTextBox5, lstJoke, m_jokeView},
        {ReferenceSchema::Quote, dataquote, "dataquote", RichTextBox3, LstQuote, m_quoteView},
        {ReferenceSchema::Sermon, datasermon, "datasermon", RichTextBox4, lstSermonType, m_sermonView},
    };

    // A damaged file is named once, however often reading it fails.
    auto named = std::make_shared<QSet<QString>>();
    const auto reportDamage = [this, named](const QString &path, const QString &problem) {
        if (named->contains(path))
            return;
        named->insert(path);
        const QString text = tr("A reference file is damaged, so some of its entries cannot be shown:")
            + QStringLiteral("\n\n") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + problem;
        // After the lookup that met it, not inside it.
        QTimer::singleShot(0, this, [this, text] {
            QMessageBox::warning(this, QStringLiteral("Vellumor"), text, QMessageBox::Ok);
        });
    };

    QStringList problems;
    QStringList opened;
    for (const Panel &p : panels) {
        p.source = new DataSource(this);
        p.source->setObjectName(QString::fromLatin1(p.name));
        // Reference text can be selected, copied and searched, never typed over.
        p.view->setReadOnly(true);
        p.view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

        const QString path = QDir(m_dataDir).filePath(fromView(p.schema.file));
        QString problem;
        if (!p.source->open(path, p.schema, &problem)) {
            problems << QDir::toNativeSeparators(path) + QStringLiteral(": ") + problem;
            p.view->clear();
            continue;
        }
        connect(p.source, &DataSource::readFailed, this,
                [reportDamage, path](const QString &problem) { reportDamage(path, problem); });
        opened << path;
        p.binding = new BoundView(p.source, p.view, this);
        followUser(p.binding, p.schema, p.list);
    }

    m_bibleFind = new PanelFind(PanelFind::Panel::Bible, databible, fromView(ReferenceSchema::Bible.index), lstBible,
                                RichTextBox2, this);
    m_jokeFind = new PanelFind(PanelFind::Panel::Dictionary, datajoke, fromView(ReferenceSchema::Joke.index), lstJoke,
                               RichTextBox5, this);
    for (auto [find, binding] : {std::pair{m_bibleFind, m_bibleView}, std::pair{m_jokeFind, m_jokeView}})
        if (binding)
            find->setBeforeSearch([binding = QPointer<BoundView>(binding)] {
                if (binding)
                    binding->completeNow();
            });
    // Damage that no lookup has met yet: checked in the background once the
    // window is up, so that start-up never waits for it.
    auto *check = new IntegrityCheck(this);
    connect(check, &IntegrityCheck::damaged, this, reportDamage);
    QTimer::singleShot(IntegrityCheckDelay, check, [check, opened] { check->start(opened); });

    if (!problems.isEmpty()) {
        // After the window is built, once, for all the files at once.
        const QString text = tr("Some reference files could not be used, so their panels stay empty:")
            + QStringLiteral("\n\n") + problems.join(QLatin1Char('\n'));
        QTimer::singleShot(0, this, [this, text] {
            QMessageBox::warning(this, QStringLiteral("Vellumor"), text, QMessageBox::Ok);
        });
    }
}

void frmMain::lstBible_Click()
{
    strBibleSubject = selectedSubject(lstBible);
    lookUp(databible, ReferenceSchema::Bible, strBibleSubject);
}

void frmMain::lstJoke_Click()
{
    const QString subject = selectedSubject(lstJoke);
    lookUp(datajoke, ReferenceSchema::Joke, subject);
}

void frmMain::LstQuote_Click()
{
    strQuoteSubject = selectedSubject(LstQuote);
    lookUp(dataquote, ReferenceSchema::Quote, strQuoteSubject);
}

void frmMain::lstSermonType_Click()
{
    strSermonSubject = selectedSubject(lstSermonType);
    lookUp(datasermon, ReferenceSchema::Sermon, strSermonSubject);
}

void frmMain::rnbFind1_Click()
{
    findInPanel(this, m_bibleFind, RichTextBox2, txtTextBox1);
}

void frmMain::rnbFindNext1_Click()
{
    m_bibleFind->findNext(txtTextBox1->text());
}

void frmMain::rnbFind2_Click()
{
    findInPanel(this, m_jokeFind, RichTextBox5, txtTextBox2);
}

void frmMain::rnbFindNext2_Click()
{
    m_jokeFind->findNext(txtTextBox2->text());
}

void frmMain::rnbFind3_Click()
{
    findFirst(this, RichTextBox1, txtTextBox3);
}

void frmMain::rnbFindNext3_Click()
{
    findFollowing(RichTextBox1, txtTextBox3);
}

void frmMain::mnuFindText3_Click()
{
    rnbFind3->setVisible(true);
    txtTextBox3->setVisible(true);
    rnbFindNext3->setVisible(true);
    RichTextBox1->Find(txtTextBox3->text(), RichTextBox1->SelStart() + 1);
}
