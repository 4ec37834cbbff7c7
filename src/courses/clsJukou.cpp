#include "clsJukou.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "JukouStore.h"
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
            return 0;
        }
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
        }
        return data.propCount();
    });
}

void clsJukou::Save講座出席()
{
    guarded(QStringLiteral("clsJukou - Save講座出席"), [&] {
        const auto values = JukouStore::funcRowValues(m_attendance, m_homework, {m_item[0], m_item[1], m_item[2], m_item[3]},
                                                       m_comment);
        Recordset rs = gDatabase.openRecordset(funcRowSql(), dbOpenDynaset);
        const auto addRow = [&] {
            rs.addNew();
            rs.setField(QStringLiteral("毎講座ID"), m_kouzaID);
            rs.setField(QStringLiteral("生徒番号"), m_stuNo);
        };
        const auto writeValues = [&] {
            for (const auto& [column, value] : values)
                rs.setField(column, value);
            return rs.update();
        };
        if (rs.eof()) {
            addRow();
        } else {
            // A row that already holds exactly these values today is not written
            // again: writing is what costs, and the row would stay the same.
            const bool same = std::all_of(values.begin(), values.end(), [&](const auto& value) {
                const QVariant stored = rs.field(value.first);
                return !stored.isNull() && funcToString(stored) == funcToString(value.second);
            });
            if (same)
                return;
            rs.edit();
        }
        // The row went meanwhile (another PC unticked the student): what this
        // window shows is stored as a new row, not lost.
        if (!writeValues()) {
            addRow();
            writeValues();
        }
        rs.close();
    });
}

void clsJukou::Del講座出席()
{
    guarded(QStringLiteral("clsJukou - Del講座出席"), [&] {
        Recordset rs = gDatabase.openRecordset(funcRowSql(), dbOpenDynaset);
        if (!rs.eof())
            rs.deleteRow();
        rs.close();
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
