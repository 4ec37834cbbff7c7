// The school's own settings (its name, …): kept in the database, so that every PC
// of the school prints the same.
#pragma once

#include <QString>

namespace SchoolSettings {

inline const QString kSchoolName = QStringLiteral("学校名");
inline constexpr int kSchoolNameLength = 40;

// The stored value, "" when none was ever stored.
QString value(const QString& name);
// Stores the value (an empty one too), over what another PC may have stored.
void setValue(const QString& name, const QString& value);

// The school's name as reports print it: trimmed, "" when not set.
QString funcSchoolName();

} // namespace SchoolSettings
