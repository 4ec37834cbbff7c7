// The mail server the monthly reports go out through, kept in the one row of
// メール設定 so that every PC of a server school uses the same.
//
// The password: typed once, it is kept only in this running program. Saved at
// the user's wish, it is sealed with AES-256-GCM under a key of 32 random bytes
// that lives outside the database, in the user's configuration folder
// (kaedemaru/mail.key, readable by the user alone). A copy of the database — a
// backup file, a server snapshot, the server itself — thus holds no password
// anyone can read, and a changed sealed text is refused rather than used. On
// another PC (another key) the saved password cannot be opened: it is asked for.
#pragma once

#include "SmtpSender.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace MailSettings {

struct Settings {
    SmtpServer server;       // password: the session's, or the saved one opened
    bool passwordSaved = false;
    bool stored = false;     // a row exists
    qint64 version = 0;      // 更新回数 as read
};

Settings funcLoad();

enum class SaveResult { Stored, ChangedMeanwhile };
// Stores the settings into the row as read; another PC's save made meanwhile is
// never overwritten unseen (ChangedMeanwhile: nothing stored, read them again).
// The password is kept for this session always, and sealed into the row only
// when savePassword (otherwise a password saved before is removed).
SaveResult funcSave(const Settings& settings, bool savePassword);

// Why the settings cannot be used to send; "" when they can.
QString funcProblem(const SmtpServer& server);

// The password of this session (typed or opened), forgotten when the program ends.
std::optional<QString> funcSessionPassword();
void subSetSessionPassword(const std::optional<QString>& password);

// Sealing with the key of this user on this PC (made at the first seal).
QByteArray funcSeal(const QString& password);
std::optional<QString> funcUnseal(const QByteArray& sealed);
QString funcKeyPath();

} // namespace MailSettings
