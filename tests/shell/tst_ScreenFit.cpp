// Every window on a laptop's 1366 x 768 screen: opened as the user opens it, it lies
// on the screen with all of its buttons, centred; the size the user leaves it at comes back.
#include "ProgramFolder.h"
#include "ShellTest.h"
#include "WindowPlace.h"
#include "WindowTest.h"
#include "frmMenu.h"
#include "frm入力用.h"
#include "frm出欠一括入力.h"
#include "frm休校日.h"
#include "frm振替.h"
#include "frm年度更新.h"
#include "frm期間登録.h"
#include "frm通常クラス.h"
#include "frm設定.h"
#include "frm生徒取込.h"
#include "frm生徒情報詳細.h"
#include "frm生徒検索.h"
#include "frm講座情報詳細.h"
#include "frm講座検索.h"
#include "frm定型文選択.h"
#include "frm帳票出力.h"
#include "frmメール設定.h"
#include "frmメール送信結果.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QRadioButton>
#include <QSettings>

#include <functional>

namespace {
constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768;

template <class Window, class... Args>
std::function<void(frmMenu&)> direct(std::function<void(Window&)> setUp = {}, Args... args)
{
    return [=](frmMenu& menu) {
        Window window(args..., &menu);
        if (setUp)
            setUp(window);
        window.exec();
    };
}

struct Opening {
    const char* window;
    std::function<void(frmMenu&)> open;   // opens the window modally; none for the menu itself
};

const std::vector<Opening>& openings()
{
    static const std::vector<Opening> all = {
        {"frmMenu", {}},
        {"frm講座情報一覧", [](frmMenu& m) { m.lblMenu_Click(0); }},
        {"frm生徒情報一覧", [](frmMenu& m) { m.lblMenu_Click(1); }},
        {"frm帳票出力", [](frmMenu& m) { m.lblMenu_Click(2); }},
        {"frmマスタ登録", [](frmMenu& m) { m.lblMenu_Click(3); }},
        {"frm初期化", [](frmMenu& m) { m.imgTool_Click(2); }},
        {"frmHelp", [](frmMenu& m) { m.imgTool_Click(3); }},
        {"frmAbout", [](frmMenu& m) { m.imgTool_Click(4); }},
        {"frm連絡事項編集", [](frmMenu& m) { m.cmdOK_Click(0); }},
        {"frm講座検索", direct<frm講座検索>()},
        {"frm生徒検索", direct<frm生徒検索>()},
        {"frm生徒情報詳細", direct<frm生徒情報詳細>([](frm生徒情報詳細& w) { w.setPropMode(Syori::Add); })},
        {"frm講座情報詳細", direct<frm講座情報詳細>({}, Syori::Edit, 1)},
        {"frm出欠一括入力", direct<frm出欠一括入力>({}, 1)},
        {"frm年度更新", direct<frm年度更新>()},
        {"frm通常クラス", direct<frm通常クラス>()},
        {"frm期間登録", direct<frm期間登録>()},
        {"frm休校日", direct<frm休校日>()},
        {"frm設定", direct<frm設定>()},
        {"frm帳票出力 月間報告書", direct<frm帳票出力>([](frm帳票出力& w) {
             w.findChild<QRadioButton*>(QStringLiteral("opt帳票タイプ_2"))->click();
         })},
        {"frm定型文選択", direct<frm定型文選択>({}, QStringList{QStringLiteral("青木さんは数学をよく頑張りました。").repeated(8),
                                                           QStringLiteral("宿題を忘れずに。")})},
        {"frmメール設定", direct<frmメール設定>()},
        {"frmメール送信結果", direct<frmメール送信結果>({}, MailDelivery::Outcome{
                                  1, 1, {{{{1, QStringLiteral("青木"), QStringLiteral("refuse@example.jp"), {}}},
                                          QStringLiteral("メールサーバーが受け付けませんでした（サーバーの応答: 550 5.1.1 "
                                                         "<refuse@example.jp>: Recipient address rejected）。")}}})},
        {"frm振替一覧", direct<frm振替一覧>()},
        {"frm振替予約", direct<frm振替予約>({}, 1)},
        {"frm振替ルール", direct<frm振替ルール>()},
        {"frm入力用", direct<frm入力用>([](frm入力用& w) {
             w.setPropLabel(QStringLiteral("学年を入力してください。"));
             w.setProplblMode(QStringLiteral("追加"));
         })},
        {"frm生徒取込", [](frmMenu& m) {
             frm生徒取込 window(&m);
             if (window.funcOpen(funcAppPath() + QStringLiteral("students.csv")))
                 window.exec();
         }},
    };
    return all;
}
} // namespace

class tst_ScreenFit : public QObject {
    Q_OBJECT
private slots:
    void everyWindowFits_data();
    void everyWindowFits();
    void sizeAndPlaceRemembered();
};

void tst_ScreenFit::everyWindowFits_data()
{
    QTest::addColumn<int>("row");
    for (size_t i = 0; i < openings().size(); ++i)
        QTest::newRow(openings()[i].window) << static_cast<int>(i);
}

void tst_ScreenFit::everyWindowFits()
{
    QFETCH(int, row);
    const Opening& opening = openings()[static_cast<size_t>(row)];
    ProgramFolder pf;
    QFile::copy(builtProgramFolder() + QStringLiteral("/kaedemaru.chm"), pf.file(QStringLiteral("kaedemaru.chm")));
    pf.exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日) VALUES (1, '2026/04/08')"));
    pf.exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (1, 'ｱｵｷ', '青木', 0)"));
    pf.exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 更新回数) VALUES (1, 1, 0, 0, 0, 0, 0, '', 0, '2026/04/01', 0)"));
    pf.exec(QStringLiteral("INSERT INTO 振替 (振替ID, 生徒番号, 欠席講座ID, 欠席日, 開始日, 期限, 状態) VALUES (1, 1, 1, '2026/04/08', '2026/04/01', '2099/04/22', 0)"));
    QFile csv(pf.file(QStringLiteral("students.csv")));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(QStringLiteral("生徒番号,氏名,氏名カナ\n2,伊藤,ｲﾄｳ\n").toUtf8());
    csv.close();

    frmMenu menu;
    menu.show();
    // Read while the window is open: a modal window is gone once its exec returns.
    QString shown;
    QStringList outside;
    QRect place;
    const auto look = [&](QWidget* window) {
        shown = window->objectName();
        outside = funcOffScreen(window);
        place = window->frameGeometry();
    };
    if (opening.open) {
        NextModal step([&](QDialog* dialog) { look(dialog); });
        opening.open(menu);
        QVERIFY2(step.fired(), opening.window);
    } else {
        look(&menu);
    }
    // The window's name, before any words telling how it was opened.
    QCOMPARE(shown, QString::fromUtf8(opening.window).section(u' ', 0, 0));
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char(' '))));
    // Centred on the screen, give or take the frame.
    const QPoint off = place.center() - QRect(0, 0, kScreenWidth, kScreenHeight).center();
    QVERIFY2(off.manhattanLength() <= 4, qPrintable(QStringLiteral("off centre by %1,%2").arg(off.x()).arg(off.y())));
    qInfo("%s %d x %d", opening.window, place.width(), place.height());
}

void tst_ScreenFit::sizeAndPlaceRemembered()
{
    ProgramFolder pf;
    frmMenu menu;
    menu.show();
    // Left smaller in a corner, the next opening comes back there; left bigger than the
    // screen (on a larger monitor), it comes back cut to the screen and centred on it.
    const QRect area = menu.screen()->availableGeometry();
    QRect fitted(QPoint(), funcRoomOn(area));
    fitted.moveCenter(area.center());
    const std::pair<QRect, QRect> cases[] = {{QRect(10, 20, 900, 500), QRect(10, 20, 900, 500)},
                                             {QRect(100, 50, 3000, 2000), fitted}};
    for (const auto& [left, expected] : cases) {
        QRect again;
        {
            NextModal step([&](QDialog* dialog) { dialog->setGeometry(left); });
            menu.lblMenu_Click(1);
        }
        {
            NextModal step([&](QDialog* dialog) { again = dialog->geometry(); });
            menu.lblMenu_Click(1);
        }
        QCOMPARE(again, expected);
    }
    QVERIFY(funcWindowSettings().contains(QStringLiteral("frm生徒情報一覧/geometry")));
}

int main(int argc, char** argv)
{
    subUseOffscreenScreen(kScreenWidth, kScreenHeight);
    QApplication app(argc, argv);
    tst_ScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ScreenFit.moc"
