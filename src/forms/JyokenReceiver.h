// How a search dialog hands its result to the window that opened it, and how
// it builds that result: an SQL condition beginning with " WHERE " and a
// readable caption of the same condition, appended together so the two texts
// can never disagree.
#pragma once

#include <QString>

class QComboBox;

// Implemented by every window a search dialog reports to.
class JyokenReceiver {
public:
    virtual ~JyokenReceiver() = default;
    virtual void setPropOK(bool ok) = 0;
    virtual void setPropJyokenString(const QString& caption) = 0;
    virtual void setPropWhere(const QString& where) = 0;
};

// where followed by " WHERE " when it holds no " WHERE " yet (letter case
// ignored), otherwise by " AND ".
QString funcWhereAndOf(const QString& where);

class ConditionBuilder {
public:
    // Appends the joiner and sqlFragment to the condition, captionFragment to the caption.
    void add(const QString& sqlFragment, const QString& captionFragment);
    // A combo box entry as "fragment + item data" and "caption + entry text"; the
    // blank first entry and no selection add nothing.
    void addCombo(const QComboBox* box, const QString& sqlFragment, const QString& captionFragment);
    void clear();

    QString where() const { return m_where; }
    QString caption() const { return m_caption; }
    // The joiner that the next condition would get, after the condition so far.
    QString funcWhereAnd() const { return funcWhereAndOf(m_where); }

private:
    QString m_where;
    QString m_caption;
};
