// The fault log: every unexpected fault is written to ErrorLog.txt, told to the
// user, and ends the program.
#pragma once

#include <QDateTime>
#include <QString>
#include <exception>

// Text of the current fault, set by each handler just before it calls subErrorLog.
extern QString gErrDescription;

// Appends the record, shows the system-error message, closes the database and
// ends the program. Does not return.
[[noreturn]] void subErrorLog(const QString& procedureName);

// Appends a record only: for a failure the caller tells the user itself and the
// program goes on (a server that cannot be reached at start).
void subWriteErrorLog(const QString& procedureName, const QString& description);

// The handler of a procedure: records the fault's description, then subErrorLog.
//   try { ... } catch (const std::exception& e) { subFault(e, "frmMenu - Form_Load"); }
[[noreturn]] void subFault(const std::exception& fault, const QString& procedureName);

// The handler convention in one call: runs the body and sends any fault to the
// log under the literal written at the call site. Returns what the body returns.
//   guarded(QStringLiteral("frmMenu - Form_Load"), [&] { ... });
template <class Body>
auto guarded(const QString& procedureName, Body&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const std::exception& e) {
        subFault(e, procedureName);
    }
}

// The four-line record as written (without the encoding), for the given moment.
QString funcErrorRecord(const QString& procedureName, const QString& description, const QDateTime& when);
