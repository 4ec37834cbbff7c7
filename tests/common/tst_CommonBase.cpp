#include "CommonBase.h"
#include "FormsCommon.h"
#include "KeyFilter.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QVBoxLayout>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

class tst_CommonBase : public QObject {
    Q_OBJECT
private slots:
    void conversions();
    void appPathEndsInOneSeparator();
    void cboIndexFindsByItemData();
    void fileAndFolderTests();
    void padByteKeepsWidthAndWholeCharacters_data();
    void padByteKeepsWidthAndWholeCharacters();
    void padByteNeverSplitsAnyPrefix();
    void leadByteWalk();
    void keyFilterKinds();
    void keyFilterOnARealEdit();
    void typedTextIsConverted_data();
    void typedTextIsConverted();
    void keyFilterLeavesWindowKeysAlone();
    void sqlQuoteDoublesQuotes();
};

void tst_CommonBase::conversions()
{
    QCOMPARE(funcToLong(QVariant()), 0);
    QCOMPARE(funcToLong(QStringLiteral("12")), 12);
    QCOMPARE(funcToLong(QStringLiteral("１２")), 12);    // typed with the input method on
    QCOMPARE(funcToLong(QStringLiteral("　－３")), -3);
    QCOMPARE(funcToLong(QStringLiteral("abc")), 0);
    QCOMPARE(funcToLong(QString()), 0);
    QCOMPARE(funcToLong(2.5), 2);   // a half goes to the even neighbour
    QCOMPARE(funcToLong(3.5), 4);
    QCOMPARE(funcToLong(1e12), 0);  // out of range
    QCOMPARE(funcToString(QVariant()), QString());
    QCOMPARE(funcToString(42), QStringLiteral("42"));
    QCOMPARE(funcToString(QDate(2026, 1, 5)), QStringLiteral("2026/01/05"));
    QCOMPARE(funcTextDate(QStringLiteral("2026/1/5")), QDate(2026, 1, 5));
    QCOMPARE(funcTextDate(QStringLiteral(" 2024/02/29 10:00")), QDate(2024, 2, 29));
    QVERIFY(!funcTextDate(QStringLiteral("2023/02/29")).isValid());
    QCOMPARE(funcDateText(QDate(987, 6, 5)), QStringLiteral("0987/06/05"));
}

void tst_CommonBase::appPathEndsInOneSeparator()
{
    setAppPathForTests(QStringLiteral("/"));
    QCOMPARE(funcAppPath(), QStringLiteral("/"));
    setAppPathForTests(QStringLiteral("/tmp/x"));
    QCOMPARE(funcAppPath(), QStringLiteral("/tmp/x/"));
    setAppPathForTests(QString());
    QVERIFY(funcAppPath().endsWith(QLatin1Char('/')));
    QVERIFY(!funcAppPath().endsWith(QLatin1String("//")));
}

void tst_CommonBase::cboIndexFindsByItemData()
{
    QComboBox box;
    box.addItem(QString(), 0);
    box.addItem(QStringLiteral("中1"), 7);
    box.addItem(QStringLiteral("中2"), 9);
    QCOMPARE(funcCboIndex(&box, 9), 2);
    QCOMPARE(funcCboIndex(&box, 0), 0);
    QCOMPARE(funcCboIndex(&box, 8), -1);
    QCOMPARE(funcCboIndex(static_cast<QComboBox*>(nullptr), 1), -1);
}

void tst_CommonBase::fileAndFolderTests()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(funcFileExists(file));
    QVERIFY(!funcFileExists(dir.path()));
    QVERIFY(!funcFileExists(QStringLiteral("   ")));
    QVERIFY(funcFolderExists(dir.path()));
    QVERIFY(funcFolderExists(dir.path() + QLatin1Char('/')));
    QVERIFY(!funcFolderExists(file));
    QVERIFY(!funcFolderExists(QString()));
    QVERIFY(!funcFolderExists(QStringLiteral("  ")));
}

void tst_CommonBase::padByteKeepsWidthAndWholeCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("half-width padded") << QStringLiteral("abc") << 5 << QStringLiteral("abc  ");
    QTest::newRow("full-width cut before a split") << QStringLiteral("あいう") << 5 << QStringLiteral("あい ");
    QTest::newRow("exact fit") << QStringLiteral("あい") << 4 << QStringLiteral("あい");
    QTest::newRow("half-width kana count one") << QStringLiteral("ｶﾅ漢") << 3 << QStringLiteral("ｶﾅ ");
    QTest::newRow("mixed cut") << QStringLiteral("A漢字B") << 4 << QStringLiteral("A漢 ");
    QTest::newRow("empty") << QString() << 3 << QStringLiteral("   ");
    QTest::newRow("emoji kept whole") << QStringLiteral("😀ab") << 3 << QStringLiteral("😀a");
    QTest::newRow("emoji left out whole") << QStringLiteral("a😀") << 2 << QStringLiteral("a ");
}

void tst_CommonBase::padByteKeepsWidthAndWholeCharacters()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    const QString padded = funcPadByte(text, width);
    QCOMPARE(padded, expected);
    QCOMPARE(funcByteLen(padded), width);
}

void tst_CommonBase::padByteNeverSplitsAnyPrefix()
{
    // Every width over a text mixing every kind of character gives whole characters only.
    const QString text = QStringLiteral("連絡ｱｲabc事項%'＃Ｚ＿ｰ表");
    for (int width = 1; width <= funcByteLen(text) + 3; ++width) {
        const QString padded = funcPadByte(text, width);
        QCOMPARE(funcByteLen(padded), width);
        QVERIFY2(!padded.contains(QChar(0xFFFD)), qPrintable(padded));
        const QString kept = padded.trimmed();
        QVERIFY2(text.startsWith(kept), qPrintable(QStringLiteral("%1: %2").arg(width).arg(padded)));
    }
}

void tst_CommonBase::leadByteWalk()
{
    QVERIFY(funcIsLeadByte(QStringLiteral("漢a"), 1));
    QVERIFY(!funcIsLeadByte(QStringLiteral("漢a"), 2));
    QVERIFY(!funcIsLeadByte(QStringLiteral("漢a"), 3));
    QVERIFY(!funcIsLeadByte(QStringLiteral("ｱ漢"), 1));  // half-width kana is a single byte
    QVERIFY(funcIsLeadByte(QStringLiteral("ｱ漢"), 2));
}

void tst_CommonBase::keyFilterKinds()
{
    auto passes = [](short kind, QChar ch) {
        short code = static_cast<short>(funcKeyAscii(ch));
        subKeyFilter(kind, code);
        return code != 0;
    };
    QVERIFY(passes(1, QLatin1Char('7')));
    QVERIFY(!passes(1, QLatin1Char('a')));
    QVERIFY(!passes(1, QChar(0xFF17)));  // full-width 7
    short backspace = 8;
    subKeyFilter(1, backspace);
    QCOMPARE(backspace, short(8));
    QVERIFY(passes(2, QChar(0xFF76)));   // ｶ
    QVERIFY(passes(2, QChar(0xFF9E)));   // ﾞ
    QVERIFY(passes(2, QLatin1Char(' ')));
    QVERIFY(!passes(2, QChar(0xFF6F)));  // ｯ
    QVERIFY(!passes(2, QChar(0xFF70)));  // ｰ
    QVERIFY(!passes(2, QChar(0xFF66)));  // ｦ
    QVERIFY(!passes(2, QChar(0x30AB)));  // full-width カ
    QVERIFY(!passes(2, QLatin1Char('A')));
}

void tst_CommonBase::keyFilterOnARealEdit()
{
    QLineEdit edit;
    KeyFilter::install(&edit, 1);
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("1a2-3"));
    QCOMPARE(edit.text(), QStringLiteral("123"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("12"));
}

void tst_CommonBase::typedTextIsConverted_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hiragana") << 2 << QStringLiteral("やまだ たろう") << QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ");
    QTest::newRow("katakana, voiced in two") << 2 << QStringLiteral("ガギグパポヴ") << QStringLiteral("ｶﾞｷﾞｸﾞﾊﾟﾎﾟｳﾞ");
    QTest::newRow("small letters written large") << 2 << QStringLiteral("しょうた キャッ") << QStringLiteral("ｼﾖｳﾀ ｷﾔﾂ");
    QTest::newRow("no kana form refused") << 2 << QStringLiteral("山田A1カ") << QStringLiteral("ｶ");
    QTest::newRow("full-width digits") << 1 << QStringLiteral("０３１２x") << QStringLiteral("0312");
}

// Typed key by key, committed by the input method, and pasted: the same result.
void tst_CommonBase::typedTextIsConverted()
{
    QFETCH(int, kind);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QLineEdit edit;
    KeyFilter::install(&edit, static_cast<short>(kind));
    edit.show();
    // QTest types Latin-1 only; these are the key events a keyboard layout sends.
    for (QChar ch : typed) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(&edit, &press);
    }
    QCOMPARE(edit.text(), expected);

    edit.clear();
    QInputMethodEvent commit;
    commit.setCommitString(typed);
    QCoreApplication::sendEvent(&edit, &commit);
    QCOMPARE(edit.text(), expected);

    edit.clear();
    QApplication::clipboard()->setText(typed);
    edit.paste();
    QCOMPARE(edit.text(), expected);
}

void tst_CommonBase::keyFilterLeavesWindowKeysAlone()
{
    QDialog dialog;
    auto* kana = new QLineEdit(&dialog);
    auto* next = new QLineEdit(&dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(kana);
    layout->addWidget(next);
    KeyFilter::install(kana, 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    kana->setFocus();
    QTest::keyClick(kana, Qt::Key_Tab);
    QCOMPARE(dialog.focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(dialog.focusWidget(), kana);
    QTest::keyClick(kana, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
}

void tst_CommonBase::sqlQuoteDoublesQuotes()
{
    QCOMPARE(funcSqlQuote(QStringLiteral("O'Brien先生")), QStringLiteral("O''Brien先生"));
    QCOMPARE(funcSqlQuote(QStringLiteral("''")), QStringLiteral("''''"));
}

QTEST_MAIN(tst_CommonBase)
#include "tst_CommonBase.moc"
