#include "StudentsTest.h"
#include "SchoolYear.h"
#include "YearChange.h"
#include "frmMenu.h"
#include "frm生徒検索.h"
#include "frm生徒情報一覧.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

class tst_StudentList : public QObject {
    Q_OBJECT
private slots:
    void init();
    void menuListsEveryStudentNotDeletedByReading();
    void searchConditionsBecomeWhereAndCaption();
    void cancellingTheFirstSearchClosesTheList();
    void bulkDeleteMarksTheSelectedStudents();
    void doubleClickEditsAndASaveRebuildsInTheSameOrder();
    void enrolledByDefaultAndGradesSortInOrder();
    void yearChangeFromTheList();

private:
    std::unique_ptr<ProgramFolder> pf;
};

namespace {
QTreeWidget* list(QWidget* w)
{
    return child<QTreeWidget>(w, "lvList");
}

QString label(QWidget* w, const char* name)
{
    return child<QLabel>(w, name)->text();
}

} // namespace

void tst_StudentList::init()
{
    pf.reset();   // its folder closes the database: gone before the next one opens it
    pf = std::make_unique<ProgramFolder>();
    insertSchools(*pf);
    insertStudent({1, QStringLiteral("ｻﾄｳ ﾊﾅｺ"), QStringLiteral("佐藤　花子"), QStringLiteral("0427001234"), QStringLiteral("1940013"),
                   QStringLiteral("町田市原町田1-1"), QStringLiteral("09011112222"), {}, QStringLiteral("2023/04/01"),
                   QStringLiteral("2011/06/01"), 2, 1});
    insertStudent({2, QStringLiteral("ｱﾍﾞ ﾀﾛｳ"), QStringLiteral("阿部　太郎"), QStringLiteral("0312345678"), QStringLiteral("2520001"),
                   {}, {}, {}, QStringLiteral("2024/04/01"), QStringLiteral("2013/01/01"), 1, 2});
    insertStudent({3, QStringLiteral("ｲﾄｳ ｼﾞﾛｳ"), QStringLiteral("伊藤　次郎"), {}, QStringLiteral("1940001"), {}, {}, {},
                   QStringLiteral("2023/04/01"), QStringLiteral("2012/01/01"), 1, 1, 1});
    insertStudent({4, QStringLiteral("ｵｵﾊｼ ｹﾝ"), QStringLiteral("O'Brien 健"), QStringLiteral("0427999999"), QStringLiteral("1940100")});
    insertStudent({5, QStringLiteral("ｶﾄｳ ﾐｷ"), QStringLiteral("加藤　美紀"), {}, QStringLiteral("1501940"), {}, {}, {},
                   QStringLiteral("2022/09/01"), QStringLiteral("2010/03/03"), 2, 3});
}

void tst_StudentList::menuListsEveryStudentNotDeletedByReading()
{
    pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 保護者氏名 = '佐藤 一郎', 続柄 = '父', 保護者電話 = '09033334444',"
                            " 保護者メール = 'ichiro@example.jp' WHERE 生徒番号 = 1"));
    frmMenu menu;
    menu.show();
    NextModal step([](QDialog* d) {
        QCOMPARE(d->objectName(), QStringLiteral("frm生徒情報一覧"));
        QCOMPARE(rowTags(list(d)), (QStringList{"2", "4", "5", "1"}));
        const QString grade =
            SchoolYear::funcGradeName(SchoolYear::funcGradeOf(QDate(2011, 6, 1), SchoolYear::funcCurrentSchoolYear()));
        QCOMPARE(rowTexts(list(d)).last(), QStringLiteral("1|ｻﾄｳ ﾊﾅｺ|佐藤　花子|") + grade
                                               + QStringLiteral("|0427001234|09011112222|女|町田第一中学校|"
                                                                "2023/04/01|2011/06/01|1940013|町田市原町田1-1||"
                                                                "佐藤 一郎|父|09033334444|ichiro@example.jp|在籍"));
        // A school no longer in use still names the student's school; no school leaves the cell empty.
        QCOMPARE(rowTexts(list(d)).at(2).section(QLatin1Char('|'), 7, 7), QStringLiteral("廃校"));
        QCOMPARE(rowTexts(list(d)).at(1).section(QLatin1Char('|'), 7, 7), QString());
        QCOMPARE(d->focusWidget(), list(d));
        QCOMPARE(label(d, "lblJyoken"), QString());
        QCOMPARE(label(d, "lblCount"), QStringLiteral("4"));
        QCOMPARE(buttonStates(d, "cmdOK", 4), QStringLiteral("1000"));
        QVERIFY(!d->findChild<QDialog*>("frm生徒検索"));
    });
    QTest::mouseClick(child<QLabel>(&menu, "lblMenu_1"), Qt::LeftButton);
    QVERIFY(step.fired());
}

void tst_StudentList::searchConditionsBecomeWhereAndCaption()
{
    struct Case {
        const char* name;
        std::function<void(QDialog*)> fill;
        QString where, caption;
        QStringList tags;
    };
    const auto text = [](int box, const QString& value) {
        return [=](QDialog* d) { child<QLineEdit>(d, QStringLiteral("txtData_%1").arg(box))->setText(value); };
    };
    const auto option = [](const char* name) { return [=](QDialog* d) { child<QRadioButton>(d, name)->setChecked(true); }; };
    const QList<Case> cases{
        {"nothing", [](QDialog*) {}, {}, {}, {"2", "4", "5", "1"}},
        {"only 女", option("optSex_2"), QStringLiteral(" WHERE  性別 = 2"), QStringLiteral(" 【性別】女"), {"5", "1"}},
        {"postal prefix", text(3, QStringLiteral("194")), QStringLiteral(" WHERE  郵便番号 Like ? = 194%"),
         QStringLiteral(" 【郵便番号】194*"), {"4", "1"}},
        {"telephone fragment", text(2, QStringLiteral("7001")), QStringLiteral(" WHERE  電話 Like ? = %7001%"),
         QStringLiteral(" 【電話番号】7001*"), {"1"}},
        {"blanks only", text(1, QStringLiteral("  　")), {}, {}, {"2", "4", "5", "1"}},
        {"quote in the name", text(1, QStringLiteral("O'Brien")), QStringLiteral(" WHERE  生徒氏名 Like ? = %O'Brien%"),
         QStringLiteral(" 【氏名漢字】*O'Brien*"), {"4"}},
        {"a typed % is a letter, not a wildcard", text(1, QStringLiteral("%")), QStringLiteral(" WHERE  生徒氏名 Like ? = %\\%%"),
         QStringLiteral(" 【氏名漢字】*%*"), {}},
        {"reading", text(0, QStringLiteral("ﾄｳ")), QStringLiteral(" WHERE  氏名カナ Like ? = %ﾄｳ%"), QStringLiteral(" 【氏名カナ】*ﾄｳ*"),
         {"5", "1"}},
        {"blank school entry and 男",
         [](QDialog* d) {
             child<QComboBox>(d, "cboEdit_0")->setCurrentIndex(0);
             child<QRadioButton>(d, "optSex_1")->setChecked(true);
         },
         QStringLiteral(" WHERE  性別 = 1"), QStringLiteral(" 【性別】男"), {"2", "4"}},
        {"school",
         [](QDialog* d) {
             auto* box = child<QComboBox>(d, "cboEdit_0");
             box->setCurrentIndex(box->findText(QStringLiteral("原町田小学校")));
         },
         QStringLiteral(" WHERE  所属校ID = 2"), QStringLiteral(" 【所属校】原町田小学校"), {"2"}},
        {"one enrolment day",
         [](QDialog* d) {
             child<QCheckBox>(d, "chkDate_0")->setChecked(true);
             child<QDateEdit>(d, "DTPDate_0")->setDate(QDate(2023, 4, 1));
             child<QDateEdit>(d, "DTPDate_1")->setDate(QDate(2023, 4, 1));
             child<QDateEdit>(d, "DTPDate_2")->setDate(QDate(2030, 1, 1));   // its box is off: no condition
         },
         QStringLiteral(" WHERE  入塾日 BETWEEN #2023/04/01# AND #2023/04/01#"),
         QStringLiteral(" 【入塾日】2023/04/01～2023/04/01"), {"1"}},
    };

    frm生徒情報一覧 window;
    window.show();
    for (const Case& c : cases) {
        QString where;
        NextModal step([&](QDialog* d) {
            // Each case starts from nothing: the dialog opens with the conditions of the case before.
            child<QPushButton>(d, "cmdClear")->click();
            c.fill(d);
            child<QPushButton>(d, "cmdOK")->click();
            // Typed text is bound, never part of the statement: shown here after " = ".
            const auto* search = dynamic_cast<frm生徒検索*>(d);
            where = search->propSQL();
            for (const QVariant& value : search->propValues())
                where += QStringLiteral(" = ") + value.toString();
        });
        child<QPushButton>(&window, "cmdSearch")->click();
        QVERIFY2(step.fired(), c.name);
        QVERIFY2(where == c.where, qPrintable(QStringLiteral("%1: %2").arg(QString::fromUtf8(c.name), where)));
        QVERIFY2(label(&window, "lblJyoken") == c.caption, c.name);
        QVERIFY2(child<QLabel>(&window, "lblJyoken")->toolTip() == c.caption, c.name);
        QVERIFY2(rowTags(list(&window)) == c.tags, c.name);
    }

    // The last search is there again when the dialog next opens.
    {
        QString where;
        NextModal again([&](QDialog* d) {
            QVERIFY(child<QCheckBox>(d, "chkDate_0")->isChecked());
            QCOMPARE(child<QDateEdit>(d, "DTPDate_1")->date(), QDate(2023, 4, 1));
            child<QPushButton>(d, "cmdOK")->click();
            where = dynamic_cast<frm生徒検索*>(d)->propSQL();
        });
        child<QPushButton>(&window, "cmdSearch")->click();
        QCOMPARE(where, cases.back().where);
    }

    // A range that ends before it starts is refused and the dialog stays; closing it keeps the list.
    for (const auto& [box, message] : {std::pair{0, QStringLiteral("入塾日の範囲指定に誤りがあります")},
                                       std::pair{1, QStringLiteral("生年月日の範囲指定に誤りがあります")}}) {
        pf->ui().clear();
        bool stayed = false;
        NextModal step([&, box = box](QDialog* d) {
            child<QCheckBox>(d, QStringLiteral("chkDate_%1").arg(box))->setChecked(true);
            child<QDateEdit>(d, QStringLiteral("DTPDate_%1").arg(box * 2))->setDate(QDate(2024, 5, 2));
            child<QDateEdit>(d, QStringLiteral("DTPDate_%1").arg(box * 2 + 1))->setDate(QDate(2024, 5, 1));
            child<QPushButton>(d, "cmdOK")->click();
            stayed = d->isVisible();
            child<QPushButton>(d, "cmdEnd")->click();
        });
        child<QPushButton>(&window, "cmdSearch")->click();
        QVERIFY(stayed);
        QCOMPARE(pf->ui().texts(), QStringList{message});
        QCOMPARE(pf->ui().messages.back().icon, MsgIcon::Warning);
        QCOMPARE(pf->ui().messages.back().title, kTitle);
        QCOMPARE(rowTags(list(&window)), QStringList{"1"});
    }
}

void tst_StudentList::cancellingTheFirstSearchClosesTheList()
{
    frm生徒情報一覧 window;
    NextModal step([](QDialog* d) { child<QPushButton>(d, "cmdEnd")->click(); });
    QCOMPARE(window.exec(), int(QDialog::Rejected));
    QVERIFY(step.fired());
    QVERIFY(!window.isVisible());
}

void tst_StudentList::bulkDeleteMarksTheSelectedStudents()
{
    withOpenList([&](frm生徒情報一覧& w) {
        list(&w)->topLevelItem(0)->setSelected(true);
        list(&w)->topLevelItem(1)->setSelected(true);
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("0001"));
        auto* cmdDelete = child<QPushButton>(&w, "cmdOK_3");
        QCOMPARE(cmdDelete->text(), QStringLiteral("一括削除したい(&D)"));

        pf->ui().answers = {MsgAnswer::No};
        cmdDelete->click();
        QCOMPARE(rowTags(list(&w)).size(), 4);

        cmdDelete->click();
        QCOMPARE(pf->ui().lastText(), QStringLiteral("選択している 2 生徒を削除してもよろしいですか？"));
        QCOMPARE(rowTags(list(&w)), (QStringList{"5", "1"}));
        QCOMPARE(label(&w, "lblCount"), QStringLiteral("2"));
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1000"));
        QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 5);
        QCOMPARE(pf->count(QStringLiteral("生徒台帳"), QStringLiteral("削除フラグ = 1")), 3);
        QCOMPARE(pf->scalar(QStringLiteral("SELECT 削除フラグ FROM 生徒台帳 WHERE 生徒番号 = 4")), QStringLiteral("1"));
    });
}

void tst_StudentList::doubleClickEditsAndASaveRebuildsInTheSameOrder()
{
    withOpenList([&](frm生徒情報一覧& w) {
        QTreeWidget* lv = list(&w);
        // Sorted by the name column; the rebuild after the save keeps that order.
        QTest::mouseClick(lv->header()->viewport(), Qt::LeftButton, {},
                          QPoint(lv->header()->sectionViewportPosition(2) + lv->header()->sectionSize(2) / 2, 5));
        QCOMPARE(rowTags(lv), (QStringList{"4", "1", "5", "2"}));

        const QTreeWidgetItem* sato = lv->topLevelItem(1);
        const QPoint at(20, lv->visualItemRect(sato).center().y());
        // An add closed unsaved leaves the row selected; the double click below still edits that row.
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, at);
        onNextModal([](QDialog* d) { child<QPushButton>(d, "cmdEnd")->click(); });
        child<QPushButton>(&w, "cmdOK_0")->click();
        QString mode, name;
        NextModal detail([&](QDialog* d) {
            mode = child<QLabel>(d, "lblMode")->text();
            auto* box = child<QLineEdit>(d, "txtStuInfo_1");
            name = box->text();
            box->setText(QStringLiteral("安藤　花子"));
            child<QPushButton>(d, "cmdOK")->click();
        });
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(detail.fired());
        QCOMPARE(mode, QStringLiteral("編　集"));
        QCOMPARE(name, QStringLiteral("佐藤　花子"));
        QCOMPARE(rowTags(lv), (QStringList{"4", "5", "1", "2"}));
        QCOMPARE(lv->topLevelItem(2)->text(2), QStringLiteral("安藤　花子"));
        // The student just saved stays selected for the next step.
        QCOMPARE(rowTags(lv).at(lv->indexOfTopLevelItem(lv->currentItem())), QStringLiteral("1"));
        QCOMPARE(buttonStates(&w, "cmdOK", 4), QStringLiteral("1111"));

        // Enter edits the selected row, Delete asks to delete it.
        NextModal byEnter([&](QDialog* d) { child<QPushButton>(d, "cmdEnd")->click(); });
        QTest::keyClick(lv, Qt::Key_Return);
        QVERIFY(byEnter.fired());
        pf->ui().answers = {MsgAnswer::No};
        QTest::keyClick(lv, Qt::Key_Delete);
        QCOMPARE(pf->ui().lastText(), QStringLiteral("選択している 1 生徒を削除してもよろしいですか？"));
    });
}

void tst_StudentList::enrolledByDefaultAndGradesSortInOrder()
{
    // 加藤 left long ago; 阿部 pauses only from a day to come; 大橋's grade was chosen by hand.
    pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 在籍状態 = 2, 状態日付 = '2020/01/01' WHERE 生徒番号 = 5"));
    pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 在籍状態 = 1, 状態日付 = '%1' WHERE 生徒番号 = 2")
                 .arg(funcDateText(QDate::currentDate().addDays(30))));
    pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 生年月日 = NULL, 手動学年 = '小5', 手動学年度 = %1 WHERE 生徒番号 = 4")
                 .arg(SchoolYear::funcCurrentSchoolYear()));
    withOpenList([&](frm生徒情報一覧& w) {
        QTreeWidget* lv = list(&w);
        QCOMPARE(rowTags(lv), (QStringList{"2", "4", "1"}));
        child<QCheckBox>(&w, "chkAll")->click();
        QCOMPARE(rowTags(lv), (QStringList{"2", "4", "5", "1"}));
        QCOMPARE(lv->topLevelItem(2)->text(17), QStringLiteral("退塾"));
        QCOMPARE(lv->topLevelItem(0)->text(17), QStringLiteral("休塾"));
        // By grade, youngest first (小 before 中 though its text sorts after), then the other way.
        const auto clickGrade = [&] {
            QTest::mouseClick(lv->header()->viewport(), Qt::LeftButton, {},
                              QPoint(lv->header()->sectionViewportPosition(3) + lv->header()->sectionSize(3) / 2, 5));
        };
        clickGrade();
        QCOMPARE(rowTags(lv), (QStringList{"4", "2", "1", "5"}));
        QCOMPARE(lv->topLevelItem(0)->text(3), QStringLiteral("小5"));
        clickGrade();
        QCOMPARE(rowTags(lv), (QStringList{"5", "1", "2", "4"}));
        child<QCheckBox>(&w, "chkAll")->click();
        QCOMPARE(rowTags(lv), (QStringList{"1", "2", "4"}));
    });
}

// The finishing 中3 is offered unticked; ticked and run, he leaves on the year's last
// day and the list no longer shows him.
void tst_StudentList::yearChangeFromTheList()
{
    const int from = YearChange::funcChangingFrom(QDate::currentDate(), SchoolYear::funcYearStart());
    pf->exec(QStringLiteral("UPDATE 生徒台帳 SET 生年月日 = '%1/06/01' WHERE 生徒番号 = 1").arg(from - 15));
    const QString lastDay = funcDateText(YearChange::funcPreview(from).lastDay);
    withOpenList([&](frm生徒情報一覧& w) {
        NextModal change([&](QDialog* d) {
            QTreeWidgetItem* sato = child<QTreeWidget>(d, "lvList")->findItems(QStringLiteral("1"), Qt::MatchExactly, 2).value(0);
            QVERIFY(sato);
            QCOMPARE(sato->text(1), QStringLiteral("卒業学年（卒塾・退塾の候補）"));
            QCOMPARE(sato->text(5) + sato->text(6), QStringLiteral("中3高1"));
            QCOMPARE(sato->checkState(0), Qt::Unchecked);
            sato->setCheckState(0, Qt::Checked);
            pf->ui().answers = {MsgAnswer::Yes};
            child<QPushButton>(d, "cmdOK")->click();
            QCOMPARE(pf->ui().texts(), (QStringList{QStringLiteral("1 人を %1 付けで退塾にして、年度更新を実行します。よろしいですか？").arg(lastDay),
                                                   QStringLiteral("年度更新を実行しました。")}));
            QVERIFY(!child<QPushButton>(d, "cmdOK")->isEnabled());
            QVERIFY(child<QPushButton>(d, "cmdUndo")->isEnabled());
            QTest::keyClick(d, Qt::Key_Escape);
        });
        child<QPushButton>(&w, "cmdYear")->click();
        QVERIFY(change.fired());
        // He leaves at the end of the year: with the school until then, so still listed today.
        QCOMPARE(pf->scalar(QStringLiteral("SELECT 在籍状態 || ' ' || 状態日付 FROM 生徒台帳 WHERE 生徒番号 = 1")),
                 QStringLiteral("2 ") + lastDay);
    });
}

QTEST_MAIN(tst_StudentList)
#include "tst_StudentList.moc"
