// Regular classes (通常クラス): a grade, subject and class that meet on the same
// weekdays and period every week, with their members from a start date up to an
// optional end date. No widgets.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

struct TsujoClass {
    int id = 0;   // 通常クラスID
    int gakunenID = 0;
    int kamokuID = 0;
    int classID = 0;   // 講座クラスID
    QList<int> weekdays;   // 1 月 … 7 日, ascending
    int jigenID = 0;
    int koushiID = 0;
    int kyositsuID = 0;
    int teiin = 0;
    qint64 version = 0;   // 更新回数 as read
};

struct ClassMember {
    int stuNo = 0;
    QString name;
    QDate from;
    QDate to;   // invalid: no end
    bool operator==(const ClassMember&) const = default;
    bool memberOn(const QDate& day) const { return day >= from && (!to.isValid() || day <= to); }
};

// A line of the class list.
struct ClassLine {
    TsujoClass cls;
    QString caption;   // "中2 数学 A 月・木 2限"
    QString koushi;
    int members = 0;   // members today
};

namespace ClassStore {
// "月・木"
QString funcWeekdayText(const QList<int>& weekdays);
QList<int> funcWeekdays(const QString& stored);

// The classes not deleted, by grade, subject, class and period.
QList<ClassLine> lines(const QDate& today);
std::optional<TsujoClass> load(int id);
// Ordered by reading.
QList<ClassMember> members(int id);
// What stops the class from being stored (the first missing item, a member's
// dates), nullopt when it may be stored.
std::optional<QString> funcProblem(const TsujoClass& cls, const QList<ClassMember>& members);

enum class SaveResult { Stored, Declined, Gone };
// Adds (id 0) or rewrites the class with its members, in one transaction. When
// another PC saved the class since it was read the user is asked whether to
// overwrite it (Declined: nothing written); Gone when it was deleted meanwhile.
// *id receives the stored class's ID.
SaveResult save(const TsujoClass& cls, const QList<ClassMember>& members, int* id = nullptr);
void remove(int id);

// The members of the classes who take a lesson on each day asked for: members on
// the day, students not deleted and neither paused nor left before it. Read
// once for all classes; takersOn answers without the database.
class Takers {
public:
    explicit Takers(const QList<int>& classIDs);
    QList<int> on(int classID, const QDate& day) const;

private:
    struct Member {
        ClassMember member;
        int state = 0;
        QDate stateDate;
    };
    QHash<int, QList<Member>> m_members;
};
} // namespace ClassStore

inline const QString kClassChangedText =
    QStringLiteral("他のパソコンでこのクラスが変更されています。上書きしますか？");
inline const QString kClassGoneText = QStringLiteral("このクラスは他のパソコンで削除されました。");
