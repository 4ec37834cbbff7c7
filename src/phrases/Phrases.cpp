#include "Phrases.h"

#include "CommonBase.h"
#include "DaoCommon.h"

#include <QSet>

#include <algorithm>

namespace Phrases {

QStringList funcPhrases()
{
    QStringList phrases;
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 定型文名 FROM マスタ定型文 WHERE 削除フラグ = 0 ORDER BY 定型文ID"),
                                           dbOpenDynaset, dbReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const QString phrase = funcToString(rs.field(0));
        if (!phrase.trimmed().isEmpty())
            phrases << phrase;
    }
    return phrases;
}

QString funcGivenName(const QString& fullName)
{
    const QString name = fullName.trimmed();
    for (qsizetype i = 0; i < name.size(); ++i)
        if (name[i].isSpace())   // U+3000 counts as a blank too
            return name.mid(i + 1).trimmed();
    return name;
}

QString funcFill(const QString& phrase, const QString& studentName, const QString& subject)
{
    QString filled = phrase;
    filled.replace(kNameMark, funcGivenName(studentName) + QStringLiteral("さん"));
    filled.replace(kSubjectMark, subject.trimmed());
    return filled;
}

QString funcLessonSubject(int kouzaID)
{
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 科目名 FROM QRY_講座内容 WHERE 毎講座ID = ?"), dbOpenDynaset,
                                           {kouzaID}, dbReadOnly);
    return rs.eof() ? QString() : funcToString(rs.field(0));
}

namespace {
// The phrases the comments of the students on the lesson hold unchanged.
QList<qsizetype> phrasesUsed(const QStringList& phrases, int kouzaID, const QList<int>& students)
{
    QList<qsizetype> used;
    Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号, 生徒氏名, 科目名, コメント FROM QRY_講座出席出力 WHERE 毎講座ID = ?"),
                                           dbOpenDynaset, {kouzaID}, dbReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        if (!students.contains(funcToLong(rs.field(0))))
            continue;
        const QString comment = funcToString(rs.field(3));
        for (qsizetype p = 0; p < phrases.size(); ++p)
            if (!used.contains(p) && comment.contains(funcFill(phrases[p], funcToString(rs.field(1)), funcToString(rs.field(2)))))
                used << p;
    }
    std::sort(used.begin(), used.end());   // told in the master's order
    return used;
}
} // namespace

QList<Overuse> funcOverused(int kouzaID, const QList<int>& savedStudents)
{
    const QStringList phrases = funcPhrases();
    if (phrases.isEmpty() || savedStudents.isEmpty())
        return {};
    // Most saves use no phrase: the month is read only for those that do.
    const QList<qsizetype> used = phrasesUsed(phrases, kouzaID, savedStudents);
    if (used.isEmpty())
        return {};
    Recordset lesson = gDatabase.openRecordset(QStringLiteral("SELECT 講座日 FROM 毎講座履歴 WHERE 毎講座ID = ?"), dbOpenDynaset,
                                               {kouzaID}, dbReadOnly);
    const QDate day = lesson.eof() ? QDate() : funcTextDate(funcToString(lesson.field(0)));
    lesson.close();
    if (!day.isValid())
        return {};
    const QDate first(day.year(), day.month(), 1);
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 生徒番号, 生徒氏名, 科目名, コメント FROM QRY_講座出席出力"
                       " WHERE 講座日 >= ? AND 講座日 <= ? AND コメント <> ''"),
        dbOpenDynaset, {funcDateText(first), funcDateText(first.addMonths(1).addDays(-1))}, dbReadOnly);
    QList<QSet<int>> students(used.size());
    for (; !rs.eof(); rs.moveNext()) {
        const QString comment = funcToString(rs.field(3));
        for (qsizetype u = 0; u < used.size(); ++u)
            if (comment.contains(funcFill(phrases[used[u]], funcToString(rs.field(1)), funcToString(rs.field(2)))))
                students[u].insert(funcToLong(rs.field(0)));
    }
    QList<Overuse> overused;
    for (qsizetype u = 0; u < used.size(); ++u)
        if (students[u].size() > kOveruseLimit)
            overused.append({phrases[used[u]], static_cast<int>(students[u].size())});
    return overused;
}

QString funcOveruseNotice(const QList<Overuse>& overused)
{
    if (overused.isEmpty())
        return {};
    QStringList lines;
    for (const Overuse& o : overused)
        lines << QStringLiteral("・%1（%2人）").arg(o.phrase).arg(o.students);
    return QStringLiteral("次の定型文が、今月%1人を超える生徒のコメントにそのまま使われています。\r\n"
                          "保護者どうしで見比べられることがあります。言い回しを少し変えることをおすすめします。\r\n\r\n")
               .arg(kOveruseLimit)
        + lines.join(QStringLiteral("\r\n"));
}

} // namespace Phrases
