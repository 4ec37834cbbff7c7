#include "ProgramFolder.h"
#include "frm入力用.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class tst_frmInput : public QObject {
    Q_OBJECT
private slots:
    void settingsAppliedOnceAndKeptOnReturn();
    void refusesBlanksAndReturnsTextUntrimmed();
    void cancelReportsNotConfirmed();
    void keyFilterFollowsInputMode();

private:
    static QLineEdit* edit(frm入力用& d) { return d.findChild<QLineEdit*>("txtData"); }
    static QPushButton* button(frm入力用& d, const char* name) { return d.findChild<QPushButton*>(name); }
    static void typeChar(QWidget* w, const QString& ch)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, ch);
        QApplication::sendEvent(w, &press);
    }
};

void tst_frmInput::settingsAppliedOnceAndKeptOnReturn()
{
    ProgramFolder pf;
    frm入力用 d;
    QCOMPARE(d.windowTitle(), QStringLiteral("入力しましょう～"));
    d.setPropLabel("<< マスタ学年 >>  値を入力してください\r\n生徒の学年です。");
    d.setProplblMode("編 集");
    d.setPropDefaultData("中学1年生");
    d.setPropMaxLength(6);
    d.show();
    QCOMPARE(d.findChild<QLabel*>("lblItem_0")->text(), QStringLiteral("<< マスタ学年 >>  値を入力してください\n生徒の学年です。"));
    QCOMPARE(d.findChild<QLabel*>("lblMode")->text(), QStringLiteral("編 集"));
    QCOMPARE(edit(d)->text(), QStringLiteral("中学1年生"));
    edit(d)->clear();
    QTest::keyClicks(edit(d), "abcdefgh");
    QCOMPARE(edit(d)->text(), QStringLiteral("abcdef"));
    // An emoji that no longer fits is left out whole, not cut in half.
    edit(d)->backspace();
    edit(d)->insert(QStringLiteral("😀"));
    QCOMPARE(edit(d)->text(), QStringLiteral("abcde"));
    edit(d)->insert(QStringLiteral("f"));

    // Leaving the box and coming back keeps what the user typed.
    d.setPropDefaultData("別の値");
    d.setProplblMode("追 加");
    d.hide();
    d.show();
    d.activateWindow();
    QCOMPARE(edit(d)->text(), QStringLiteral("abcdef"));
    QCOMPARE(d.findChild<QLabel*>("lblMode")->text(), QStringLiteral("編 集"));

    // An initial text longer than the limit is shown whole.
    frm入力用 longer;
    longer.setPropDefaultData("とても長い名前の講師です");
    longer.setPropMaxLength(5);
    longer.show();
    QCOMPARE(edit(longer)->text(), QStringLiteral("とても長い名前の講師です"));
}

void tst_frmInput::refusesBlanksAndReturnsTextUntrimmed()
{
    ProgramFolder pf;
    frm入力用 d;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        edit(d)->setText("\u3000  ");
        button(d, "cmdOK")->click();
        stayedOpen = d.isVisible();
        edit(d)->setText("  中1 ");
        button(d, "cmdOK")->click();
    });
    QCOMPARE(d.exec(), int(QDialog::Accepted));
    QVERIFY(stayedOpen);
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().lastText(), QStringLiteral("値を入力してください"));
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
    QCOMPARE(pf.ui().messages.back().title, kTitle);
    QVERIFY(d.propOK());
    QCOMPARE(d.propData(), QStringLiteral("  中1 "));
}

void tst_frmInput::cancelReportsNotConfirmed()
{
    ProgramFolder pf;
    for (bool byEscape : {false, true}) {
        frm入力用 d;
        QTimer::singleShot(0, [&] {
            edit(d)->setText("入力途中");
            if (byEscape)
                QTest::keyClick(edit(d), Qt::Key_Escape);
            else
                button(d, "cmdEnd")->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(!d.propOK());
    }
    QVERIFY(pf.ui().messages.empty());
}

void tst_frmInput::keyFilterFollowsInputMode()
{
    ProgramFolder pf;
    frm入力用 digits, kana;
    digits.setPropInputMode(1);
    kana.setPropInputMode(2);
    digits.show();
    kana.show();
    QTest::keyClicks(edit(digits), "a1b2");
    QCOMPARE(edit(digits)->text(), QStringLiteral("12"));
    for (const QString ch : {"ｶ", "ｯ", "A", "ﾞ", "か"})
        typeChar(edit(kana), ch);
    QCOMPARE(edit(kana)->text(), QStringLiteral("ｶﾞｶ"));   // full-width か becomes ｶ
}

QTEST_MAIN(tst_frmInput)
#include "tst_frmInput.moc"
