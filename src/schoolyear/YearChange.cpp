#include "YearChange.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Enrolment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace YearChange {

namespace {
// The columns a change writes, kept as they were so that they can be put back.
const QStringList kKept{QStringLiteral("在籍状態"), QStringLiteral("状態日付"), QStringLiteral("退塾理由"),
                        QStringLiteral("更新回数"), QStringLiteral("更新日時")};

struct BeforeRow {
    int no = 0;
    QVariantList values;   // kKept as they were
    qint64 versionAfter = 0;
};

std::optional<std::vector<BeforeRow>> readBeforeImage(int fromYear)
{
    QFile file(funcBeforeImagePath(fromYear));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::vector<BeforeRow> rows;
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("rows")).toArray()) {
        const QJsonObject o = value.toObject();
        const QJsonArray before = o.value(QStringLiteral("before")).toArray();
        if (before.size() != kKept.size())
            continue;
        BeforeRow row{o.value(QStringLiteral("no")).toInt(), {}, o.value(QStringLiteral("versionAfter")).toInteger()};
        // Numbers back as whole numbers, a missing text as no value, as they were stored.
        for (const QJsonValue& v : before)
            row.values << (v.isNull() ? QVariant() : v.isDouble() ? QVariant(v.toInteger()) : QVariant(v.toString()));
        rows.push_back(row);
    }
    return rows;
}

void writeBeforeImage(int fromYear, const std::vector<BeforeRow>& rows)
{
    QJsonArray array;
    for (const BeforeRow& row : rows)
        array.append(QJsonObject{{QStringLiteral("no"), row.no},
                                 {QStringLiteral("before"), QJsonValue::fromVariant(row.values)},
                                 {QStringLiteral("versionAfter"), row.versionAfter}});
    const QString path = funcBeforeImagePath(fromYear);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("%1 を書けません").arg(path).toStdString());
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("fromYear"), fromYear}, {QStringLiteral("rows"), array}}).toJson());
    if (!file.commit())
        throw std::runtime_error(QStringLiteral("%1 を書けません").arg(path).toStdString());
}

Group groupOf(std::optional<int> now, int correction)
{
    if (now == 9 || now == 12)   // 中3, 高3
        return Group::Finishing;
    return correction != 0 ? Group::Corrected : Group::Stay;
}
} // namespace

QString funcBeforeImagePath(int fromYear)
{
    return funcAppPath() + QStringLiteral("Backup/年度更新_%1.json").arg(fromYear);
}

int funcChangingFrom(const QDate& day, const YearStart& start)
{
    const int current = SchoolYear::funcSchoolYear(day, start);
    const QDate started(current, start.month, start.day);
    // Within half a year of its start the change into the current year is meant.
    return day < started.addMonths(6) ? current - 1 : current;
}

Preview funcPreview(int fromYear)
{
    Preview preview;
    preview.fromYear = fromYear;
    const YearStart start = SchoolYear::funcYearStart();
    preview.lastDay = QDate(fromYear + 1, start.month, start.day).addDays(-1);
    preview.done = QFile::exists(funcBeforeImagePath(fromYear));
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 生徒番号, 氏名カナ, 生徒氏名, 生年月日, 学年補正, 手動学年, 手動学年度, 更新回数 FROM 生徒台帳"
                       " WHERE 削除フラグ = 0 AND")
            + Enrolment::funcTakesLessonOnSql(preview.lastDay) + QStringLiteral("ORDER BY 氏名カナ, 生徒番号"),
        dbOpenDynaset, dbReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const SchoolYear::GradeBasis basis{funcTextDate(funcToString(rs.field(3))), funcToLong(rs.field(4)),
                                           funcToString(rs.field(5)), funcToLong(rs.field(6))};
        Student s;
        s.no = funcToLong(rs.field(0));
        s.kana = funcToString(rs.field(1));
        s.name = funcToString(rs.field(2));
        s.gradeNow = SchoolYear::funcStudentGrade(basis, fromYear);
        s.gradeNext = SchoolYear::funcStudentGrade(basis, fromYear + 1);
        s.group = groupOf(s.gradeNow, basis.correction);
        s.version = rs.field(7).toLongLong();
        preview.students.push_back(s);
    }
    rs.close();
    std::stable_sort(preview.students.begin(), preview.students.end(),
                     [](const Student& a, const Student& b) { return a.group < b.group; });
    return preview;
}

Result funcCommit(const Preview& preview, const QList<int>& leaving)
{
    if (QFile::exists(funcBeforeImagePath(preview.fromYear)))
        return Result::AlreadyDone;
    const QString stamp = funcDateTimeText(QDateTime::currentDateTime());
    std::vector<BeforeRow> image;
    Transaction transaction;
    for (const Student& s : preview.students) {
        if (!leaving.contains(s.no))
            continue;
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT ") + kKept.join(u',')
                                                   + QStringLiteral(" FROM 生徒台帳 WHERE 生徒番号 = ? AND 削除フラグ = 0"),
                                               dbOpenDynaset, {s.no}, dbReadOnly);
        if (rs.eof() || rs.field(3).toLongLong() != s.version)
            return Result::ChangedMeanwhile;   // the transaction rolls back what was written
        BeforeRow row{s.no, {}, s.version + 1};
        for (int i = 0; i < kKept.size(); ++i) {
            const QVariant value = rs.field(i);
            const bool number = i == 0 || i == 3;   // 在籍状態, 更新回数
            row.values << (value.isNull() ? QVariant() : number ? QVariant(value.toLongLong()) : QVariant(funcToString(value)));
        }
        rs.close();
        const QString reason = s.group == Group::Finishing ? QStringLiteral("卒塾") : QStringLiteral("年度末退塾");
        if (gDatabase.execute(QStringLiteral("UPDATE 生徒台帳 SET 在籍状態 = 2, 状態日付 = ?, 退塾理由 = ?, 更新日時 = ?,"
                                             " 更新回数 = 更新回数 + 1 WHERE 生徒番号 = ? AND 更新回数 = ?"),
                              {funcDateText(preview.lastDay), reason, stamp, s.no, s.version})
            != 1)
            return Result::ChangedMeanwhile;
        image.push_back(row);
    }
    // Kept before the rows are committed: a change without its before-image is never stored.
    writeBeforeImage(preview.fromYear, image);
    try {
        transaction.commit();
    } catch (...) {
        QFile::remove(funcBeforeImagePath(preview.fromYear));
        throw;
    }
    return Result::Stored;
}

std::optional<QStringList> funcLaterEdits(int fromYear)
{
    const std::optional<std::vector<BeforeRow>> image = readBeforeImage(fromYear);
    if (!image)
        return std::nullopt;
    QStringList names;
    for (const BeforeRow& row : *image) {
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒氏名, 更新回数 FROM 生徒台帳 WHERE 生徒番号 = ?"),
                                               dbOpenDynaset, {row.no}, dbReadOnly);
        if (!rs.eof() && rs.field(1).toLongLong() != row.versionAfter)
            names << funcToString(rs.field(0));
        rs.close();
    }
    return names;
}

bool funcUndo(int fromYear)
{
    const std::optional<std::vector<BeforeRow>> image = readBeforeImage(fromYear);
    if (!image)
        return false;
    Transaction transaction;
    QStringList assignments;
    for (const QString& column : kKept)
        assignments << column + QStringLiteral(" = ?");
    for (const BeforeRow& row : *image) {
        std::vector<QVariant> values(row.values.begin(), row.values.end());
        values.push_back(row.no);
        gDatabase.execute(QStringLiteral("UPDATE 生徒台帳 SET ") + assignments.join(QStringLiteral(", "))
                              + QStringLiteral(" WHERE 生徒番号 = ?"),
                          values);
    }
    transaction.commit();
    // Gone once undone, so that the change can be made again.
    QFile::remove(funcBeforeImagePath(fromYear));
    return true;
}

} // namespace YearChange
