#include "RecordingUi.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPrinter>

#include <algorithm>
#include <memory>

MsgAnswer RecordingUi::message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const QCursor* pointer = QGuiApplication::overrideCursor();
    messages.push_back({text, title, icon, buttons, pointer && pointer->shape() == Qt::WaitCursor});
    if (onMessage)
        onMessage(messages.back());
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel || buttons == MsgButtons::YesNoDefaultNo)
               ? MsgAnswer::Yes
               : MsgAnswer::Ok;
}

namespace {
// A file dialog: recorded, then answered from the script (cancelled when it is empty).
QString answer(std::vector<FileDialogRequest>& requests, std::deque<QString>& answers, const FileDialogRequest& request,
               const std::function<void()>& onDialog)
{
    requests.push_back(request);
    if (onDialog)
        onDialog();
    if (answers.empty())
        return {};
    QString path = answers.front();
    answers.pop_front();
    return path;
}
} // namespace

QString RecordingUi::openFileName(QWidget*, const FileDialogRequest& request)
{
    return answer(openFileRequests, openFileAnswers, request, onFileDialog);
}

QString RecordingUi::saveFileName(QWidget*, const FileDialogRequest& request)
{
    return answer(saveFileRequests, saveFileAnswers, request, onFileDialog);
}

QString RecordingUi::folderName(QWidget*, const FileDialogRequest& request)
{
    return answer(folderRequests, folderAnswers, request, onFileDialog);
}

bool RecordingUi::printDialog(QWidget*, QPrinter& printer)
{
    ++printDialogs;
    if (printTo.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    return true;
}

bool RecordingUi::openDocument(const QString& path)
{
    openedDocuments << path;
    return openDocumentResult;
}

void RecordingUi::endProgram(int exitCode)
{
    throw ProgramEnded{exitCode};
}

void RecordingUi::progressWindow(const QString& label, int, bool cancellable)
{
    progress << (cancellable ? label + QStringLiteral(" [キャンセル可]") : label);
    m_progressSteps = 0;
}

void RecordingUi::progressStep(const QString& step)
{
    progress << QStringLiteral("  ") + step;
    ++m_progressSteps;
}

bool RecordingUi::progressCancelled()
{
    return cancelProgressAtStep > 0 && m_progressSteps >= cancelProgressAtStep;
}

void RecordingUi::serverWaitBegin()
{
    serverWaits.push_back(0);
}

bool RecordingUi::serverWaiting(int waitedMs)
{
    if (!serverWaits.empty() && waitedMs > serverWaits.back())
        serverWaits.back() = waitedMs;
    return cancelServerWaitAfter >= 0 && waitedMs >= cancelServerWaitAfter;
}

void RecordingUi::serverWaitEnd()
{
    ++serverWaitsEnded;
}

std::optional<QString> RecordingUi::askPassword(const QString& text, const QString&)
{
    passwordRequests << text;
    if (passwordAnswers.empty())
        return QString();
    const bool typed = passwordAnswers.front().has_value();
    const QString password = passwordAnswers.front().value_or(QString());
    passwordAnswers.pop_front();
    if (!typed)
        return std::nullopt;
    return password;
}

QStringList RecordingUi::texts() const
{
    QStringList list;
    for (const auto& m : messages)
        list << m.text;
    return list;
}

void RecordingUi::clear()
{
    messages.clear();
    openFileRequests.clear();
    saveFileRequests.clear();
    folderRequests.clear();
    openedDocuments.clear();
    serverWaits.clear();
    serverWaitsEnded = 0;
    passwordRequests.clear();
    progress.clear();
}

UiRecorder::UiRecorder()
{
    auto ui = std::make_unique<RecordingUi>();
    m_ui = ui.get();
    setUiServices(std::move(ui));
}

UiRecorder::~UiRecorder()
{
    setUiServices(nullptr);
}
