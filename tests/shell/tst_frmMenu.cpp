#include "ShellTest.h"
#include "UiServices.h"
#include "frmAbout.h"
#include "SchoolSettings.h"
#include "frmMenu.h"
#include "frm設定.h"
#include "frmマスタ登録.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QDir>
#include <QMenu>
#include <QTimer>
#include <QtTest>

class tst_frmMenu : public QObject {
    Q_OBJECT
private slots:
    void startDeletesExpiredNoticesAndBuildsBoardLines();
    void menuEntriesFollowTheMouse();
    void selectionDecidesTheButtons();
    void deletesTheSelectedNotices();
    void helpShowsTheGuideOrTellsItIsMissing();
    void toolsAndEntriesOpenTheirWindows();
    void keysOpenEntriesAndTools_data();
    void keysOpenEntriesAndTools();
    void closeAndMinimiseMarks();
    void schoolNameChangedOnAnotherPcIsAskedAbout();

private:
    static QListWidget* board(frmMenu& m) { return m.findChild<QListWidget*>("lstRenraku"); }
    static QPushButton* button(frmMenu& m, int i) { return m.findChild<QPushButton*>(QStringLiteral("cmdOK_%1").arg(i)); }
    static QLabel* label(frmMenu& m, const QString& name) { return m.findChild<QLabel*>(name); }
    static QList<int> boardIds(frmMenu& m)
    {
        QList<int> ids;
        for (int i = 0; i < board(m)->count(); ++i)
            ids << board(m)->item(i)->data(Qt::UserRole).toInt();
        return ids;
    }
    static void hover(QWidget* w)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    static QColor colorOf(frmMenu& m, int i)
    {
        return label(m, QStringLiteral("lblMenu_%1").arg(i))->palette().color(QPalette::WindowText);
    }
    // The kind of a window opened from the menu, with the version it shows when it has one.
    static QString windowName(QDialog* d)
    {
        QString seen = dynamic_cast<frmマスタ登録*>(d) ? QStringLiteral("frmマスタ登録") : d->objectName();
        if (auto* version = d->findChild<QLabel*>("lblVersion"))
            seen += QLatin1Char(' ') + version->text();
        return seen;
    }
};

void tst_frmMenu::startDeletesExpiredNoticesAndBuildsBoardLines()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ重要度 VALUES (9, 'Aとても大切なお知らせ', 0)"));
    insertNotice(pf, 1, -5, -1, 1, QStringLiteral("事務"), QStringLiteral("昨日まで"));
    insertNotice(pf, 2, -3, 0, 2, QStringLiteral("高橋"), QStringLiteral("一行目\r\n二行目"));
    insertNotice(pf, 3, 0, 7, 9, QStringLiteral("山田太郎次郎"), QStringLiteral("長い重要度名"));
    insertNotice(pf, 4, 0, 7, 7, QStringLiteral("宮本"), QStringLiteral("重要度の行がない"));
    insertNotice(pf, 5, 1, 9, 1, QStringLiteral("ｽｽﾞｷ"), QStringLiteral("明日から"));

    frmMenu menu;
    QCOMPARE(pf.count(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID = 1")), 0);
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 4);
    // Ordered by importance; a notice whose importance has no master row is not on the board.
    QCOMPARE(boardIds(menu), (QList<int>{5, 2, 3}));

    const auto shortDay = [](int d) { return QDate::currentDate().addDays(d).toString(QStringLiteral("yy/MM/dd")); };
    QCOMPARE(board(menu)->item(0)->text(),
             QStringLiteral("至急            <") + shortDay(1) + QStringLiteral("～") + shortDay(9)
                 + QStringLiteral(">  ｽｽﾞｷ        明日から"));
    QCOMPARE(board(menu)->item(1)->text(),
             QStringLiteral("重要            <") + shortDay(-3) + QStringLiteral("～") + shortDay(0)
                 + QStringLiteral(">  高橋        一行目 二行目"));
    // The 16-byte name is cut before the full-width character that would be split,
    // and the date column still starts at byte 17, the writer at byte 37.
    const QString line = board(menu)->item(2)->text();
    QCOMPARE(line, QStringLiteral("Aとても大切なお <") + shortDay(0) + QStringLiteral("～") + shortDay(7)
                       + QStringLiteral(">  山田太郎次  長い重要度名"));
    QCOMPARE(funcToSjis(line).mid(16, 1), QByteArray("<"));
    QCOMPARE(funcToSjis(line).mid(35, 3), QByteArray(">  "));
    // A long writer is cut to its column, and two blanks always part it from the text.
    QCOMPARE(funcToSjis(line).mid(48, 4), QByteArray("  \x92\xb7"));

    // The first entry is selected, and with it the notice to edit.
    QVERIFY(board(menu)->item(0)->isSelected());
    QCOMPARE(menu.propRenrakuID(), 5);
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("1111"));
    QCOMPARE(board(menu)->font().family(), QStringLiteral("IPAGothic"));
}

void tst_frmMenu::menuEntriesFollowTheMouse()
{
    ProgramFolder pf;
    frmMenu menu;
    menu.show();
    QCOMPARE(colorOf(menu, 0), frmMenu::funcHighlightColor());
    QCOMPARE(colorOf(menu, 1), frmMenu::funcNormalColor());

    hover(label(menu, QStringLiteral("lblMenu_1")));
    QCOMPARE(colorOf(menu, 0), frmMenu::funcNormalColor());
    QCOMPARE(colorOf(menu, 1), frmMenu::funcHighlightColor());
    hover(label(menu, QStringLiteral("lblMenu_2")));
    QCOMPARE(colorOf(menu, 1), frmMenu::funcNormalColor());
    QCOMPARE(colorOf(menu, 2), frmMenu::funcHighlightColor());
    QCOMPARE(frmMenu::funcHighlightColor(), QColor(0, 128, 128));
    QCOMPARE(frmMenu::funcNormalColor(), QColor(128, 128, 255));

    hover(&menu);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(colorOf(menu, i), frmMenu::funcNormalColor());
}

void tst_frmMenu::selectionDecidesTheButtons()
{
    {
        ProgramFolder pf;
        frmMenu empty;
        QCOMPARE(board(empty)->count(), 0);
        QCOMPARE(buttonStates(&empty, "cmdOK", 4), QStringLiteral("1000"));
    }
    ProgramFolder pf;
    for (int id = 1; id <= 3; ++id)
        insertNotice(pf, id, 0, 3, id, QStringLiteral("事務"), QStringLiteral("お知らせ%1").arg(id));
    frmMenu menu;
    board(menu)->item(1)->setSelected(true);
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("0001"));
    QCOMPARE(button(menu, 3)->text(), QStringLiteral("一括削除(&D)"));
    QCOMPARE(menu.propRenrakuID(), 0);

    // Leaving nothing selected changes nothing.
    board(menu)->clearSelection();
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("0001"));

    board(menu)->item(2)->setSelected(true);
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("1111"));
    QCOMPARE(button(menu, 3)->text(), QStringLiteral("削除(&D)"));
    QCOMPARE(menu.propRenrakuID(), 3);
    board(menu)->clearSelection();
    QCOMPARE(menu.propRenrakuID(), 3);
}

void tst_frmMenu::deletesTheSelectedNotices()
{
    ProgramFolder pf;
    for (int id = 1; id <= 3; ++id)
        insertNotice(pf, id, 0, 3, id, QStringLiteral("事務"), QStringLiteral("お知らせ%1").arg(id));
    frmMenu menu;
    board(menu)->clearSelection();
    board(menu)->item(0)->setSelected(true);
    board(menu)->item(2)->setSelected(true);

    pf.ui().answers = {MsgAnswer::No};
    QTest::mouseClick(button(menu, 3), Qt::LeftButton);
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 3);

    QTest::mouseClick(button(menu, 3), Qt::LeftButton);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("選択している 2 件を削除してもよろしいですか？"));
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Question);
    QCOMPARE(pf.ui().messages.back().buttons, MsgButtons::YesNoDefaultNo);
    QCOMPARE(pf.ui().messages.back().title, kTitle);
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 連絡事項ID FROM 連絡事項")), QStringLiteral("2"));
    QCOMPARE(boardIds(menu), QList<int>{2});
    QCOMPARE(buttonStates(&menu, "cmdOK", 4), QStringLiteral("1111"));

    // Nothing selected: the question counts 0 and Yes deletes nothing.
    board(menu)->clearSelection();
    QTest::mouseClick(button(menu, 3), Qt::LeftButton);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("選択している 0 件を削除してもよろしいですか？"));
    QCOMPARE(pf.count(QStringLiteral("連絡事項")), 1);
}

void tst_frmMenu::helpShowsTheGuideOrTellsItIsMissing()
{
    ProgramFolder pf;
    frmMenu menu;
    menu.imgTool_Click(3);
    QCOMPARE(pf.ui().lastText(), QStringLiteral("ヘルプファイルが見つかりません。"));
    QCOMPARE(pf.ui().messages.back().title, kTitle);
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);

    // The guide laid into the program folder by the build is shown by the program itself,
    // read as HTML: the desktop has no viewer for its name.
    QVERIFY(QFile::copy(builtProgramFolder() + QStringLiteral("/kaedemaru.chm"), pf.file(QStringLiteral("kaedemaru.chm"))));
    pf.ui().clear();
    QString title, text;
    NextModal guide([&](QDialog* d) {
        title = d->windowTitle();
        text = child<QTextBrowser>(d, QStringLiteral("txtHelp"))->toPlainText();
        QTest::mouseClick(child<QPushButton>(d, QStringLiteral("cmdEnd")), Qt::LeftButton);
        QVERIFY(!d->isVisible());
    });
    menu.imgTool_Click(3);
    QVERIFY(guide.fired());
    QCOMPARE(title, QStringLiteral("楓丸くん ご利用の手引き"));
    QVERIFY(text.contains(QStringLiteral("バックアップ")));
    QVERIFY(!text.contains(QStringLiteral("<h1>")));
    QVERIFY(pf.ui().messages.empty());
    QVERIFY(pf.ui().openedDocuments.isEmpty());
}

void tst_frmMenu::toolsAndEntriesOpenTheirWindows()
{
    ProgramFolder pf;
    frmMenu menu;
    menu.show();
    QString seen;
    const auto record = [&seen](QDialog* d) { seen = windowName(d); };

    // The version window names the data folder and opens it.
    QString folderShown;
    onNextModal([&](QDialog* d) {
        record(d);
        folderShown = child<QLabel>(d, QStringLiteral("lblFolder"))->text();
        child<QPushButton>(d, QStringLiteral("cmdFolder"))->click();
    });
    QTest::mouseClick(label(menu, QStringLiteral("imgTool_4")), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("frmAbout バージョン ") + QStringLiteral(KAEDE_VERSION));
    QCOMPARE(folderShown, QDir::toNativeSeparators(QDir(pf.path()).absolutePath()));
    QCOMPARE(pf.ui().openedDocuments, QStringList{folderShown});
    // The pressed look is gone once the button is up again.
    QCOMPARE(label(menu, QStringLiteral("imgTool_4"))->frameShape(), QFrame::NoFrame);

    onNextModal(record);
    QTest::mouseClick(label(menu, QStringLiteral("imgTool_2")), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("frm初期化"));

    onNextModal(record);
    QTest::mouseClick(label(menu, QStringLiteral("lblMenu_3")), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("frmマスタ登録"));
    onNextModal(record);
    QTest::mouseClick(label(menu, QStringLiteral("lblMenu_2")), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("frm帳票出力"));
    QVERIFY(menu.isVisible());
}

void tst_frmMenu::keysOpenEntriesAndTools_data()
{
    // Keys from a freshly shown menu, and the window they open ("" for none).
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("focused");
    QTest::newRow("1") << QStringList{"1"} << "frm講座情報一覧" << "lblMenu_0";
    QTest::newRow("2") << QStringList{"2"} << "frm生徒情報一覧" << "lblMenu_0";
    QTest::newRow("3 from the board") << QStringList{"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "3"}
                                      << "frm帳票出力" << "lstRenraku";
    QTest::newRow("4") << QStringList{"4"} << "frmマスタ登録" << "lblMenu_0";
    QTest::newRow("arrows and Enter") << QStringList{"Down", "Down", "Down", "Up", "Return"} << "frm帳票出力" << "lblMenu_2";
    QTest::newRow("up wraps round") << QStringList{"Up", "Up", "Return"} << "frmマスタ登録" << "lblMenu_3";
    QTest::newRow("tab to the tools") << QStringList{"Tab", "Tab", "Tab", "Tab", "Tab", "Right", "Right", "Return"}
                                      << "frm初期化" << "imgTool_2";
    QTest::newRow("left wraps round") << QStringList{"Tab", "Tab", "Tab", "Tab", "Tab", "Left", "Left", "Space"}
                                      << "frmAbout バージョン " KAEDE_VERSION << "imgTool_4";
    // The last tool shows a small menu; its first entry is the school's settings.
    QTest::newRow("settings") << QStringList{"Tab", "Tab", "Tab", "Tab", "Tab", "Left", "Return"} << "frm設定" << "imgTool_5";
    QTest::newRow("5") << QStringList{"5"} << "" << "lblMenu_0";
}

void tst_frmMenu::keysOpenEntriesAndTools()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, opened);
    QFETCH(QString, focused);
    ProgramFolder pf;
    insertNotice(pf, 1, 0, 3, 1, QStringLiteral("事務"), QStringLiteral("お知らせ"));
    frmMenu menu;
    menu.show();
    menu.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("lblMenu_0"));

    QString seen;
    NextModal step([&seen](QDialog* d) { seen = windowName(d); });
    QTimer popup;
    connect(&popup, &QTimer::timeout, [&] {
        if (auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            popup.stop();
            shown->actions().constFirst()->trigger();
            shown->close();
        }
    });
    popup.start(20);
    pressKeys(keys);
    QCOMPARE(step.fired(), !opened.isEmpty());
    QCOMPARE(seen, opened);
    QCOMPARE(menu.isVisible(), !opened.isEmpty());
    if (!menu.isVisible())
        return;
    // The focus is where the keys left it, and it shows: the entry drawn highlighted on a band,
    // the tool framed.
    menu.activateWindow();   // as the desktop does when the window above closes
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    QWidget* now = QApplication::focusWidget();
    QCOMPARE(now->objectName(), focused);
    if (focused.startsWith(QLatin1String("lblMenu"))) {
        QCOMPARE(colorOf(menu, focused.right(1).toInt()), frmMenu::funcHighlightColor());
        QVERIFY(now->autoFillBackground());
    } else if (focused.startsWith(QLatin1String("imgTool"))) {
        QCOMPARE(label(menu, focused)->frameShape(), QFrame::Box);
        QVERIFY(!label(menu, QStringLiteral("lblMenu_0"))->autoFillBackground());
    }
}

void tst_frmMenu::closeAndMinimiseMarks()
{
    ProgramFolder pf;
    frmMenu menu;
    menu.show();
    QTest::mouseClick(label(menu, QStringLiteral("Label1")), Qt::LeftButton);
    QVERIFY(menu.windowState() & Qt::WindowMinimized);
    menu.showNormal();
    QTest::mouseClick(label(menu, QStringLiteral("Label2")), Qt::LeftButton);
    QVERIFY(!menu.isVisible());

    menu.show();
    QTest::mouseClick(label(menu, QStringLiteral("lblMenu_4")), Qt::LeftButton);
    QVERIFY(!menu.isVisible());
}

void tst_frmMenu::schoolNameChangedOnAnotherPcIsAskedAbout()
{
    ProgramFolder pf;
    SchoolSettings::setValue(SchoolSettings::kSchoolName, QStringLiteral("楓塾"));
    for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        frm設定 window;
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("txtSchoolName"))->setText(QStringLiteral("楓学習塾 本校"));
        pf.execElsewhere(QStringLiteral("UPDATE 設定 SET 値 = '楓塾 駅前校' WHERE 設定名 = '学校名'"));
        pf.ui().answers = {answer};
        window.cmdOK_Click();
        QCOMPARE(pf.ui().lastText(), QStringLiteral("他のパソコンで塾の名前が「楓塾 駅前校」に変更されています。上書きしますか？"));
        // いいえ keeps the other PC's name and shows it; はい stores this one.
        QCOMPARE(SchoolSettings::funcSchoolName(), answer == MsgAnswer::Yes ? QStringLiteral("楓学習塾 本校") : QStringLiteral("楓塾 駅前校"));
        QCOMPARE(window.isVisible(), answer == MsgAnswer::No);
        if (answer == MsgAnswer::No)
            QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("txtSchoolName"))->text(), QStringLiteral("楓塾 駅前校"));
        window.hide();
        SchoolSettings::setValue(SchoolSettings::kSchoolName, QStringLiteral("楓塾"));
    }
}

QTEST_MAIN(tst_frmMenu)
#include "tst_frmMenu.moc"
