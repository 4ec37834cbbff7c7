// The attendance rows of one lesson taken together: the class register reads
// and stores them as a whole, and a lesson takes over the students of its
// class's previous lesson. A single row is clsJukou's; both write a row alike.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>
#include <utility>

class Recordset;

// One taker of a lesson and the marks given (a row of 講座出席).
struct JukouRow {
    int stuNo = 0;
    QString stuName;
    int attendance = 0;          // Attendance: 1 出席, 2 欠席(連絡あり), 0 欠席(連絡なし)
    int homework = 0;            // 宿題: 1 提出, 0 未提出
    std::array<int, 4> items{};  // 項目1 ... 項目4: 1 to 5, 0 未評価
    QString comment;
    qint64 version = 0;          // 更新回数 as read
    bool makeup = false;         // takes the lesson as a make-up (振替)

    bool operator==(const JukouRow&) const = default;
};

// The row of a student not yet a taker: nothing recorded.
inline JukouRow funcBlankJukouRow(int stuNo, const QString& stuName)
{
    JukouRow row;
    row.stuNo = stuNo;
    row.stuName = stuName;
    return row;
}

// The characters a comment on a student holds (the column's width).
inline constexpr int kJukouCommentMax = 255;

namespace JukouStore {
// The marks of a row with the columns they are stored in, in the order of
// writing, ending with 更新日時 (today, no time of day).
std::array<std::pair<QString, QVariant>, 9> funcRowValues(int attendance, int homework, const std::array<int, 4>& items,
                                                          const QString& comment);

// The lesson as one line ("2026/04/08(水) 2限 中2 数学 B's 佐藤 102"); nullopt when it is not stored.
std::optional<QString> caption(int kouzaID);
// The takers of the lesson (students not deleted), ordered by 氏名カナ.
QList<JukouRow> takers(int kouzaID);
// The marked columns of a row, in the order of funcMarkValues.
const QStringList& funcMarkColumns();
QVariantList funcMarkValues(const JukouRow& row);

// After a row's marks were written, within the transaction: the make-up credit
// its attendance earns, gives back or uses up (before: as read, nullopt for a new taker).
void funcNoteAttendance(int kouzaID, int stuNo, std::optional<int> before);

// Asks whether to overwrite what another PC stored meanwhile for the student.
bool funcAskOverwrite(const QString& stuName);

// Stores what the user changed in the rows (each compared with the row as read,
// stored[i] for rows[i]), all of them or, after a fault, none. A row another PC
// changed meanwhile keeps that PC's changes to other marks; where it changed the
// same marks the user is asked (いいえ keeps that PC's marks; read the takers
// again to show them). A row removed meanwhile is stored again. False, with
// nothing stored, when the lesson is no longer stored.
bool save(int kouzaID, const QList<JukouRow>& stored, const QList<JukouRow>& rows);

// Within a transaction: true when the lesson is stored, and then no other PC can
// delete it until the transaction ends (its attendance rows cannot outlive it).
bool funcHoldLesson(int kouzaID);
// Makes the student a taker with the row's marks; false when another PC made him
// or her one meanwhile (that row is left as it is).
bool funcAddTaker(int kouzaID, const JukouRow& row);

// The lessons of the same class (学年, 科目, 講座クラス) on the latest date before
// this one's on which the class had takers.
QList<int> previousLessons(int kouzaID);
// The regular class the lesson was planned for, when it still exists.
std::optional<int> funcRegularClass(int kouzaID);
// Makes the members of the lesson's regular class on its day, or else the students
// of the previous lessons, takers of this one, but for those deleted since and
// those taking it already, in one transaction; the number added, nullopt when
// there is neither a regular class nor an earlier lesson with takers.
std::optional<int> addPreviousTakers(int kouzaID);
// Writes the lesson's 受講人数 from its takers as stored, counted by the
// database within the caller's transaction (never a window's count).
void storeTakerCount(int kouzaID);
// The comments given in the class's latest lessons, the most used first.
QStringList classComments(int kouzaID);
} // namespace JukouStore
