#include "CommonBase.h"
#include "DaoCommon.h"
#include "ProgramFolder.h"
#include "WindowTest.h"
#include "frmマスタ登録.h"
#include "frm入力用.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <optional>

// Answers the next input dialog and keeps what it showed. Its timer dies with
// it, so an answer that found no dialog cannot answer a later one.
struct Asked {
    QString label, mode, text;
    QString kept;   // the text of a box left open by a refusal
    bool shown = false;
    QTimer timer;
};

// A fresh database, set up by the given statements, and the window open on it.
struct Opened {
    ProgramFolder pf;
    std::optional<frmマスタ登録> w;

    explicit Opened(const QStringList& setup = {})
    {
        for (const QString& sql : setup)
            pf.exec(sql);
        w.emplace();
        w->show();
    }
    QListWidget* list(const char* name = "lstItem") { return w->findChild<QListWidget*>(name); }
    QPushButton* cmd(int i) { return w->findChild<QPushButton*>(QStringLiteral("cmdOK_%1").arg(i)); }
    void choose(const QString& master)
    {
        list("lstMaster")->setCurrentItem(list("lstMaster")->findItems(master, Qt::MatchExactly).value(0));
    }
    void select(std::initializer_list<int> rows)
    {
        list()->clearSelection();
        for (int row : rows)
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list()->visualItemRect(list()->item(row)).center());
    }
    QStringList entries()
    {
        QStringList result;
        for (int i = 0; i < list()->count(); ++i)
            result << list()->item(i)->text();
        return result;
    }
    QString enabled() { return buttonStates(&*w, "cmdOK", 4); }
    // Answers the next input dialog with the text (a null text cancels it).
    static std::unique_ptr<Asked> answer(const QString& text)
    {
        auto asked = std::make_unique<Asked>();
        asked->timer.setSingleShot(true);
        asked->timer.callOnTimeout([asked = asked.get(), text] {
            auto* dlg = dynamic_cast<frm入力用*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            auto* edit = dlg->findChild<QLineEdit*>("txtData");
            asked->shown = true;
            asked->label = dlg->findChild<QLabel*>("lblItem_0")->text();
            asked->mode = dlg->findChild<QLabel*>("lblMode")->text();
            asked->text = edit->text();
            edit->setText(text);
            dlg->findChild<QPushButton*>(text.isNull() ? "cmdEnd" : "cmdOK")->click();
            // A refused text leaves the box open with it; the test then cancels.
            if (dlg->isVisible()) {
                asked->kept = edit->text();
                dlg->findChild<QPushButton*>("cmdEnd")->click();
            }
        });
        asked->timer.start(0);
        return asked;
    }
    std::unique_ptr<Asked> press(int i, const QString& text)
    {
        auto asked = answer(text);
        cmd(i)->click();
        return asked;
    }
};

class tst_frmMaster : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstMasterInCatalogueOrder();
    void addNumbersFromLargestIdIncludingDeleted();
    void selectionStatesAndBulkDelete();
    void evaluationItemsStopAtThree();
    void copyAndRenameStartFromSelectedEntry();
    void namesAreStoredAsTyped();
    void sameNameTwiceRefused();
    void missingTableGoesToFaultLog();
};

void tst_frmMaster::opensOnFirstMasterInCatalogueOrder()
{
    Opened o({"INSERT INTO マスタ所属グループ VALUES (2, 0, 'マスタ曜日', '曜日です。')",
              "INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 1), (3, '中3', 0)"});
    QListWidget* lst = o.list("lstMaster");
    QCOMPARE(lst->item(0)->text(), QStringLiteral("マスタ学年"));
    QCOMPARE(lst->findItems("マスタ曜日", Qt::MatchExactly).value(0), lst->item(6));  // after group 1, before マスタ学校
    QCOMPARE(o.w->findChild<QLabel*>("lblMasterName")->text(), QStringLiteral("マスタ学年"));
    QCOMPARE(o.w->findChild<QLabel*>("lblMasterInfo")->text(), QStringLiteral("生徒の学年です。講座の対象学年の選択肢になります。"));
    QCOMPARE(o.entries(), QStringList({"中1", "中3"}));
    QCOMPARE(o.enabled(), QStringLiteral("1000"));
    QVERIFY(o.pf.ui().messages.empty());
}

void tst_frmMaster::addNumbersFromLargestIdIncludingDeleted()
{
    Opened o;
    auto asked = o.press(0, "中1");
    QCOMPARE(asked->mode, QStringLiteral("追 加"));
    QCOMPARE(asked->text, QString());
    QCOMPARE(asked->label, QStringLiteral("<< マスタ学年 >>  値を入力してください\n生徒の学年です。講座の対象学年の選択肢になります。"));
    QCOMPARE(o.pf.scalar("SELECT 学年名 FROM マスタ学年 WHERE 学年ID = 1"), QStringLiteral("中1"));

    o.pf.exec("INSERT INTO マスタ学年 VALUES (7, '旧', 1)");
    o.press(0, "中2");
    QCOMPARE(o.pf.scalar("SELECT 学年名 FROM マスタ学年 WHERE 学年ID = 8"), QStringLiteral("中2"));
    QCOMPARE(o.entries(), QStringList({"中1", "中2"}));

    QVERIFY(o.press(0, QString())->shown);  // cancelled: nothing added
    QCOMPARE(o.pf.count("マスタ学年"), 3);
}

void tst_frmMaster::selectionStatesAndBulkDelete()
{
    Opened o({"INSERT INTO マスタ重要度 VALUES (5, '低', 0), (6, '保留', 0)"});
    o.choose("マスタ重要度");
    o.select({2});
    QCOMPARE(o.enabled(), QStringLiteral("1111"));
    QCOMPARE(o.cmd(3)->text(), QStringLiteral("項目を削除したい(&D)"));
    o.select({0, 2, 5});
    QCOMPARE(o.enabled(), QStringLiteral("0001"));
    QCOMPARE(o.cmd(3)->text(), QStringLiteral("一括削除したい(&D)"));

    o.pf.ui().answers = {MsgAnswer::No, MsgAnswer::Yes};
    o.cmd(3)->click();
    QCOMPARE(o.pf.count("マスタ重要度", "削除フラグ = 1"), 0);
    o.cmd(3)->click();
    QCOMPARE(o.pf.ui().messages.size(), size_t(2));
    const RecordedMessage& asked = o.pf.ui().messages.back();
    QCOMPARE(asked.text, QStringLiteral("選択している 3 件を削除してもよろしいですか？"));
    QVERIFY(asked.buttons == MsgButtons::YesNoDefaultNo && asked.icon == MsgIcon::Question && asked.title == kTitle);
    QCOMPARE(o.pf.list("SELECT 重要度ID FROM マスタ重要度 WHERE 削除フラグ = 1 ORDER BY 1"),
             QStringLiteral("1,3,6"));
    QCOMPARE(o.entries(), QStringList({"重要", "参考", "低"}));
    QCOMPARE(o.enabled(), QStringLiteral("1000"));

    // A click on the master already chosen reads its entries again.
    o.pf.exec("INSERT INTO マスタ重要度 VALUES (7, '新規', 0)");
    o.select({0});
    QListWidget* masters = o.list("lstMaster");
    QTest::mouseClick(masters->viewport(), Qt::LeftButton, {}, masters->visualItemRect(masters->currentItem()).center());
    QCOMPARE(o.entries(), QStringList({"重要", "参考", "低", "新規"}));
    QCOMPARE(o.enabled(), QStringLiteral("1000"));
}

void tst_frmMaster::evaluationItemsStopAtThree()
{
    Opened o({"UPDATE マスタ評価項目 SET 削除フラグ = 1 WHERE 評価項目ID = 3"});
    o.choose("マスタ評価項目");
    o.press(0, "宿題");  // the third item is still allowed
    QCOMPARE(o.pf.count("マスタ評価項目", "削除フラグ = 0"), 3);
    QCOMPARE(o.enabled(), QStringLiteral("1000"));  // nothing selected after the reload

    o.choose("マスタ学年");
    o.choose("マスタ評価項目");
    QCOMPARE(o.enabled(), QStringLiteral("1000"));
    QVERIFY(!o.press(0, "多すぎ")->shown);
    QCOMPARE(o.pf.ui().lastText(), QStringLiteral("評価項目は３項目までしか追加できません。"));
    QCOMPARE(o.pf.ui().messages.back().icon, MsgIcon::Information);
    QCOMPARE(o.pf.count("マスタ評価項目", "削除フラグ = 0"), 3);

    o.select({1});
    QCOMPARE(o.enabled(), QStringLiteral("0010"));
    o.press(2, "集中");
    QCOMPARE(o.pf.scalar("SELECT 評価項目名 FROM マスタ評価項目 WHERE 評価項目ID = 2"), QStringLiteral("集中"));
}

void tst_frmMaster::copyAndRenameStartFromSelectedEntry()
{
    Opened o;
    o.choose("マスタ重要度");
    o.select({1});
    auto asked = o.press(1, "重要（再）");
    QCOMPARE(asked->mode, QStringLiteral("コピー(追加)"));
    QCOMPARE(asked->text, QStringLiteral("重要"));
    QCOMPARE(o.entries(), QStringList({"至急", "重要", "連絡", "参考", "重要（再）"}));
    QCOMPARE(o.pf.scalar("SELECT 重要度ID FROM マスタ重要度 WHERE 重要度名 = '重要（再）'"), QStringLiteral("5"));

    // A double click renames the entry clicked.
    const QPoint at = o.list()->visualItemRect(o.list()->item(2)).center();
    QTest::mouseClick(o.list()->viewport(), Qt::LeftButton, {}, at);
    asked = o.answer("連絡事項");
    QTest::mouseDClick(o.list()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(asked->mode, QStringLiteral("編 集"));
    QCOMPARE(asked->text, QStringLiteral("連絡"));
    QCOMPARE(o.entries(), QStringList({"至急", "重要", "連絡事項", "参考", "重要（再）"}));

    // After the reload nothing is selected: rename has no entry to start from.
    QVERIFY(!o.press(2, "何か")->shown);
    QCOMPARE(o.pf.count("マスタ重要度"), 5);
}

void tst_frmMaster::namesAreStoredAsTyped()
{
    Opened o;
    o.choose("マスタ講師");
    const QStringList names = {"O'Brien先生", "#2024/01/01# 100% *_?", "ﾔﾏﾀﾞ 😀", "' OR 1=1 --"};
    for (const QString& name : names)
        o.press(0, name);
    QCOMPARE(o.entries(), names);
    o.select({0});
    o.press(2, "D'Arcy先生");
    QCOMPARE(o.pf.scalar("SELECT 講師名 FROM マスタ講師 WHERE 講師ID = 1"), QStringLiteral("D'Arcy先生"));
    QCOMPARE(o.pf.count("マスタ講師"), 4);
    QVERIFY(o.pf.ui().messages.empty());
}

void tst_frmMaster::sameNameTwiceRefused()
{
    Opened o({"UPDATE マスタ重要度 SET 削除フラグ = 1 WHERE 重要度名 = '参考'"});
    o.choose("マスタ重要度");
    const QString taken = QStringLiteral("「重要」は既に登録されています。");
    struct Case {
        int button;
        int row;   // the entry selected first
        const char* typed;
        QString refusal;
    };
    const Case cases[] = {
        {0, 0, "重要", taken},
        {0, 0, " 重要 ", taken},
        {1, 1, "重要", taken},                                    // a copy under its own name
        {2, 2, "至急", QStringLiteral("「至急」は既に登録されています。")},
        {2, 1, "重要", {}},                                       // renamed to its own name
        {0, 0, "参考", {}},                                       // the name of a deleted entry
    };
    for (const Case& c : cases) {
        o.pf.ui().clear();
        o.select({c.row});
        const QStringList before = o.entries();
        const auto asked = o.press(c.button, QString::fromUtf8(c.typed));
        QVERIFY(asked->shown);
        QCOMPARE(o.pf.ui().texts(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
        QCOMPARE(asked->kept, c.refusal.isEmpty() ? QString() : QString::fromUtf8(c.typed));
        if (!c.refusal.isEmpty())
            QCOMPARE(o.entries(), before);
    }
    QCOMPARE(o.entries(), QStringList({"至急", "重要", "連絡", "参考"}));
}

void tst_frmMaster::missingTableGoesToFaultLog()
{
    Opened o({"INSERT INTO マスタ所属グループ VALUES (9, 1, 'マスタ備品', '無い表です。')"});
    o.choose("マスタ備品");
    QVERIFY(o.pf.ui().lastText().endsWith("情報取得に失敗しました"));
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, o.press(0, "机"));
    QCOMPARE(o.pf.ui().messages.back().title, QStringLiteral("システムエラー"));
    QFile log(o.pf.file("ErrorLog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(funcFromSjis(log.readAll()).contains("モジュール名\u3000frmマスタ登録 - cmdOK_Click"));
    QVERIFY(!gDatabase.isOpen());
}

QTEST_MAIN(tst_frmMaster)
#include "tst_frmMaster.moc"
