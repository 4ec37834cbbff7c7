#include "Workbook.h"

namespace wb {
FormatTable::FormatTable() { m_formats.emplace_back(); m_index.emplace(m_formats[0], 0); }
std::size_t CellFormatHash::operator()(const CellFormat&) const noexcept { return 0; }
Workbook::Workbook() = default;
Workbook::~Workbook() = default;
} // namespace wb
