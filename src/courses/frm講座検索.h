// The lesson search dialog: conditions on grade, subject, class, instructor,
// period, classroom, weekday and a date range, read by the window that opened it
// after exec() as an SQL condition (empty or beginning " WHERE ") and a readable caption.
// It opens with the conditions of the last search started from the same kind of
// window (course list or report selection) while the program runs.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;

class frm講座検索 : public QDialog {
public:
    explicit frm講座検索(QWidget* parent = nullptr);

    // Which window searches (0 the course list, 2 the report selection): each
    // kind of window remembers its own last search.
    void setPropSyoriID(int syoriID) { m_syoriID = syoriID; }

    // Read after exec(): true when a search was started with cmdOK.
    bool propOK() const { return m_ok; }
    QString propSQL() const { return m_where; }
    QString propJyokenString() const { return m_caption; }

    // Closing the window without accepting counts as the close button.
    void reject() override;

    // What the search of this propSyoriID remembers, under ConditionMemory.
    static QString funcMemoryKey(int syoriID);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void subComboSet();
    void subClear();
    void chkDate_Click();
    bool funcCreateSQL();
    QString funcWhereAnd() const;
    void cmdOK_Click();
    void cmdEnd_Click();

    QGroupBox* fraJyoken = nullptr;
    std::array<QComboBox*, 7> cboEdit{};
    std::array<QLabel*, 7> lblItem{};
    QCheckBox* chkDate = nullptr;
    std::array<QDateEdit*, 2> DTPDate{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;

    int m_syoriID = 0;
    bool m_ok = false;
    bool m_restored = false;   // the remembered conditions are put back once, on the first showing
    QString m_where;    // condition SQL
    QString m_caption;  // condition caption
};
