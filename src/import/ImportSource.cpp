#include "ImportSource.h"

#include "Workbook.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

namespace ImportSource {

namespace {

const QString kBr = QStringLiteral("\r\n");

QString megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

bool isBlank(const SourceRow& row)
{
    for (const SourceCell& cell : row)
        if (!cell.text.trimmed().isEmpty())
            return false;
    return true;
}

QStringList textsOf(const SourceRow& row)
{
    QStringList texts;
    for (const SourceCell& cell : row)
        texts << cell.text.trimmed();
    return texts;
}

// The header row becomes the header; blank rows below it are left out.
void takeRows(SourceTable& table, std::vector<SourceRow>&& all, const HeaderTest& isHeader)
{
    std::size_t headerRow = 0;
    if (isHeader) {
        const std::size_t last = std::min<std::size_t>(all.size(), kHeaderSearchRows);
        while (headerRow < last && !isHeader(textsOf(all[headerRow])))
            ++headerRow;
        if (headerRow == last)
            throw SourceError(QStringLiteral("見出しが見つかりません。") + kBr
                              + QStringLiteral("最初の%1行のどこかに「生徒氏名」「氏名カナ」などの項目名の行を入れてください。")
                                    .arg(kHeaderSearchRows));
    }
    if (all.empty() || isBlank(all[headerRow]))
        throw SourceError(QStringLiteral("1行目に見出しがありません。") + kBr
                          + QStringLiteral("1行目に「生徒氏名」「氏名カナ」などの項目名を入れてください。"));
    table.header = textsOf(all[headerRow]);
    for (std::size_t i = headerRow + 1; i < all.size(); ++i) {
        if (isBlank(all[i]))
            continue;
        if (static_cast<int>(table.rows.size()) >= kMaxRows)
            throw SourceError(QStringLiteral("行が多すぎます。一度に取り込めるのは %1 行までです。").arg(QLocale(QLocale::Japanese).toString(kMaxRows))
                              + kBr + QStringLiteral("ファイルを分けて取り込んでください。"));
        // A row may be wider than the header (the reader tells it); never narrower.
        if (all[i].size() < static_cast<std::size_t>(table.header.size()))
            all[i].resize(static_cast<std::size_t>(table.header.size()));
        table.rows.push_back(std::move(all[i]));
        table.lines.push_back(static_cast<int>(i) + 1);
    }
    if (table.rows.empty())
        throw SourceError(QStringLiteral("見出しの下に生徒の行がありません。"));
}

void readWorkbook(const QString& path, int sheetIndex, SourceTable& table, const HeaderTest& isHeader)
{
    std::unique_ptr<wb::Workbook> book;
    try {
        book = wb::Workbook::loadValues(path);
    } catch (const std::exception&) {
        throw SourceError(QStringLiteral("Excelのファイルとして読み込めませんでした。") + kBr
                          + QStringLiteral("Excelで「Excel ブック (*.xlsx)」として保存したファイルを選んでください。"));
    }
    table.workbook = true;
    table.sheets = book->sheetNames();
    if (table.sheets.isEmpty())
        throw SourceError(QStringLiteral("ファイルにシートがありません。"));
    table.sheet = std::clamp(sheetIndex, 0, static_cast<int>(table.sheets.size()) - 1);
    const wb::Sheet& sheet = book->sheetAt(table.sheet);
    const int lastCol = sheet.lastColumn();
    std::vector<SourceRow> all;
    all.reserve(static_cast<std::size_t>(sheet.lastRow()));
    for (int r = 1; r <= sheet.lastRow(); ++r) {
        SourceRow row(static_cast<std::size_t>(lastCol));
        for (int c = 1; c <= lastCol; ++c) {
            const wb::Cell* cell = sheet.cell(r, c);
            if (cell == nullptr || cell->isEmpty())
                continue;
            row[c - 1].text = sheet.text(r, c);
            if (cell->kind == wb::Cell::Kind::Number) {
                row[c - 1].number = cell->number;
                row[c - 1].date1904 = book->date1904();
            }
        }
        all.push_back(std::move(row));
    }
    // Rows formatted to the bottom of the sheet but empty are no rows of the ledger.
    while (!all.empty() && isBlank(all.back()))
        all.pop_back();
    if (all.empty())
        throw SourceError(QStringLiteral("シートは空です。") + kBr
                          + QStringLiteral("シート「%1」には何も入っていません。生徒の一覧があるシートを選んでください。")
                                .arg(table.sheets[table.sheet]));
    takeRows(table, std::move(all), isHeader);
}

void readText(const QByteArray& bytes, TextEncoding encoding, SourceTable& table, const HeaderTest& isHeader)
{
    // UTF-16 is known by its byte-order mark only; other text files hold no NUL
    // bytes, which a picture or an old binary workbook named .csv does.
    const TextEncoding detected = detectEncoding(bytes);
    const bool utf16 = detected == TextEncoding::Utf16;
    if (!utf16 && bytes.left(64 * 1024).contains('\0'))
        throw SourceError(QStringLiteral("読み込めない形式のファイルです。") + kBr
                          + QStringLiteral("Excelのファイルは「Excel ブック (*.xlsx)」「CSV (コンマ区切り)」「Unicode テキスト」の"
                                           "どれかで保存して選んでください。"));
    // The byte-order mark decides; the user's choice is for the 8-bit encodings.
    table.encoding = utf16 || encoding == TextEncoding::Auto ? detected : encoding;
    const QString text = decodeText(bytes, table.encoding);
    if (text.trimmed().isEmpty())
        throw SourceError(QStringLiteral("ファイルが空です。取り込む生徒がありません。"));
    std::vector<SourceRow> all;
    for (QStringList& record : parseCsv(text)) {
        SourceRow row;
        row.reserve(static_cast<std::size_t>(record.size()));
        for (QString& text : record)
            row.push_back(SourceCell{std::move(text), std::nullopt});
        all.push_back(std::move(row));
    }
    takeRows(table, std::move(all), isHeader);
}

} // namespace

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Cp932:
        return QStringLiteral("Shift_JIS (CP932)");
    case TextEncoding::Utf16:
        return QStringLiteral("UTF-16 (Unicode テキスト)");
    case TextEncoding::Auto:
        break;
    }
    return QStringLiteral("自動判定");
}

TextEncoding detectEncoding(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    QStringDecoder utf8(QStringDecoder::Utf8);
    // decode() converts only when its result is taken.
    const QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? TextEncoding::Cp932 : TextEncoding::Utf8;
}

QString decodeText(const QByteArray& bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf16) {
        // The byte-order mark tells the byte order and is no text.
        QStringDecoder utf16(QStringDecoder::Utf16, QStringDecoder::Flag::Stateless);
        QString text = utf16.decode(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    if (encoding == TextEncoding::Cp932) {
        // Code page 932 itself, not plain Shift_JIS: ①, Ⅲ, ㈱, 髙, 﨑 and ～ as Excel writes them.
        QStringDecoder cp932("windows-31j");
        if (cp932.isValid())
            return cp932.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

std::vector<QStringList> parseCsv(const QString& text)
{
    // The separator is the one the header line uses.
    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    const QStringView firstLine = QStringView(text).left(firstBreak < 0 ? text.size() : firstBreak);
    const QChar separator = firstLine.count(QLatin1Char('\t')) > firstLine.count(QLatin1Char(',')) ? QLatin1Char('\t')
                                                                                                    : QLatin1Char(',');
    std::vector<QStringList> records;
    QStringList record;
    QString cell;
    bool quoted = false;
    bool any = false;   // the record holds something (a last line without a break)
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
                // A line break inside a cell is kept as the spreadsheet keeps it.
            } else {
                cell += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && cell.isEmpty()) {
            quoted = true;
            any = true;
        } else if (c == separator) {
            record << cell;
            cell.clear();
            any = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            record << cell;
            cell.clear();
            records.push_back(std::move(record));
            record = QStringList();
            any = false;
        } else {
            cell += c;
            any = true;
        }
    }
    if (any || !cell.isEmpty()) {
        record << cell;
        records.push_back(std::move(record));
    }
    return records;
}

SourceTable read(const QString& path, int sheet, TextEncoding encoding, const HeaderTest& isHeader)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw SourceError(QStringLiteral("ファイルが見つかりません。") + kBr + path);
    if (info.size() > kMaxFileBytes)
        throw SourceError(QStringLiteral("ファイルが大きすぎます（%1 MB）。").arg(megabytes(info.size())) + kBr
                          + QStringLiteral("%1 MB までのファイルにしてください。").arg(kMaxFileBytes / (1024 * 1024)));
    if (info.size() == 0)
        throw SourceError(QStringLiteral("ファイルが空です。取り込む生徒がありません。"));
    SourceTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceError(QStringLiteral("ファイルを開けませんでした。") + kBr + path);
    const QByteArray head = file.peek(4);
    // A workbook is a zip package, whatever its name says.
    if (head.startsWith("PK\x03\x04")) {
        file.close();
        readWorkbook(path, sheet, table, isHeader);
    } else {
        readText(file.readAll(), encoding, table, isHeader);
    }
    return table;
}

} // namespace ImportSource
