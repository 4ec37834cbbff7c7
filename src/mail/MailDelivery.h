// Sending each family its children's monthly reports: one message per guardian
// address holding the file of every child of that address, a log row in
// メール送信履歴 for each file the server accepted, and the failures listed with
// their reasons so that they can be sent again.
#pragma once

#include "SmtpSender.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace MailDelivery {

struct Item {
    int stuNo = 0;
    QString stuName;
    QString address;    // 保護者メール
    QString file;       // the student's report
};

struct Failure {
    QList<Item> items;  // the message's students
    QString reason;
};

struct Outcome {
    int sentMessages = 0;
    int sentFiles = 0;
    QList<Failure> failed;
};

// The month as it is logged ("2026/11").
QString funcMonthKey(const QDate& month);
// Names of the students whose report of the month was sent already (in the order given).
QStringList funcAlreadySent(const QList<int>& students, const QDate& month);
// The items grouped by address (blanks and letter case aside), in the order first met.
QList<QList<Item>> funcFamilies(const QList<Item>& items);

QString funcSubject(const QDate& month, const QList<Item>& family);
QString funcBody(const QDate& month, const QList<Item>& family);

// Called before each message with the number done and the total; false stops
// (the messages not sent are then listed as failed: 中止しました).
using Progress = std::function<bool(int done, int total)>;

// Sends one message per family. Items without a usable address or whose file
// cannot be read fail without contacting the server. Every file of an accepted
// message gets a log row (student, address, month, file name, SHA-256, time,
// the server's reply); nothing is logged for a failed one.
Outcome funcSend(const SmtpServer& server, const QDate& month, const QList<Item>& items, const Progress& progress = {});

} // namespace MailDelivery
