// Stock phrases (定型文) for the comments on students. The office keeps them in
// the master マスタ定型文; a phrase may name the student ({名前}: the given name
// with さん) and the lesson's subject ({科目}). Parents compare notes, so a phrase
// that many students of one month get word for word is pointed out when comments
// are saved.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace Phrases {

inline const QString kNameMark = QStringLiteral("{名前}");
inline const QString kSubjectMark = QStringLiteral("{科目}");
// More students than this in one month with the same phrase unchanged are pointed out.
inline constexpr int kOveruseLimit = 10;

// The phrases of the master not deleted, in the order they were added; blank ones left out.
QStringList funcPhrases();

// The given name of a full name: the part after the first blank (half- or full-width);
// the whole name when it has none.
QString funcGivenName(const QString& fullName);
// The phrase with {名前} and {科目} filled in.
QString funcFill(const QString& phrase, const QString& studentName, const QString& subject);

// The lesson's subject (科目名) as stored; "" when it has none.
QString funcLessonSubject(int kouzaID);

struct Overuse {
    QString phrase;   // as in the master
    int students = 0; // students of the month whose comments hold it unchanged
};
// The phrases that comments of more than kOveruseLimit students in the month of
// the lesson hold unchanged (as filled for each student), among those the comments
// of the given students on that lesson hold: a save that uses none of them is not
// told about the others.
QList<Overuse> funcOverused(int kouzaID, const QList<int>& savedStudents);
// The notice for the user; "" when the list is empty.
QString funcOveruseNotice(const QList<Overuse>& overused);

} // namespace Phrases
