// Reading a spreadsheet the office already keeps: the first (or a chosen) sheet of
// an .xlsx workbook, or a CSV / tab-separated text in UTF-8, Windows Japanese
// (code page 932) or UTF-16 with its byte-order mark (Excel's 「Unicode テキスト」),
// into rows of cells. The first row is the header.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace ImportSource {

struct SourceCell {
    QString text;                  // as written; a number cell in its shortest form
    std::optional<double> number;  // a number cell of a workbook (dates are numbers there)
    bool date1904 = false;         // the workbook counts date serials from 1904/1/1
};
using SourceRow = std::vector<SourceCell>;

enum class TextEncoding { Auto, Utf8, Cp932, Utf16 };
// "UTF-8", "Shift_JIS (CP932)", "UTF-16 (Unicode テキスト)"
QString encodingName(TextEncoding encoding);

struct SourceTable {
    bool workbook = false;
    QStringList sheets;            // a workbook's sheet names
    int sheet = 0;                 // the sheet read
    TextEncoding encoding = TextEncoding::Auto;   // of a text file: the one used
    QStringList header;
    // The rows below the header, blank rows left out; each at least as wide as the
    // header, wider when a line of a text file has more cells than its header.
    std::vector<SourceRow> rows;
    std::vector<int> lines;        // each row's number as the spreadsheet shows it
};

// A file that cannot be read at all; what() is the message for the user.
class SourceError : public std::runtime_error {
public:
    explicit SourceError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Larger files and longer sheets are refused with a message rather than read.
inline constexpr qint64 kMaxFileBytes = 10 * 1024 * 1024;
inline constexpr int kMaxRows = 10000;

// Whether a row's texts are the header the caller reads.
using HeaderTest = std::function<bool(const QStringList&)>;
// Rows above the header (a title, a condition line) may number this many.
inline constexpr int kHeaderSearchRows = 10;

// Reads the file; .xlsx by liborcus, anything else as text. The header is the
// first row, or the first of the first rows that isHeader accepts. Throws SourceError.
SourceTable read(const QString& path, int sheet = 0, TextEncoding encoding = TextEncoding::Auto,
                 const HeaderTest& isHeader = {});

// The encoding of a text: UTF-16 by its byte-order mark, UTF-8 when it has the
// byte-order mark or is valid UTF-8, otherwise CP932.
TextEncoding detectEncoding(const QByteArray& bytes);
QString decodeText(const QByteArray& bytes, TextEncoding encoding);
// Records of a CSV text: comma- or tab-separated (whichever the first line uses),
// quoted cells may hold separators, doubled quotes and line breaks. Record n is
// row n + 1 when the spreadsheet application opens the file.
std::vector<QStringList> parseCsv(const QString& text);

} // namespace ImportSource
