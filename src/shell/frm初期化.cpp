#include "frm初期化.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "Theme.h"
#include "MainCommon.h"
#include "UiServices.h"
#include "basBackup.h"
#include "clsDataCtl.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frm初期化::frm初期化(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm初期化"));
    setWindowTitle(QStringLiteral("システムの初期化を行いましょう～"));
    buildControls();
    Form_Load();
}

void frm初期化::buildControls()
{
    lblMsg = new QLabel(QStringLiteral("初期化したいものを選択して、初期化実行ボタンを押してください。"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);

    const char* const names[4] = {"生徒", "講座", "連絡事項", "マスタ"};
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < 4; ++i) {
        chkClear[i] = new QCheckBox(QString::fromUtf8(names[i]), box);
        chkClear[i]->setObjectName(QStringLiteral("chkClear_%1").arg(i));
        grid->addWidget(chkClear[i], i / 2, (i % 2) * 2);
        if (i < 3) {
            lblCount[i] = new QLabel(QStringLiteral("(現在○件)"), box);
            lblCount[i]->setObjectName(QStringLiteral("lblCount_%1").arg(i));
            grid->addWidget(lblCount[i], i / 2, (i % 2) * 2 + 1);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(14);

    Label1 = new QLabel(QStringLiteral("※マスタを初期化した場合は、他の作業をする前に必ずマスタ登録を行ってください。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setStyleSheet(Theme::textStyle(Theme::warning));

    cmdAll = new QPushButton(QStringLiteral("すべて選択(&A)"), this);
    cmdAll->setObjectName(QStringLiteral("cmdAll"));
    cmdOK = new QPushButton(QStringLiteral("初期化実行(&C)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    connect(cmdAll, &QPushButton::clicked, this, [this] { cmdALL_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAll);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg);
    layout->addWidget(box);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(460, 260));
}

void frm初期化::Form_Load()
{
    subCountGet();
}

void frm初期化::subCountGet()
{
    return guarded(QStringLiteral("frm初期化 - subCountGet"), [&] {
        const auto countText = [](int count) {
            return QStringLiteral("(現在") + QString::number(count) + QStringLiteral("件)");
        };
        lblCount[0]->setText(countText(funcGetCount(QStringLiteral("生徒台帳"), QStringLiteral("生徒番号"),
                                                    QStringLiteral(" WHERE 削除フラグ=0 "))));
        lblCount[1]->setText(countText(funcGetCount(QStringLiteral("毎講座履歴"), QStringLiteral("毎講座ID"), QStringLiteral(" "))));
        lblCount[2]->setText(countText(funcGetCount(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID"), QStringLiteral(" "))));
    });
}

void frm初期化::cmdALL_Click()
{
    guarded(QStringLiteral("frm初期化 - cmdALL_Click"), [&] {
        for (QCheckBox* box : chkClear)
            box->setChecked(true);
    });
}

namespace {
// After the owner's session: the program's own connection again (the program ends when none can be made).
void subReopenAsLogin()
{
    CloseDatabase();
    // Without its database the program cannot go on.
    if (!OpenDatabase(false, funcAppPath() + kDatabaseFileName)) {
        MsgBox(QStringLiteral("データベースのオープンに失敗しました"), MsgButtons::Ok, MsgIcon::Critical, kTitle);
        ui().endProgram(1);
    }
}
} // namespace

void frm初期化::cmdOK_Click()
{
    guarded(QStringLiteral("frm初期化 - cmdOK_Click"), [&] {
        // Every PC works on the server's data: the question says so.
        const QString everyPc = gDatabase.isServer()
            ? QStringLiteral("サーバーのデータが初期化され、すべてのパソコンに反映されます。\r\n")
            : QString();
        if (MsgBox(everyPc + QStringLiteral("本当にデータ初期化してもよいですか？"), MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        // On a server the rows are emptied as the owner of the tables, whose password
        // the user types now: the office's login alone cannot replace the school.
        const auto server = funcServerConnection(funcAppPath() + kDatabaseFileName);
        std::optional<QString> owner;
        if (server) {
            owner = funcOwnerConnection(*server);
            if (!owner)
                return;
            // This PC leaves the running programs for as long: the owner's session finds itself alone.
            CloseDatabase();
            QString reason;
            if (!gDatabase.openServer(*owner, &reason)) {
                subReopenAsLogin();
                MsgBox(QStringLiteral("初期化できませんでした。データは元のままです。\r\n") + reason, MsgButtons::Ok,
                       MsgIcon::Warning, kTitle);
                return;
            }
        }
        // All or nothing: a fault between two deletions leaves every table as it was.
        const bool cleared = [&] {
            // The owner's session is closed again whatever happens inside.
            struct AsLogin {
                bool server;
                ~AsLogin()
                {
                    if (server)
                        subReopenAsLogin();
                }
            } asLogin{server.has_value()};
            Transaction clearing;
            if (!gDatabase.engine().holdAlone())
                return false;
            for (int i = 0; i < 4; ++i)
                if (chkClear[i]->isChecked())
                    subDataClear(i);
            // Programs that lost their connection meanwhile learn that the school was emptied.
            gDatabase.markDataReplaced();
            clearing.commit();
            return true;
        }();
        if (!cleared) {
            MsgBox(kOthersAtWorkText, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        subCountGet();
        MsgBox(QStringLiteral("データの初期化が終了しました。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
    });
}

void frm初期化::subDataClear(int index)
{
    guarded(QStringLiteral("frm初期化 - subDataClear"), [&] {
        const auto clear = [](const QString& table) { gDatabase.execute(QStringLiteral(" DELETE FROM ") + table); };
        switch (index) {
        case 0:
            clear(QStringLiteral("生徒台帳"));
            clear(QStringLiteral("講座出席"));
            // Numbers given again to new students must not look already mailed.
            clear(QStringLiteral("メール送信履歴"));
            // New students are numbered from 1 again: no class may still count them as its members.
            clear(QStringLiteral("クラス生徒"));
            break;
        case 1:
            clear(QStringLiteral("毎講座履歴"));
            clear(QStringLiteral("講座出席"));
            break;
        case 2:
            clear(QStringLiteral("連絡事項"));
            break;
        case 3:
            subMasterTable();
            for (const QString& table : m_masterTables)
                clear(table);
            break;
        default:
            break;
        }
    });
}

void frm初期化::subMasterTable()
{
    guarded(QStringLiteral("frm初期化 - subMasterTable"), [&] {
        m_masterTables.clear();
        clsDataCtl data;
        if (data.funcOpenRec(QStringLiteral("SELECT * FROM マスタ所属グループ ORDER BY グループID, マスタID"))) {
            for (int i = 0; i < data.propCount(); ++i) {
                data.setPropID(i);
                m_masterTables << data.propData(QStringLiteral("マスタ名"));
            }
        }
    });
}

void frm初期化::cmdEnd_Click()
{
    guarded(QStringLiteral("frm初期化 - cmdEnd_Click"), [&] {
        close();
    });
}
