#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/BoundView.h"
#include "reference/DataSource.h"
#include "reference/PanelFind.h"
#include "reference/ReferenceSchema.h"
#include "reference/SubjectList.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

QString fromView(std::string_view v)
{
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

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

// The entries next to the selected subject are the likely next lookups
// (the arrow keys walk the list): have them ready before they are asked for.
void prefetchAround(BoundView *binding, const ReferenceSchema::Table &schema, const SubjectList *list)
{
    if (!binding || !binding->source() || !binding->source()->isOpen())
        return;
    const int row = list->currentRow();
    QStringList keys;
    for (int offset : {1, -1, 2})
        if (const QListWidgetItem *item = list->item(row + offset))
            keys << item->text();
    binding->prefetch(fromView(schema.index), keys);
}

QStringList itemsOf(const SubjectList *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
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

    QStringList problems;
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
        p.binding = new BoundView(p.source, p.view, this);
        p.binding->warmUp(fromView(p.schema.index), itemsOf(p.list));
    }

    m_bibleFind = new PanelFind(PanelFind::Panel::Bible, databible, fromView(ReferenceSchema::Bible.index), lstBible,
                                RichTextBox2, this);
    m_jokeFind = new PanelFind(PanelFind::Panel::Dictionary, datajoke, fromView(ReferenceSchema::Joke.index), lstJoke,
                               RichTextBox5, this);

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
    prefetchAround(m_bibleView, ReferenceSchema::Bible, lstBible);
}

void frmMain::lstJoke_Click()
{
    const QString subject = selectedSubject(lstJoke);
    lookUp(datajoke, ReferenceSchema::Joke, subject);
    prefetchAround(m_jokeView, ReferenceSchema::Joke, lstJoke);
}

void frmMain::LstQuote_Click()
{
    strQuoteSubject = selectedSubject(LstQuote);
    lookUp(dataquote, ReferenceSchema::Quote, strQuoteSubject);
    prefetchAround(m_quoteView, ReferenceSchema::Quote, LstQuote);
}

void frmMain::lstSermonType_Click()
{
    strSermonSubject = selectedSubject(lstSermonType);
    lookUp(datasermon, ReferenceSchema::Sermon, strSermonSubject);
    prefetchAround(m_sermonView, ReferenceSchema::Sermon, lstSermonType);
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
