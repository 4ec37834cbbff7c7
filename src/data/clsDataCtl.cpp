#include "clsDataCtl.h"

#include "CommonBase.h"
#include "ErrorLog.h"
#include "UiServices.h"

bool clsDataCtl::funcOpenRec(const QString& sql, int options)
{
    return funcOpenRec(sql, {}, options);
}

bool clsDataCtl::funcOpenRec(const QString& sql, const std::vector<QVariant>& values, int options)
{
    try {
        Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, values, options);
        rs.moveLast();
        const int count = rs.recordCount();
        rs.moveFirst();
        if (count > 0) {
            m_fieldNames = rs.fieldNames();
            for (int i = 0; i < m_fieldNames.size(); ++i) {
                m_exactIndex.insert(m_fieldNames[i], i);
                m_columnIndex.insert(m_fieldNames[i].toCaseFolded(), i);
            }
            m_values = rs.takeValues();
        }
        m_count = count;
        rs.close();
        return true;
    } catch (const DataReplaced&) {
        subDataReplaced();
    } catch (const ServerUnavailable& e) {
        subServerUnavailable(e, QStringLiteral("clsDataCtl - funcOpenRec"));
        return false;
    } catch (const std::exception& e) {
        MsgBox(QString::fromStdString(e.what()) + QStringLiteral("\r\n情報取得に失敗しました"));
        return false;
    }
}

QString clsDataCtl::propData(const QString& column) const
{
    // Callers nearly always spell the column as the result does; folding the case is the slow path.
    int position = m_exactIndex.value(column, -1);
    if (position < 0)
        position = m_columnIndex.value(column.toCaseFolded(), -1);
    if (position < 0) {
        MsgBox(QStringLiteral("このコレクションには項目 '%1' がありません。").arg(column));
        return {};
    }
    return propDataAt(position);
}

QString clsDataCtl::propDataAt(int position) const
{
    if (position < 0 || position >= m_fieldNames.size()) {
        MsgBox(QStringLiteral("このコレクションには項目 '%1' がありません。").arg(position));
        return {};
    }
    if (m_current < 0 || m_current >= m_count) {
        MsgBox(QStringLiteral("インデックスが有効範囲にありません。(レコード %1)").arg(m_current));
        return {};
    }
    return funcToString(m_values.at(static_cast<qsizetype>(m_current) * m_fieldNames.size() + position));
}
