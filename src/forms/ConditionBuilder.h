// How a search dialog builds its result: an SQL condition beginning with " WHERE ",
// the values bound to its ?, and a readable caption of the same condition,
// appended together so the three can never disagree. The dialog exposes them as
// properties that its opener reads after exec().
#pragma once

#include <QString>
#include <QVariant>

#include <vector>

class QComboBox;

// where followed by " WHERE " when it holds no " WHERE " yet (letter case
// ignored), otherwise by " AND ".
QString funcWhereAndOf(const QString& where);

class ConditionBuilder {
public:
    // Appends the joiner and sqlFragment to the condition, captionFragment to the caption.
    void add(const QString& sqlFragment, const QString& captionFragment);
    // The same for a fragment with one ?, bound to value: typed text goes this way.
    void add(const QString& sqlFragment, const QVariant& value, const QString& captionFragment);
    // A combo box entry as "fragment + item data" and "caption + entry text"; the
    // blank first entry and no selection add nothing.
    void addCombo(const QComboBox* box, const QString& sqlFragment, const QString& captionFragment);
    void clear();

    QString where() const { return m_where; }
    const std::vector<QVariant>& values() const { return m_values; }
    QString caption() const { return m_caption; }
    // The joiner that the next condition would get, after the condition so far.
    QString funcWhereAnd() const { return funcWhereAndOf(m_where); }

private:
    QString m_where;
    std::vector<QVariant> m_values;
    QString m_caption;
};
