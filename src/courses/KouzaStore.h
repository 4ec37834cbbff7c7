// The lessons (rows of 毎講座履歴) as the windows, the import and the reports
// read and write them. The table's columns are known here only.
#pragma once

#include "Syori.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// One lesson. Its weekday is not held: it is written from the date.
struct Kouza {
    int id = 0;   // 毎講座ID
    QDate kouzaDate;
    int jigenID = 0;
    int gakunenID = 0;
    int kamokuID = 0;
    int classID = 0;
    int koushiID = 0;
    int kyositsuID = 0;
    int teiin = 0;
    int jukouNinzu = 0;   // counted from the takers by the store, never written from a window
    qint64 version = 0;   // 更新回数 as read
    QString tangen;
    QString naiyou;
    QString syukudai;
    QString comment;
};

// Told when a lesson to open or store is not stored (deleted on another PC meanwhile).
inline const QString kKouzaNotFound = QStringLiteral("指定された講座が見つかりません。既に削除された可能性があります。");

namespace KouzaStore {
// nullopt when no lesson has that ID (never stored, or deleted meanwhile).
std::optional<Kouza> load(int id);
bool exists(int id);
// Edit writes into the lesson kouza.id what differs between *asRead (the lesson as
// the window read it) and kouza; where another PC changed the same fields
// meanwhile the user is asked, and its other changes are kept. Add and Copy store
// it under the next ID, without takers. Returns the ID the lesson is stored under
// and leaves in *asRead the lesson as stored now; nullopt when the lesson to edit
// is no longer stored (deleted on another PC meanwhile) and nothing was written.
[[nodiscard]] std::optional<int> save(const Kouza& kouza, Syori mode, Kouza* asRead = nullptr);
// The lesson once on every date, each under its own ID: all of them or, after a fault, none.
// Shows its progress with キャンセル; empty (nothing stored) when the user pressed it.
QList<int> addRange(const Kouza& kouza, const QList<QDate>& dates);
// The lessons with their attendance rows: all of them or none.
void remove(const QList<int>& ids);
} // namespace KouzaStore
