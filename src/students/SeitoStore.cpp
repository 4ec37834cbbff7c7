#include "SeitoStore.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Enrolment.h"
#include "MainCommon.h"
#include "RowWrite.h"
#include "SchoolYear.h"
#include "UiServices.h"

#include <QDateTime>

#include <algorithm>

#include <array>

namespace {
const QString kTable = QStringLiteral("生徒台帳");
const QString kKeyColumn = QStringLiteral("生徒番号");

const std::array<std::pair<const char*, QString Seito::*>, 13> kTexts = {{{"氏名カナ", &Seito::kana},
                                                                          {"生徒氏名", &Seito::name},
                                                                          {"電話", &Seito::phone},
                                                                          {"郵便番号", &Seito::postal},
                                                                          {"住所", &Seito::address},
                                                                          {"携帯電話", &Seito::mobile},
                                                                          {"備考", &Seito::remarks},
                                                                          {"手動学年", &Seito::manualGrade},
                                                                          {"保護者氏名", &Seito::guardianName},
                                                                          {"続柄", &Seito::relation},
                                                                          {"保護者電話", &Seito::guardianPhone},
                                                                          {"保護者メール", &Seito::guardianMail},
                                                                          {"退塾理由", &Seito::leaveReason}}};
const std::array<std::pair<const char*, QDate Seito::*>, 3> kDates = {
    {{"入塾日", &Seito::entry}, {"生年月日", &Seito::birth}, {"状態日付", &Seito::stateDate}}};
const std::array<std::pair<const char*, int Seito::*>, 3> kNumbers = {
    {{"学年補正", &Seito::gradeCorrection}, {"手動学年度", &Seito::manualYear}, {"在籍状態", &Seito::state}}};
const QString kSex = QStringLiteral("性別");
const QString kSchool = QStringLiteral("所属校ID");

// On the student's row, or on none (noMatch).
Recordset openRow(int no)
{
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.seek(QStringLiteral("="), no);
    return rs;
}

int columnOf(const Recordset& rs, const QString& name)
{
    if (const std::optional<int> index = rs.fieldIndex(name))
        return *index;
    throw DaoError(QStringLiteral("このコレクションには項目 '%1' がありません").arg(name));
}

// Where each of the student's columns is in a recordset, looked up once: a list
// of thousands of students would otherwise search the columns by name for every value.
struct RowLayout {
    int key, sex, school, version;
    std::array<int, kTexts.size()> texts;
    std::array<int, kDates.size()> dates;
    std::array<int, kNumbers.size()> numbers;

    explicit RowLayout(const Recordset& rs)
        : key(columnOf(rs, kKeyColumn)), sex(columnOf(rs, kSex)), school(columnOf(rs, kSchool)),
          version(columnOf(rs, kVersionColumn))
    {
        for (std::size_t i = 0; i < kTexts.size(); ++i)
            texts[i] = columnOf(rs, QString::fromUtf8(kTexts[i].first));
        for (std::size_t i = 0; i < kDates.size(); ++i)
            dates[i] = columnOf(rs, QString::fromUtf8(kDates[i].first));
        for (std::size_t i = 0; i < kNumbers.size(); ++i)
            numbers[i] = columnOf(rs, QString::fromUtf8(kNumbers[i].first));
    }

    Seito fromRow(const Recordset& rs) const
    {
        Seito s;
        s.no = funcToLong(rs.field(key));
        for (std::size_t i = 0; i < kTexts.size(); ++i)
            s.*kTexts[i].second = funcToString(rs.field(texts[i]));
        for (std::size_t i = 0; i < kDates.size(); ++i)
            s.*kDates[i].second = funcTextDate(funcToString(rs.field(dates[i])));
        for (std::size_t i = 0; i < kNumbers.size(); ++i)
            s.*kNumbers[i].second = funcToLong(rs.field(numbers[i]));
        s.sex = funcToLong(rs.field(sex));
        s.schoolID = funcToLong(rs.field(school));
        s.version = rs.field(version).toLongLong();
        return s;
    }
};

// The columns a window edits, with the student's values in the same order; the
// school only when one was chosen.
QStringList editedColumns(const Seito& s)
{
    QStringList columns;
    for (const auto& [column, member] : kTexts)
        columns << QString::fromUtf8(column);
    for (const auto& [column, member] : kDates)
        columns << QString::fromUtf8(column);
    for (const auto& [column, member] : kNumbers)
        columns << QString::fromUtf8(column);
    columns << kSex;
    if (s.schoolID)
        columns << kSchool;
    return columns;
}

QVariantList editedValues(const Seito& s, const Seito& chosen)
{
    QVariantList values;
    for (const auto& [column, member] : kTexts)
        values << s.*member;
    for (const auto& [column, member] : kDates)
        values << funcDateText(s.*member);
    for (const auto& [column, member] : kNumbers)
        values << s.*member;
    values << s.sex;
    if (chosen.schoolID)
        values << s.schoolID.value_or(0);
    return values;
}

bool editChanges(const Seito& s, const Seito& before)
{
    const WriteOutcome outcome = funcWriteChanges(
        gDatabase, {kTable, QStringLiteral("生徒番号 = ? AND 削除フラグ = 0"), {s.no}, before.version},
        funcColumnChanges(editedColumns(s), editedValues(before, s), editedValues(s, s)),
        {{QStringLiteral("更新日時"), funcDateTimeText(QDateTime::currentDateTime())}}, [&](const TheirValues&) {
            return MsgBox(QStringLiteral("他のパソコンで ") + before.name + QStringLiteral(" さんの生徒情報が変更されています。上書きしますか？"),
                          MsgButtons::YesNo, MsgIcon::Question, kTitle)
                == MsgAnswer::Yes;
        });
    return outcome.result == WriteOutcome::Stored;
}
// The student's values into the row being added or edited, with the time of the change, and stored.
// True when stored (an edited row may have been deleted on another PC meanwhile).
bool writeRow(Recordset& rs, const Seito& s)
{
    rs.setField(kKeyColumn, s.no);
    for (const auto& [column, member] : kTexts)
        rs.setField(QString::fromUtf8(column), s.*member);
    for (const auto& [column, member] : kDates)
        rs.setField(QString::fromUtf8(column), funcDateText(s.*member));
    for (const auto& [column, member] : kNumbers)
        rs.setField(QString::fromUtf8(column), s.*member);
    if (s.schoolID)
        rs.setField(kSchool, *s.schoolID);
    rs.setField(kSex, s.sex);
    rs.setField(QStringLiteral("更新日時"), funcDateTimeText(QDateTime::currentDateTime()));
    return rs.update();
}
} // namespace

namespace SeitoStore {

std::optional<int> funcGrade(const Seito& s, int schoolYear)
{
    return SchoolYear::funcStudentGrade({s.birth, s.gradeCorrection, s.manualGrade, s.manualYear}, schoolYear);
}

std::optional<int> funcGradeOfRow(const Recordset& rs, int schoolYear)
{
    return SchoolYear::funcStudentGrade({funcTextDate(funcToString(rs.field(QStringLiteral("生年月日")))),
                                         funcToLong(rs.field(QStringLiteral("学年補正"))),
                                         funcToString(rs.field(QStringLiteral("手動学年"))),
                                         funcToLong(rs.field(QStringLiteral("手動学年度")))},
                                        schoolYear);
}

QString funcStateNameOfRow(const Recordset& rs)
{
    return Enrolment::funcStateName(funcToLong(rs.field(QStringLiteral("在籍状態"))));
}

std::optional<Seito> load(int no)
{
    Recordset rs = openRow(no);
    if (rs.noMatch())
        return std::nullopt;
    Seito s = RowLayout(rs).fromRow(rs);
    rs.close();
    return s;
}

std::vector<Seito> loadMany(const QList<int>& numbers)
{
    std::vector<Seito> found;
    if (numbers.isEmpty())
        return found;
    QStringList list;
    for (int no : numbers)
        list << QString::number(no);
    Recordset rs = gDatabase.openRecordset(QStringLiteral(" SELECT * FROM 生徒台帳 WHERE 削除フラグ = 0 AND 生徒番号 IN (")
                                               + list.join(u',') + QStringLiteral(") ORDER BY 生徒番号"),
                                           dbOpenDynaset, dbReadOnly);
    const RowLayout layout(rs);
    for (; !rs.eof(); rs.moveNext())
        found.push_back(layout.fromRow(rs));
    return found;
}

bool exists(int no)
{
    return funcGetCount(kTable, kKeyColumn, QStringLiteral(" WHERE 生徒番号 = ") + QString::number(no)) > 0;
}

int nextNo()
{
    return funcGetMaxID(kTable, kKeyColumn) + 1;
}

bool save(const Seito& s, Syori mode, const Seito* asRead)
{
    if (mode == Syori::Edit) {
        // A student deleted meanwhile (the row stays, marked) takes no edit.
        if (funcGetCount(kTable, kKeyColumn, QStringLiteral(" WHERE 削除フラグ = 0 AND 生徒番号 = ") + QString::number(s.no)) == 0)
            return false;
        return editChanges(s, asRead ? *asRead : load(s.no).value_or(s));
    }
    Recordset rs = openRow(s.no);
    rs.addNew();
    const bool stored = writeRow(rs, s);
    rs.close();
    return stored;
}

QList<int> addAll(const std::vector<Seito>& students)
{
    QList<int> numbers;
    Recordset rs = gDatabase.openRecordset(kTable, dbOpenTable);
    for (Seito s : students) {
        s.no = nextNo();
        rs.addNew();
        writeRow(rs, s);   // a new row is always stored
        numbers << s.no;
    }
    rs.close();
    return numbers;
}

void remove(const QList<int>& nos)
{
    Transaction transaction;
    for (int no : nos)
        gDatabase.execute(QStringLiteral(" UPDATE 生徒台帳 SET 削除フラグ = 1, 更新回数 = 更新回数 + 1 WHERE 生徒番号 = ") + QString::number(no));
    transaction.commit();
}

} // namespace SeitoStore

bool funcIsMailAddress(const QString& mail)
{
    const qsizetype at = mail.indexOf(u'@');
    return mail.count(u'@') == 1 && at > 0 && at < mail.size() - 1
        && std::none_of(mail.begin(), mail.end(), [](QChar c) { return c.isSpace(); });
}
