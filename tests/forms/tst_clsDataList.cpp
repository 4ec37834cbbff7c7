#include "ProgramFolder.h"
#include "clsDataList.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QtTest>

class tst_clsDataList : public QObject {
    Q_OBJECT
private slots:
    void listsRowsWithTagsAndHeadersWhileHidden();
    void emptyResultTellsOnceUnlessSuppressed();
    void faultsReturnFalseAndShowTheList();
    void eraseFieldAllowsOtherColumns();

private:
    static void addStudents(ProgramFolder& pf, int count)
    {
        for (int i = 1; i <= count; ++i)
            pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 電話) VALUES (%1, 'ｶﾅ%2', '生徒%2', %3)")
                        .arg(100 + i)
                        .arg(i)
                        .arg(i % 5 == 0 ? QStringLiteral("NULL") : QStringLiteral("'03-%1'").arg(i)));
    }
};

void tst_clsDataList::listsRowsWithTagsAndHeadersWhileHidden()
{
    ProgramFolder pf;
    addStudents(pf, 25);
    QWidget window;
    auto* lv = new QTreeWidget(&window);
    window.show();
    clsDataList::subClearListView(lv);
    // A list the user can sort keeps the statement's order after a fill.
    lv->setSortingEnabled(true);
    lv->sortByColumn(0, Qt::AscendingOrder);
    bool insertedWhileShown = false;
    connect(lv->model(), &QAbstractItemModel::rowsInserted, this, [&] { insertedWhileShown |= lv->isVisible(); });

    clsDataList list;
    list.setPropListView(lv);
    list.setPropListKey(QStringLiteral("生徒番号"));
    QVERIFY(list.AddFieldName(QStringLiteral("生徒氏名"), QStringLiteral("氏名"), 120));
    QVERIFY(list.AddFieldName(QStringLiteral("電話"), QStringLiteral("電話"), 80));
    QVERIFY(list.AddFieldName(QStringLiteral("氏名カナ"), QString(), 0));
    QVERIFY(list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳 ORDER BY 生徒番号 DESC")));

    QCOMPARE(list.propCount(), 25);
    QCOMPARE(lv->topLevelItemCount(), 25);
    QVERIFY(!insertedWhileShown);
    QVERIFY(lv->isVisible());
    // Only the two columns with a header text are visible; the third travels in the row.
    QCOMPARE(lv->columnCount(), 2);
    QCOMPARE(lv->headerItem()->text(0), QStringLiteral("氏名"));
    QCOMPARE(lv->headerItem()->text(1), QStringLiteral("電話"));
    QCOMPARE(lv->columnWidth(0), 120);
    const QTreeWidgetItem* first = lv->topLevelItem(0);
    QCOMPARE(first->text(0), QStringLiteral("生徒25"));
    QCOMPARE(first->text(1), QString());   // Null
    QCOMPARE(first->text(2), QStringLiteral("ｶﾅ25"));
    QCOMPARE(clsDataList::funcItemTag(first), QStringLiteral("125"));
    QCOMPARE(clsDataList::funcItemTag(lv->topLevelItem(24)), QStringLiteral("101"));
    QCOMPARE(lv->topLevelItem(24)->text(1), QStringLiteral("03-1"));
    QVERIFY(lv->isSortingEnabled());
    QVERIFY(pf.ui().messages.empty());

    // A second fill replaces the rows instead of adding to them.
    QVERIFY(list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳 WHERE 生徒番号 <= 103")));
    QCOMPARE(lv->topLevelItemCount(), 3);
}

void tst_clsDataList::emptyResultTellsOnceUnlessSuppressed()
{
    ProgramFolder pf;
    addStudents(pf, 2);
    QTreeWidget lv;
    clsDataList list;
    list.setPropListView(&lv);
    list.setPropListKey(QStringLiteral("生徒番号"));
    list.AddFieldName(QStringLiteral("生徒氏名"), QStringLiteral("氏名"), 100);
    QVERIFY(list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳")));

    QVERIFY(!list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳 WHERE 生徒氏名 = 'だれもいない'")));
    QCOMPARE(list.propCount(), 0);
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].text, QStringLiteral("該当はありませんでした"));
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::Information);
    QCOMPARE(pf.ui().messages[0].title, kTitle);
    // The window clears the list itself; the binder leaves the old rows alone.
    QCOMPARE(lv.topLevelItemCount(), 2);

    list.setPropNoMsg(true);
    QVERIFY(!list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳 WHERE 1 = 0")));
    QCOMPARE(pf.ui().messages.size(), size_t(1));
}

void tst_clsDataList::faultsReturnFalseAndShowTheList()
{
    ProgramFolder pf;
    addStudents(pf, 6);
    QWidget window;
    auto* lv = new QTreeWidget(&window);
    window.show();
    clsDataList list;
    list.setPropListView(lv);
    list.setPropListKey(QStringLiteral("電話"));
    list.AddFieldName(QStringLiteral("生徒氏名"), QStringLiteral("氏名"), 100);

    QVERIFY(!list.funcShowList(QStringLiteral("SELECT * FROM 無い表")));
    QVERIFY(lv->isVisible());

    // Student 105 has no telephone, the key here: the rows before it stay and the list is shown again.
    QVERIFY(!list.funcShowList(QStringLiteral("SELECT * FROM 生徒台帳 ORDER BY 生徒番号")));
    QVERIFY(lv->isVisible());
    QCOMPARE(lv->topLevelItemCount(), 4);
    QCOMPARE(lv->topLevelItem(3)->text(0), QStringLiteral("生徒4"));
    QVERIFY(pf.ui().messages.empty());
}

void tst_clsDataList::eraseFieldAllowsOtherColumns()
{
    ProgramFolder pf;
    pf.exec(QStringLiteral("INSERT INTO マスタ講師 VALUES (1, '佐藤', 0), (2, '鈴木', 0)"));
    QTreeWidget lv;
    clsDataList list;
    list.setPropListView(&lv);
    list.setPropListKey(QStringLiteral("講師ID"));
    list.AddFieldName(QStringLiteral("生徒氏名"), QStringLiteral("氏名"), 100);
    QVERIFY(!list.funcShowList(QStringLiteral("SELECT * FROM マスタ講師")));   // no such column

    list.subEraseField();
    clsDataList::subClearListView(&lv);
    list.AddFieldName(QStringLiteral("講師名"), QStringLiteral("講師"), 90);
    QVERIFY(list.funcShowList(QStringLiteral("SELECT * FROM マスタ講師 ORDER BY 講師ID")));
    QCOMPARE(lv.columnCount(), 1);
    QCOMPARE(lv.headerItem()->text(0), QStringLiteral("講師"));
    QCOMPARE(lv.topLevelItem(1)->text(0), QStringLiteral("鈴木"));
    QCOMPARE(clsDataList::funcItemTag(lv.topLevelItem(1)), QStringLiteral("2"));
}

QTEST_MAIN(tst_clsDataList)
#include "tst_clsDataList.moc"
