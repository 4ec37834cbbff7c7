// The students (rows of 生徒台帳) as the windows, the import and the reports read
// and write them. The table's columns are known here only.
#pragma once

#include "Syori.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

struct Seito {
    int no = 0;   // 生徒番号
    QString kana;
    QString name;
    QString phone;
    QString postal;
    QString address;
    QString mobile;
    QString remarks;
    QDate entry;   // invalid when none is stored
    QDate birth;
    int sex = 0;   // 1 男, 2 女
    // nullopt when none was chosen: an edit keeps the stored school, an add stores none.
    std::optional<int> schoolID;
    int gradeCorrection = 0;   // 学年補正: -1, 0, +1 years
    QString manualGrade;       // 手動学年: chosen by hand when the birth date is unknown
    int manualYear = 0;        // 手動学年度: the school year it was chosen in
    QString guardianName;
    QString relation;          // 続柄
    QString guardianPhone;
    QString guardianMail;
    int state = 0;             // 在籍状態: 0 在籍, 1 休塾, 2 退塾
    QDate stateDate;           // from (休塾) or on (退塾) this day
    QString leaveReason;
    qint64 version = 0;   // 更新回数 as read
};

// A guardian's mail address: one @ with something on either side, and no blank of any width.
bool funcIsMailAddress(const QString& mail);

// The widths of the text columns, as the student detail window's boxes take them.
namespace SeitoWidth {
inline constexpr int kana = 50, name = 50, phone = 15, postal = 10, address = 255, mobile = 15, remarks = 255;
inline constexpr int guardianName = 50, relation = 10, guardianMail = 100, leaveReason = 255;
}

class Recordset;

namespace SeitoStore {
// The grade of the student in the school year; nullopt when unknown.
std::optional<int> funcGrade(const Seito& seito, int schoolYear);
// The same for a row of 生徒台帳 read by any statement that selects its columns.
std::optional<int> funcGradeOfRow(const Recordset& rs, int schoolYear);
// "在籍", "休塾" or "退塾" for a row of 生徒台帳.
QString funcStateNameOfRow(const Recordset& rs);

// Any stored student, logically deleted ones too; nullopt when there is none under the number.
std::optional<Seito> load(int no);
bool exists(int no);
// The students of those numbers not deleted, in number order.
std::vector<Seito> loadMany(const QList<int>& numbers);
// The number a new student gets.
int nextNo();
// Edit writes into the student seito.no what differs between *asRead (the student
// as the window read it) and seito; where another PC changed the same fields
// meanwhile the user is asked, and its other changes are kept. Add and Copy store
// a new row under seito.no. Either way the time of the change is stamped. False
// when the student to edit is no longer stored or was deleted (on another PC
// meanwhile): nothing was written.
[[nodiscard]] bool save(const Seito& seito, Syori mode, const Seito* asRead = nullptr);
// Stores new students under new numbers (seito.no is ignored), within the caller's
// transaction; returns the numbers in the order of the students.
QList<int> addAll(const std::vector<Seito>& students);
// Students are deleted logically, all of them or none.
void remove(const QList<int>& nos);
} // namespace SeitoStore
