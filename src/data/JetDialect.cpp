#include "JetDialect.h"

#include <QRegularExpression>

#include <vector>

namespace {
bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

QString translateLikePattern(const QString& body)
{
    QString out;
    out.reserve(body.size() + 8);
    for (QChar c : body) {
        switch (c.unicode()) {
        case '*': out += QLatin1Char('%'); break;
        case '?': out += QLatin1Char('_'); break;
        case '%': out += QLatin1String("\\%"); break;
        case '_': out += QLatin1String("\\_"); break;
        case '\\': out += QLatin1String("\\\\"); break;
        default: out += c; break;
        }
    }
    return out;
}

QString normaliseDate(const QString& inner)
{
    const QString t = inner.trimmed();
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?$"));
    const auto m = re.match(t);
    if (!m.hasMatch())
        return t;
    QString out = QStringLiteral("%1/%2/%3").arg(m.captured(1)).arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0')).arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'));
    if (!m.captured(4).isEmpty())
        out += QStringLiteral(" %1:%2:%3").arg(m.captured(4).toInt(), 2, 10, QLatin1Char('0')).arg(m.captured(5).toInt(), 2, 10, QLatin1Char('0')).arg(m.captured(6).toInt(), 2, 10, QLatin1Char('0'));
    return out;
}
} // namespace

namespace {
enum class Target { Sqlite, Postgres };

// Words of the server's identifiers: ASCII letters, digits, _ and $, and every
// character beyond ASCII (as the server reads them).
bool isServerWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 0x80 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '$';
}

bool hasNonAscii(QStringView word)
{
    for (QChar c : word)
        if (c.unicode() >= 0x80)
            return true;
    return false;
}

QString quotedName(QStringView name)
{
    QString q = name.toString();
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// Where each term of an ORDER BY ends, the place of Null is added (server only).
// One level per pair of parentheses, so the ORDER BY of a subquery is its own.
class OrderTerms {
public:
    explicit OrderTerms(bool active) : m_active(active), m_levels(1) {}

    void word(QStringView w, QString& out)
    {
        if (!m_active)
            return;
        Level& l = m_levels.back();
        const bool by = m_afterOrder && w.compare(QLatin1String("by"), Qt::CaseInsensitive) == 0;
        m_afterOrder = w.compare(QLatin1String("order"), Qt::CaseInsensitive) == 0;
        if (by) {
            l = Level{};
            l.inOrder = true;
            return;
        }
        if (!l.inOrder)
            return;
        static const char* const enders[] = {"limit", "offset", "fetch", "for", "union", "except", "intersect"};
        for (const char* e : enders) {
            if (w.compare(QLatin1String(e), Qt::CaseInsensitive) == 0) {
                endTerm(out);
                l.inOrder = false;
                return;
            }
        }
        if (w.compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0)
            l.desc = true;
        else if (w.compare(QLatin1String("nulls"), Qt::CaseInsensitive) == 0)
            l.hasNulls = true;
        else if (w.compare(QLatin1String("asc"), Qt::CaseInsensitive) != 0)
            l.content = true;
    }
    // Any other token: a literal, an operator, a number.
    void other(QChar c, QString& out)
    {
        if (!m_active || c.isSpace())
            return;
        m_afterOrder = false;
        Level& l = m_levels.back();
        if (c == QLatin1Char('(')) {
            l.content = true;
            m_levels.push_back(Level{});
        } else if (c == QLatin1Char(')')) {
            endTerm(out);
            if (m_levels.size() > 1)
                m_levels.pop_back();
        } else if (c == QLatin1Char(',')) {
            endTerm(out);
        } else if (c == QLatin1Char(';')) {
            endTerm(out);
            l.inOrder = false;
        } else {
            l.content = true;
        }
    }
    void finish(QString& out)
    {
        if (!m_active)
            return;
        while (m_levels.size() > 1) {
            endTerm(out);
            m_levels.pop_back();
        }
        endTerm(out);
    }

private:
    struct Level {
        bool inOrder = false;
        bool content = false;
        bool desc = false;
        bool hasNulls = false;
    };
    void endTerm(QString& out)
    {
        Level& l = m_levels.back();
        if (l.inOrder && l.content && !l.hasNulls) {
            qsizetype k = out.size();
            while (k > 0 && out[k - 1].isSpace())
                --k;
            out.insert(k, l.desc ? QLatin1String(" NULLS LAST") : QLatin1String(" NULLS FIRST"));
        }
        l.content = l.desc = l.hasNulls = false;
    }
    bool m_active;
    bool m_afterOrder = false;
    std::vector<Level> m_levels;
};

QString translate(const QString& jetSql, Target target)
{
    const bool server = target == Target::Postgres;
    const auto wordChar = [server](QChar c) { return server ? isServerWordChar(c) : isWordChar(c); };
    QString out;
    out.reserve(jetSql.size() + 16);
    const qsizetype n = jetSql.size();
    bool afterLike = false;  // the last word outside a literal was Like
    int parameter = 0;
    OrderTerms order(server);
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jetSql[i];
        if (c == QLatin1Char('\'')) {
            // A literal runs to the next lone quote; '' is a quote inside it.
            qsizetype j = i + 1;
            QString body;
            while (j < n) {
                if (jetSql[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && jetSql[j + 1] == QLatin1Char('\'')) {
                        body += QLatin1String("''");
                        j += 2;
                        continue;
                    }
                    break;
                }
                body += jetSql[j];
                ++j;
            }
            order.other(c, out);
            if (afterLike) {
                out += QLatin1Char('\'') + translateLikePattern(body) + QLatin1String("' ESCAPE '\\'");
            } else {
                out += QLatin1Char('\'') + body + QLatin1Char('\'');
            }
            afterLike = false;
            i = (j < n) ? j + 1 : j;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && jetSql[i + 1] == QLatin1Char('-')) {
            // A comment runs to the end of its line; a quote in it starts no literal.
            qsizetype j = jetSql.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            out += QStringView(jetSql).mid(i, j - i);
            i = j;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const qsizetype close = jetSql.indexOf(QLatin1Char('#'), i + 1);
            if (close > i) {
                order.other(c, out);
                out += QLatin1Char('\'') + normaliseDate(jetSql.mid(i + 1, close - i - 1)) + QLatin1Char('\'');
                i = close + 1;
                afterLike = false;
                continue;
            }
        }
        if (server && (c == QLatin1Char('"') || c == QLatin1Char('['))) {
            // A name quoted already, or in brackets, is one quoted name.
            const QChar closing = c == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
            const qsizetype close = jetSql.indexOf(closing, i + 1);
            if (close > i) {
                order.word(QStringView(jetSql).mid(i + 1, close - i - 1), out);
                out += quotedName(QStringView(jetSql).mid(i + 1, close - i - 1));
                i = close + 1;
                afterLike = false;
                continue;
            }
        }
        if (c == QLatin1Char('?') && (server || afterLike)) {
            order.other(c, out);
            out += server ? QLatin1Char('$') + QString::number(++parameter) : QStringLiteral("?");
            // A bound pattern (funcLikeValue) escapes as a literal one does.
            if (afterLike)
                out += QLatin1String(" ESCAPE '\\'");
            afterLike = false;
            ++i;
            continue;
        }
        if (wordChar(c) && (i == 0 || !wordChar(jetSql[i - 1]))) {
            qsizetype j = i;
            while (j < n && wordChar(jetSql[j]))
                ++j;
            const QStringView word = QStringView(jetSql).mid(i, j - i);
            afterLike = word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0;
            order.word(word, out);
            if (server && afterLike)
                out += QLatin1String("ILIKE");
            else if (server && hasNonAscii(word))
                out += quotedName(word);
            else
                out += word;
            i = j;
            continue;
        }
        if (!c.isSpace())
            afterLike = false;
        order.other(c, out);
        out += c;
        ++i;
    }
    order.finish(out);
    return out;
}
} // namespace

QString funcJetToSqlite(const QString& jetSql)
{
    return translate(jetSql, Target::Sqlite);
}

QString funcJetToPostgres(const QString& jetSql)
{
    return translate(jetSql, Target::Postgres);
}

QString funcLikeValue(const QString& jetPattern)
{
    return translateLikePattern(jetPattern);
}

QString funcCompactIdChain(const QString& sql)
{
    static const QRegularExpression where(QStringLiteral("\\sWHERE\\s"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral("\\sORDER\\s+BY\\s"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression joiner(QStringLiteral("\\sOR\\s"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression term(QStringLiteral("^\\s*([^\\s=()'\"#]+)\\s*=\\s*(-?\\d+)\\s*$"));

    const QRegularExpressionMatch w = where.match(sql);
    if (!w.hasMatch())
        return sql;
    const qsizetype condStart = w.capturedEnd();
    const QRegularExpressionMatch o = orderBy.match(sql, condStart);
    const qsizetype condEnd = o.hasMatch() ? o.capturedStart() : sql.size();
    const QStringList terms = sql.mid(condStart, condEnd - condStart).split(joiner);
    if (terms.size() < 2)
        return sql;

    QString column;
    QStringList ids;
    ids.reserve(terms.size());
    for (const QString& t : terms) {
        const QRegularExpressionMatch m = term.match(t);
        if (!m.hasMatch())
            return sql;
        if (column.isEmpty())
            column = m.captured(1);
        else if (m.captured(1).compare(column, Qt::CaseInsensitive) != 0)
            return sql;
        ids << m.captured(2);
    }
    return sql.left(condStart) + QLatin1Char(' ') + column + QStringLiteral(" IN (") + ids.join(QLatin1Char(','))
           + QLatin1Char(')') + sql.mid(condEnd);
}
