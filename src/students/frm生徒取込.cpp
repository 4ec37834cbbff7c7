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
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using ImportSource::TextEncoding;
using StudentImport::Field;
using StudentImport::RowState;

namespace {
const QString kBr = QStringLiteral("\r\n");
const QString kHelp = QStringLiteral(
    "ファイルの各行を確認してください。「取り込む」の行だけが登録されます。重複の行は、チェックを付けると追加で登録します。"
    "エラーの行は「エラー一覧を保存」で理由付きのExcelファイルにでき、直してからもう一度取り込めます。");
// Long files show a progress bar that can be cancelled.
constexpr int kProgressRows = 1000;

enum RowColumn { ColLine, ColState, ColName, ColKana, ColBirth, ColPhone, ColReason };
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
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Cp932})
        cboEncoding->addItem(ImportSource::encodingName(e), static_cast<int>(e));
    for (QComboBox* box : {cboSheet, cboEncoding})
        subComboWheelGuard(box);
    connect(cboSheet, &QComboBox::activated, this, [this](int index) { funcLoad(index, m_table.encoding); });
    connect(cboEncoding, &QComboBox::activated, this,
            [this](int index) { funcLoad(m_table.sheet, static_cast<TextEncoding>(cboEncoding->itemData(index).toInt())); });

    lvColumns = named<QTreeWidget>(this, QStringLiteral("lvColumns"));
    lvColumns->setRootIsDecorated(false);
    lvColumns->setHeaderLabels({QStringLiteral("ファイルの見出し"), QStringLiteral("取り込み先"), QStringLiteral("1行目の値")});
    lvColumns->setSelectionMode(QAbstractItemView::NoSelection);

    lvRows = named<QTreeWidget>(this, QStringLiteral("lvRows"));
    lvRows->setRootIsDecorated(false);
    lvRows->setUniformRowHeights(true);
    lvRows->setAlternatingRowColors(true);
    lvRows->setHeaderLabels({QStringLiteral("行"), QStringLiteral("状態"), QStringLiteral("生徒氏名"), QStringLiteral("氏名カナ"),
                             QStringLiteral("生年月日"), QStringLiteral("電話"), QStringLiteral("理由")});
    connect(lvRows, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) { lvRows_ItemChanged(item, column); });

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
        ImportSource::SourceTable table;
        try {
            WaitCursor wait;
            table = StudentImport::funcRead(m_path, sheet, encoding);
        } catch (const ImportSource::SourceError& e) {
            MsgBox(e.message(), MsgButtons::Ok, MsgIcon::Warning);
            subShowSource();   // the choice shown goes back to what is read
            return false;
        }
        m_table = std::move(table);
        m_mapping = StudentImport::defaultMapping(m_table.header);
        if (!StudentImport::mapsNames(m_mapping))
            MsgBox(QStringLiteral("「生徒氏名」と「氏名カナ」の列が見つかりません。") + kBr
                       + QStringLiteral("取り込み先の欄で、どの列が生徒氏名・氏名カナかを選んでください。"),
                   MsgButtons::Ok, MsgIcon::Information);
        subShowSource();
        subShowColumns();
        lvRows->setFocus();
        return funcAnalyze();
    });
}

bool frm生徒取込::funcAnalyze()
{
    const int total = static_cast<int>(m_table.rows.size());
    std::optional<QProgressDialog> progress;
    if (total > kProgressRows) {
        progress.emplace(QStringLiteral("ファイルの行を確認しています..."), QStringLiteral("中止"), 0, total, this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
    }
    WaitCursor wait;
    auto preview = StudentImport::funcPreview(m_table, m_mapping, [&](int done, int) {
        if (!progress)
            return true;
        progress->setValue(done);
        return !progress->wasCanceled();
    });
    if (!preview)
        return false;
    m_preview = std::move(*preview);
    subShowRows();
    return true;
}

void frm生徒取込::subShowSource()
{
    cboSheet->clear();
    cboSheet->addItems(m_table.sheets);
    cboSheet->setCurrentIndex(m_table.sheet);
    cboSheet->setEnabled(m_table.workbook);
    cboEncoding->setCurrentIndex(cboEncoding->findData(static_cast<int>(m_table.encoding)));
    cboEncoding->setEnabled(!m_table.workbook);
}

void frm生徒取込::subShowColumns()
{
    lvColumns->clear();
    for (int c = 0; c < m_table.header.size(); ++c) {
        const QString example = m_table.rows.empty() ? QString() : m_table.rows.front().at(static_cast<std::size_t>(c)).text;
        auto* item = new QTreeWidgetItem(lvColumns, {m_table.header[c], {}, example});
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
        m_mapping[static_cast<std::size_t>(column)] = static_cast<Field>(box->itemData(index).toInt());
        funcAnalyze();
    });
}

void frm生徒取込::subShowRows()
{
    m_showing = true;
    lvRows->setUpdatesEnabled(false);
    lvRows->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_preview.rows.size()));
    for (std::size_t i = 0; i < m_preview.rows.size(); ++i) {
        const StudentImport::PreviewRow& row = m_preview.rows[i];
        QStringList reasons;
        for (const StudentImport::Problem& p : row.problems)
            reasons << StudentImport::funcProblemLine(p);
        if (!row.newSchool.isEmpty())
            reasons << QStringLiteral("所属校「%1」はマスタ学校にありません").arg(row.newSchool);
        auto* item = new QTreeWidgetItem({QString::number(row.line), StudentImport::stateCaption(row.state()), row.seito.name,
                                          row.seito.kana, funcDateText(row.seito.birth), row.seito.phone,
                                          reasons.join(QStringLiteral(" ／ "))});
        item->setData(ColLine, Qt::UserRole, static_cast<int>(i));
        item->setToolTip(ColReason, reasons.join(QLatin1Char('\n')));
        if (row.found == RowState::Duplicate)
            item->setCheckState(ColState, row.addAnyway ? Qt::Checked : Qt::Unchecked);
        if (row.found == RowState::Error)
            item->setForeground(ColState, Theme::warning);
        items << item;
    }
    lvRows->addTopLevelItems(items);
    lvRows->header()->resizeSections(QHeaderView::ResizeToContents);
    lvRows->setUpdatesEnabled(true);
    m_showing = false;

    lblSchools->setVisible(!m_preview.newSchools.isEmpty());
    chkAddSchools->setVisible(!m_preview.newSchools.isEmpty());
    lblSchools->setText(QStringLiteral("マスタ学校にない学校: ") + m_preview.newSchools.join(QStringLiteral("、"))
                        + QStringLiteral("（追加しないときは所属校なしで登録します）"));
    subShowCounts();
}

void frm生徒取込::subShowCounts()
{
    lblCount->setText(QStringLiteral("取り込む %1件　重複 %2件　エラー %3件")
                          .arg(m_preview.count(RowState::Take))
                          .arg(m_preview.count(RowState::Duplicate))
                          .arg(m_preview.count(RowState::Error)));
    cmdImport->setEnabled(m_preview.count(RowState::Take) > 0);
    cmdErrors->setEnabled(m_preview.count(RowState::Take) < static_cast<int>(m_preview.rows.size()));
}

void frm生徒取込::lvRows_ItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_showing || column != ColState)
        return;
    StudentImport::PreviewRow& row = m_preview.rows[static_cast<std::size_t>(item->data(ColLine, Qt::UserRole).toInt())];
    if (row.found != RowState::Duplicate)
        return;
    row.addAnyway = item->checkState(ColState) == Qt::Checked;
    m_showing = true;
    item->setText(ColState, StudentImport::stateCaption(row.state()));
    m_showing = false;
    subShowCounts();
}

void frm生徒取込::cmdImport_Click()
{
    guarded(QStringLiteral("frm生徒取込 - cmdImport_Click"), [&] {
        const int taking = m_preview.count(RowState::Take);
        if (taking == 0)
            return;
        const int left = static_cast<int>(m_preview.rows.size()) - taking;
        QString question = QStringLiteral("%1 人の生徒を取り込みます。").arg(taking);
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
