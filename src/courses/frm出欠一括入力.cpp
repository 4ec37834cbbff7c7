#include "frm出欠一括入力.h"

#include "Makeup.h"
#include "frm振替.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "KouzaStore.h"
#include "Named.h"
#include "Phrases.h"
#include "ReportCommon.h"
#include "TextBox.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"
#include "frm定型文選択.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {
const QString kNoTakers = QStringLiteral("受講者がいません。前回の受講者を追加するか、講座画面で受講者を選んでください。");
const QString kHelp = QStringLiteral("矢印・Tab・Enterでセルを移動します（Enterは下へ）。出欠はスペースで ○・欠(連)・欠、宿題は ○・× と切り替え、"
                                     "評価は1～5の数字で入力します（0またはDeleteで未評価）。コメントは255文字まで入力でき、"
                                     "出てくる候補は↓で選んでEnterで決めます。");
const QString kPresentMark = QStringLiteral("○");
const QColor kChangedBack{0xff, 0xf1, 0xc8};

QString markText(int mark)
{
    return mark >= 1 && mark <= 5 ? QString::number(mark) : QString();
}

// When a comment editor's editing ends by the keys of its pop-ups: Enter in the
// completion pop-up with nothing picked there stores the typed text (the pop-up
// would take the key only to close); a comment picked in the completion pop-up
// or the drop-down (Enter or a click) is stored at once. The box's own
// activation of an entry equal to the typed text, when it loses the focus,
// picks nothing.
class CommentPicks : public QObject {
public:
    CommentPicks(QComboBox* box, std::function<void()> done) : QObject(box), m_done(std::move(done))
    {
        m_completion = box->completer()->popup();
        for (QObject* watched : {static_cast<QObject*>(m_completion), static_cast<QObject*>(box->view()),
                                 static_cast<QObject*>(box->view()->viewport())})
            watched->installEventFilter(this);
        connect(box->completer(), qOverload<const QModelIndex&>(&QCompleter::activated), this, [this] { m_done(); });
        connect(box, &QComboBox::activated, this, [this] {
            if (std::exchange(m_picking, false))
                m_done();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        const bool key = type == QEvent::KeyPress || type == QEvent::ShortcutOverride;
        const bool enter = key
            && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return || static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if (watched == m_completion) {
            if (type != QEvent::KeyPress || !enter || m_completion->currentIndex().isValid())
                return false;
            m_completion->hide();
            m_done();
            return true;
        }
        // The drop-down's own handling comes next and activates what was picked.
        if (key || type == QEvent::MouseButtonRelease || type == QEvent::Show)
            m_picking = enter || type == QEvent::MouseButtonRelease;
        return false;
    }

private:
    std::function<void()> m_done;
    QAbstractItemView* m_completion = nullptr;
    bool m_picking = false;
};

// The editors of the grid: a mark chosen from a list, a comment typed or chosen
// from the comments of the class. Enter stores the edit and moves down, as it
// does in the grid itself. Completion only offers the class's comments in a
// pop-up: Enter stores what was typed unless a comment was picked there with ↓.
// A comment picked from the pop-up or the drop-down ends the cell's editing.
class RegisterDelegate : public QStyledItemDelegate {
public:
    RegisterDelegate(QObject* parent, std::function<bool(int column)> isComment, QStringList comments,
                     std::function<void()> moveDown, std::function<void(QComboBox*)> opened,
                     std::function<void(QComboBox*)> phrase)
        : QStyledItemDelegate(parent), m_isComment(std::move(isComment)), m_comments(std::move(comments)),
          m_moveDown(std::move(moveDown)), m_opened(std::move(opened)), m_phrase(std::move(phrase))
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* box = new QComboBox(parent);
        if (m_isComment(index.column())) {
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->addItems(m_comments);
            auto* completer = new QCompleter(box->model(), box);
            completer->setCompletionMode(QCompleter::PopupCompletion);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            completer->setFilterMode(Qt::MatchContains);
            box->setCompleter(completer);
            auto* self = const_cast<RegisterDelegate*>(this);
            new CommentPicks(box, [self, box] { self->finish(box); });
            subTextLimit(box->lineEdit(), kJukouCommentMax);
        } else {
            box->addItems({QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                           QStringLiteral("5")});
        }
        m_opened(box);
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* box = static_cast<QComboBox*>(editor);
        const QString text = index.data().toString();
        if (box->isEditable()) {
            box->setCurrentIndex(-1);
            // A comment stored longer than the editor takes is kept whole.
            subSetBoxText(box->lineEdit(), text);
            box->lineEdit()->selectAll();
        } else {
            box->setCurrentIndex(std::max(0, box->findText(text)));
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* box = static_cast<QComboBox*>(editor);
        model->setData(index, box->currentText());
    }

    // Stores the edit and closes the editor, the cursor staying on its cell.
    void store(QWidget* editor)
    {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* editor = qobject_cast<QComboBox*>(watched);
        if (editor && event->type() == QEvent::KeyPress && !editor->view()->isVisible()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                finish(editor);
                return true;
            }
            if (key == Qt::Key_F2 && editor->isEditable()) {
                m_phrase(editor);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    void finish(QComboBox* editor)
    {
        store(editor);
        m_moveDown();
    }

    std::function<bool(int column)> m_isComment;
    QStringList m_comments;
    std::function<void()> m_moveDown;
    std::function<void(QComboBox*)> m_opened;
    std::function<void(QComboBox*)> m_phrase;
};
} // namespace

frm出欠一括入力::frm出欠一括入力(int kouzaID, QWidget* parent) : QDialog(parent), m_kouzaID(kouzaID)
{
    setObjectName(QStringLiteral("frm出欠一括入力"));
    setWindowTitle(QStringLiteral("出欠・評価の一括入力"));

    lblKouza = named<QLabel>(this, QStringLiteral("lblKouza"));
    lblKouza->setTextFormat(Qt::PlainText);
    lblKouza->setFont(Theme::uiFont(12, true));
    lblKouza->setStyleSheet(Theme::textStyle(Theme::accent));

    grdJukou = named<QTableWidget>(this, QStringLiteral("grdJukou"));
    grdJukou->setSelectionMode(QAbstractItemView::SingleSelection);
    grdJukou->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                              | QAbstractItemView::EditKeyPressed);
    grdJukou->setAlternatingRowColors(true);
    grdJukou->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grdJukou->installEventFilter(this);

    cmd全員出席 = named<QPushButton>(this, QStringLiteral("cmd全員出席"), QStringLiteral("全員出席(&A)"));
    cmd全員提出 = named<QPushButton>(this, QStringLiteral("cmd全員提出"), QStringLiteral("全員提出(&H)"));
    lblCount = named<QLabel>(this, QStringLiteral("lblCount"));
    lblCount->hide();
    lblChanged = named<QLabel>(this, QStringLiteral("lblChanged"));
    lblChanged->setStyleSheet(Theme::textStyle(Theme::warning));
    cmd振替 = named<QPushButton>(this, QStringLiteral("cmd振替"), QStringLiteral("振替を予約(&F)"));
    cmdSave = named<QPushButton>(this, QStringLiteral("cmdSave"), QStringLiteral("保存(&S)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* button : {cmd全員出席, cmd全員提出, cmd振替, cmdSave, cmdEnd})
        button->setAutoDefault(false);
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"), kHelp);
    Theme::subHelpText(lblMsg);

    auto* top = new QHBoxLayout;
    top->addWidget(lblKouza, 1);
    top->addWidget(cmd全員出席);
    top->addWidget(cmd全員提出);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblCount);
    bottom->addWidget(lblChanged, 1);
    bottom->addWidget(cmd振替);
    bottom->addWidget(cmdSave);
    bottom->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdJukou, 1);
    layout->addLayout(bottom);
    layout->addWidget(lblMsg);
    subPlaceWindow(this, QSize(900, 720));
    subTabOrder({grdJukou, cmd全員出席, cmd全員提出, cmd振替, cmdSave, cmdEnd});

    connect(cmd全員出席, &QPushButton::clicked, this, [this] { cmd全員出席_Click(); });
    connect(cmd全員提出, &QPushButton::clicked, this, [this] { cmd全員提出_Click(); });
    connect(cmd振替, &QPushButton::clicked, this, [this] { cmd振替_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    connect(grdJukou, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { grdJukou_ItemChanged(item); });
    connect(grdJukou, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) { subToggle(row, column); });
}

frm出欠一括入力::~frm出欠一括入力()
{
    // The controls outlive this part of the window while they are destroyed; they must not call back into it.
    for (QObject* control : findChildren<QObject*>())
        QObject::disconnect(control, nullptr, this, nullptr);
}

int frm出欠一括入力::exec()
{
    if (!m_loaded && !Form_Load())
        return QDialog::Rejected;
    return QDialog::exec();
}

void frm出欠一括入力::showEvent(QShowEvent* event)
{
    if (!m_loaded)
        Form_Load();
    QDialog::showEvent(event);
}

bool frm出欠一括入力::Form_Load()
{
    return guarded(QStringLiteral("frm出欠一括入力 - Form_Load"), [&] {
        const std::optional<QString> caption = JukouStore::caption(m_kouzaID);
        if (!caption) {
            MsgBox(kKouzaNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return false;
        }
        m_stored = JukouStore::takers(m_kouzaID);
        if (m_stored.isEmpty()) {
            MsgBox(kNoTakers, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return false;
        }
        m_rows = m_stored;
        m_loaded = true;
        lblKouza->setText(*caption);
        // A mark whose item has no name does not exist: no column for it.
        const std::array<QString, 4> names = funcEvalItemNames();
        for (int slot = 0; slot < 4; ++slot) {
            if (names[slot].trimmed().isEmpty())
                continue;
            m_markItems << slot;
            m_itemNames << names[slot];
        }
        m_comments = JukouStore::classComments(m_kouzaID);
        subGridSet();
        return true;
    });
}

void frm出欠一括入力::subGridSet()
{
    const QStringList headers = QStringList{QStringLiteral("生徒番号"), QStringLiteral("生徒氏名"), QStringLiteral("出欠"),
                                            QStringLiteral("宿題")}
        + m_itemNames + QStringList{QStringLiteral("コメント")};
    const QSignalBlocker quiet(grdJukou);
    grdJukou->setColumnCount(static_cast<int>(headers.size()));
    grdJukou->setHorizontalHeaderLabels(headers);
    grdJukou->setRowCount(static_cast<int>(m_rows.size()));
    m_delegate = new RegisterDelegate(
        grdJukou, [this](int column) { return column == commentColumn(); }, m_comments, [this] { subMoveDown(); },
        [this](QComboBox* editor) { subEditorOpened(editor); },
        [this](QComboBox* editor) { subInsertPhrase(editor); });
    grdJukou->setItemDelegate(m_delegate);
    for (int row = 0; row < grdJukou->rowCount(); ++row) {
        for (int column = 0; column < grdJukou->columnCount(); ++column) {
            auto* item = new QTableWidgetItem;
            if (column == kStuNo || column == kStuName) {
                // Shown as every other cell, but the cursor passes them by.
                item->setFlags(Qt::NoItemFlags);
                item->setForeground(palette().text());
            } else if (column == kAttendance || column == kHomework) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setTextAlignment(Qt::AlignCenter);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
                if (column != commentColumn())
                    item->setTextAlignment(Qt::AlignCenter);
            }
            grdJukou->setItem(row, column, item);
        }
        grdJukou->setVerticalHeaderItem(row, new QTableWidgetItem);
        subRowShow(row);
    }
    QHeaderView* header = grdJukou->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    grdJukou->setColumnWidth(kStuNo, 80);
    grdJukou->setColumnWidth(kStuName, 150);
    for (int column = kAttendance; column < commentColumn(); ++column)
        grdJukou->setColumnWidth(column, column < kFirstMark ? 56 : 76);
    header->setStretchLastSection(true);
    grdJukou->setCurrentCell(0, kAttendance);
    grdJukou->setFocus();
    subChangedShow();
}

int frm出欠一括入力::markSlot(int column) const
{
    const int k = column - kFirstMark;
    return k >= 0 && k < m_markItems.size() ? m_markItems[k] : -1;
}

void frm出欠一括入力::subRowShow(int row)
{
    const JukouRow& r = m_rows[row];
    const bool changed = r != m_stored[row];
    m_filling = true;
    grdJukou->item(row, kStuNo)->setText(QString::number(r.stuNo));
    grdJukou->item(row, kStuName)->setText(r.makeup ? r.stuName + kMakeupMark : r.stuName);
    grdJukou->item(row, kAttendance)->setText(Makeup::funcAttendanceText(r.attendance));
    grdJukou->item(row, kHomework)->setText(r.homework == 1 ? kPresentMark : QStringLiteral("×"));
    for (int k = 0; k < m_markItems.size(); ++k)
        grdJukou->item(row, markColumn(k))->setText(markText(r.items[m_markItems[k]]));
    grdJukou->item(row, commentColumn())->setText(r.comment);
    grdJukou->item(row, commentColumn())->setToolTip(funcWholeTextTip(r.comment));
    for (int column = 0; column < grdJukou->columnCount(); ++column)
        grdJukou->item(row, column)->setBackground(changed ? QBrush(kChangedBack) : QBrush());
    grdJukou->verticalHeaderItem(row)->setText(changed ? QStringLiteral("● %1").arg(row + 1) : QString::number(row + 1));
    m_filling = false;
}

int frm出欠一括入力::propChangedCount() const
{
    int changed = 0;
    for (int row = 0; row < m_rows.size(); ++row)
        changed += m_rows[row] != m_stored[row] ? 1 : 0;
    return changed;
}

void frm出欠一括入力::subChangedShow()
{
    const int changed = propChangedCount();
    lblChanged->setText(changed > 0 ? QStringLiteral("● 変更 %1 人（未保存）").arg(changed) : QString());
    cmdSave->setEnabled(changed > 0);
}

void frm出欠一括入力::grdJukou_ItemChanged(QTableWidgetItem* item)
{
    if (m_filling)
        return;
    guarded(QStringLiteral("frm出欠一括入力 - grdJukou_ItemChanged"), [&] {
        const int row = item->row();
        JukouRow& r = m_rows[row];
        if (item->column() == commentColumn())
            r.comment = item->text();
        else if (const int slot = markSlot(item->column()); slot >= 0)
            r.items[slot] = funcToLong(item->text());
        subRowShow(row);
        subChangedShow();
    });
}

void frm出欠一括入力::subSetAll(int JukouRow::*member)
{
    for (int row = 0; row < m_rows.size(); ++row) {
        m_rows[row].*member = 1;
        subRowShow(row);
    }
    subChangedShow();
}

void frm出欠一括入力::cmd全員出席_Click()
{
    guarded(QStringLiteral("frm出欠一括入力 - cmd全員出席_Click"), [&] { subSetAll(&JukouRow::attendance); });
}

void frm出欠一括入力::cmd全員提出_Click()
{
    guarded(QStringLiteral("frm出欠一括入力 - cmd全員提出_Click"), [&] { subSetAll(&JukouRow::homework); });
}

// 宿題 switches between ○ and ×; 出欠 goes round ○, 欠(連), 欠.
void frm出欠一括入力::subToggle(int row, int column)
{
    if (row < 0 || (column != kAttendance && column != kHomework))
        return;
    if (column == kAttendance) {
        int& flag = m_rows[row].attendance;
        flag = flag == kPresent ? kAbsentWithNotice : flag == kAbsentWithNotice ? kAbsentNoNotice : kPresent;
    } else {
        int& flag = m_rows[row].homework;
        flag = flag == 1 ? 0 : 1;
    }
    subRowShow(row);
    subChangedShow();
}

// Down the column; from the last row to the top of the next column, so a whole
// column is entered and the next one follows without leaving the keys.
void frm出欠一括入力::subMoveDown()
{
    const int row = grdJukou->currentRow();
    const int column = grdJukou->currentColumn();
    if (row + 1 < grdJukou->rowCount())
        grdJukou->setCurrentCell(row + 1, column);
    else if (column + 1 < grdJukou->columnCount())
        grdJukou->setCurrentCell(0, column + 1);
    grdJukou->setFocus();
}

// A digit typed on a mark: 1 to 5 set it, 0 clears it; then down to the next student.
bool frm出欠一括入力::funcSetMark(const QString& typed)
{
    const int slot = markSlot(grdJukou->currentColumn());
    const QString digit = funcHalfWidthDigits(typed);
    if (slot < 0 || digit.size() != 1 || digit[0] < u'0' || digit[0] > u'5')
        return false;
    const int row = grdJukou->currentRow();
    m_rows[row].items[slot] = digit[0].unicode() - u'0';
    subRowShow(row);
    subChangedShow();
    subMoveDown();
    return true;
}

bool frm出欠一括入力::funcGridKey(const QKeyEvent* key)
{
    const int row = grdJukou->currentRow();
    const int column = grdJukou->currentColumn();
    if (row < 0 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        subMoveDown();
        return true;
    case Qt::Key_Space:
        if (column != kAttendance && column != kHomework)
            return false;
        subToggle(row, column);
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (const int slot = markSlot(column); slot >= 0)
            m_rows[row].items[slot] = 0;
        else if (column == commentColumn())
            m_rows[row].comment.clear();
        else
            return false;
        subRowShow(row);
        subChangedShow();
        return true;
    default:
        return funcSetMark(key->text());
    }
}

bool frm出欠一括入力::eventFilter(QObject* watched, QEvent* event)
{
    // Keys an open editor of the grid passes on are not the grid's own.
    if (watched == grdJukou && !grdJukou->indexWidget(grdJukou->currentIndex())) {
        if (event->type() == QEvent::KeyPress)
            return guarded(QStringLiteral("frm出欠一括入力 - grdJukou_KeyPress"),
                           [&] { return funcGridKey(static_cast<QKeyEvent*>(event)); });
        // A digit from the input method (full-width mode) sets a mark as a key does.
        if (event->type() == QEvent::InputMethod)
            return guarded(QStringLiteral("frm出欠一括入力 - grdJukou_KeyPress"),
                           [&] { return funcSetMark(static_cast<QInputMethodEvent*>(event)->commitString()); });
    }
    return QDialog::eventFilter(watched, event);
}

// While a cell is edited, 保存 stores the edit too; while a comment is typed,
// its count of the limit shows beside the changes.
void frm出欠一括入力::subEditorOpened(QComboBox* editor)
{
    cmdSave->setEnabled(true);
    connect(editor, &QObject::destroyed, this, [this] { subChangedShow(); });
    if (!editor->isEditable())
        return;
    subLengthCount(editor->lineEdit(), lblCount, kJukouCommentMax);
    lblCount->show();
    connect(editor, &QObject::destroyed, lblCount, &QLabel::hide);
}

// The editor closes while the list is open (it would close on losing the focus
// anyway): what was typed is kept, and the editor opens again with the phrase
// put in at the cursor.
void frm出欠一括入力::subInsertPhrase(QComboBox* editor)
{
    const int row = grdJukou->currentRow();
    if (row < 0)
        return;
    const QLineEdit* line = editor->lineEdit();
    const QString text = line->text();
    const int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    const int length = static_cast<int>(line->selectedText().size());
    grdJukou->setFocus();   // an editor destroyed while it has the focus would take it from the list
    static_cast<RegisterDelegate*>(m_delegate)->store(editor);
    QTimer::singleShot(0, this, [this, row, text, start, length] {
        guarded(QStringLiteral("frm出欠一括入力 - subInsertPhrase"), [&] {
            if (!m_subject)
                m_subject = Phrases::funcLessonSubject(m_kouzaID);
            QString result = text;
            int cursor = start + length;
            const std::optional<QString> phrase = funcPickPhrase(m_rows[row].stuName, *m_subject, this);
            if (phrase && funcPhraseFits(text.size() - length, *phrase, kJukouCommentMax)) {
                result.replace(start, length, *phrase);
                cursor = start + static_cast<int>(phrase->size());
            }
            grdJukou->setCurrentCell(row, commentColumn());
            grdJukou->edit(grdJukou->currentIndex());
            if (auto* reopened = qobject_cast<QComboBox*>(grdJukou->indexWidget(grdJukou->currentIndex()))) {
                reopened->lineEdit()->setText(result);
                reopened->lineEdit()->setCursorPosition(cursor);
            }
        });
    });
}

// The cell being typed in belongs to what is saved (Alt+S, 閉じる while typing).
void frm出欠一括入力::subStoreEditor()
{
    if (QWidget* editor = grdJukou->indexWidget(grdJukou->currentIndex()))
        static_cast<RegisterDelegate*>(m_delegate)->store(editor);
}

bool frm出欠一括入力::funcSave()
{
    return guarded(QStringLiteral("frm出欠一括入力 - cmdSave_Click"), [&] {
        subStoreEditor();
        if (propChangedCount() == 0)
            return true;
        // After a fault nothing of the class is stored; the rows stay marked to be saved again.
        bool stored = false;
        if (!funcTrySave(QStringLiteral("frm出欠一括入力 - cmdSave_Click"),
                         QStringLiteral("保存中に問題が起きたため、出欠・評価は1人も保存していません。"), [&] {
                             WaitCursor wait;
                             stored = JukouStore::save(m_kouzaID, m_stored, m_rows);
                         }))
            return false;
        if (!stored) {
            MsgBox(kKouzaNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return false;
        }
        m_ok = true;
        QList<int> commented;
        for (int row = 0; row < m_rows.size(); ++row)
            if (m_rows[row].comment != m_stored[row].comment && !m_rows[row].comment.isEmpty())
                commented << m_rows[row].stuNo;
        // The rows as stored now: with what other PCs stored meanwhile, and the
        // counts of changes the next save starts from.
        QHash<int, JukouRow> now;
        for (const JukouRow& row : JukouStore::takers(m_kouzaID))
            now.insert(row.stuNo, row);
        for (int row = 0; row < m_rows.size(); ++row) {
            m_rows[row] = now.value(m_rows[row].stuNo, m_rows[row]);
            m_stored[row] = m_rows[row];
            subRowShow(row);
        }
        subChangedShow();
        subPhraseNotice(m_kouzaID, commented);
        return true;
    });
}

void frm出欠一括入力::cmdSave_Click()
{
    funcSave();
    grdJukou->setFocus();
}

void frm出欠一括入力::cmd振替_Click()
{
    guarded(QStringLiteral("frm出欠一括入力 - cmd振替_Click"), [&] {
        const int row = grdJukou->currentRow();
        if (row < 0)
            return;
        // The credit comes from the absence as stored: what is typed is saved first.
        subStoreEditor();
        if (propChangedCount() > 0) {
            if (MsgBox(QStringLiteral("振替の前に出欠・評価を保存します。よろしいですか？"), MsgButtons::YesNo, MsgIcon::Question, kTitle)
                    != MsgAnswer::Yes
                || !funcSave())
                return;
        }
        const std::optional<MakeupCredit> credit = Makeup::creditFor(m_kouzaID, m_rows[row].stuNo);
        if (!credit) {
            MsgBox(m_rows[row].stuName + QStringLiteral(" さんのこの講座の欠席には振替がありません。"
                                                        "通常クラスの講座で「欠(連)」にして保存すると振替ができます。"),
                   MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }
        frm振替予約 window(credit->id, this);
        window.exec();
        grdJukou->setFocus();
    });
}

bool frm出欠一括入力::funcConfirmClose()
{
    subStoreEditor();
    return ::funcConfirmClose(propChangedCount() > 0, [this] { return funcSave(); });
}

void frm出欠一括入力::cmdEnd_Click()
{
    reject();
}

void frm出欠一括入力::reject()
{
    if (!m_loaded || funcConfirmClose())
        done(m_ok ? QDialog::Accepted : QDialog::Rejected);
}
