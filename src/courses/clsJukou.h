// One attendance row in memory: a student in a lesson and the marks given.
// The lesson is found either by the ID it was tied to (setPropKouzaID before
// Check毎講座ID, with propFixedKouza) or, without one, by its date and the
// names of its grade, class, subject, period, classroom and instructor.
#pragma once

#include "JukouStore.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QVariant>

#include <vector>

class clsJukou {
public:
    int propStuNo() const { return m_stuNo; }
    void setPropStuNo(int value) { m_stuNo = value; }
    QString propStuName() const { return m_stuName; }
    void setPropStuName(const QString& value) { m_stuName = value; }
    int propKouzaID() const { return m_kouzaID; }
    void setPropKouzaID(int value) { m_kouzaID = value; }
    QString propKouzaName() const { return m_kouzaName; }
    void setPropKouzaName(const QString& value) { m_kouzaName = value; }
    QDate propKouzaDate() const { return m_kouzaDate; }
    void setPropKouzaDate(const QDate& value) { m_kouzaDate = value; }
    QString propGakunenName() const { return m_gakunenName; }
    void setPropGakunenName(const QString& value) { m_gakunenName = value; }
    QString propClassName() const { return m_className; }
    void setPropClassName(const QString& value) { m_className = value; }
    QString propKamokuName() const { return m_kamokuName; }
    void setPropKamokuName(const QString& value) { m_kamokuName = value; }
    QString propJigenName() const { return m_jigenName; }
    void setPropJigenName(const QString& value) { m_jigenName = value; }
    QString propKyositsuName() const { return m_kyositsuName; }
    void setPropKyositsuName(const QString& value) { m_kyositsuName = value; }
    QString propKoushiName() const { return m_koushiName; }
    void setPropKoushiName(const QString& value) { m_koushiName = value; }

    // True: propKouzaID names the lesson and the date and names are not used to find it.
    bool propFixedKouza() const { return m_fixed; }
    void setPropFixedKouza(bool value) { m_fixed = value; }

    int propJukou() const { return m_jukou; }
    int propAttendance() const { return m_attendance; }
    void setPropAttendance(int value) { m_attendance = value; }
    void setPropManner(int value) { m_manner = value; }
    int propItem1() const { return m_item[0]; }
    void setPropItem1(int value) { m_item[0] = value; }
    int propItem2() const { return m_item[1]; }
    void setPropItem2(int value) { m_item[1] = value; }
    int propItem3() const { return m_item[2]; }
    void setPropItem3(int value) { m_item[2] = value; }
    int propItem4() const { return m_item[3]; }
    void setPropItem4(int value) { m_item[3] = value; }
    // Mark n (1 to 4) of the evaluation items.
    int propItem(int n) const { return m_item[n - 1]; }
    void setPropItem(int n, int value) { m_item[n - 1] = value; }
    QString propComment() const { return m_comment; }
    void setPropComment(const QString& value) { m_comment = value; }
    int propHomework() const { return m_homework; }
    void setPropHomework(int value) { m_homework = value; }

    // Finds the lesson and reads the current student's row; false when there is no such lesson.
    bool Check毎講座ID();
    // Reads the current student's row of the lesson; the number of rows found.
    int Read講座出席();
    // Writes what the user changed in the marks held into the student's row, or
    // adds the row when the student was no taker as read; 受講人数 follows in the
    // same transaction. Nothing is written when nothing changed.
    // True when something was written (a change, or a new taker).
    bool Save講座出席();
    // Removes the row the student had as read (nothing when he or she had none);
    // false when it stays (another PC changed it and the user kept it).
    bool Del講座出席();
    // True when the row held records something: attendance, homework, a mark or a comment.
    bool funcRecorded() const;

    // The students with a row in the lesson, found as Read講座出席 finds them
    // one by one, in one statement.
    QSet<int> funcJukouStudents();

private:
    JukouRow funcHeld() const;
    QString funcLessonCondition(bool withStudent) const;
    std::vector<QVariant> funcLessonValues() const;
    QString funcRowSql() const;

    int m_stuNo = 0;
    QString m_stuName;
    int m_kouzaID = 0;
    QString m_kouzaName;
    QDate m_kouzaDate;
    QString m_gakunenName, m_className, m_kamokuName, m_jigenName, m_kyositsuName, m_koushiName;
    bool m_fixed = false;
    int m_jukou = 0;
    int m_attendance = 0;
    int m_manner = 0;
    int m_item[4] = {0, 0, 0, 0};
    QString m_comment;
    int m_homework = 0;
    JukouRow m_read;   // the student's row as read (with its 更新回数)
};
