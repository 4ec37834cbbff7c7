// The change of school year (年度更新). Grades follow from the birth date, so the
// new year needs no grade written; what the office decides is who leaves at the
// end of the year (those finishing 中3 or 高3 above all). The preview shows every
// student with the school this year and next; the chosen ones are stored as 退塾
// on the year's last day, all in one transaction, and the rows as they were are
// kept beside the database so that 元に戻す puts them back exactly.
#pragma once

#include "SchoolYear.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace YearChange {

enum class Group {
    Stay,        // moves up a grade
    Finishing,   // 中3 → 高1 or 高3 → 既卒: offered as leaving, not chosen at first
    Corrected,   // the grade is moved by 学年補正
};

struct Student {
    int no = 0;
    QString kana;
    QString name;
    std::optional<int> gradeNow;
    std::optional<int> gradeNext;
    Group group = Group::Stay;
    qint64 version = 0;   // 更新回数 as read
};

struct Preview {
    int fromYear = 0;     // the school year that ends
    QDate lastDay;        // its last day: the day those who leave, leave on
    bool done = false;    // the change was made already: a second run changes nothing
    std::vector<Student> students;   // grouped as above, each group by reading
};

// The change the office makes about now: into the school year whose start is nearest
// to the day (in March the one to come, in April the one just begun).
int funcChangingFrom(const QDate& day, const YearStart& start);

// Every student not deleted and with the school on the year's last day.
Preview funcPreview(int fromYear);

enum class Result { Stored, AlreadyDone, ChangedMeanwhile };
// The chosen students leave on the year's last day. ChangedMeanwhile when another PC
// changed or deleted one of them since the preview: then nothing is stored.
Result funcCommit(const Preview& preview, const QList<int>& leaving);

// What 元に戻す would lose: the names of the students changed since the change
// (by this or another PC). nullopt when there is no change of that year to undo.
std::optional<QStringList> funcLaterEdits(int fromYear);
// Puts the rows back as they were before the change; edits made since to the
// same rows are lost (the caller asks first). False when there is nothing to undo.
bool funcUndo(int fromYear);

// The file that keeps the rows as they were (in Backup/ of the program folder).
QString funcBeforeImagePath(int fromYear);

} // namespace YearChange
