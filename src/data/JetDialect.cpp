#include "JetDialect.h"

#include <QRegularExpression>

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

QString funcJetToSqlite(const QString& jetSql)
{
    QString out;
    out.reserve(jetSql.size() + 16);
    const qsizetype n = jetSql.size();
    bool afterLike = false;  // the last word outside a literal was Like
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
            if (afterLike) {
                out += QLatin1Char('\'') + translateLikePattern(body) + QLatin1String("' ESCAPE '\\'");
            } else {
                out += QLatin1Char('\'') + body + QLatin1Char('\'');
            }
            afterLike = false;
            i = (j < n) ? j + 1 : j;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const qsizetype close = jetSql.indexOf(QLatin1Char('#'), i + 1);
            if (close > i) {
                out += QLatin1Char('\'') + normaliseDate(jetSql.mid(i + 1, close - i - 1)) + QLatin1Char('\'');
                i = close + 1;
                afterLike = false;
                continue;
            }
        }
        if (isWordChar(c) && (i == 0 || !isWordChar(jetSql[i - 1]))) {
            qsizetype j = i;
            while (j < n && isWordChar(jetSql[j]))
                ++j;
            const QStringView word = QStringView(jetSql).mid(i, j - i);
            afterLike = word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0;
            out += word;
            i = j;
            continue;
        }
        if (!c.isSpace())
            afterLike = false;
        out += c;
        ++i;
    }
    return out;
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
