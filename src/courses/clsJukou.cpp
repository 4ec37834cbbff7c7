#include "clsJukou.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "JukouStore.h"
#include "Makeup.h"
#include "RowWrite.h"
#include "clsDataCtl.h"

#include <algorithm>
#include <array>

// The lesson by its date and names, as the lesson queries show them; with the
// student when one is given. The names are the office's own texts: they are bound
// (funcLessonValues), never part of the statement.
QString clsJukou::funcLessonCondition(bool withStudent) const
{
    return QStringLiteral("WHERE (講座日 = #") + funcDateText(m_kouzaDate) + QStringLiteral("#) ")
        + (withStudent ? QStringLiteral("AND (生徒番号 = ") + QString::number(m_stuNo) + QStringLiteral(") ") : QString())
        + QStringLiteral("AND (学年名 = ?) AND (講座クラス名 = ?) AND (科目名 = ?) AND (時限名 = ?) AND (教室名 = ?) AND (講師名 = ?)");
}

std::vector<QVariant> clsJukou::funcLessonValues() const
{
    return {m_gakunenName, m_className, m_kamokuName, m_jigenName, m_kyositsuName, m_koushiName};
}

// The student's row of the lesson as an updatable selection of 講座出席.
QString clsJukou::funcRowSql() const
{
    return QStringLiteral("SELECT 講座出席.* FROM 講座出席 ") + QStringLiteral("WHERE (講座出席.毎講座ID = ")
        + QString::number(m_kouzaID) + QStringLiteral(") ") + QStringLiteral("AND (講座出席.生徒番号 = ")
        + QString::number(m_stuNo) + QStringLiteral(");");
}

bool clsJukou::Check毎講座ID()
{
    return guarded(QStringLiteral("clsJukou - Check毎講座ID"), [&] {
        clsDataCtl data;
        if (m_fixed) {
            data.funcOpenRec(QStringLiteral("SELECT 毎講座ID FROM 毎講座履歴 WHERE 毎講座ID = ") + QString::number(m_kouzaID)
                             + QStringLiteral(";"));
        } else {
            data.funcOpenRec(QStringLiteral("SELECT 毎講座ID FROM ") + QStringLiteral("QRY_講座内容") + QStringLiteral(" ")
                                 + funcLessonCondition(false) + QStringLiteral(" ORDER BY 毎講座ID;"),
                             funcLessonValues());
        }
        if (data.propCount() == 0)
            return false;
        // Lessons alike in date and names: the last one found is used.
        for (int row = 0; row < data.propCount(); ++row) {
            data.setPropID(row);
            m_kouzaID = funcToLong(data.propData(QStringLiteral("毎講座ID")));
            Read講座出席();
        }
        return true;
    });
}

int clsJukou::Read講座出席()
{
    return guarded(QStringLiteral("clsJukou - Read講座出席"), [&] {
        clsDataCtl data;
        if (m_fixed) {
            data.funcOpenRec(QStringLiteral("SELECT * FROM 講座出席 WHERE (毎講座ID = ") + QString::number(m_kouzaID)
                             + QStringLiteral(") AND (生徒番号 = ") + QString::number(m_stuNo) + QStringLiteral(");"));
        } else {
            data.funcOpenRec(QStringLiteral("SELECT * FROM ") + QStringLiteral("QRY_講座出席出力") + QStringLiteral(" ")
                                 + funcLessonCondition(true) + QStringLiteral(" ORDER BY 毎講座ID;"),
                             funcLessonValues());
        }
        if (data.propCount() == 0) {
            m_jukou = 0;
            m_attendance = 0;
            for (int& item : m_item)
                item = 0;
            m_homework = 0;
            m_comment.clear();
            m_read = funcHeld();
            return 0;
        }
        qint64 version = 0;
        for (int row = 0; row < data.propCount(); ++row) {
            data.setPropID(row);
            m_jukou = 1;
            m_attendance = funcToLong(data.propData(QStringLiteral("出席フラグ")));
            m_item[3] = funcToLong(data.propData(QStringLiteral("項目4")));
            m_item[0] = funcToLong(data.propData(QStringLiteral("項目1")));
            m_item[1] = funcToLong(data.propData(QStringLiteral("項目2")));
            m_item[2] = funcToLong(data.propData(QStringLiteral("項目3")));
            m_comment = data.propData(QStringLiteral("コメント"));
            m_homework = funcToLong(data.propData(QStringLiteral("宿題")));
            if (m_fixed) {
                version = data.propData(QStringLiteral("更新回数")).toLongLong();
                m_attendance = Makeup::funcAttendance(m_attendance, funcToLong(data.propData(QStringLiteral("欠席連絡"))));
            } else
                m_kouzaID = funcToLong(data.propData(QStringLiteral("毎講座ID")));
        }
        // The lesson queries do not show 更新回数: read from the row itself.
        if (!m_fixed) {
            clsDataCtl row;
            row.funcOpenRec(QStringLiteral("SELECT 更新回数, 欠席連絡 FROM 講座出席 WHERE 毎講座ID = ") + QString::number(m_kouzaID)
                            + QStringLiteral(" AND 生徒番号 = ") + QString::number(m_stuNo));
            version = row.propCount() > 0 ? row.propDataAt(0).toLongLong() : 0;
            if (row.propCount() > 0)
                m_attendance = Makeup::funcAttendance(m_attendance, funcToLong(row.propData(QStringLiteral("欠席連絡"))));
        }
        m_read = funcHeld();
        m_read.version = version;
        return data.propCount();
    });
}

JukouRow clsJukou::funcHeld() const
{
    JukouRow row;
    row.stuNo = m_stuNo;
    row.stuName = m_stuName;
    row.attendance = m_attendance;
    row.homework = m_homework;
    std::copy(std::begin(m_item), std::end(m_item), row.items.begin());
    row.comment = m_comment;
    return row;
}

bool clsJukou::Save講座出席()
{
    return guarded(QStringLiteral("clsJukou - Save講座出席"), [&] {
        const JukouRow held = funcHeld();
        const JukouRow before = m_jukou != 0 ? m_read : funcBlankJukouRow(m_stuNo, m_stuName);
        QList<ColumnChange> changes =
            funcColumnChanges(JukouStore::funcMarkColumns(), JukouStore::funcMarkValues(before), JukouStore::funcMarkValues(held));
        if (m_jukou != 0 && changes.isEmpty())
            return false;   // shown, not changed: browsing writes nothing
        Transaction transaction;
        // A lesson deleted meanwhile gets no rows.
        if (!JukouStore::funcHoldLesson(m_kouzaID))
            return false;
        bool takersChanged = false;
        if (m_jukou == 0 && JukouStore::funcAddTaker(m_kouzaID, held)) {
            takersChanged = true;
        } else {
            // A student ticked on another PC meanwhile has a row of its own: -1 matches
            // no 更新回数, so the marks are compared with what that PC stored.
            const qint64 version = m_jukou != 0 ? m_read.version : -1;
            const WriteOutcome outcome = funcWriteChanges(
                gDatabase, {QStringLiteral("講座出席"), QStringLiteral("毎講座ID = ? AND 生徒番号 = ?"), {m_kouzaID, m_stuNo}, version},
                changes, {{QStringLiteral("更新日時"), funcDateText(QDate::currentDate())}},
                [&](const TheirValues&) { return JukouStore::funcAskOverwrite(m_stuName); });
            // Unticked on another PC meanwhile: what this window shows is stored again, not lost.
            if (outcome.result == WriteOutcome::Gone && !changes.isEmpty())
                takersChanged = JukouStore::funcAddTaker(m_kouzaID, held);
        }
        if (held.attendance != before.attendance)
            JukouStore::funcNoteAttendance(m_kouzaID, m_stuNo, m_jukou != 0 ? std::optional<int>(before.attendance) : std::nullopt);
        if (takersChanged)
            JukouStore::storeTakerCount(m_kouzaID);
        transaction.commit();
        Read講座出席();
        return true;
    });
}

bool clsJukou::Del講座出席()
{
    return guarded(QStringLiteral("clsJukou - Del講座出席"), [&] {
        if (m_jukou == 0)
            return true;   // no taker as read: nothing of this window's to remove
        Transaction transaction;
        Makeup::funcTakerRemoved(m_kouzaID, m_stuNo);
        const bool removed = funcDeleteRow(
            gDatabase, {QStringLiteral("講座出席"), QStringLiteral("毎講座ID = ? AND 生徒番号 = ?"), {m_kouzaID, m_stuNo}, m_read.version},
            JukouStore::funcMarkColumns(), JukouStore::funcMarkValues(m_read),
            [&](const TheirValues&) { return JukouStore::funcAskOverwrite(m_stuName); });
        if (removed)
            JukouStore::storeTakerCount(m_kouzaID);
        transaction.commit();
        const bool gone = Read講座出席() == 0;
        return gone;
    });
}

QSet<int> clsJukou::funcJukouStudents()
{
    QSet<int> students;
    clsDataCtl data;
    if (m_fixed) {
        data.funcOpenRec(QStringLiteral("SELECT 生徒番号 FROM 講座出席 WHERE 毎講座ID = ") + QString::number(m_kouzaID));
    } else {
        data.funcOpenRec(QStringLiteral("SELECT 生徒番号 FROM QRY_講座出席出力 ") + funcLessonCondition(false), funcLessonValues());
    }
    for (int row = 0; row < data.propCount(); ++row) {
        data.setPropID(row);
        students.insert(funcToLong(data.propData(QStringLiteral("生徒番号"))));
    }
    return students;
}

bool clsJukou::funcRecorded() const
{
    return m_attendance != 0 || m_homework != 0 || !m_comment.isEmpty()
        || std::any_of(std::begin(m_item), std::end(m_item), [](int mark) { return mark != 0; });
}
