// Writing sheets to .xlsx with libxlsxwriter.
#include "Workbook.h"

#include <stdexcept>

namespace wb {

void Workbook::write(const QString& path, const QStringList&) const
{
    throw std::runtime_error("workbook writing not built yet: " + path.toStdString());
}

} // namespace wb
