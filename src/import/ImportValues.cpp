#include "ImportValues.h"

#include "CommonBase.h"

#include <QRegularExpression>

#include <array>
#include <cmath>

namespace ImportValues {

namespace {

using ImportSource::SourceCell;

template <typename T> Read<T> failed(const QString& why)
{
    return Read<T>{std::nullopt, why};
}

struct Era {
    const char16_t* name;
    char16_t letter;
    int firstYear;   // the era's year 1 (元年)
    QDate start;
};
const std::array<Era, 5> kEras{{
    {u"令和", u'R', 2019, QDate(2019, 5, 1)},
    {u"平成", u'H', 1989, QDate(1989, 1, 8)},
    {u"昭和", u'S', 1926, QDate(1926, 12, 25)},
    {u"大正", u'T', 1912, QDate(1912, 7, 30)},
    {u"明治", u'M', 1868, QDate(1868, 1, 25)},
}};

// Excel counts days from 1899/12/30 (its 1900/2/29 that never was lies before any
// birthday), or from 1904/1/1 in a workbook set to the 1904 date system.
QDate fromSerial(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < 1 || serial > 2958465)
        return {};
    return (date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30)).addDays(static_cast<qint64>(std::floor(serial)));
}

const Era* eraOf(const QString& name)
{
    for (const Era& era : kEras)
        if (name == QString::fromUtf16(era.name) || (name.size() == 1 && name[0].toUpper() == QChar(era.letter)))
            return &era;
    return nullptr;
}

QString digitsOnlyOf(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.isDigit())
            out += c;
    return out;
}

// Signs that offices type for a hyphen in numbers.
QString numberText(const QString& raw)
{
    QString t = folded(raw);
    for (QChar& c : t)
        if (c == u'ー' || c == u'‐' || c == u'―' || c == u'–' || c == u'—' || c == u'ｰ' || c == u'−')
            c = QLatin1Char('-');
    return t;
}

} // namespace

QString folded(const QString& text)
{
    // NFKC also turns half-width katakana full-width, which no caller here compares.
    return funcHalfWidthDigits(text.normalized(QString::NormalizationForm_KC)).trimmed();
}

Read<QDate> date(const SourceCell& cell)
{
    if (cell.number) {
        // A year typed alone is a number cell too; as a serial it would be a day of 1905.
        const double n = *cell.number;
        if (n == std::floor(n) && n >= 1000 && n <= 9999)
            return failed<QDate>(QStringLiteral("年だけでは日付として読めません"));
        const QDate d = fromSerial(n, cell.date1904);
        if (!d.isValid())
            return failed<QDate>(QStringLiteral("日付として読めません"));
        return {d, {}};
    }
    const QString t = folded(cell.text);
    if (t.isEmpty())
        return {};
    static const QRegularExpression western(
        QStringLiteral("^(\\d{4})\\s*(?:[/\\-.]|年)\\s*(\\d{1,2})\\s*(?:[/\\-.]|月)\\s*(\\d{1,2})\\s*日?(?:\\s+\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    static const QRegularExpression japanese(
        QStringLiteral("^(令和|平成|昭和|大正|明治|[RHSTMrhstm])\\s*(\\d{1,2}|元)\\s*(?:[/\\-.]|年)\\s*(\\d{1,2})\\s*(?:[/\\-.]|月)\\s*(\\d{1,2})\\s*日?$"));
    int year = 0, month = 0, day = 0;
    if (const auto m = western.match(t); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    } else if (const auto m = japanese.match(t); m.hasMatch()) {
        const Era* era = eraOf(m.captured(1));
        const int n = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        if (era == nullptr || n < 1)
            return failed<QDate>(QStringLiteral("日付として読めません"));
        const QDate d(era->firstYear + n - 1, m.captured(3).toInt(), m.captured(4).toInt());
        if (!d.isValid())
            return failed<QDate>(QStringLiteral("存在しない日付です"));
        // 昭和64年1月8日 is 平成元年: an era's dates end where the next one starts.
        const QDate end = era == kEras.data() ? QDate() : (era - 1)->start;
        if (d < era->start || (end.isValid() && d >= end))
            return failed<QDate>(QStringLiteral("%1は%2から%3までです")
                                     .arg(QString::fromUtf16(era->name), funcDateText(era->start),
                                          end.isValid() ? funcDateText(end.addDays(-1)) : QString()));
        return {d, {}};
    } else {
        return failed<QDate>(QStringLiteral("日付として読めません（例: 2015/4/1、平成27年4月1日、R7.4.1）"));
    }
    const QDate d(year, month, day);
    if (!d.isValid())
        return failed<QDate>(QStringLiteral("存在しない日付です"));
    return {d, {}};
}

Read<QString> phone(const SourceCell& cell, int maxLength)
{
    if (cell.number)
        return failed<QString>(QStringLiteral("数値のセルのため先頭の0が消えています。セルを文字列にして入力し直してください"));
    // Hyphens, brackets and blanks only group the digits, which are all the student window keeps.
    QString digits = numberText(cell.text);
    static const QRegularExpression grouping(QStringLiteral("[\\-() ]"));   // compiled once: read for every row
    digits.remove(grouping);
    if (digits.isEmpty())
        return {};
    if (funcKeyFilterText(1, digits) != digits)
        return failed<QString>(QStringLiteral("数字とハイフン以外の文字があります"));
    if (digits.size() > maxLength)
        return failed<QString>(QStringLiteral("%1文字を超えています").arg(maxLength));
    return {digits, {}};
}

Read<QString> postcode(const SourceCell& cell, int maxLength)
{
    if (cell.number) {
        // 1000001 lost nothing; 600001 was 060-0001.
        const QString digits = cell.text;
        if (digits.size() == 7 && digitsOnlyOf(digits) == digits)
            return {digits, {}};
        return failed<QString>(QStringLiteral("数値のセルのため先頭の0が消えています。セルを文字列にして入力し直してください"));
    }
    QString t = cell.text.trimmed();
    if (t.startsWith(u'〒'))
        t.remove(0, 1);
    return phone(SourceCell{t, std::nullopt}, maxLength);
}

Read<QString> reading(const SourceCell& cell, int maxLength)
{
    // Blanks of either width between the names are the one half-width blank the window takes.
    const QString t = funcHalfWidthKana(cell.text.trimmed()).replace(QChar(0x3000), QLatin1Char(' '));
    if (t.isEmpty())
        return {};
    // What the student window's reading box would swallow is refused here, named.
    const QString kept = funcKeyFilterText(2, t);
    if (kept != t) {
        QString refused;
        for (QChar c : t)
            if (funcKeyFilterText(2, QString(c)).isEmpty() && !refused.contains(c))
                refused += c;
        return failed<QString>(QStringLiteral("氏名カナに使えない文字があります（%1）").arg(refused));
    }
    if (t.size() > maxLength)
        return failed<QString>(QStringLiteral("%1文字を超えています").arg(maxLength));
    return {t, {}};
}

Read<int> sex(const SourceCell& cell)
{
    const QString t = folded(cell.text).toUpper();
    if (t.isEmpty())
        return {};
    if (t == QStringLiteral("男") || t == QStringLiteral("男性") || t == QStringLiteral("M"))
        return {1, {}};
    if (t == QStringLiteral("女") || t == QStringLiteral("女性") || t == QStringLiteral("F"))
        return {2, {}};
    return failed<int>(QStringLiteral("男・女のどちらかを入れてください"));
}

Read<QString> text(const SourceCell& cell, int maxLength)
{
    const QString t = cell.text.trimmed();
    if (t.isEmpty())
        return {};
    if (t.size() > maxLength)
        return failed<QString>(QStringLiteral("%1文字を超えています").arg(maxLength));
    return {t, {}};
}

} // namespace ImportValues
