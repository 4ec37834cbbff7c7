// The preview of a student import: every row of the office's file with its
// state (取り込む, 重複, エラー, 更新), every value it stores (those it changes
// marked) and reasons, the columns' mapping the user may change, and 「取り込む」,
// which stores exactly the rows counted as 取り込む and 更新.
#pragma once

#include "ImportSource.h"
#include "StudentImport.h"

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frm生徒取込 : public QDialog {
public:
    explicit frm生徒取込(QWidget* parent = nullptr);

    // Asks for a file and shows its preview; true when students were stored.
    static bool funcRun(QWidget* parent);
    // Reads the file and previews it; false (the user has been told why) when it cannot.
    bool funcOpen(const QString& path);

    bool propOK() const { return m_ok; }
    // The numbers the stored students were given.
    const QList<int>& propNumbers() const { return m_numbers; }

    void cmdImport_Click();
    void cmdErrors_Click();
    void cmdEnd_Click();
    void reject() override { cmdEnd_Click(); }

private:
    void buildControls();
    bool funcLoad(int sheet, ImportSource::TextEncoding encoding);
    // The rows checked under a mapping, built aside; nullopt when the user cancelled.
    std::optional<StudentImport::Preview> funcCheckRows(const ImportSource::SourceTable& table,
                                                        const std::vector<StudentImport::Field>& mapping);
    void subShowSource();
    void subShowColumns();
    void subShowRows();
    void subShowCounts();
    void cboMapping_Change(int column, int index);
    void cboChoice_Change(std::size_t row, StudentImport::Choice choice);

    QLabel* lblFile = nullptr;
    QComboBox* cboSheet = nullptr;
    QComboBox* cboEncoding = nullptr;
    QTreeWidget* lvColumns = nullptr;
    QTreeWidget* lvRows = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblSchools = nullptr;
    QCheckBox* chkAddSchools = nullptr;
    QPushButton* cmdErrors = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;

    QString m_path;
    ImportSource::SourceTable m_table;
    std::vector<StudentImport::Field> m_mapping;
    StudentImport::Preview m_preview;
    bool m_ok = false;
    QList<int> m_numbers;
};
