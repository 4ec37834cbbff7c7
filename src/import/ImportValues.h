// The values of an imported row as the register keeps them: dates from the many
// ways an office writes them, telephone numbers as text, readings in half-width
// katakana, the sex as its master ID.
#pragma once

#include "ImportSource.h"

#include <QDate>
#include <QString>

#include <optional>

namespace ImportValues {

// A value read, or why it could not be.
template <typename T> struct Read {
    std::optional<T> value;   // nullopt for an empty cell as well as for an error
    QString error;            // empty when the cell could be read
};

// yyyy/m/d, yyyy-mm-dd, yyyy年m月d日, an Excel date cell (serials are read from
// number cells only), and era dates within their era: R7.4.1, 令和7年4月1日,
// H15/4/1, 平成元年4月1日, S50.1.1.
Read<QDate> date(const ImportSource::SourceCell& cell);
// The digits, as the student window keeps them (hyphens, brackets and blanks left
// out); a number cell has lost its leading 0 and is refused.
// maxLength: the register's width of the column.
Read<QString> phone(const ImportSource::SourceCell& cell, int maxLength);
// Postcodes as phone numbers, "〒" left out; a number cell of seven digits lost nothing.
Read<QString> postcode(const ImportSource::SourceCell& cell, int maxLength);
// Hiragana or katakana of either width as half-width katakana; what the student
// window's reading box does not take (ｰ, ｦ, letters) is refused.
Read<QString> reading(const ImportSource::SourceCell& cell, int maxLength);
// 男・男性・M → 1, 女・女性・F → 2.
Read<int> sex(const ImportSource::SourceCell& cell);
// Any other text: trimmed, within maxLength characters.
Read<QString> text(const ImportSource::SourceCell& cell, int maxLength);

// Full-width letters, digits and signs as half-width ones, blanks trimmed: how
// headers and words are compared.
QString folded(const QString& text);

} // namespace ImportValues
