#include "QtUiServices.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QCursor>
#include <QMessageBox>
#include <QProgressDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>
#include <memory>

QtUiServices::QtUiServices() = default;
QtUiServices::~QtUiServices() = default;

void QtUiServices::subMakeProgress(const QString& label, int total, bool cancellable)
{
    m_progressLabel = label;
    m_progress = std::make_unique<QProgressDialog>(label, QString(), 0, total);
    m_progress->setWindowTitle(kTitle);
    m_progress->setWindowModality(Qt::ApplicationModal);
    if (cancellable)
        m_progress->setCancelButtonText(QStringLiteral("キャンセル"));
    else
        m_progress->setCancelButton(nullptr);
    m_progress->setMinimumDuration(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
}

void QtUiServices::progressBegin(const QString& label, int total)
{
    if (m_busy++ == 0 && total > 0)
        subMakeProgress(label, total, false);
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtUiServices::progressWindow(const QString& label, int total, bool cancellable)
{
    if (m_busy++ == 0) {
        subMakeProgress(label, std::max(total, 0), cancellable);
        // Shown at once: the work may block the events for a while after this.
        m_progress->show();
        QCoreApplication::processEvents();
    }
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtUiServices::progressStep(const QString& step)
{
    if (!m_progress)
        return;
    m_progress->setLabelText(m_progressLabel + QStringLiteral("\n") + step);
    QCoreApplication::processEvents();
}

bool QtUiServices::progressCancelled()
{
    if (!m_progress)
        return false;
    QCoreApplication::processEvents();
    return m_progress->wasCanceled();
}

void QtUiServices::progressValue(int done)
{
    if (m_progress)
        m_progress->setValue(std::min(done, m_progress->maximum()));
}

void QtUiServices::progressEnd()
{
    if (m_busy == 0)
        return;
    QApplication::restoreOverrideCursor();
    if (--m_busy == 0)
        m_progress.reset();
}

MsgAnswer QtUiServices::message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MsgButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Ok, QStringLiteral("OK")},
        {QMessageBox::Cancel, QStringLiteral("キャンセル")},
        {QMessageBox::Yes, QStringLiteral("はい(&Y)")},
        {QMessageBox::No, QStringLiteral("いいえ(&N)")},
    };
    for (const auto& [which, caption] : captions)
        if (QAbstractButton* button = box.button(which))
            button->setText(caption);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo) ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

namespace {
QString startPath(const FileDialogRequest& request)
{
    const QString folder = request.folder.isEmpty() ? QDir::homePath() : request.folder;
    return request.fileName.isEmpty() ? folder : QDir(folder).filePath(request.fileName);
}
} // namespace

QString QtUiServices::openFileName(QWidget* parent, const FileDialogRequest& request)
{
    // Each filter is shown by its name; its patterns are for matching, not for reading.
    return QFileDialog::getOpenFileName(parent, request.title, startPath(request), request.filter, nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

QString QtUiServices::saveFileName(QWidget* parent, const FileDialogRequest& request)
{
    return QFileDialog::getSaveFileName(parent, request.title, startPath(request), request.filter);
}

QString QtUiServices::folderName(QWidget* parent, const FileDialogRequest& request)
{
    return QFileDialog::getExistingDirectory(parent, request.title, startPath(request));
}

bool QtUiServices::printDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUiServices::openDocument(const QString& path)
{
    // openUrl reports success as soon as a launcher was started; xdg-open is asked
    // first so that a missing association is told to the user.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // xdg-open fails at once when no program is associated; a viewer it starts may keep
    // it running, and then the document is open.
    auto launcher = std::make_unique<QProcess>();
    launcher->setProgram(xdgOpen);
    launcher->setArguments({path});
    launcher->setStandardOutputFile(QProcess::nullDevice());
    launcher->setStandardErrorFile(QProcess::nullDevice());
    launcher->start();
    if (!launcher->waitForStarted(5000))
        return false;
    if (!launcher->waitForFinished(3000)) {
        // Still running: the viewer is open; the process cleans up after itself.
        QProcess* running = launcher.release();
        QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
        return true;
    }
    return launcher->exitStatus() == QProcess::NormalExit && launcher->exitCode() == 0;
}

void QtUiServices::endProgram(int exitCode)
{
    std::_Exit(exitCode);
}

void QtUiServices::serverWaitBegin()
{
    m_serverWaitCancelled = false;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

bool QtUiServices::serverWaiting(int waitedMs)
{
    // Until the window shows, no event is handled: nothing else may reach the database
    // while it answers. The window is modal, so then only its キャンセル can be pressed.
    if (waitedMs < 2000)
        return false;
    if (!m_serverWait) {
        m_serverWait = std::make_unique<QProgressDialog>(QStringLiteral("サーバーの応答を待っています…"),
                                                         QStringLiteral("キャンセル"), 0, 0, QApplication::activeWindow());
        m_serverWait->setWindowTitle(kTitle);
        m_serverWait->setWindowModality(Qt::ApplicationModal);
        m_serverWait->setMinimumDuration(0);
        m_serverWait->setAutoClose(false);
        m_serverWait->setAutoReset(false);
        QObject::connect(m_serverWait.get(), &QProgressDialog::canceled, [this] { m_serverWaitCancelled = true; });
        m_serverWait->show();
    }
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    return m_serverWaitCancelled;
}

void QtUiServices::serverWaitEnd()
{
    m_serverWait.reset();
    QApplication::restoreOverrideCursor();
}

std::optional<QString> QtUiServices::askPassword(const QString& text, const QString& title)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
