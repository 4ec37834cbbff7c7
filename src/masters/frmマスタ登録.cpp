#include "frmマスタ登録.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "MainCommon.h"
#include "UiServices.h"
#include "clsDataCtl.h"
#include "frm入力用.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "WindowPlace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kEvaluationMaster = QStringLiteral("マスタ評価項目");
// The evaluation marks of an attendance row have room for three items only.
constexpr int kEvaluationLimit = 3;
constexpr int kNameMaxLength = 25;
// A stock phrase is a sentence or two of a comment, not a name in a drop-down list.
const QString kPhraseMaster = QStringLiteral("マスタ定型文");
constexpr int kPhraseMaxLength = 200;
} // namespace

frmマスタ登録::frmマスタ登録(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmマスタ登録"));
    setWindowTitle(QStringLiteral("システムのマスタを変更してカスタマイズしましょう～。"));

    lstMaster = new QListWidget(this);
    lstMaster->setObjectName(QStringLiteral("lstMaster"));
    lstMaster->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMaster->setSpacing(2);

    lblMasterName = new QLabel(QStringLiteral("マスタ名"), this);
    lblMasterName->setObjectName(QStringLiteral("lblMasterName"));
    lblMasterName->setTextFormat(Qt::PlainText);
    QFont nameFont = lblMasterName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    lblMasterName->setFont(nameFont);
    lblMasterName->setStyleSheet(Theme::textStyle(Theme::accent));

    lblMasterInfo = new QLabel(QStringLiteral("マスタの情報を表示します。"), this);
    lblMasterInfo->setObjectName(QStringLiteral("lblMasterInfo"));
    lblMasterInfo->setTextFormat(Qt::PlainText);
    lblMasterInfo->setWordWrap(true);

    lstItem = new QListWidget(this);
    lstItem->setObjectName(QStringLiteral("lstItem"));
    lstItem->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstItem->setSpacing(2);

    frmMenu = new QGroupBox(QStringLiteral("何を行いますか？"), this);
    frmMenu->setObjectName(QStringLiteral("frmMenu"));
    cmdOK = namedArray<QPushButton, 4>(frmMenu, QStringLiteral("cmdOK"),
                                       {QStringLiteral("項目を追加したい(&A)"), QStringLiteral("項目をコピーしたい(&C)"),
                                        QStringLiteral("項目を編集したい(&E)"), QStringLiteral("項目を削除したい(&D)")});
    m_buttons.emplace(cmdOK, QStringLiteral("項目を削除したい(&D)"), QStringLiteral("一括削除したい(&D)"));
    auto* menuLayout = new QVBoxLayout(frmMenu);
    for (int i = 0; i < 4; ++i) {
        cmdOK[i]->setAutoDefault(false);
        menuLayout->addWidget(cmdOK[i]);
        connect(cmdOK[i], &QPushButton::clicked, this, [this, i] { cmdOK_Click(i); });
    }

    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    cmdEnd->setAutoDefault(false);

    lblMsg = new QLabel(QStringLiteral("変更したいマスタを選択すると、現在登録されている項目が右側に表示されます。"
                                       "表示された右側の一覧から編集したい項目を選択してください。"
                                       "また、複数選択すると一括削除ができます。"),
                        this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    Theme::subHelpText(lblMsg);

    auto* right = new QVBoxLayout;
    right->addWidget(lblMasterName);
    right->addWidget(lblMasterInfo);
    right->addWidget(lstItem, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(frmMenu);
    side->addStretch(1);
    side->addWidget(cmdEnd);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lstMaster, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addLayout(side, 0, 2);
    grid->addWidget(lblMsg, 1, 0, 1, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    subPlaceWindow(this, QSize(760, 460));

    connect(lstMaster, &QListWidget::currentRowChanged, this, [this] { lvMaster_ItemClick(); });
    // A click on the master already chosen reloads it too, as a click on another one does.
    connect(lstMaster, &QListWidget::itemClicked, this, [this] { lvMaster_ItemClick(); });
    connect(lstItem, &QListWidget::itemSelectionChanged, this, [this] { lvList_Click(); });
    connect(lstItem, &QListWidget::itemDoubleClicked, this, [this] { cmdOK_Click(2); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    Form_Load();
}

QString frmマスタ登録::tableName() const
{
    return lblMasterName->text();
}

QString frmマスタ登録::subject() const
{
    return tableName().mid(3);
}

bool frmマスタ登録::isEvaluationFull() const
{
    const QListWidgetItem* master = lstMaster->currentItem();
    return master && master->text() == kEvaluationMaster && lstItem->count() >= kEvaluationLimit;
}

// The entry copy and rename work on: the focused one when it is selected,
// otherwise the first selected one; none when nothing is selected, so that a
// stale focus never renames an entry the user did not pick.
QListWidgetItem* frmマスタ登録::focusEntry() const
{
    QListWidgetItem* current = lstItem->currentItem();
    if (current && current->isSelected())
        return current;
    for (int i = 0; i < lstItem->count(); ++i)
        if (lstItem->item(i)->isSelected())
            return lstItem->item(i);
    return nullptr;
}

void frmマスタ登録::Form_Load()
{
    guarded(QStringLiteral("frmマスタ登録 - Form_Load"), [&] {
        subListSet();
        lblMasterName->setText(QStringLiteral("マスタ学年"));
        Show_MasterInfo();
        if (lstMaster->count() > 0)
            lstMaster->setCurrentRow(0);
        m_buttons->onlyAdd();
    });
}

void frmマスタ登録::subListSet()
{
    guarded(QStringLiteral("frmマスタ登録 - subListSet"), [&] {
        const QSignalBlocker quiet(lstMaster);
        lstMaster->clear();
        m_masterInfo.clear();
        clsDataCtl data;
        data.funcOpenRec(QStringLiteral("SELECT * FROM ") + QStringLiteral("マスタ所属グループ ORDER BY グループID, マスタID"));
        for (int row = 0; row < data.propCount(); ++row) {
            data.setPropID(row);
            auto* item = new QListWidgetItem(data.propData(QStringLiteral("マスタ名")), lstMaster);
            item->setData(Qt::UserRole, funcToLong(data.propData(QStringLiteral("マスタID"))));
            m_masterInfo.append(data.propData(QStringLiteral("マスタ説明")));
        }
    });
}

bool frmマスタ登録::Show_MasterInfo()
{
    return guarded(QStringLiteral("frmマスタ登録 - Show_MasterInfo"), [&] {
        lstItem->clear();
        const QString table = tableName();
        const QString s = subject();

        // Listed by ID so the order stays the same whatever the engine returns.
        clsDataCtl data;
        data.funcOpenRec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" Where 削除フラグ = 0 ")
                         + QStringLiteral(" ORDER BY ") + s + QStringLiteral("ID"));
        for (int row = 0; row < data.propCount(); ++row) {
            data.setPropID(row);
            auto* item = new QListWidgetItem(data.propData(s + QStringLiteral("名")), lstItem);
            item->setData(Qt::UserRole, funcToLong(data.propData(s + QStringLiteral("ID"))));
        }

        if (lstMaster->currentRow() < 0 && lstMaster->count() > 0)
            lstMaster->setCurrentRow(0);
        lblMasterInfo->setText(m_masterInfo.value(lstMaster->currentRow()));

        // Nothing is selected after a reload: only "add" until the user selects again.
        m_selectedCount = 0;
        m_buttons->onlyAdd();
        return true;
    });
}

void frmマスタ登録::lvMaster_ItemClick()
{
    guarded(QStringLiteral("frmマスタ登録 - lvMaster_ItemClick"), [&] {
        const QListWidgetItem* master = lstMaster->currentItem();
        if (!master)
            return;
        lblMasterName->setText(master->text());
        Show_MasterInfo();
        m_buttons->onlyAdd();
    });
}

void frmマスタ登録::lvList_Click()
{
    guarded(QStringLiteral("frmマスタ登録 - lvList_Click"), [&] {
        m_selectedCount = funcSelectedCount(lstItem);
        m_buttons->follow(m_selectedCount);
        if (m_selectedCount >= 1 && isEvaluationFull()) {
            subCmdEnabled(false);
            cmdOK[2]->setEnabled(true);
        }
    });
}

void frmマスタ登録::cmdOK_Click(int index)
{
    return guarded(QStringLiteral("frmマスタ登録 - cmdOK_Click"), [&] {
        m_syori = static_cast<short>(index);
        const QString table = tableName();
        const QString s = subject();

        if (index == 3) {
            // After a reload nothing is selected any more; there is nothing to ask about.
            if (m_selectedCount < 1)
                return;
            if (!funcConfirmDelete(m_selectedCount, QStringLiteral(" 件を削除してもよろしいですか？")))
                return;
            subExecuteForTags(funcSelectedTags(lstItem), [&](int id) {
                return QStringList{QStringLiteral(" UPDATE ") + table + QStringLiteral(" SET 削除フラグ = 1 WHERE ") + s
                                   + QStringLiteral("ID = ") + QString::number(id)};
            });
            Show_MasterInfo();
            return;
        }

        if ((index == 0 || index == 1) && isEvaluationFull()) {
            MsgBox(QStringLiteral("評価項目は３項目までしか追加できません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }

        // Copy and rename start from an entry; without one there is nothing to do.
        const QListWidgetItem* entry = focusEntry();
        if ((index == 1 || index == 2) && !entry)
            return;

        const QString value = funcInputData();
        if (value.trimmed().isEmpty())
            return;

        if (index == 0 || index == 1) {
            const int newId = funcGetMaxID(table, s + QStringLiteral("ID")) + 1;
            gDatabase.execute(QStringLiteral(" INSERT INTO ") + table + QStringLiteral(" Values(") + QString::number(newId)
                                  + QStringLiteral(",?,0)"),
                              {value});
        } else {
            gDatabase.execute(QStringLiteral(" UPDATE ") + table + QStringLiteral(" SET ") + s + QStringLiteral("名 = ? WHERE ") + s
                                  + QStringLiteral("ID = ") + QString::number(entry->data(Qt::UserRole).toInt()),
                              {value});
        }
        Show_MasterInfo();
    });
}

bool frmマスタ登録::funcNameTaken(const QString& name, int exceptID) const
{
    const QString s = subject();
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT ") + s + QStringLiteral("名 FROM ") + tableName()
                                               + QStringLiteral(" WHERE 削除フラグ = 0 AND ") + s + QStringLiteral("ID <> ")
                                               + QString::number(exceptID),
                                           dbOpenDynaset, dbReadOnly);
    for (; !rs.eof(); rs.moveNext())
        if (funcToString(rs.field(0)).trimmed() == name)
            return true;
    return false;
}

void frmマスタ登録::cmdEnd_Click()
{
    guarded(QStringLiteral("frmマスタ登録 - cmdEnd_Click"), [&] {
        close();
    });
}

void frmマスタ登録::subCmdEnabled(bool enabled)
{
    guarded(QStringLiteral("frmマスタ登録 - subDataRead"), [&] { m_buttons->setEnabled(enabled); });
}

QString frmマスタ登録::funcInputData()
{
    return guarded(QStringLiteral("frmマスタ登録 - subDataRead"), [&] {
        frm入力用 input(this);
        input.setPropLabel(QStringLiteral("<< ") + lblMasterName->text() + QStringLiteral(" >>")
                           + QStringLiteral("  値を入力してください") + QStringLiteral("\r\n") + lblMasterInfo->text());
        static const std::array<QString, 3> modes = {QStringLiteral("追 加"), QStringLiteral("コピー(追加)"),
                                                     QStringLiteral("編 集")};
        if (m_syori >= 0 && m_syori <= 2)
            input.setProplblMode(modes[m_syori]);
        if (m_syori == 1 || m_syori == 2) {
            if (const QListWidgetItem* entry = focusEntry())
                input.setPropDefaultData(entry->text());
        }
        input.setPropInputMode(0);
        input.setPropMaxLength(tableName() == kPhraseMaster ? kPhraseMaxLength : kNameMaxLength);
        input.setPropIMEMode(0);
        // Two entries of one name could not be told apart in the drop-down lists; a
        // renamed entry may keep its own name.
        const QListWidgetItem* renamed = m_syori == 2 ? focusEntry() : nullptr;
        const int ownID = renamed ? renamed->data(Qt::UserRole).toInt() : 0;
        input.setPropCheck([this, ownID](const QString& typed) {
            const QString name = typed.trimmed();
            bool taken = false;
            try {
                taken = funcNameTaken(name, ownID);
            } catch (const std::exception&) {
                // A table that cannot be read fails the statement that follows, which reports it.
            }
            return taken ? QStringLiteral("「%1」は既に登録されています。").arg(name) : QString();
        });
        input.exec();
        return input.propOK() ? input.propData() : QString();
    });
}
