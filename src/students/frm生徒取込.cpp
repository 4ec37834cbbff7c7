#include "frm生徒取込.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "Named.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using ImportSource::TextEncoding;
using StudentImport::Field;
using StudentImport::RowState;

namespace {
const QString kBr = QStringLiteral("\r\n");
const QString kHelp = QStringLiteral(
    "ファイルの各行を確認してください。「取り込む」の行だけが登録されます。重複の行は「追加」にすると登録し、"
    "登録済みの生徒と同じ行は「更新」にするとファイルの空でない値で書き換えます（変わる値は「旧 → 新」）。"
    "色の付いた値は取り込むときに書き換えたもので、ポイントするとファイルの値が出ます。"
    "エラーの行は「エラー一覧を保存」で理由付きのExcelファイルにでき、直してからもう一度取り込めます。");
// Long files show a progress bar that can be cancelled.
constexpr int kProgressRows = 1000;

// The rows' columns: the line, the state, each mapped field, then the reasons.
enum RowColumn { ColLine, ColState, ColFirstField };
} // namespace

frm生徒取込::frm生徒取込(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm生徒取込"));
    setWindowTitle(QStringLiteral("生徒をExcelから取り込みます。"));
    buildControls();
}

void frm生徒取込::buildControls()
{
    lblFile = named<QLabel>(this, QStringLiteral("lblFile"));
    lblFile->setTextFormat(Qt::PlainText);
    lblFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cboSheet = named<QComboBox>(this, QStringLiteral("cboSheet"));
    cboEncoding = named<QComboBox>(this, QStringLiteral("cboEncoding"));
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Cp932, TextEncoding::Utf16})
        cboEncoding->addItem(ImportSource::encodingName(e), static_cast<int>(e));
    for (QComboBox* box : {cboSheet, cboEncoding})
        subComboWheelGuard(box);
    connect(cboSheet, &QComboBox::activated, this, [this](int index) { funcLoad(index, m_table.encoding); });
    connect(cboEncoding, &QComboBox::activated, this,
            [this](int index) { funcLoad(m_table.sheet, static_cast<TextEncoding>(cboEncoding->itemData(index).toInt())); });

    lvColumns = named<QTreeWidget>(this, QStringLiteral("lvColumns"));
    lvColumns->setRootIsDecorated(false);
    lvColumns->setHeaderLabels(
        {QStringLiteral("ファイルの見出し"), QStringLiteral("取り込み先"), QStringLiteral("1行目の値"), QStringLiteral("注記")});
    lvColumns->setSelectionMode(QAbstractItemView::NoSelection);

    lvRows = named<QTreeWidget>(this, QStringLiteral("lvRows"));
    lvRows->setRootIsDecorated(false);
    lvRows->setUniformRowHeights(true);
    lvRows->setAlternatingRowColors(true);

    lblCount = named<QLabel>(this, QStringLiteral("lblCount"));
    lblCount->setStyleSheet(Theme::textStyle(Theme::accent));
    lblSchools = named<QLabel>(this, QStringLiteral("lblSchools"));
    lblSchools->setTextFormat(Qt::PlainText);
    lblSchools->setWordWrap(true);
    chkAddSchools = named<QCheckBox>(this, QStringLiteral("chkAddSchools"),
                                     QStringLiteral("見つからない学校をマスタ学校に追加する(&S)"));

    cmdErrors = named<QPushButton>(this, QStringLiteral("cmdErrors"), QStringLiteral("エラー一覧を保存(&E)"));
    cmdImport = named<QPushButton>(this, QStringLiteral("cmdImport"), QStringLiteral("取り込む(&I)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    // Enter stores nothing by itself: importing is a button the user chooses.
    for (QPushButton* button : {cmdErrors, cmdImport, cmdEnd})
        button->setAutoDefault(false);
    connect(cmdErrors, &QPushButton::clicked, this, [this] { cmdErrors_Click(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"), kHelp);
    Theme::subHelpText(lblMsg);

    auto* source = new QHBoxLayout;
    source->addWidget(named<QLabel>(this, QStringLiteral("lblInfo_0"), QStringLiteral("ファイル")));
    source->addWidget(lblFile, 1);
    auto* sheetLabel = named<QLabel>(this, QStringLiteral("lblInfo_1"), QStringLiteral("シート(&H)"));
    sheetLabel->setBuddy(cboSheet);
    source->addWidget(sheetLabel);
    source->addWidget(cboSheet);
    auto* encodingLabel = named<QLabel>(this, QStringLiteral("lblInfo_2"), QStringLiteral("文字コード(&K)"));
    encodingLabel->setBuddy(cboEncoding);
    source->addWidget(encodingLabel);
    source->addWidget(cboEncoding);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(cmdErrors);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdEnd);

    auto* grid = new QVBoxLayout(this);
    grid->addLayout(source);
    grid->addWidget(lvColumns, 1);
    grid->addWidget(lvRows, 3);
    grid->addWidget(lblSchools);
    grid->addWidget(chkAddSchools);
    grid->addLayout(buttons);
    grid->addWidget(lblMsg);
    subPlaceWindow(this, QSize(1100, 760));
}

bool frm生徒取込::funcRun(QWidget* parent)
{
    const QString path = ui().openFileName(
        parent, FileDialogRequest{QStringLiteral("取り込むファイルを選んでください"), QDir::homePath(), {},
                                  QStringLiteral("Excel・CSV (*.xlsx *.csv *.txt);;すべてのファイル (*)")});
    if (path.isEmpty())
        return false;
    frm生徒取込 window(parent);
    if (!window.funcOpen(path))
        return false;
    window.exec();
    return window.propOK();
}

bool frm生徒取込::funcOpen(const QString& path)
{
    m_path = path;
    lblFile->setText(QDir::toNativeSeparators(path));
    lblFile->setToolTip(lblFile->text());
    return funcLoad(0, TextEncoding::Auto);
}

bool frm生徒取込::funcLoad(int sheet, TextEncoding encoding)
{
    return guarded(QStringLiteral("frm生徒取込 - funcLoad"), [&] {
        // The new sheet is read and checked aside; the window takes it only once complete,
        // so a refusal or a cancel leaves the preview (and the boxes) as they were.
        ImportSource::SourceTable table;
        try {
            WaitCursor wait;
            table = StudentImport::funcRead(m_path, sheet, encoding);
        } catch (const ImportSource::SourceError& e) {
            MsgBox(e.message(), MsgButtons::Ok, MsgIcon::Warning);
            subShowSource();
            return false;
        }
        std::vector<Field> mapping = StudentImport::defaultMapping(table.header);
        auto preview = funcCheckRows(table, mapping);
        if (!preview) {
            subShowSource();
            return false;
        }
        m_table = std::move(table);
        m_mapping = std::move(mapping);
        m_preview = std::move(*preview);
        subShowSource();
        subShowColumns();
        subShowRows();
        lvRows->setFocus();
        if (!StudentImport::mapsNames(m_mapping))
            MsgBox(QStringLiteral("「生徒氏名」と「氏名カナ」の列が見つかりません。") + kBr
                       + QStringLiteral("取り込み先の欄で、どの列が生徒氏名・氏名カナかを選んでください。"),
                   MsgButtons::Ok, MsgIcon::Information);
        return true;
    });
}

std::optional<StudentImport::Preview> frm生徒取込::funcCheckRows(const ImportSource::SourceTable& table,
                                                                 const std::vector<Field>& mapping)
{
    const int total = static_cast<int>(table.rows.size());
    std::optional<LongTask> task;
    if (total > kProgressRows)
        task.emplace(QStringLiteral("ファイルの行を確認しています..."), total, true);
    WaitCursor wait;
    const QLocale japanese(QLocale::Japanese);
    return StudentImport::funcPreview(table, mapping, [&](int done, int) {
        if (!task)
            return true;
        task->setValue(done);
        task->step(QStringLiteral("%1 / %2 行").arg(japanese.toString(done), japanese.toString(total)));
        return !task->cancelled();
    });
}

void frm生徒取込::subShowSource()
{
    cboSheet->clear();
    cboSheet->addItems(m_table.sheets);
    cboSheet->setCurrentIndex(m_table.sheet);
    cboSheet->setEnabled(m_table.workbook);
    cboEncoding->setCurrentIndex(cboEncoding->findData(static_cast<int>(m_table.encoding)));
    // UTF-16 is known by its byte-order mark; only the 8-bit encodings are a choice.
    cboEncoding->setEnabled(!m_table.workbook && m_table.encoding != TextEncoding::Utf16);
}

void frm生徒取込::subShowColumns()
{
    lvColumns->clear();
    for (int c = 0; c < m_table.header.size(); ++c) {
        const QString example = m_table.rows.empty() ? QString() : m_table.rows.front().at(static_cast<std::size_t>(c)).text;
        auto* item = new QTreeWidgetItem(lvColumns, {m_table.header[c], {}, example,
                                                     StudentImport::funcColumnNote(m_table.header, m_mapping, c)});
        auto* box = new QComboBox(lvColumns);
        box->setObjectName(QStringLiteral("cboMapping_%1").arg(c));
        for (Field f : StudentImport::allFields())
            box->addItem(StudentImport::fieldCaption(f), static_cast<int>(f));
        box->setCurrentIndex(box->findData(static_cast<int>(m_mapping[static_cast<std::size_t>(c)])));
        subComboWheelGuard(box);
        connect(box, &QComboBox::activated, this, [this, c](int index) { cboMapping_Change(c, index); });
        lvColumns->setItemWidget(item, 1, box);
    }
    lvColumns->header()->resizeSections(QHeaderView::ResizeToContents);
    lvColumns->setColumnWidth(1, 160);
    // The mapping boxes are made after the window: put them back where Tab expects them.
    QWidget* previous = lvColumns;
    for (int c = 0; c < lvColumns->topLevelItemCount(); ++c) {
        QWidget* box = lvColumns->itemWidget(lvColumns->topLevelItem(c), 1);
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, lvRows);
}

void frm生徒取込::cboMapping_Change(int column, int index)
{
    guarded(QStringLiteral("frm生徒取込 - cboMapping_Change"), [&] {
        auto* box = qobject_cast<QComboBox*>(lvColumns->itemWidget(lvColumns->topLevelItem(column), 1));
        const auto restore = [&] { box->setCurrentIndex(box->findData(static_cast<int>(m_mapping[static_cast<std::size_t>(column)]))); };
        const auto field = static_cast<Field>(box->itemData(index).toInt());
        // A field is read from one column: a second column would leave one's data out unseen.
        if (const QString refusal = StudentImport::funcMappingRefusal(m_table.header, m_mapping, column, field); !refusal.isEmpty()) {
            MsgBox(refusal + kBr + QStringLiteral("先にその列を「取り込まない」にしてください。"), MsgButtons::Ok, MsgIcon::Information);
            restore();
            return;
        }
        std::vector<Field> mapping = m_mapping;
        mapping[static_cast<std::size_t>(column)] = field;
        auto preview = funcCheckRows(m_table, mapping);
        if (!preview) {
            restore();
            return;
        }
        m_mapping = std::move(mapping);
        m_preview = std::move(*preview);
        for (int c = 0; c < lvColumns->topLevelItemCount(); ++c)
            lvColumns->topLevelItem(c)->setText(3, StudentImport::funcColumnNote(m_table.header, m_mapping, c));
        subShowRows();
    });
}

void frm生徒取込::subShowRows()
{
    const std::vector<Field> fields = StudentImport::mappedFields(m_mapping);
    std::vector<std::size_t> columnOf;   // the file's column of each field shown
    QStringList labels{QStringLiteral("行"), QStringLiteral("状態")};
    for (Field f : fields) {
        columnOf.push_back(static_cast<std::size_t>(std::find(m_mapping.begin(), m_mapping.end(), f) - m_mapping.begin()));
        labels << StudentImport::fieldCaption(f);
    }
    labels << QStringLiteral("理由");
    const int reasonColumn = static_cast<int>(labels.size()) - 1;
    lvRows->setUpdatesEnabled(false);
    lvRows->clear();
    lvRows->setColumnCount(static_cast<int>(labels.size()));
    lvRows->setHeaderLabels(labels);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_preview.rows.size()));
    for (std::size_t i = 0; i < m_preview.rows.size(); ++i) {
        const StudentImport::PreviewRow& row = m_preview.rows[i];
        QStringList reasons;
        for (const StudentImport::Problem& p : row.problems)
            reasons << StudentImport::funcProblemLine(p);
        if (!row.newSchool.isEmpty())
            reasons << QStringLiteral("所属校「%1」はマスタ学校にありません").arg(row.newSchool);
        auto* item = new QTreeWidgetItem({QString::number(row.line), StudentImport::stateCaption(row.state())});
        item->setData(ColLine, Qt::UserRole, static_cast<int>(i));
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const int column = ColFirstField + static_cast<int>(f);
            item->setText(column, StudentImport::funcFieldText(m_preview, row, fields[f]));
            // What the file said is shown wherever the import writes it otherwise.
            const ImportSource::SourceCell& cell = m_table.rows[i].at(columnOf[f]);
            if (StudentImport::funcChangesValue(cell, fields[f], StudentImport::funcStoredText(row, fields[f]))) {
                item->setForeground(column, Theme::accent);
                item->setToolTip(column, QStringLiteral("ファイルの値: ") + cell.text);
            }
        }
        item->setText(reasonColumn, reasons.join(QStringLiteral(" ／ ")));
        item->setToolTip(reasonColumn, reasons.join(QLatin1Char('\n')));
        if (row.found == RowState::Error)
            item->setForeground(ColState, Theme::warning);
        items << item;
    }
    lvRows->addTopLevelItems(items);
    // A duplicate is left out, added or (a student of the register) updated, as the user chooses.
    for (std::size_t i = 0; i < m_preview.rows.size(); ++i) {
        const StudentImport::PreviewRow& row = m_preview.rows[i];
        if (row.found != RowState::Duplicate)
            continue;
        auto* box = new QComboBox(lvRows);
        box->setObjectName(QStringLiteral("cboChoice_%1").arg(i));
        box->addItem(StudentImport::stateCaption(RowState::Duplicate), static_cast<int>(StudentImport::Choice::Leave));
        box->addItem(QStringLiteral("追加"), static_cast<int>(StudentImport::Choice::Add));
        if (row.mayUpdate())
            box->addItem(StudentImport::stateCaption(RowState::Update), static_cast<int>(StudentImport::Choice::Update));
        box->setCurrentIndex(box->findData(static_cast<int>(row.choice)));
        subComboWheelGuard(box);
        connect(box, &QComboBox::activated, this,
                [this, i, box](int index) { cboChoice_Change(i, static_cast<StudentImport::Choice>(box->itemData(index).toInt())); });
        lvRows->setItemWidget(items[static_cast<qsizetype>(i)], ColState, box);
    }
    lvRows->header()->resizeSections(QHeaderView::ResizeToContents);
    lvRows->setColumnWidth(ColState, 110);
    lvRows->setUpdatesEnabled(true);

    lblSchools->setVisible(!m_preview.newSchools.isEmpty());
    chkAddSchools->setVisible(!m_preview.newSchools.isEmpty());
    lblSchools->setText(QStringLiteral("マスタ学校にない学校: ") + m_preview.newSchools.join(QStringLiteral("、"))
                        + QStringLiteral("（追加しないときは所属校なしで登録します）"));
    subShowCounts();
}

void frm生徒取込::subShowCounts()
{
    QString counts = QStringLiteral("取り込む %1件　重複 %2件　エラー %3件")
                         .arg(m_preview.count(RowState::Take))
                         .arg(m_preview.count(RowState::Duplicate))
                         .arg(m_preview.count(RowState::Error));
    if (const int updates = m_preview.count(RowState::Update); updates > 0)
        counts += QStringLiteral("　更新 %1件").arg(updates);
    lblCount->setText(counts);
    cmdImport->setEnabled(m_preview.count(RowState::Take) + m_preview.count(RowState::Update) > 0);
    cmdErrors->setEnabled(m_preview.count(RowState::Duplicate) + m_preview.count(RowState::Error) > 0);
}

void frm生徒取込::cboChoice_Change(std::size_t index, StudentImport::Choice choice)
{
    StudentImport::PreviewRow& row = m_preview.rows.at(index);
    row.choice = choice;
    // An update shows old → new in each field it changes.
    QTreeWidgetItem* item = lvRows->topLevelItem(static_cast<int>(index));
    const std::vector<Field> fields = StudentImport::mappedFields(m_mapping);
    for (std::size_t f = 0; f < fields.size(); ++f)
        item->setText(ColFirstField + static_cast<int>(f), StudentImport::funcFieldText(m_preview, row, fields[f]));
    subShowCounts();
}

void frm生徒取込::cmdImport_Click()
{
    guarded(QStringLiteral("frm生徒取込 - cmdImport_Click"), [&] {
        const int taking = m_preview.count(RowState::Take);
        const int updating = m_preview.count(RowState::Update);
        if (taking + updating == 0)
            return;
        const int left = static_cast<int>(m_preview.rows.size()) - taking - updating;
        QString question = QStringLiteral("%1 人の生徒を取り込みます。").arg(taking);
        if (updating > 0)
            question += QStringLiteral("登録済みの %1 人の生徒情報を更新します。").arg(updating);
        if (left > 0)
            question += QStringLiteral("（重複・エラーの %1 行は取り込みません）").arg(left);
        if (MsgBox(question + kBr + QStringLiteral("よろしいですか？"), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return;
        QString backup;
        try {
            backup = StudentImport::funcBackupDatabase();
        } catch (const std::exception& e) {
            MsgBox(QStringLiteral("データベースのバックアップを作れなかったため、取り込みをやめました。") + kBr
                       + QString::fromStdString(e.what()),
                   MsgButtons::Ok, MsgIcon::Warning);
            return;
        }
        StudentImport::Stored stored;
        try {
            WaitCursor wait;
            stored = StudentImport::funcStore(m_preview, chkAddSchools->isVisible() && chkAddSchools->isChecked());
        } catch (const StudentImport::ImportBusy&) {
            MsgBox(StudentImport::ImportBusy::kImportBusyText + QStringLiteral("終わってから、もう一度取り込んでください。"),
                   MsgButtons::Ok, MsgIcon::Information);
            return;
        } catch (const std::exception& e) {
            // Nothing was stored: the office keeps its register as it was and may try again.
            subWriteErrorLog(QStringLiteral("frm生徒取込 - cmdImport_Click"), QString::fromStdString(e.what()));
            MsgBox(QStringLiteral("取り込み中に問題が起きたため、生徒は1人も登録していません。") + kBr
                       + QString::fromStdString(e.what()),
                   MsgButtons::Ok, MsgIcon::Warning);
            return;
        }
        m_numbers = stored.numbers;
        m_ok = true;
        QString done = stored.numbers.isEmpty() ? QStringLiteral("生徒は1人も取り込んでいません。")
                                                : QStringLiteral("%1 人の生徒を取り込みました（生徒番号 %2～%3）。")
                                                      .arg(stored.numbers.size())
                                                      .arg(stored.numbers.front())
                                                      .arg(stored.numbers.back());
        if (stored.updated > 0)
            done += kBr + QStringLiteral("%1 人の生徒情報を更新しました。").arg(stored.updated);
        if (stored.updatesGone > 0)
            done += kBr + QStringLiteral("他のパソコンで削除された %1 人は更新していません。").arg(stored.updatesGone);
        if (stored.duplicatesMeanwhile > 0)
            done += kBr + QStringLiteral("確認の後に他のパソコンで登録された生徒と重複する %1 件は、取り込んでいません。")
                              .arg(stored.duplicatesMeanwhile);
        if (stored.schoolsAdded > 0)
            done += kBr + QStringLiteral("マスタ学校に %1 校を追加しました。").arg(stored.schoolsAdded);
        if (!backup.isEmpty())
            done += kBr + QStringLiteral("取り込む前のデータベースを次のファイルに保存しました。") + kBr
                + QDir::toNativeSeparators(backup);
        MsgBox(done, MsgButtons::Ok, MsgIcon::Information);
        accept();
    });
}

void frm生徒取込::cmdErrors_Click()
{
    guarded(QStringLiteral("frm生徒取込 - cmdErrors_Click"), [&] {
        const QFileInfo source(m_path);
        const QString path = ui().saveFileName(
            this, FileDialogRequest{QStringLiteral("エラー一覧の保存先"), source.absolutePath(),
                                    source.completeBaseName() + QStringLiteral("_エラー一覧.xlsx"),
                                    QStringLiteral("Excel ブック (*.xlsx)")});
        if (path.isEmpty())
            return;
        try {
            WaitCursor wait;
            StudentImport::subWriteProblemRows(m_table, m_mapping, m_preview, path);
        } catch (const std::exception&) {
            MsgBox(QStringLiteral("エラー一覧を保存できませんでした。") + kBr + QDir::toNativeSeparators(path), MsgButtons::Ok,
                   MsgIcon::Warning);
            return;
        }
        MsgBox(QStringLiteral("エラー一覧を保存しました。直してからもう一度取り込んでください。") + kBr
                   + QDir::toNativeSeparators(path),
               MsgButtons::Ok, MsgIcon::Information);
    });
}

void frm生徒取込::cmdEnd_Click()
{
    QDialog::reject();
}
