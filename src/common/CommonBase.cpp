#include "CommonBase.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
QString& appPathOverride()
{
    static QString path;
    return path;
}

QString& chosenAppPath()
{
    static QString path;
    return path;
}

bool isLeadByteValue(unsigned char b)
{
    return (b >= 0x7F && b <= 0x9F) || b >= 0xE0;
}
} // namespace

int funcToLong(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    bool ok = false;
    double d = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return value.toInt();
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Long:
        d = value.toDouble(&ok);
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        d = value.toDouble(&ok);
        break;
    default:
        d = funcHalfWidthDigits(value.toString()).trimmed().toDouble(&ok);
        break;
    }
    if (!ok || !std::isfinite(d))
        return 0;
    // Banker's rounding, as the usual numeric conversion does.
    const double r = std::nearbyint(d);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(r);
}

QString funcHalfWidthDigits(const QString& text)
{
    // Most texts are plain ASCII already; they are given back without a copy.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() < 0x80; }))
        return text;
    QString result = text;
    for (QChar& ch : result) {
        const char16_t u = ch.unicode();
        if (u >= u'０' && u <= u'９')
            ch = QChar(u - u'０' + u'0');
        else if (u == u'－' || u == u'−')
            ch = QLatin1Char('-');
        else if (u == u'．')
            ch = QLatin1Char('.');
        else if (u == u'，')
            ch = QLatin1Char(',');
        else if (u == u'　')
            ch = QLatin1Char(' ');
    }
    return result;
}

QString funcHalfWidthKana(const QString& kana)
{
    // Built from the half-width letters themselves: the compatibility form of
    // "ｶﾞ" is "ガ", so every full-width letter finds its half-width spelling.
    static const QHash<QChar, QString> table = [] {
        QHash<QChar, QString> t;
        for (char16_t c = 0xFF66; c <= 0xFF9D; ++c) {
            const QString base(QChar{c});
            t.insert(base.normalized(QString::NormalizationForm_KC).at(0), base);
            for (char16_t mark : {char16_t(0xFF9E), char16_t(0xFF9F)}) {
                const QString marked = base + QChar{mark};
                const QString full = marked.normalized(QString::NormalizationForm_KC);
                if (full.size() == 1)
                    t.insert(full.at(0), marked);
            }
        }
        t.insert(QChar(0x30FC), QString(QChar(0xFF70)));  // ー
        t.insert(QChar(0x3000), QStringLiteral(" "));
        // The reading's key filter has no small letters, so readings are written
        // with large ones ("ｼﾖｳﾀ"), as the office types them.
        const QString small = QStringLiteral("ァィゥェォャュョッ");
        const QString large = QStringLiteral("ｱｲｳｴｵﾔﾕﾖﾂ");
        for (int i = 0; i < small.size(); ++i)
            t.insert(small[i], QString(large[i]));
        return t;
    }();
    QString out;
    out.reserve(kana.size() + 4);
    for (QChar c : kana) {
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(c.unicode() + 0x60);  // hiragana -> katakana
        const auto found = table.constFind(c);
        out += found == table.constEnd() ? QString(c) : *found;
    }
    return out;
}

QString funcToString(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return funcDateText(value.toDate());
    case QMetaType::QDateTime:
        return funcDateTimeText(value.toDateTime());
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

QString funcAppPath()
{
    QString path = !appPathOverride().isEmpty() ? appPathOverride()
                 : !chosenAppPath().isEmpty()   ? chosenAppPath()
                                                : QCoreApplication::applicationDirPath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

void setAppPathForTests(const QString& folder)
{
    appPathOverride() = folder;
}

void setAppPath(const QString& folder)
{
    chosenAppPath() = folder;
}

QString funcShareFolder(const QString& executableFolder)
{
    return QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(KAEDE_SHARE_FROM_BIN))) + QLatin1Char('/');
}

QString funcProgramFile(const QString& name)
{
    const QString own = funcAppPath() + name;
    if (QFileInfo::exists(own))
        return own;
    const QString shipped = funcShareFolder(QCoreApplication::applicationDirPath()) + name;
    return QFileInfo::exists(shipped) ? shipped : own;
}

bool funcFileExists(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void subCopyWholeFile(const QString& from, const QString& to, bool privateFile)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("%1 を読めません: %2").arg(from, in.errorString()).toStdString());
    QSaveFile out(to);
    // Writing straight into the target would leave half a file when the copy breaks off.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()).toStdString());
    // Set before any byte is written; a file system without rights (a USB stick) ignores it.
    if (privateFile)
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            throw std::runtime_error(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()).toStdString());
        }
    }
    if (in.error() != QFile::NoError) {
        out.cancelWriting();
        throw std::runtime_error(QStringLiteral("%1 を読めません: %2").arg(from, in.errorString()).toStdString());
    }
    if (!out.commit())
        throw std::runtime_error(QStringLiteral("%1 に書き込めません: %2").arg(to, out.errorString()).toStdString());
}

bool funcFolderExists(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

// Making a converter costs more than converting a line, so each thread keeps one.
QByteArray funcToSjis(const QString& text)
{
    thread_local QStringEncoder encoder("Shift_JIS");
    if (!encoder.isValid())
        return text.toLocal8Bit();
    encoder.resetState();
    return encoder.encode(text);
}

QString funcFromSjis(const QByteArray& bytes)
{
    thread_local QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes);
    decoder.resetState();
    return decoder.decode(bytes);
}

namespace {
// Bytes of one character in Shift-JIS: ASCII and half-width kana take one, every
// other character two. A character Shift-JIS cannot hold (an emoji) is counted
// as two and kept, so that it is shown rather than turned into a question mark.
int sjisWidth(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F))
        return 1;
    if (cp > 0xFFFF)
        return 2;
    return funcToSjis(QString(QChar(static_cast<char16_t>(cp)))).size() == 1 ? 1 : 2;
}
} // namespace

int funcByteLen(const QString& text)
{
    int bytes = 0;
    for (char32_t cp : text.toUcs4())
        bytes += sjisWidth(cp);
    return bytes;
}

namespace {
bool leadByteAt(const QByteArray& bytes, int bytePos)
{
    bool lead = false;
    const int last = (bytePos <= 0 || bytePos > bytes.size()) ? static_cast<int>(bytes.size()) : bytePos;
    for (int i = 0; i < last; ++i) {
        if (lead)
            lead = false;
        else
            lead = isLeadByteValue(static_cast<unsigned char>(bytes[i]));
    }
    return lead;
}
} // namespace

bool funcIsLeadByte(const QString& text, int bytePos)
{
    return leadByteAt(funcToSjis(text), bytePos);
}

QString funcPadByte(const QString& text, int width)
{
    if (width <= 0)
        return {};
    // Whole characters only: one that would not fit in full is left out.
    QString result;
    int used = 0;
    for (char32_t cp : text.toUcs4()) {
        const int w = sjisWidth(cp);
        if (used + w > width)
            break;
        result += QString::fromUcs4(&cp, 1);
        used += w;
    }
    if (used < width)
        result += QString(width - used, QLatin1Char(' '));
    return result;
}

int funcKeyAscii(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80)
        return u;
    // Half-width katakana U+FF61..U+FF9F are the single bytes 0xA1..0xDF.
    if (u >= 0xFF61 && u <= 0xFF9F)
        return u - 0xFF61 + 0xA1;
    // Any other character is a double-byte code; it only has to be none of the allowed ones.
    return 0x8000 | (u & 0x7FFF);
}

void subKeyFilter(short kind, short& keyAscii)
{
    const int k = keyAscii & 0xFFFF;
    bool allowed = false;
    switch (kind) {
    case 1:
        allowed = (k >= '0' && k <= '9') || k == 8;
        break;
    case 2:
        allowed = (k >= 177 && k <= 223) || k == 32 || k == 8;
        break;
    default:
        allowed = true;
        break;
    }
    if (!allowed)
        keyAscii = 0;
}

QString funcKeyFilterText(short kind, const QString& text)
{
    const QString converted = kind == 1 ? funcHalfWidthDigits(text) : kind == 2 ? funcHalfWidthKana(text) : text;
    QString kept;
    kept.reserve(converted.size());
    for (QChar ch : converted) {
        short code = static_cast<short>(funcKeyAscii(ch));
        subKeyFilter(kind, code);
        if (code != 0)
            kept += ch;
    }
    return kept;
}

QString funcSqlQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString funcDateText(const QDate& date)
{
    // Reports write thousands of dates; the locale's formatter is slow for them.
    if (!date.isValid())
        return {};
    if (date.year() < 1000 || date.year() > 9999)
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    return QStringLiteral("%1/%2/%3")
        .arg(date.year())
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString funcDateTimeText(const QDateTime& dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) : QString();
}

QDate funcTextDate(const QString& text)
{
    const QString t = text.trimmed().left(10);
    // The stored form "yyyy/MM/dd" is read by hand: reports read thousands of
    // dates, and the general parser is slow for them.
    const auto digits = [&](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype k = from; k < from + count; ++k) {
            if (t[k] < u'0' || t[k] > u'9')
                return -1;
            value = value * 10 + (t[k].unicode() - u'0');
        }
        return value;
    };
    if (t.size() == 10 && t[4] == u'/' && t[7] == u'/') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return QDate(y, m, d);   // invalid when the day does not exist, as the parser says
    }
    QDate d = QDate::fromString(t, QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("yyyy/M/d"));
    return d;
}
