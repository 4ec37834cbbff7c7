#include "frm講座情報詳細.h"

#include "CommonBase.h"
#include "KouzaCombo.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "ClassStore.h"
#include "KouzaStore.h"
#include "MainCommon.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "clsDataCtl.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <span>

#include <vector>

namespace {

// The required lesson attributes, in the order of KouzaCbo (and of the checks).
const std::array<QString, KouzaCbo::kRequiredCount> kRequiredNames = {QStringLiteral("学年"), QStringLiteral("科目"), QStringLiteral("講座クラス"),
                                               QStringLiteral("講師"), QStringLiteral("時限"), QStringLiteral("教室")};

QDateEdit* makeDatePicker(QWidget* parent, const QString& name)
{
    auto* picker = named<QDateEdit>(parent, name);
    subDatePicker(picker);
    picker->setDate(QDate::currentDate());
    return picker;
}

QLabel* caption(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// "金" as the master holds it, "金曜日" in a sentence.
QString weekdayName(const QString& master)
{
    return master.endsWith(QStringLiteral("曜日")) ? master : master + QStringLiteral("曜日");
}

int selectedData(const QComboBox* box)
{
    return box->currentIndex() < 0 ? 0 : funcToLong(box->currentData());
}
} // namespace

frm講座情報詳細::frm講座情報詳細(Syori mode, int kouzaID, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_kouzaID(kouzaID)
{
    setObjectName(QStringLiteral("frm講座情報詳細"));
    setWindowTitle(QStringLiteral("講座の情報を記入しましょう～。"));

    auto* left = new QWidget(this);
    buildKouzaPart(left);

    buildStuPart();

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("講座情報を記入してください。講座の基本部分は必須項目です。"
                                          "記入したら「更新」ボタンを押してください。"));
    Theme::subHelpText(lblMsg);

    auto* grid = new QGridLayout(this);
    grid->addWidget(left, 0, 0);
    grid->addWidget(frmStu, 0, 1);
    grid->addWidget(lblMsg, 1, 0, 1, 2);
    grid->setColumnStretch(0, 0);
    grid->setColumnStretch(1, 1);
    subPlaceWindow(this, QSize(1180, 720));
    subTabOrder();
}

// Tab follows the layout: the lesson's attributes as they stand in rows, the
// range, the content, the buttons, then the attendance panel.
void frm講座情報詳細::subTabOrder()
{
    std::vector<QWidget*> order = {
        DTPDate[0], cboEdit[KouzaCbo::Jigen], cboEdit[KouzaCbo::Gakunen], cboEdit[KouzaCbo::Kamoku], cboEdit[KouzaCbo::KouzaClass], cboEdit[KouzaCbo::Koushi], cboEdit[KouzaCbo::Kyositsu], txtNinzu[0], txtNinzu[1],
        chkIkkatu, DTPDate[1], DTPDate[2], cboEdit[KouzaCbo::Youbi]};
    order.insert(order.end(), chk曜日.begin(), chk曜日.end());
    order.insert(order.end(), chk除く.begin(), chk除く.end());
    order.insert(order.end(), {TXT_KouzaInfo[0], TXT_KouzaInfo[1], TXT_KouzaInfo[2],
        TXT_KouzaInfo[3], cmdOK, cmdClear, cmdEnd, opt表示[0], opt表示[1], txtFind, lvList, cmd前回受講者, cmd一括入力, chk受講者, opt出欠[0], opt出欠[1], opt宿題[0], opt宿題[1],
        cbo態度評価[0], cbo態度評価[1], cbo態度評価[2], cbo態度評価[3], txtコメント});
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

frm講座情報詳細::~frm講座情報詳細()
{
    // The controls outlive this part of the window while they are destroyed; they must not call back into it.
    for (QObject* control : findChildren<QObject*>())
        QObject::disconnect(control, nullptr, this, nullptr);
}

void frm講座情報詳細::buildKouzaPart(QWidget* host)
{
    lblMode = named<QLabel>(host, QStringLiteral("lblMode"), QStringLiteral("追　加"));
    lblMode->setTextFormat(Qt::PlainText);
    lblMode->setFrameShape(QFrame::Panel);
    lblMode->setFrameShadow(QFrame::Sunken);
    lblMode->setAlignment(Qt::AlignCenter);
    lblMode->setMinimumWidth(130);
    lblMode->setMargin(4);
    lblMode->setFont(Theme::uiFont(12, true));
    lblMode->setStyleSheet(Theme::textStyle(Theme::accent));

    fraKouza = namedArray<QGroupBox, 2>(host, QStringLiteral("fraKouza"),
                                        {QStringLiteral("講座の基本部分の入力"), QStringLiteral("講座内容の記入")});
    cboEdit = namedArray<QComboBox, 8>(host, QStringLiteral("cboEdit"));
    DTPDate[0] = makeDatePicker(fraKouza[0], QStringLiteral("DTPDate_0"));
    txtNinzu = namedArray<QLineEdit, 2>(fraKouza[0], QStringLiteral("txtNinzu"));
    for (QLineEdit* edit : txtNinzu) {
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(70);
    }

    // Required part: two pairs of label and input per row.
    auto* basic = new QGridLayout(fraKouza[0]);
    auto put = [&](int row, int column, const QString& text, QWidget* input) {
        basic->addWidget(caption(fraKouza[0], text), row, column * 2);
        basic->addWidget(input, row, column * 2 + 1);
    };
    for (int i = 0; i < KouzaCbo::kRequiredCount; ++i)
        cboEdit[i]->setParent(fraKouza[0]);
    put(0, 0, QStringLiteral("講座日"), DTPDate[0]);
    put(0, 1, QStringLiteral("時限"), cboEdit[KouzaCbo::Jigen]);
    put(1, 0, QStringLiteral("学年"), cboEdit[KouzaCbo::Gakunen]);
    put(1, 1, QStringLiteral("科目"), cboEdit[KouzaCbo::Kamoku]);
    put(2, 0, QStringLiteral("講座クラス"), cboEdit[KouzaCbo::KouzaClass]);
    put(2, 1, QStringLiteral("講師"), cboEdit[KouzaCbo::Koushi]);
    put(3, 0, QStringLiteral("教室"), cboEdit[KouzaCbo::Kyositsu]);
    for (int i = 0; i < 2; ++i) {
        auto* withUnit = new QHBoxLayout;
        withUnit->addWidget(txtNinzu[i]);
        withUnit->addWidget(caption(fraKouza[0], QStringLiteral("人")));
        withUnit->addStretch(1);
        basic->addWidget(caption(fraKouza[0], i == 0 ? QStringLiteral("受講予定") : QStringLiteral("受講人数")), 4, i * 2);
        basic->addLayout(withUnit, 4, i * 2 + 1);
    }
    basic->setColumnStretch(1, 1);
    basic->setColumnStretch(3, 1);

    QWidget* ikkatu = buildIkkatuPart(host);

    // Lesson content.
    TXT_KouzaInfo[0] = named<QLineEdit>(fraKouza[1], QStringLiteral("TXT_KouzaInfo_0"));
    auto* content = named<QPlainTextEdit>(fraKouza[1], QStringLiteral("TXT_KouzaInfo_1"));
    content->setTabChangesFocus(true);
    content->setFixedHeight(content->fontMetrics().lineSpacing() * 4 + 12);
    TXT_KouzaInfo[1] = content;
    TXT_KouzaInfo[2] = named<QLineEdit>(fraKouza[1], QStringLiteral("TXT_KouzaInfo_2"));
    TXT_KouzaInfo[3] = named<QLineEdit>(fraKouza[1], QStringLiteral("TXT_KouzaInfo_3"));
    auto* info = new QGridLayout(fraKouza[1]);
    const std::array<QString, 4> infoNames = {QStringLiteral("単元"), QStringLiteral("講座内容"), QStringLiteral("宿題"),
                                              QStringLiteral("コメント")};
    for (int i = 0; i < 4; ++i) {
        info->addWidget(caption(fraKouza[1], infoNames[i]), i, 0, i == 1 ? Qt::AlignTop : Qt::Alignment());
        info->addWidget(TXT_KouzaInfo[i], i, 1);
    }

    // Only the source of the evaluation captions; never shown.
    cboEdit[KouzaCbo::HyokaKoumoku]->hide();

    cmdOK = named<QPushButton>(host, QStringLiteral("cmdOK"), QStringLiteral("内容を更新したい(&U)"));
    cmdClear = named<QPushButton>(host, QStringLiteral("cmdClear"), QStringLiteral("内容をクリアしたい(&C)"));
    cmdEnd = named<QPushButton>(host, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmdOK, cmdClear, cmdEnd})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(cmdEnd);

    auto* top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(lblMode);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(fraKouza[0]);
    layout->addWidget(ikkatu);
    layout->addWidget(fraKouza[1]);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { subClear(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

QWidget* frm講座情報詳細::buildIkkatuPart(QWidget* host)
{
    fraIkkatu = named<QGroupBox>(host, QStringLiteral("fraIkkatu"));
    chkIkkatu = named<QCheckBox>(fraIkkatu, QStringLiteral("chkIkkatu"), QStringLiteral("範囲を指定して一括追加する"));
    DTPDate[1] = makeDatePicker(fraIkkatu, QStringLiteral("DTPDate_1"));
    DTPDate[2] = makeDatePicker(fraIkkatu, QStringLiteral("DTPDate_2"));
    lblItem[12] = named<QLabel>(fraIkkatu, QStringLiteral("lblItem_12"), QStringLiteral("から"));
    lblItem[15] = named<QLabel>(fraIkkatu, QStringLiteral("lblItem_15"), QStringLiteral("までの"));
    cboEdit[KouzaCbo::Youbi]->setParent(fraIkkatu);

    auto* range = new QHBoxLayout;
    range->addWidget(DTPDate[1]);
    range->addWidget(lblItem[12]);
    range->addWidget(DTPDate[2]);
    range->addWidget(lblItem[15]);
    range->addWidget(cboEdit[KouzaCbo::Youbi]);
    range->addWidget(caption(fraIkkatu, QStringLiteral("曜日")));
    // More weekdays at once, and the days the term leaves out.
    static const QString kDays = QStringLiteral("月火水木金土日");
    for (int d = 0; d < 7; ++d) {
        chk曜日[d] = named<QCheckBox>(fraIkkatu, QStringLiteral("chk曜日_%1").arg(d), kDays.mid(d, 1));
        range->addWidget(chk曜日[d]);
    }
    range->addStretch(1);
    auto* skips = new QHBoxLayout;
    chk除く = namedArray<QCheckBox, 3>(fraIkkatu, QStringLiteral("chk除く"),
                                       {QStringLiteral("休みにする祝日を除く"), QStringLiteral("休校日を除く"), QStringLiteral("第5週を除く")});
    for (QCheckBox* box : chk除く)
        skips->addWidget(box);
    skips->addStretch(1);
    auto* layout = new QVBoxLayout(fraIkkatu);
    layout->addWidget(chkIkkatu);
    layout->addLayout(range);
    layout->addLayout(skips);

    connect(chkIkkatu, &QCheckBox::clicked, this, [this] { chkIkkatu_Click(); });
    return fraIkkatu;
}

QString frm講座情報詳細::kouzaInfoText(int index) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(TXT_KouzaInfo[index]))
        return edit->text();
    return static_cast<QPlainTextEdit*>(TXT_KouzaInfo[index])->toPlainText();
}

void frm講座情報詳細::setKouzaInfoText(int index, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(TXT_KouzaInfo[index]))
        edit->setText(text);
    else
        static_cast<QPlainTextEdit*>(TXT_KouzaInfo[index])->setPlainText(text);
}

// ---------------------------------------------------------------- load

void frm講座情報詳細::Form_Load()
{
    guarded(QStringLiteral("frm講座情報詳細 - Form_Load"), [&] {
        m_loading = true;
        m_shownItem = nullptr;
        m_jukou.emplace();
        subComboSet();
        subComboTextSet();

        // The panel works on the lesson being edited only; a lesson being added
        // or copied is not stored yet and has no students.
        m_jukou->setPropFixedKouza(true);
        m_jukou->setPropKouzaID(m_mode == Syori::Edit ? m_kouzaID : 0);
        subStuListSet();
        chk受講者->setEnabled(funcKouzaStored());
        if (lvList->topLevelItemCount() > 0) {
            const QSignalBlocker quiet(lvList);
            lvList->setCurrentItem(lvList->topLevelItem(0));
        }
        lvList_Click();
        subJukouCount();
        m_savedState = funcFormState();
        m_loading = false;
    });
}

void frm講座情報詳細::subComboSet()
{
    guarded(QStringLiteral("frm講座情報詳細 - subComboSet"), [&] {
        const std::array<QString, 8> masters = {QStringLiteral("マスタ学年"), QStringLiteral("マスタ科目"),
                                                QStringLiteral("マスタ講座クラス"), QStringLiteral("マスタ講師"),
                                                QStringLiteral("マスタ時限"), QStringLiteral("マスタ教室"),
                                                QStringLiteral("マスタ曜日"), QStringLiteral("マスタ評価項目")};
        for (size_t i = 0; i < masters.size(); ++i)
            Set_Combo(cboEdit[i], masters[i]);
    });
}

void frm講座情報詳細::subComboTextSet()
{
    guarded(QStringLiteral("frm講座情報詳細 - subComboTextSet"), [&] {
        subClear();
        switch (m_mode) {
        case Syori::Add:
            lblMode->setText(QStringLiteral("追　加"));
            subIkkatuVisible(true);
            break;
        case Syori::Copy:
            lblMode->setText(QStringLiteral("コピー(追加)"));
            subIkkatuVisible(true);
            break;
        case Syori::Edit:
            lblMode->setText(QStringLiteral("編　集"));
            break;
        }

        // The marks are captioned with the first four evaluation items; a mark
        // whose item has no name does not exist and has no box.
        const std::array<int, 4> markTitles = {10, 12, 13, 14};
        for (int n = 0; n < 4; ++n) {
            const QString name = n + 1 < cboEdit[KouzaCbo::HyokaKoumoku]->count() ? cboEdit[KouzaCbo::HyokaKoumoku]->itemText(n + 1).trimmed() : QString();
            lbltitle[markTitles[n]]->setText(name);
            lbltitle[markTitles[n]]->setVisible(!name.isEmpty());
            cbo態度評価[n]->setVisible(!name.isEmpty());
        }

        const std::optional<Kouza> kouza = KouzaStore::load(m_kouzaID);
        if (!kouza) {
            m_found = m_mode == Syori::Add;
            return;
        }
        subKouzaShow(*kouza);
        m_read = funcKouzaShown();
        m_read.version = kouza->version;
    });
}

void frm講座情報詳細::subKouzaShow(const Kouza& kouza)
{
    DTPDate[0]->setDate(kouza.kouzaDate);
    using namespace KouzaCbo;
    const std::array<std::pair<Position, int>, 6> ids = {{{Jigen, kouza.jigenID},
                                                         {Gakunen, kouza.gakunenID},
                                                         {Kamoku, kouza.kamokuID},
                                                         {KouzaClass, kouza.classID},
                                                         {Koushi, kouza.koushiID},
                                                         {Kyositsu, kouza.kyositsuID}}};
    for (const auto& [box, id] : ids)
        cboEdit[box]->setCurrentIndex(funcCboIndex(cboEdit[box], id));
    txtNinzu[0]->setText(QString::number(kouza.teiin));
    const std::array<QString, 4> texts = {kouza.tangen, kouza.naiyou, kouza.syukudai, kouza.comment};
    for (int i = 0; i < 4; ++i)
        setKouzaInfoText(i, texts[i]);
}

// ---------------------------------------------------------------- save

bool frm講座情報詳細::funcDataSet()
{
    return guarded(QStringLiteral("frm講座情報詳細 - funcDataSet"), [&] {
        // The blank first entry is no choice either: no lesson without all six.
        for (int i = 0; i < KouzaCbo::kRequiredCount; ++i) {
            if (cboEdit[i]->currentIndex() <= 0) {
                MsgBox(kRequiredNames[i] + QStringLiteral("を入力して下さい。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
                return false;
            }
        }
        m_kouza = funcKouzaShown();
        return true;
    });
}

Kouza frm講座情報詳細::funcKouzaShown() const
{
    Kouza k;
    k.id = m_kouzaID;
    k.kouzaDate = funcTextDate(funcDateText(DTPDate[0]->date()));
    k.jigenID = selectedData(cboEdit[KouzaCbo::Jigen]);
    k.gakunenID = selectedData(cboEdit[KouzaCbo::Gakunen]);
    k.kamokuID = selectedData(cboEdit[KouzaCbo::Kamoku]);
    k.classID = selectedData(cboEdit[KouzaCbo::KouzaClass]);
    k.koushiID = selectedData(cboEdit[KouzaCbo::Koushi]);
    k.kyositsuID = selectedData(cboEdit[KouzaCbo::Kyositsu]);
    k.teiin = funcToLong(txtNinzu[0]->text());
    k.tangen = kouzaInfoText(0);
    k.naiyou = kouzaInfoText(1);
    k.syukudai = kouzaInfoText(2);
    k.comment = kouzaInfoText(3);
    return k;
}

bool frm講座情報詳細::subSaveKozaInfo()
{
    return guarded(QStringLiteral("frm講座情報詳細 - subSaveKozaInfo"), [&] {
        Kouza stored = m_read;
        const std::optional<int> id = KouzaStore::save(m_kouza, m_mode, &stored);
        if (!id)
            return false;
        m_kouzaID = *id;
        // Fields another PC changed and the user kept show that PC's values.
        {
            const QSignalBlocker quiet(this);
            subKouzaShow(stored);
        }
        m_read = funcKouzaShown();
        m_read.version = stored.version;
        txtNinzu[1]->setText(QString::number(stored.jukouNinzu));
        return true;
    });
}

void frm講座情報詳細::subLoadOnce()
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

void frm講座情報詳細::showEvent(QShowEvent* event)
{
    subLoadOnce();
    QDialog::showEvent(event);
}

int frm講座情報詳細::exec()
{
    subLoadOnce();
    if (!m_found) {
        MsgBox(kKouzaNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

bool frm講座情報詳細::funcLessonExists()
{
    return guarded(QStringLiteral("frm講座情報詳細 - funcCheckRec"), [&] { return KouzaStore::exists(m_kouzaID); });
}

// Checks and stores what the window shows (one lesson or a range); true when stored.
bool frm講座情報詳細::funcSaveKouza()
{
    return guarded(QStringLiteral("frm講座情報詳細 - cmdOK_Click"), [&] {
        // A lesson deleted while it was open cannot be edited; the window stays for the user to decide.
        if (m_mode == Syori::Edit && !funcLessonExists()) {
            MsgBox(kKouzaNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return false;
        }
        const bool ikkatu = chkIkkatu->isChecked();
        if (ikkatu && !funcIkkatuAdd())
            return false;
        if (!funcDataSet())
            return false;
        if (ikkatu) {
            if (!subIkkatuSave())
                return false;
        } else if (!subSaveKozaInfo()) {
            MsgBox(kKouzaNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return false;
        }
        m_saved = true;
        return true;
    });
}

void frm講座情報詳細::cmdOK_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - cmdOK_Click"), [&] {
        const bool single = m_mode != Syori::Edit && !chkIkkatu->isChecked();
        if (!funcSaveKouza())
            return;
        // A lesson just added stays open, so that its students can be ticked at once.
        if (single)
            subEditStored();
        else
            done(QDialog::Accepted);
    });
}

void frm講座情報詳細::subEditStored()
{
    m_mode = Syori::Edit;
    lblMode->setText(QStringLiteral("編　集"));
    chkIkkatu->setChecked(false);
    subIkkatuMode(false);
    subIkkatuVisible(false);
    m_jukou->setPropKouzaID(m_kouzaID);
    chk受講者->setEnabled(true);
    lvList_Click();
    subJukouCount();
    m_savedState = funcFormState();
}

QStringList frm講座情報詳細::funcFormState() const
{
    QStringList state;
    for (const QDateEdit* picker : DTPDate)
        state << picker->date().toString(Qt::ISODate);
    for (int i = 0; i <= int{KouzaCbo::Youbi}; ++i)
        state << QString::number(cboEdit[i]->currentIndex());
    for (const QLineEdit* edit : txtNinzu)
        state << edit->text();
    for (int i = 0; i < 4; ++i)
        state << kouzaInfoText(i);
    state << QString::number(chkIkkatu->isChecked());
    for (const auto& boxes : {std::span<QCheckBox* const>(chk曜日), std::span<QCheckBox* const>(chk除く)})
        for (const QCheckBox* box : boxes)
            state << QString::number(box->isChecked());
    return state;
}

// Closing with changes not saved asks first; true when the window may close.
bool frm講座情報詳細::funcConfirmClose()
{
    return ::funcConfirmClose(funcFormState() != m_savedState, [this] { return funcSaveKouza(); });
}

void frm講座情報詳細::cmdEnd_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - cmdEnd_Click"), [&] {
        if (!funcConfirmClose())
            return;
        done(m_saved ? QDialog::Accepted : QDialog::Rejected);
    });
}

void frm講座情報詳細::reject()
{
    if (!m_closing && !funcConfirmClose())
        return;
    done(m_saved ? QDialog::Accepted : QDialog::Rejected);
}

void frm講座情報詳細::done(int result)
{
    if (!m_closing) {
        m_closing = true;
        bool stored = false;
        try {
            stored = Form_QueryUnload();
        } catch (...) {
            m_closing = false;
            throw;
        }
        if (!stored) {
            m_closing = false;
            return;
        }
    }
    QDialog::done(result);
}

bool frm講座情報詳細::Form_QueryUnload()
{
    return guarded(QStringLiteral("frm講座情報詳細 - Form_QueryUnload"), [&] {
        m_loading = true;
        // What the panel shows when the window closes is what is stored.
        try {
            if (m_jukou && funcKouzaStored())
                subStoreShown();
        } catch (const ServerUnavailable&) {
            m_loading = false;   // the window stays, with the marks as typed
            throw;
        }
        m_shownItem = nullptr;
        m_jukou.reset();
        return true;
    });
}

void frm講座情報詳細::subClear()
{
    for (QDateEdit* picker : DTPDate)
        picker->setDate(QDate::currentDate());
    for (int i = 0; i <= int{KouzaCbo::Youbi}; ++i)
        cboEdit[i]->setCurrentIndex(-1);
    for (QLineEdit* edit : txtNinzu)
        edit->setText(QStringLiteral("0"));
    for (int i = 0; i < 4; ++i)
        setKouzaInfoText(i, QString());
    subIkkatuVisible(false);
    // The range controls are hidden now: a tick left behind would make the next
    // save ask for a range and a weekday the user can no longer see.
    chkIkkatu->setChecked(false);
    subIkkatuMode(false);
}

bool frm講座情報詳細::funcCheckRec(const QString& sql)
{
    return guarded(QStringLiteral("frm講座情報詳細 - funcCheckRec"), [&] {
        clsDataCtl data;
        data.funcOpenRec(sql);
        return data.propCount() > 0;
    });
}

// ---------------------------------------------------------------- bulk registration

void frm講座情報詳細::subIkkatuVisible(bool show)
{
    guarded(QStringLiteral("frm講座情報詳細 - subIkkatuVisible"), [&] {
        fraIkkatu->setVisible(show);
        chkIkkatu->setVisible(show);
    });
}

void frm講座情報詳細::subIkkatuMode(bool show)
{
    guarded(QStringLiteral("frm講座情報詳細 - subIkkatuVisible"), [&] {
        DTPDate[0]->setEnabled(!show);
        for (QWidget* control : std::initializer_list<QWidget*>{DTPDate[1], DTPDate[2], cboEdit[KouzaCbo::Youbi], lblItem[12], lblItem[15]})
            control->setEnabled(show);
        for (QCheckBox* box : chk曜日)
            box->setEnabled(show);
        for (QCheckBox* box : chk除く)
            box->setEnabled(show);
    });
}

void frm講座情報詳細::chkIkkatu_Click()
{
    guarded(QStringLiteral("frm講座情報詳細 - chkIkkatu_Click"), [&] { subIkkatuMode(chkIkkatu->isChecked()); });
}

QList<int> frm講座情報詳細::funcIkkatuWeekdays() const
{
    QList<int> weekdays;
    for (int d = 1; d <= 7; ++d)
        if (selectedData(cboEdit[KouzaCbo::Youbi]) == d || chk曜日[d - 1]->isChecked())
            weekdays << d;
    return weekdays;
}

QList<QDate> frm講座情報詳細::funcIkkatuDates(QList<TermSkip>* skipped) const
{
    const SkipOptions options{chk除く[0]->isChecked(), chk除く[1]->isChecked(), chk除く[2]->isChecked()};
    // The calendar is read only when a day may be left out.
    const SchoolDays days = options.holidays || options.closures ? SchoolDays() : SchoolDays({}, {}, {});
    return Term::funcDates(funcIkkatuWeekdays(), DTPDate[1]->date(), DTPDate[2]->date(), options, days, skipped);
}

bool frm講座情報詳細::funcIkkatuAdd()
{
    return guarded(QStringLiteral("frm講座情報詳細 - funcIkkatuAdd"), [&] {
        const QDate first = DTPDate[1]->date();
        const QDate last = DTPDate[2]->date();
        if (first > last) {
            MsgBox(QStringLiteral("講座日の範囲指定に誤りがあります"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        if (funcIkkatuWeekdays().isEmpty()) {
            MsgBox(QStringLiteral("一括登録するときは曜日を必ず指定してください"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            cboEdit[KouzaCbo::Youbi]->setFocus();
            return false;
        }
        // A range without the weekday would store nothing; say so rather than ask about it.
        QList<TermSkip> skipped;
        const QList<QDate> dates = funcIkkatuDates(&skipped);
        if (dates.isEmpty()) {
            MsgBox(QStringLiteral("指定された期間に該当する曜日がありません。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return false;
        }
        // The question names what will be stored: the lessons, not the days of the range.
        const QList<int> weekdays = funcIkkatuWeekdays();
        const QString names = weekdays.size() == 1 && cboEdit[KouzaCbo::Youbi]->currentIndex() > 0
            ? weekdayName(cboEdit[KouzaCbo::Youbi]->currentText())
            : ClassStore::funcWeekdayText(weekdays) + QStringLiteral("曜日");
        QString question = funcDateText(first) + QStringLiteral("～") + funcDateText(last) + QStringLiteral("までの") + names
            + QStringLiteral(" ") + QString::number(dates.size()) + QStringLiteral("回分を登録してもよいですか？");
        QStringList left;
        for (const TermSkip& s : skipped)
            left << funcDateText(s.date) + QStringLiteral(" ") + s.reason;
        if (!left.isEmpty())
            question += QStringLiteral("\n\n除く日 %1 日：\n").arg(left.size()) + left.mid(0, 15).join(u'\n')
                + (left.size() > 15 ? QStringLiteral("\nほか %1 日").arg(left.size() - 15) : QString());
        return MsgBox(question, MsgButtons::YesNo, MsgIcon::Question, kTitle) != MsgAnswer::No;
    });
}

bool frm講座情報詳細::subIkkatuSave()
{
    // funcIkkatuAdd has made sure the range holds at least one date.
    const QList<int> ids = KouzaStore::addRange(m_kouza, funcIkkatuDates());
    if (ids.isEmpty()) {
        MsgBox(QStringLiteral("一括登録を取り消しました。講座は1回分も登録していません。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
        return false;
    }
    m_kouzaID = ids.back();
    return true;
}
