#include "ShellTest.h"
#include "UiServices.h"
#include "frmMenu.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class tst_NoticeEditor : public QObject {
    Q_OBJECT
private slots:
    void addRefusesEachMissingInputThenSaves();
    void copyAddsANewNoticeWithTheSameValues();
    void editChangesTheNoticeInPlace();
    void closingAsksAboutWhatWasTyped_data();
    void closingAsksAboutWhatWasTyped();
    void editOfANoticeDeletedMeanwhileIsStoredAnew();
    void unreadableStoredDatesOpenAsToday();

private:
    static QPushButton* save(QDialog* d) { return child<QPushButton>(d, "cmdOK"); }
    static QListWidget* board(frmMenu& m) { return m.findChild<QListWidget*>("lstRenraku"); }
    static QStringList row(ProgramFolder& pf, int id)
    {
        QStringList values;
        for (const char* column : {"開始日", "終了日", "記号", "記入者", "コメント"})
            values << pf.scalar(QStringLiteral("SELECT %1 FROM 連絡事項 WHERE 連絡事項ID = %2").arg(QString::fromUtf8(column)).arg(id));
        return values;
    }
};

void tst_NoticeEditor::addRefusesEachMissingInputThenSaves()
{
    ProgramFolder pf;
    frmMenu menu;
    QStringList refusals;
    QList<bool> focusOnTheField;
    QString mode;
    const QString text = QStringLiteral("明日は休講です。'%*# 50%オフ 😀 ﾃｽﾄ");
    onNextModal([&](QDialog* d) {
        mode = child<QLabel>(d, "lblMode")->text();
        const auto attempt = [&](QWidget* field) {
            pf.ui().clear();
            QTest::mouseClick(save(d), Qt::LeftButton);
            if (!pf.ui().messages.empty()) {
                refusals << pf.ui().lastText();
                QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
                QCOMPARE(pf.ui().messages.back().title, kTitle);
                focusOnTheField << (d->focusWidget() == field);
            }
        };
        auto* from = child<QDateEdit>(d, "DTPDate_0");
        auto* to = child<QDateEdit>(d, "DTPDate_1");
        auto* importance = child<QComboBox>(d, "cboEdit_0");
        auto* name = child<QLineEdit>(d, "txtName");
        auto* content = child<QPlainTextEdit>(d, "txtRenraku");
        QCOMPARE(from->date(), QDate::currentDate());
        QCOMPARE(importance->currentIndex(), -1);
        from->setDate(QDate::currentDate().addDays(3));
        to->setDate(QDate::currentDate().addDays(2));
        attempt(from);
        to->setDate(QDate::currentDate().addDays(10));
        attempt(importance);
        importance->setCurrentIndex(0);   // the blank entry is no importance either
        attempt(importance);
        importance->setCurrentIndex(importance->findText(QStringLiteral("重要")));
        name->setText(QStringLiteral("   "));
        attempt(name);
        name->setText(QStringLiteral("山田"));
        content->setPlainText(QStringLiteral(" \n "));
        attempt(content);
        content->setPlainText(text);
        attempt(nullptr);
    });
    menu.cmdOK_Click(0);

    QCOMPARE(mode, QStringLiteral("追　加"));
    QCOMPARE(refusals, (QStringList{QStringLiteral("掲示期限の範囲指定に誤りがあります"), QStringLiteral("重要度を選択してください"),
                                    QStringLiteral("重要度を選択してください"), QStringLiteral("記入者を入力してください"),
                                    QStringLiteral("連絡事項の内容を入力してください")}));
    QCOMPARE(focusOnTheField, (QList<bool>{true, true, true, true, true}));
    QVERIFY(menu.propOK());
    QCOMPARE(row(pf, 1), (QStringList{dayText(3), dayText(10), QStringLiteral("2"), QStringLiteral("山田"), text}));
    QCOMPARE(board(menu)->count(), 1);
    QVERIFY(board(menu)->item(0)->text().endsWith(text));
}

void tst_NoticeEditor::copyAddsANewNoticeWithTheSameValues()
{
    ProgramFolder pf;
    // An ID beyond the 16-bit range is handed over whole.
    insertNotice(pf, 40000, -1, 5, 3, QStringLiteral("高橋"), QStringLiteral("コピー元'です"));
    frmMenu menu;
    QCOMPARE(menu.propRenrakuID(), 40000);
    QStringList shown;
    onNextModal([&](QDialog* d) {
        shown << child<QLabel>(d, "lblMode")->text() << funcDateText(child<QDateEdit>(d, "DTPDate_0")->date())
              << funcDateText(child<QDateEdit>(d, "DTPDate_1")->date())
              << child<QComboBox>(d, "cboEdit_0")->currentData().toString() << child<QLineEdit>(d, "txtName")->text()
              << child<QPlainTextEdit>(d, "txtRenraku")->toPlainText();
        QTest::mouseClick(save(d), Qt::LeftButton);
    });
    menu.cmdOK_Click(1);
    QCOMPARE(shown, (QStringList{QStringLiteral("コピー(追加)"), dayText(-1), dayText(5), QStringLiteral("3"),
                                 QStringLiteral("高橋"), QStringLiteral("コピー元'です")}));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 2);
    QCOMPARE(row(pf, 40001), row(pf, 40000));
    QCOMPARE(row(pf, 40000)[4], QStringLiteral("コピー元'です"));
    QCOMPARE(board(menu)->count(), 2);
}

void tst_NoticeEditor::editChangesTheNoticeInPlace()
{
    ProgramFolder pf;
    insertNotice(pf, 40000, 0, 5, 3, QStringLiteral("高橋"), QStringLiteral("元の内容"));
    insertNotice(pf, 7, 0, 5, 4, QStringLiteral("事務"), QStringLiteral("別の連絡"));
    frmMenu menu;
    menu.show();
    QString mode;
    onNextModal([&](QDialog* d) {
        mode = child<QLabel>(d, "lblMode")->text();
        child<QLineEdit>(d, "txtName")->setText(QStringLiteral("宮本"));
        child<QComboBox>(d, "cboEdit_0")->setCurrentIndex(child<QComboBox>(d, "cboEdit_0")->findData(1));
        QTest::mouseClick(save(d), Qt::LeftButton);
    });
    // A double click on a line edits it.
    QListWidget* list = board(menu);
    const QPoint onFirst = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, onFirst);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, onFirst);
    QCOMPARE(mode, QStringLiteral("編　集"));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 2);
    QCOMPARE(row(pf, 40000), (QStringList{dayText(0), dayText(5), QStringLiteral("1"), QStringLiteral("宮本"), QStringLiteral("元の内容")}));
    QCOMPARE(row(pf, 7)[3], QStringLiteral("事務"));
}

void tst_NoticeEditor::closingAsksAboutWhatWasTyped_data()
{
    QTest::addColumn<bool>("typed");
    QTest::addColumn<bool>("escape");    // else 閉じる
    QTest::addColumn<int>("answer");     // to 「変更した内容を保存しますか？」, -1 when not asked
    QTest::addColumn<QString>("name");   // 記入者 as stored afterwards
    QTest::newRow("nothing typed: 閉じる asks nothing") << false << false << -1 << "高橋";
    QTest::newRow("nothing typed: Escape asks nothing") << false << true << -1 << "高橋";
    QTest::newRow("いいえ drops what was typed") << true << true << int(MsgAnswer::No) << "高橋";
    QTest::newRow("はい saves it") << true << false << int(MsgAnswer::Yes) << "宮本";
    QTest::newRow("キャンセル keeps the window and the typing") << true << true << int(MsgAnswer::Cancel) << "宮本";
}

void tst_NoticeEditor::closingAsksAboutWhatWasTyped()
{
    QFETCH(bool, typed);
    QFETCH(bool, escape);
    QFETCH(int, answer);
    QFETCH(QString, name);
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 5, 3, QStringLiteral("高橋"), QStringLiteral("元の内容"));
    frmMenu menu;
    bool stayed = false;
    onNextModal([&](QDialog* d) {
        auto* writer = child<QLineEdit>(d, "txtName");
        if (typed)
            writer->setText(QStringLiteral("宮本"));
        if (answer >= 0)
            pf.ui().answers = {MsgAnswer(answer)};
        if (escape)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(child<QPushButton>(d, "cmdEnd"), Qt::LeftButton);
        stayed = d->isVisible();
        if (stayed && writer->text() == QStringLiteral("宮本"))
            QTest::mouseClick(save(d), Qt::LeftButton);
    });
    menu.cmdOK_Click(2);
    QCOMPARE(pf.ui().texts(), answer >= 0 ? QStringList{QStringLiteral("変更した内容を保存しますか？")} : QStringList{});
    QCOMPARE(stayed, answer == int(MsgAnswer::Cancel));
    QCOMPARE(row(pf, 1)[3], name);
    QCOMPARE(menu.propOK(), name == QStringLiteral("宮本"));
}

void tst_NoticeEditor::editOfANoticeDeletedMeanwhileIsStoredAnew()
{
    ProgramFolder pf;
    insertNotice(pf, 5, 0, 5, 3, QStringLiteral("高橋"), QStringLiteral("消される"));
    frmMenu menu;
    pf.exec(QStringLiteral("DELETE FROM 連絡事項"));
    onNextModal([&](QDialog* d) {
        child<QComboBox>(d, "cboEdit_0")->setCurrentIndex(1);
        child<QLineEdit>(d, "txtName")->setText(QStringLiteral("事務"));
        child<QPlainTextEdit>(d, "txtRenraku")->setPlainText(QStringLiteral("書き直し"));
        QTest::mouseClick(save(d), Qt::LeftButton);
    });
    menu.cmdOK_Click(2);
    QVERIFY(menu.propOK());
    QCOMPARE(pf.scalar(QStringLiteral("SELECT コメント FROM 連絡事項 WHERE 連絡事項ID = 1")), QStringLiteral("書き直し"));
}

void tst_NoticeEditor::unreadableStoredDatesOpenAsToday()
{
    ProgramFolder pf;
    // Both still reach the board: the end is compared as text.
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 VALUES (1, NULL, '2099/13/45', 1, '事務', '壊れた日付')"));
    pf.exec(QStringLiteral("INSERT INTO 連絡事項 VALUES (2, '', 'いつか', 2, '事務', '空の日付')"));
    frmMenu menu;
    QCOMPARE(board(menu)->count(), 2);
    for (int id : {1, 2}) {
        board(menu)->setCurrentRow(id - 1);
        QDate shown[2];
        onNextModal([&](QDialog* d) {
            shown[0] = child<QDateEdit>(d, "DTPDate_0")->date();
            shown[1] = child<QDateEdit>(d, "DTPDate_1")->date();
            QTest::mouseClick(save(d), Qt::LeftButton);
        });
        menu.cmdOK_Click(2);
        QCOMPARE(shown[0], QDate::currentDate());
        QCOMPARE(shown[1], QDate::currentDate());
        QCOMPARE(row(pf, id).mid(0, 2), (QStringList{dayText(0), dayText(0)}));
    }
}

QTEST_MAIN(tst_NoticeEditor)
#include "tst_NoticeEditor.moc"
