#include "Phrases.h"

#include "CommonBase.h"
#include "DaoCommon.h"

#include <QHash>
#include <QSet>

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

QList<Overuse> funcOverused(int kouzaID, const QList<int>& savedStudents)
{
    const QStringList phrases = funcPhrases();
    if (phrases.isEmpty() || savedStudents.isEmpty())
        return {};
    Recordset lesson = gDatabase.openRecordset(QStringLiteral("SELECT 講座日 FROM 毎講座履歴 WHERE 毎講座ID = ?"), dbOpenDynaset,
                                               {kouzaID}, dbReadOnly);
    const QDate day = lesson.eof() ? QDate() : funcTextDate(funcToString(lesson.field(0)));
    lesson.close();
    if (!day.isValid())
        return {};
    const QDate first(day.year(), day.month(), 1);
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 毎講座ID, 生徒番号, 生徒氏名, 科目名, コメント FROM QRY_講座出席出力"
                       " WHERE 講座日 >= ? AND 講座日 <= ? AND コメント <> ''"),
        dbOpenDynaset, {funcDateText(first), funcDateText(first.addMonths(1).addDays(-1))}, dbReadOnly);
    const QSet<int> saved(savedStudents.begin(), savedStudents.end());
    QList<QSet<int>> students(phrases.size());
    QList<bool> usedNow(phrases.size(), false);
    for (; !rs.eof(); rs.moveNext()) {
        const int stuNo = funcToLong(rs.field(1));
        const QString name = funcToString(rs.field(2));
        const QString subject = funcToString(rs.field(3));
        const QString comment = funcToString(rs.field(4));
        const bool justSaved = funcToLong(rs.field(0)) == kouzaID && saved.contains(stuNo);
        for (qsizetype p = 0; p < phrases.size(); ++p) {
            if (!comment.contains(funcFill(phrases[p], name, subject)))
                continue;
            students[p].insert(stuNo);
            usedNow[p] = usedNow[p] || justSaved;
        }
    }
    QList<Overuse> overused;
    for (qsizetype p = 0; p < phrases.size(); ++p)
        if (usedNow[p] && students[p].size() > kOveruseLimit)
            overused.append({phrases[p], static_cast<int>(students[p].size())});
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
