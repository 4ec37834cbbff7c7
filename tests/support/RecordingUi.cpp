#include "RecordingUi.h"

#include <QCursor>
#include <QGuiApplication>

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

QString RecordingUi::openFileName(QWidget*, const FileDialogRequest& request)
{
    openFileRequests.push_back(request);
    if (openFileAnswers.empty())
        return {};
    QString path = openFileAnswers.front();
    openFileAnswers.pop_front();
    return path;
}

QString RecordingUi::saveFileName(QWidget*, const FileDialogRequest& request)
{
    saveFileRequests.push_back(request);
    if (saveFileAnswers.empty())
        return {};
    QString path = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    return path;
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
    openedDocuments.clear();
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
