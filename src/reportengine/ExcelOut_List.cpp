// A list window's rows as a workbook: a title, the condition, then the header
// row and the rows as shown.
#include "ExcelOut.h"

#include "CommonBase.h"

#include <QDateTime>

#include <algorithm>

namespace {
// Column width in characters of the font: full-width letters count two.
int displayWidth(const QString& text)
{
    int width = 0;
    for (QChar c : text)
        width += (c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)) ? 1 : 2;
    return width;
}
} // namespace

QString funcListPrint(const ListSheet& list)
{
    if (list.rows.empty()) {
        MsgBox(QStringLiteral("書き出す行がありません。"), MsgButtons::Ok, MsgIcon::Information);
        return {};
    }
    wb::Workbook book;
    wb::Sheet& sheet = book.addSheet(list.title);
    wb::CellFormat title;
    title.bold = true;
    title.fontSize = 14;
    sheet.setText(1, 1, list.title);
    sheet.setFormat(1, 1, title);
    sheet.setText(2, 1, QStringLiteral("検索条件: ") + (list.caption.trimmed().isEmpty() ? QStringLiteral("なし") : list.caption));
    sheet.setText(3, 1, QStringLiteral("出力日時: ") + funcDateTimeText(QDateTime::currentDateTime()));

    constexpr int headerRow = 5;
    wb::CellFormat head;
    head.bold = true;
    head.fill = 0xF3E6D8;
    head.setBorder(wb::BorderStyle::Thin);
    wb::CellFormat body;
    body.setBorder(wb::BorderStyle::Thin);
    const wb::FormatId bodyId = book.formats().intern(body);
    const int columns = static_cast<int>(list.headers.size());
    std::vector<int> widths(static_cast<std::size_t>(columns), 6);
    for (int c = 0; c < columns; ++c) {
        sheet.setText(headerRow, c + 1, list.headers[c]);
        sheet.setFormat(headerRow, c + 1, head);
        widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], displayWidth(list.headers[c]) + 2);
    }
    int row = headerRow + 1;
    for (const QStringList& values : list.rows) {
        for (int c = 0; c < columns; ++c) {
            const QString value = values.value(c);
            if (list.textColumns.contains(c))
                sheet.setText(row, c + 1, value);
            else
                sheet.setValue(row, c + 1, value);
            sheet.setFormatId(row, c + 1, bodyId);
            // Wide enough for the longest value, within reason.
            widths[static_cast<std::size_t>(c)] = std::clamp(displayWidth(value) + 2, widths[static_cast<std::size_t>(c)], 50);
        }
        ++row;
    }
    for (int c = 0; c < columns; ++c)
        sheet.setColumnWidth(c + 1, widths[static_cast<std::size_t>(c)]);
    sheet.print().landscape = true;
    sheet.print().fitWidth = 1;
    return funcSaveAndOpen(std::move(book), list.title);
}
