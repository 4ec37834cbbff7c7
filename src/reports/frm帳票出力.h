// The report selection window: choose the kind of report, move the lessons or
// the students it covers into the list to print, and write it through the
// report engine. The course search narrows the lesson list (its condition is
// read after it closes); a find box over each list narrows it as the user types.
#pragma once

#include "ListWindow.h"
#include "MonthlyReport.h"
#include "SmtpSender.h"

#include <QDialog>
#include <QSet>
#include <QString>

#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class ListFind;
class QLabel;
class QLineEdit;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class frm帳票出力 : public QDialog {
public:
    explicit frm帳票出力(QWidget* parent = nullptr);

    // Report types, as indexes of opt帳票タイプ.
    enum ReportType { Nippou = 0, StudentData = 1, Monthly = 2 };

    // The statement of the last fill or, after an output request, the report statement.
    const QString& sqlText() const { return m_sql; }

    // Builds the report statement over the chosen rows into sqlText().
    bool funcCreateSQL();

private:
    void buildControls();
    void Form_Load();
    void opt帳票タイプ_Click(int index);
    void subTypeSet(int type);
    void subStudentListSet();
    void subListSet(QTreeWidget* listView, int mode);
    void subDataRead(class clsDataList& list);
    void cmdSearch_Click();
    void cmdAdd_Click(int index);
    void cmdAddAll_Click(int index);
    void cmdRemove_Click(int index);
    void cmdRemoveAll_Click(int index);
    // Copies of the rows into the list to print of that index, each row once;
    // and rows of that list out of it.
    void subAddRows(int index, const QList<class QTreeWidgetItem*>& rows);
    void subRemoveRows(int index, const QList<class QTreeWidgetItem*>& rows);
    void subRemoveEnabled(int index);
    void cmdClear_Click();
    // Adds the members today of the class chosen in cboClass to the students to print.
    void cmdClass_Click();
    void cmdOK_Click();
    void subNippouOut();
    void subStudentDataOut();
    void subMonthlyOut();
    // The monthly report of the chosen students as PDF: a file each in a chosen
    // folder, or one file; and printed as one job through the print dialog.
    void cmdPdf_Click();
    void cmdPrint_Click();
    // Each chosen student's PDF to the guardian's address, a message per family;
    // sending the same month again is asked first, and what failed can be sent again.
    void cmdMail_Click();
    void cmdMailSettings_Click();
    // The mail server to send through, the settings window or the password asked
    // for first when they are needed; nothing when the user gave up.
    std::optional<SmtpServer> funcMailServer();
    // The chosen students' month laid out in pages; nothing (the user has been
    // told why) when none is chosen or the rows could not be read.
    std::optional<monthly::Report> funcMonthlyReport();
    // True when the list to print has rows; otherwise the user is told to choose some.
    bool funcRowsChosen(const QTreeWidget* chosen, const QString& emptyFirst, const QString& emptySecond);
    void subReportOut(QTreeWidget* chosen, const QString& emptyFirst, const QString& emptySecond,
                      const QString& sheetName);
    QString funcWhereAnd() const;
    QString funcLessonListSQL() const;

    // The source and target list of a button index (1 lessons, 0 students).
    QTreeWidget* sourceList(int index) const;
    QTreeWidget* targetList(int index) const;
    // The key that identifies a row of a list of that index: the tag of a
    // lesson, the text of a student.
    static QString funcRowKey(int index, const class QTreeWidgetItem* item);
    // The keys of the rows of a target list, so each row to add is checked in
    // constant time instead of against every row already there.
    static QSet<QString> funcListKeys(int index, const QTreeWidget* target);
    // The numbers of the students in the list to print.
    QList<int> funcChosenStudents() const;
    // The names of the students to print that have no lesson in the report's rows.
    QStringList funcStudentsWithoutLessons() const;
    static bool funcListCheck(const QString& key, const QSet<QString>& keys) { return keys.contains(key); }

    std::array<QRadioButton*, 3> opt帳票タイプ{};
    QGroupBox* fra講座情報 = nullptr;
    QGroupBox* fra生徒情報 = nullptr;
    std::array<QTreeWidget*, 2> lvList{};
    std::array<QTreeWidget*, 2> lvStudent{};
    std::array<QPushButton*, 2> cmdAdd{};
    std::array<QPushButton*, 2> cmdAddAll{};
    std::array<QPushButton*, 2> cmdRemove{};
    std::array<QPushButton*, 2> cmdRemoveAll{};
    // The find boxes, in the order of the button index then source and target:
    // students 0 and 1, lessons 2 and 3.
    enum FindIndex { kStudentSource = 0, kStudentTarget = 1, kLessonSource = 2, kLessonTarget = 3 };
    std::array<QLineEdit*, 4> txtFind{};
    std::array<ListFind*, 4> m_find{};   // owned by their boxes
    std::array<ColumnSort, 2> m_lessonSort;
    std::array<ColumnSort, 2> m_studentSort;
    QWidget* fra対象月 = nullptr;   // the month of a monthly report, in place of the lessons' search row
    QDateEdit* DTP対象月 = nullptr;
    QCheckBox* chkOnePdf = nullptr;   // the PDF in one file rather than one per student
    QComboBox* cboClass = nullptr;   // the regular classes
    QPushButton* cmdClass = nullptr;
    QPushButton* cmdSearch = nullptr;
    QLabel* lblJyoken = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblMsg = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdPdf = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdEnd = nullptr;
    QPushButton* cmdMail = nullptr;
    QPushButton* cmdMailSettings = nullptr;

    int m_type = Nippou;
    QString m_queryName;
    QString m_where;
    QString m_jyokenString;
    QString m_sql;
    QString m_condition;   // the chosen rows' terms of the last report statement
};
