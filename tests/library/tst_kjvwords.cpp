// The rules of the Bible's word list, on a few verses and dictionary entries.

#include "KjvWordList.h"

#include <QTest>

class TestKjvWords : public QObject {
    Q_OBJECT

private slots:
    void listsTheBiblesOwnWords_data();
    void listsTheBiblesOwnWords();
};

void TestKjvWords::listsTheBiblesOwnWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("listed");

    QTest::newRow("a name") << "Melchizedek" << true;
    QTest::newRow("not a name in lower case") << "melchizedek" << false;
    QTest::newRow("hyphenated name") << "Maher-shalal-hash-baz" << true;
    QTest::newRow("hyphenated name as one word") << "Mahershalalhashbaz" << true;
    QTest::newRow("archaic verb") << "begat" << true;
    QTest::newRow("archaic pronoun") << "thee" << true;
    QTest::newRow("sentence start, lower case elsewhere") << "And" << false;
    QTest::newRow("its lower case") << "and" << true;
    QTest::newRow("æ as written") << "Cæsarea" << true;
    QTest::newRow("æ as ae") << "Caesarea" << true;
    QTest::newRow("possessive, plain apostrophe") << "Aaron's" << true;
    QTest::newRow("curly apostrophe not kept") << "Aaron\u2019s" << false;
    QTest::newRow("headword only, in lower case") << "abjects" << true;
    QTest::newRow("headword in capitals") << "ABJECTS" << false;
    QTest::newRow("headword of a name in the text") << "MELCHIZEDEK" << false;
    QTest::newRow("entry title") << "TITLE" << false;
    QTest::newRow("indented line") << "smiter" << false;
    QTest::newRow("verse reference") << "1" << false;
}

void TestKjvWords::listsTheBiblesOwnWords()
{
    QFETCH(QString, word);
    QFETCH(bool, listed);
    const QStringList bible{
        QStringLiteral("Genesis 14:18 And Melchizedek king of Salem brought forth bread and wine"),
        QStringLiteral("Isaiah 8:1 Take thee a great roll, and write in it concerning Maher-shalal-hash-baz."),
        QStringLiteral("Matthew 1:2 Abraham begat Isaac;\nLuke 1:5 of the daughters of Aaron\u2019s house"),
        QStringLiteral("Acts 8:40 till he came to C\u00e6sarea.")};
    const QStringList dictionary{QStringLiteral("TITLE OF THE PART\n    what it holds\n\nABJECTS\n"
                                                "    H5222 a smiter\nMELCHIZEDEK\n    a king\n")};
    QCOMPARE(KjvWordList::words(bible, dictionary).contains(word), listed);
}

QTEST_GUILESS_MAIN(TestKjvWords)
#include "tst_kjvwords.moc"
