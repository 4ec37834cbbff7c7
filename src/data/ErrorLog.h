// The fault log: every unexpected fault is written to ErrorLog.txt, told to the
// user, and ends the program.
#pragma once

#include "DaoCommon.h"

#include <QDateTime>
#include <QString>
#include <exception>
#include <type_traits>

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

// How deep the handlers of guarded are nested on this thread: a server fault is
// told by the innermost and passed on to the outermost, which ends the user's
// action there. A tool that reports server faults itself holds a ServerFaultsToCaller.
struct HandlerDepth {
    HandlerDepth();
    ~HandlerDepth();
    HandlerDepth(const HandlerDepth&) = delete;
    HandlerDepth& operator=(const HandlerDepth&) = delete;
};

// While it lives, server faults pass every handler untold (and unlogged) to the caller.
class ServerFaultsToCaller {
public:
    ServerFaultsToCaller();
    ~ServerFaultsToCaller();
    ServerFaultsToCaller(const ServerFaultsToCaller&) = delete;
    ServerFaultsToCaller& operator=(const ServerFaultsToCaller&) = delete;
};

// A server that failed ends the action, never the program: the first handler
// writes the detail to the log, undoes the open transaction and tells the user;
// it returns only in the outermost handler, and rethrows the fault otherwise.
// To be called inside the catch block of the fault.
void subServerUnavailable(const ServerUnavailable& fault, const QString& procedureName);

// The data was replaced on the server: the user is told and the program ends cleanly.
[[noreturn]] void subDataReplaced();

// The handler convention in one call: runs the body and sends any fault to the
// log under the literal written at the call site. Returns what the body returns;
// after a failed server, in the outermost handler, an empty value.
//   guarded(QStringLiteral("frmMenu - Form_Load"), [&] { ... });
template <class Body>
auto guarded(const QString& procedureName, Body&& body) -> decltype(body())
{
    using Result = decltype(body());
    const HandlerDepth depth;
    try {
        return body();
    } catch (const ServerUnavailable& e) {
        subServerUnavailable(e, procedureName);
        if constexpr (!std::is_void_v<Result>)
            return Result{};
    } catch (const std::exception& e) {
        subFault(e, procedureName);
    }
}

// The four-line record as written (without the encoding), for the given moment.
QString funcErrorRecord(const QString& procedureName, const QString& description, const QDateTime& when);
