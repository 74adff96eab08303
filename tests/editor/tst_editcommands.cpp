#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"
#include "editor/FontDialog.h"
#include "editor/RichTextBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using Tri = RichTextBox::Tri;

class TestEditCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copyOfBoldWordPastesBackBold_data();
    void copyOfBoldWordPastesBackBold();
    void copyAndCutWithEmptySelectionLeaveEverything();
    void cutIsUndoable();
    void plainTextPastesAsTyped();
    void pasteWithEmptyClipboardDeletesSelection();
    void editMenuEnabling();
    void clearAllEmptiesAndUndoes();
    void upperCaseKeepsEachCharactersFormat_data();
    void upperCaseKeepsEachCharactersFormat();
    void lowerCaseKeepsFormat();
    void emptySelectionCaseCommandsChangeNothing();
    void togglesOnEmptySelectionAffectTypedText();
    void togglesOnMixedSelectionSetAll();
    void alignmentIndexMapping();
    void fontDialogCancelChangesNothing();
    void fontDialogStartsFromTheSelectionAndKeepsTheRest_data();
    void fontDialogStartsFromTheSelectionAndKeepsTheRest();
    void fontDialogListsTakingFocusKeepTheChoice();
    void shortcutsRouteToDocumentOrNatively();
    void ctrlVWithNothingPasteableKeepsSelection_data();
    void ctrlVWithNothingPasteableKeepsSelection();

private:
    // "Grace and Peace" with the last word bold, the whole text selected.
    void graceAndPeace(const QString &text = QStringLiteral("Grace and Peace"));
    RichTextBox *doc() const { return m_main->RichTextBox1; }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<frmMain> m_main;
};

void TestEditCommands::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestEditCommands::init()
{
    clipboard()->clear();
    // Without reference databases the window warns once after it is built.
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    m_main = std::make_unique<frmMain>(m_data.path());
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    warning.stop();
}

void TestEditCommands::cleanup()
{
    m_main.reset();
}

void TestEditCommands::graceAndPeace(const QString &text)
{
    doc()->SetText(text);
    doc()->setSelection(10, 5);
    doc()->SetSelBold(true);
    doc()->setSelection(0, int(text.size()));
}

void TestEditCommands::copyOfBoldWordPastesBackBold_data()
{
    // How the copy reaches Paste: as Copy left it; as plain text only, the
    // way older copies and other programs give RTF; as an RTF flavour alone.
    QTest::addColumn<QString>("arrives");
    QTest::newRow("as copied") << "copied";
    QTest::newRow("RTF as plain text") << "text";
    QTest::newRow("RTF flavour alone") << "flavour";
}

void TestEditCommands::copyOfBoldWordPastesBackBold()
{
    QFETCH(QString, arrives);
    graceAndPeace();
    doc()->setSelection(10, 5);
    m_main->mnuEditCopy_Click();

    // Other programs get the plain text, and word processors the RTF.
    const QMimeData *copied = clipboard()->mimeData();
    QCOMPARE(copied->text(), QStringLiteral("Peace"));
    const QByteArray rtf = copied->data(QStringLiteral("text/rtf"));
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(rtf.contains("Peace"));
    QCOMPARE(copied->data(QStringLiteral("application/rtf")), rtf);

    if (arrives != QLatin1String("copied")) {
        auto *mime = new QMimeData;
        if (arrives == QLatin1String("text"))
            mime->setText(QString::fromLatin1(rtf));
        else
            mime->setData(QStringLiteral("application/rtf"), rtf);
        clipboard()->setMimeData(mime);
    }
    doc()->setSelection(0, 0);
    m_main->mnuEditPaste_Click();
    QCOMPARE(doc()->Text(), QStringLiteral("PeaceGrace and Peace"));
    doc()->setSelection(0, 5);
    QCOMPARE(doc()->SelBold(), Tri::On);
    doc()->setSelection(5, 6);
    QCOMPARE(doc()->SelBold(), Tri::Off);
}

void TestEditCommands::copyAndCutWithEmptySelectionLeaveEverything()
{
    clipboard()->setText(QStringLiteral("kept"));
    graceAndPeace();
    doc()->setSelection(3, 0);
    QSignalSpy changes(doc(), &RichTextBox::Change);
    m_main->mnuEditCopy_Click();
    m_main->mnuEditCut_Click();
    QCOMPARE(clipboard()->text(), QStringLiteral("kept"));
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
    QCOMPARE(changes.count(), 0);
}

void TestEditCommands::cutIsUndoable()
{
    graceAndPeace();
    doc()->setSelection(5, 4);
    m_main->mnuEditCut_Click();
    QCOMPARE(doc()->Text(), QStringLiteral("Grace Peace"));
    QCOMPARE(clipboard()->text(), QStringLiteral(" and"));
    QVERIFY(clipboard()->mimeData()->data(QStringLiteral("text/rtf")).startsWith("{\\rtf"));
    doc()->undo();
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
}

void TestEditCommands::plainTextPastesAsTyped()
{
    graceAndPeace();
    clipboard()->setText(QStringLiteral("{\\b not RTF} \\par"));
    doc()->setSelection(0, 5);
    m_main->mnuEditPaste_Click();
    QCOMPARE(doc()->Text(), QStringLiteral("{\\b not RTF} \\par and Peace"));
}

void TestEditCommands::pasteWithEmptyClipboardDeletesSelection()
{
    graceAndPeace();
    QVERIFY(clipboard()->text().isEmpty());
    doc()->setSelection(6, 4);
    m_main->mnuEditPaste_Click();
    QCOMPARE(doc()->Text(), QStringLiteral("Grace Peace"));
}

void TestEditCommands::editMenuEnabling()
{
    graceAndPeace();
    doc()->setSelection(2, 0);
    m_main->mnuEdit_Click();
    QVERIFY(!m_main->mnuEditPaste->isEnabled());
    QVERIFY(!m_main->mnuEditCopy->isEnabled());
    QVERIFY(!m_main->mnuEditCut->isEnabled());
    QVERIFY(m_main->mnuClearAll->isEnabled());

    clipboard()->setText(QStringLiteral("x"));
    doc()->setSelection(2, 3);
    m_main->mnuEdit_Click();
    QVERIFY(m_main->mnuEditPaste->isEnabled());
    QVERIFY(m_main->mnuEditCopy->isEnabled());
    QVERIFY(m_main->mnuEditCut->isEnabled());
    QVERIFY(m_main->mnuClearAll->isEnabled());

    // Opening the menu is what runs the check.
    clipboard()->clear();
    emit m_main->mnuEdit->aboutToShow();
    QVERIFY(!m_main->mnuEditPaste->isEnabled());
}

void TestEditCommands::clearAllEmptiesAndUndoes()
{
    graceAndPeace();
    QSignalSpy changes(doc(), &RichTextBox::Change);
    m_main->mnuClearAll_Click();
    QCOMPARE(doc()->Text(), QString());
    QVERIFY(changes.count() >= 1);
    doc()->undo();
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
    doc()->setSelection(10, 5);
    QCOMPARE(doc()->SelBold(), Tri::On);
}

void TestEditCommands::upperCaseKeepsEachCharactersFormat_data()
{
    QTest::addColumn<int>("boldStart"); // the bold word of "Grace and Peace"
    QTest::addColumn<bool>("backwards"); // selected from right to left
    QTest::addColumn<bool>("button");   // cmdUpperCase instead of All Caps

    QTest::newRow("last word bold, left to right") << 10 << false << false;
    QTest::newRow("last word bold, right to left") << 10 << true << true;
    QTest::newRow("first word bold, left to right") << 0 << false << true;
    QTest::newRow("first word bold, right to left") << 0 << true << false;
}

void TestEditCommands::upperCaseKeepsEachCharactersFormat()
{
    QFETCH(int, boldStart);
    QFETCH(bool, backwards);
    QFETCH(bool, button);

    doc()->SetText(QStringLiteral("Grace and Peace"));
    doc()->setSelection(boldStart, 5);
    doc()->SetSelBold(true);
    QTextCursor c(doc()->document());
    c.setPosition(backwards ? 15 : 0);
    c.setPosition(backwards ? 0 : 15, QTextCursor::KeepAnchor);
    doc()->setTextCursor(c);
    if (button)
        m_main->cmdUpperCase_Click(0);
    else
        m_main->mnuAllCaps_Click();
    QCOMPARE(doc()->Text(), QStringLiteral("GRACE AND PEACE"));
    doc()->setSelection(boldStart, 5);
    QCOMPARE(doc()->SelBold(), Tri::On);
    doc()->setSelection(boldStart == 0 ? 5 : 0, 10);
    QCOMPARE(doc()->SelBold(), Tri::Off);
    // One undo step gives the words back as they were.
    doc()->undo();
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
}

void TestEditCommands::lowerCaseKeepsFormat()
{
    graceAndPeace(QStringLiteral("GRACE AND PEACE"));
    doc()->setSelection(0, 9);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    doc()->textCursor().mergeCharFormat(red);
    doc()->setSelection(0, 15);
    m_main->cmdLowerCase_Click(1);
    QCOMPARE(doc()->Text(), QStringLiteral("grace and peace"));
    doc()->setSelection(10, 5);
    QCOMPARE(doc()->SelBold(), Tri::On);
    doc()->setSelection(0, 9);
    QCOMPARE(doc()->SelBold(), Tri::Off);

    // Colour and the (uninstalled) document font survive, the font name in
    // its own spelling although the lowered RTF spells it in lower case.
    QTextCursor c(doc()->document());
    c.setPosition(1);
    QCOMPARE(c.charFormat().foreground().color(), QColor(255, 0, 0));
    QCOMPARE(c.charFormat().fontFamilies().toStringList().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(c.charFormat().fontPointSize(), 8.5);

    // Letters outside basic Latin are lowered too.
    doc()->SetText(QStringLiteral("\u00c9COLE \u0152UVRE \u03a3\u039f\u03a6\u0399\u0391"));
    doc()->setSelection(0, 17);
    m_main->cmdLowerCase_Click(1);
    QCOMPARE(doc()->Text(), QStringLiteral("\u00e9cole \u0153uvre \u03c3\u03bf\u03c6\u03b9\u03b1"));
}

void TestEditCommands::emptySelectionCaseCommandsChangeNothing()
{
    graceAndPeace();
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    doc()->textCursor().setBlockFormat(centred);
    doc()->setSelection(4, 0);
    QSignalSpy changes(doc(), &RichTextBox::Change);
    m_main->mnuAllCaps_Click();
    m_main->cmdLowerCase_Click(1);
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(doc()->document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
}

void TestEditCommands::togglesOnEmptySelectionAffectTypedText()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    doc()->SetText(QStringLiteral("ab"));
    doc()->setSelection(2, 0);
    m_main->mnuBold_Click();
    m_main->mnuItalic_Click();
    m_main->mnuUnderline_Click();
    QTest::keyClicks(doc(), QStringLiteral("XY"));
    m_main->mnuBold_Click();
    QTest::keyClicks(doc(), QStringLiteral("z"));
    QCOMPARE(doc()->Text(), QStringLiteral("abXYz"));

    doc()->setSelection(2, 2);
    QCOMPARE(doc()->SelBold(), Tri::On);
    QCOMPARE(doc()->SelItalic(), Tri::On);
    QCOMPARE(doc()->SelUnderline(), Tri::On);
    doc()->setSelection(4, 1);
    QCOMPARE(doc()->SelBold(), Tri::Off);
    QCOMPARE(doc()->SelItalic(), Tri::On);
    doc()->setSelection(0, 2);
    QCOMPARE(doc()->SelBold(), Tri::Off);
}

void TestEditCommands::togglesOnMixedSelectionSetAll()
{
    graceAndPeace();
    QCOMPARE(doc()->SelBold(), Tri::Mixed);
    m_main->mnuBold_Click();
    QCOMPARE(doc()->SelBold(), Tri::On);
    m_main->mnuBold_Click();
    QCOMPARE(doc()->SelBold(), Tri::Off);

    doc()->setSelection(0, 5);
    m_main->mnuUnderline_Click();
    doc()->setSelection(0, 15);
    QCOMPARE(doc()->SelUnderline(), Tri::Mixed);
    m_main->mnuUnderline_Click();
    QCOMPARE(doc()->SelUnderline(), Tri::On);
}

void TestEditCommands::alignmentIndexMapping()
{
    doc()->SetText(QStringLiteral("one\ntwo\nthree"));
    auto alignmentOf = [this](int block) {
        return doc()->document()->findBlockByNumber(block).blockFormat().alignment() & Qt::AlignHorizontal_Mask
            & ~Qt::AlignAbsolute;
    };
    doc()->setSelection(2, 3); // touches "one" and "two"
    m_main->optAlign_Click(2);
    QCOMPARE(alignmentOf(0), Qt::AlignHCenter);
    m_main->optAlign_Click(1);
    QCOMPARE(alignmentOf(0), Qt::AlignRight);
    QCOMPARE(alignmentOf(1), Qt::AlignRight);
    QVERIFY(alignmentOf(2) != Qt::AlignRight);
    m_main->optAlign_Click(7);
    QCOMPARE(alignmentOf(0), Qt::AlignRight);
    m_main->optAlign_Click(0);
    QCOMPARE(alignmentOf(0), Qt::AlignLeft);

    // The buttons themselves: screen order left, centre, right.
    m_main->optAlign[2]->click();
    QCOMPARE(alignmentOf(1), Qt::AlignHCenter);
    m_main->optAlign[1]->click();
    QCOMPARE(alignmentOf(1), Qt::AlignRight);
}

void TestEditCommands::fontDialogCancelChangesNothing()
{
    graceAndPeace();
    const QString before = doc()->SelRTF();
    QSignalSpy changes(doc(), &RichTextBox::Change);
    ModalDriver driver;
    driver.arm([](QDialog *d) {
        QVERIFY(qobject_cast<FontDialog *>(d));
        d->reject();
    });
    m_main->mnuFont_Click();
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(doc()->SelRTF(), before);
    QCOMPARE(changes.count(), 0);
    QVERIFY(m_main->CommonDialog1->CancelError);
    QCOMPARE(m_main->CommonDialog1->Flags, 259);
}

void TestEditCommands::fontDialogStartsFromTheSelectionAndKeepsTheRest_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("after"); // each character, once only the size was changed
    QTest::newRow("a formatted word") << 10 << 5 << "Times New Roman 10 Bold Italic Navy strike"
                                      << "Times New Roman 14 #000080 bold italic strike";
    QTest::newRow("plain text in the automatic colour") << 0 << 5 << "MS Sans Serif 8.5 Regular Automatic"
                                                        << "MS Sans Serif 14 automatic";
    QTest::newRow("the caret") << 12 << 0 << "Times New Roman 10 Bold Italic Navy strike" << "";
}

void TestEditCommands::fontDialogStartsFromTheSelectionAndKeepsTheRest()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, shown);
    QFETCH(QString, after);
    graceAndPeace();
    doc()->setSelection(10, 5);
    doc()->SetSelFontName(QStringLiteral("Times New Roman"));
    doc()->SetSelFontSize(10);
    doc()->SetSelColor(qRgb(0, 0, 128));
    doc()->SetSelItalic(true);
    doc()->SetSelStrikeThru(true);
    // The dialog's last result is something else entirely: it must not come back.
    CommonDialog *cd = m_main->CommonDialog1;
    std::tie(cd->FontName, cd->FontSize, cd->Color, cd->FontUnderline) = std::tuple(QStringLiteral("Arial"), 30, qRgb(255, 0, 0), true);
    doc()->setSelection(start, length);

    // Only the size is changed.
    ModalDriver driver;
    QStringList seen;
    driver.arm([&](QDialog *d) {
        seen << d->findChild<QLineEdit *>(QStringLiteral("txtFontName"))->text()
             << d->findChild<QLineEdit *>(QStringLiteral("txtFontSize"))->text()
             << d->findChild<QListWidget *>(QStringLiteral("lstFontStyle"))->currentItem()->text()
             << d->findChild<QComboBox *>(QStringLiteral("cboColor"))->currentText()
             << (d->findChild<QCheckBox *>(QStringLiteral("chkStrikeout"))->isChecked() ? "strike" : "")
             << (d->findChild<QCheckBox *>(QStringLiteral("chkUnderline"))->isChecked() ? "underline" : "");
        d->findChild<QLineEdit *>(QStringLiteral("txtFontSize"))->setText(QStringLiteral("14"));
        d->accept();
    });
    m_main->mnuFont_Click();
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(seen.join(u' ').simplified(), shown);
    QCOMPARE(cd->FontSize, 14.0f);
    if (!length)
        return;

    QTextCursor c(doc()->document());
    for (int pos = start + 1; pos <= start + length; ++pos) {
        c.setPosition(pos);
        const QTextCharFormat f = c.charFormat();
        const QString got = QStringList{f.fontFamilies().toStringList().value(0), QString::number(f.fontPointSize()),
                                        f.foreground().style() == Qt::NoBrush ? "automatic" : f.foreground().color().name(),
                                        f.fontWeight() >= QFont::Bold ? "bold" : "", f.fontItalic() ? "italic" : "",
                                        f.fontUnderline() ? "underline" : "", f.fontStrikeOut() ? "strike" : ""}
                                .join(u' ')
                                .simplified();
        QCOMPARE(got, after);
    }
    // One undo step takes the whole choice back.
    doc()->undo();
    doc()->setSelection(start, length);
    QCOMPARE(doc()->SelStartFormat().fontPointSize(), start ? 10.0 : 8.5);

    // A size that is not a number keeps the dialog open.
    ModalDriver bad;
    int warnings = 0;
    bad.arm([&](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("txtFontSize"))->setText(QStringLiteral("big"));
        ModalDriver *warn = new ModalDriver(d);
        warn->arm([&](QDialog *box) {
            ++warnings;
            box->reject();
        });
        d->accept();
        QTRY_COMPARE(warnings, 1);
        QVERIFY(d->isVisible());
        d->reject();
    });
    m_main->mnuFont_Click();
    QCOMPARE(warnings, 1);
    QCOMPARE(doc()->SelStartFormat().fontPointSize(), start ? 10.0 : 8.5);
}

void TestEditCommands::fontDialogListsTakingFocusKeepTheChoice()
{
    // A name and a size that neither list holds, so the lists start on no row.
    FontDialog::Choice initial;
    initial.name = QStringLiteral("MS Sans Serif");
    initial.size = 8.5f;
    FontDialog dialog(initial, true);
    auto *names = dialog.findChild<QListWidget *>(QStringLiteral("lstFontName"));
    auto *sizes = dialog.findChild<QListWidget *>(QStringLiteral("lstFontSize"));
    QVERIFY(names->findItems(initial.name, Qt::MatchFixedString).isEmpty());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    for (QListWidget *list : {names, sizes}) {
        list->setFocus(Qt::TabFocusReason);
        QVERIFY(list->hasFocus());
    }
    QCOMPARE(dialog.choice().name, initial.name);
    QCOMPARE(dialog.choice().size, initial.size);

    // A row the user moves to is still taken.
    names->setFocus(Qt::TabFocusReason);
    QTest::keyClick(names, Qt::Key_Down);
    QVERIFY(names->currentItem());
    QCOMPARE(dialog.choice().name, names->currentItem()->text());
}

void TestEditCommands::shortcutsRouteToDocumentOrNatively()
{
    m_main->show();
    QApplication::setActiveWindow(m_main.get());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    graceAndPeace();

    // Edit menu state computed while nothing was selected must not block
    // the key later.
    doc()->setSelection(0, 0);
    m_main->mnuEdit_Click();
    QVERIFY(!m_main->mnuEditCopy->isEnabled());

    doc()->setFocus();
    doc()->setSelection(10, 5);
    QTest::keyClick(doc(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(clipboard()->mimeData()->data(QStringLiteral("text/rtf")).startsWith("{\\rtf"));

    // A reference view copies its own selection as plain text.
    RichTextBox *view = m_main->RichTextBox2;
    view->SetText(QStringLiteral("In the beginning"));
    view->setSelection(7, 9);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("beginning"));
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));

    // A find box takes Ctrl+V itself.
    QLineEdit *find = m_main->txtTextBox1;
    find->setFocus();
    find->selectAll();
    QTest::keyClick(find, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(find->text(), QStringLiteral("beginning"));
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));

    // Ctrl+V in the document goes through Paste (plain text here), once.
    doc()->setFocus();
    doc()->setSelection(15, 0);
    QTest::keyClick(doc(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peacebeginning"));
    // in the document's font, not the view's
    QTextCursor pasted(doc()->document());
    pasted.setPosition(20);
    QCOMPARE(pasted.charFormat().fontFamilies().toStringList().value(0), QStringLiteral("MS Sans Serif"));

    // Elsewhere in the window the keys act on the document too.
    doc()->setSelection(0, 6);
    m_main->cmdUpperCase->setFocus();
    QTest::keyClick(m_main->cmdUpperCase, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(doc()->Text(), QStringLiteral("and Peacebeginning"));
    QCOMPARE(clipboard()->text(), QStringLiteral("Grace "));
}

void TestEditCommands::ctrlVWithNothingPasteableKeepsSelection_data()
{
    QTest::addColumn<QString>("format"); // empty: a cleared clipboard; "image": a picture
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("image only") << "image" << QByteArray();
    QTest::newRow("HTML only") << "text/html" << QByteArray("<b>bold</b>");
}

void TestEditCommands::ctrlVWithNothingPasteableKeepsSelection()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, data);
    m_main->show();
    QApplication::setActiveWindow(m_main.get());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    graceAndPeace();
    if (!format.isEmpty()) {
        auto *mime = new QMimeData;
        if (format == QLatin1String("image"))
            mime->setImageData(QImage(4, 4, QImage::Format_RGB32));
        else
            mime->setData(format, data);
        clipboard()->setMimeData(mime);
    }
    doc()->setFocus();
    doc()->setSelection(6, 4);
    QSignalSpy changes(doc(), &RichTextBox::Change);
    QTest::keyClick(doc(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(doc()->Text(), QStringLiteral("Grace and Peace"));
    QCOMPARE(doc()->SelLength(), 4);
    QCOMPARE(changes.count(), 0);
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
