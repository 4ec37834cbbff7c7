#include "ConditionBuilder.h"

#include "CommonBase.h"

#include <QComboBox>

QString funcWhereAndOf(const QString& where)
{
    return where + (where.toUpper().contains(QStringLiteral(" WHERE ")) ? QStringLiteral(" AND ") : QStringLiteral(" WHERE "));
}

void ConditionBuilder::add(const QString& sqlFragment, const QString& captionFragment)
{
    m_where = funcWhereAndOf(m_where) + sqlFragment;
    m_caption += captionFragment;
}

void ConditionBuilder::add(const QString& sqlFragment, const QVariant& value, const QString& captionFragment)
{
    add(sqlFragment, captionFragment);
    m_values.push_back(value);
}

void ConditionBuilder::addCombo(const QComboBox* box, const QString& sqlFragment, const QString& captionFragment)
{
    if (!box || box->currentIndex() <= 0)
        return;
    add(sqlFragment + QString::number(funcToLong(box->currentData())), captionFragment + box->currentText());
}

void ConditionBuilder::clear()
{
    m_where.clear();
    m_values.clear();
    m_caption.clear();
}
