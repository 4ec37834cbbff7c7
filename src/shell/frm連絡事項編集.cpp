#include "frm連絡事項編集.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "MainCommon.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QDateEdit* dateEdit(const QString& name, QWidget* parent)
{
    auto* edit = named<QDateEdit>(parent, name);
    subDatePicker(edit);
    return edit;
}

// A stored date that is empty or unreadable shows as today: the picker would
// otherwise keep its own 2000/01/01, and a save would store that silently.
QDate funcShownDate(const QString& stored)
{
    const QDate date = funcTextDate(stored);
    return date.isValid() ? date : QDate::currentDate();
}
} // namespace

frm連絡事項編集::frm連絡事項編集(Syori mode, int renrakuID, QWidget* parent)
    : QDialog(parent), m_syoriID(mode), m_renrakuID(renrakuID)
{
    setObjectName(QStringLiteral("frm連絡事項編集"));
    setWindowTitle(QStringLiteral("連絡事項を記入しましょう～。"));
    buildControls();
}

void frm連絡事項編集::showEvent(QShowEvent* event)
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
        m_loadedState = funcFormState();
    }
    QDialog::showEvent(event);
}

frm連絡事項編集::~frm連絡事項編集()
{
    Form_Unload();
}

void frm連絡事項編集::buildControls()
{
    lblMsg = new QLabel(QStringLiteral("掲示板に載せたい内容を記入してください。掲示期間が過ぎると自動的に削除されます。"
                                       "書き込んだら「更新」ボタンを押してください。入力項目はすべて必須です。"),
                        this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMode = new QLabel(this);
    lblMode->setObjectName(QStringLiteral("lblMode"));
    QFont modeFont = lblMode->font();
    modeFont.setBold(true);
    modeFont.setPointSize(modeFont.pointSize() + 3);
    lblMode->setFont(modeFont);
    lblMode->setStyleSheet(Theme::textStyle(Theme::accent));

    const char* const items[4] = {"掲示期間", "重要度", "記入者", "連絡内容"};
    for (int i = 0; i < 4; ++i) {
        lblItem[i] = new QLabel(QString::fromUtf8(items[i]), this);
        lblItem[i]->setObjectName(QStringLiteral("lblItem_%1").arg(i));
    }
    DTPDate[0] = dateEdit(QStringLiteral("DTPDate_0"), this);
    DTPDate[1] = dateEdit(QStringLiteral("DTPDate_1"), this);
    cboEdit[0] = new QComboBox(this);
    cboEdit[0]->setObjectName(QStringLiteral("cboEdit_0"));
    cboEdit[0]->setMinimumWidth(160);
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtRenraku = new QPlainTextEdit(this);
    txtRenraku->setObjectName(QStringLiteral("txtRenraku"));
    txtRenraku->setTabChangesFocus(true);
    cmdOK = new QPushButton(QStringLiteral("更新したい(&U)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    auto* period = new QHBoxLayout;
    period->addWidget(DTPDate[0]);
    period->addWidget(new QLabel(QStringLiteral("～"), this));
    period->addWidget(DTPDate[1]);
    period->addStretch();
    auto* importance = new QHBoxLayout;
    importance->addWidget(cboEdit[0]);
    importance->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(lblItem[0], 0, 0);
    grid->addLayout(period, 0, 1);
    grid->addWidget(lblItem[1], 1, 0);
    grid->addLayout(importance, 1, 1);
    grid->addWidget(lblItem[2], 2, 0);
    grid->addWidget(txtName, 2, 1);
    grid->addWidget(lblItem[3], 3, 0, Qt::AlignTop);
    grid->addWidget(txtRenraku, 3, 1);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMode);
    layout->addWidget(lblMsg);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(520, 380));
}

void frm連絡事項編集::Form_Load()
{
    guarded(QStringLiteral("frm連絡事項編集 - Form_Load"), [&] {
        Set_Combo(cboEdit[0], QStringLiteral("マスタ重要度"));
        subComboTextSet();
    });
}

void frm連絡事項編集::subComboTextSet()
{
    guarded(QStringLiteral("frm連絡事項編集 - subComboTextSet"), [&] {
        switch (m_syoriID) {
        case Syori::Add: lblMode->setText(QStringLiteral("追　加")); break;
        case Syori::Copy: lblMode->setText(QStringLiteral("コピー(追加)")); break;
        case Syori::Edit: lblMode->setText(QStringLiteral("編　集")); break;
        }
        m_rs.emplace(gDatabase.openRecordset(QStringLiteral("連絡事項"), dbOpenTable, dbDenyWrite));
        m_rs->setIndex(QStringLiteral("PrimaryKey"));
        m_rs->seek(QStringLiteral("="), m_renrakuID);
        if (m_rs->noMatch()) {
            DTPDate[0]->setDate(QDate::currentDate());
            DTPDate[1]->setDate(QDate::currentDate());
            cboEdit[0]->setCurrentIndex(-1);
        } else {
            DTPDate[0]->setDate(funcShownDate(funcToString(m_rs->field(QStringLiteral("開始日")))));
            DTPDate[1]->setDate(funcShownDate(funcToString(m_rs->field(QStringLiteral("終了日")))));
            cboEdit[0]->setCurrentIndex(funcCboIndex(cboEdit[0], funcToLong(m_rs->field(QStringLiteral("記号")))));
            txtName->setText(funcToString(m_rs->field(QStringLiteral("記入者"))));
            txtRenraku->setPlainText(funcToString(m_rs->field(QStringLiteral("コメント"))));
        }
    });
}

bool frm連絡事項編集::funcInputCheck()
{
    return guarded(QStringLiteral("frm連絡事項編集 - funcInputCheck"), [&] {
        const auto refuse = [](const QString& text, QWidget* focus) {
            MsgBox(text, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            focus->setFocus();
            return false;
        };
        if (DTPDate[0]->date() > DTPDate[1]->date())
            return refuse(QStringLiteral("掲示期限の範囲指定に誤りがあります"), DTPDate[0]);
        // The blank first entry is no importance: a notice saved with it would never be listed.
        if (cboEdit[0]->currentIndex() <= 0)
            return refuse(QStringLiteral("重要度を選択してください"), cboEdit[0]);
        if (txtName->text().trimmed().isEmpty())
            return refuse(QStringLiteral("記入者を入力してください"), txtName);
        if (txtRenraku->toPlainText().trimmed().isEmpty())
            return refuse(QStringLiteral("連絡事項の内容を入力してください"), txtRenraku);
        return true;
    });
}

void frm連絡事項編集::cmdOK_Click()
{
    guarded(QStringLiteral("frm連絡事項編集 - cmdOK_Click"), [&] {
        if (!funcInputCheck())
            return;
        const auto addNew = [&] {
            m_rs->addNew();
            m_renrakuID = funcGetMaxID(QStringLiteral("連絡事項"), QStringLiteral("連絡事項ID"), QString()) + 1;
        };
        const auto write = [&] {
            m_rs->setField(QStringLiteral("連絡事項ID"), m_renrakuID);
            m_rs->setField(QStringLiteral("開始日"), funcDateText(DTPDate[0]->date()));
            m_rs->setField(QStringLiteral("終了日"), funcDateText(DTPDate[1]->date()));
            m_rs->setField(QStringLiteral("記号"), funcToLong(cboEdit[0]->currentData()));
            m_rs->setField(QStringLiteral("記入者"), txtName->text());
            m_rs->setField(QStringLiteral("コメント"), txtRenraku->toPlainText());
            return m_rs->update();
        };
        // An edited notice that is gone meanwhile (emptied by the initialization,
        // or deleted on another PC while open) is stored anew.
        if (m_syoriID == Syori::Edit && !m_rs->noMatch() && !m_rs->eof())
            m_rs->edit();
        else
            addNew();
        if (!write()) {
            addNew();
            write();
        }
        m_ok = true;
        done(Accepted);
    });
}

QStringList frm連絡事項編集::funcFormState() const
{
    return {DTPDate[0]->date().toString(Qt::ISODate), DTPDate[1]->date().toString(Qt::ISODate),
            QString::number(cboEdit[0]->currentIndex()), txtName->text(), txtRenraku->toPlainText()};
}

void frm連絡事項編集::cmdEnd_Click()
{
    guarded(QStringLiteral("frm連絡事項編集 - cmdEnd_Click"), [&] {
        // はい saves and closes as 更新したい does; a failed check keeps the window open.
        if (!funcConfirmClose(m_loaded && funcFormState() != m_loadedState, [this] {
                cmdOK_Click();
                return false;
            }))
            return;
        m_ok = false;
        done(Rejected);
    });
}

void frm連絡事項編集::reject()
{
    // Escape and the window's close box ask about unsaved changes, as 閉じる does.
    cmdEnd_Click();
}

void frm連絡事項編集::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frm連絡事項編集::Form_Unload()
{
    if (m_rs) {
        m_rs->close();
        m_rs.reset();
    }
}
