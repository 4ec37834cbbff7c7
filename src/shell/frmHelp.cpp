#include "frmHelp.h"

#include "CommonBase.h"
#include "MainCommon.h"
#include "Named.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

frmHelp::frmHelp(const QByteArray& html, const QString& path, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    txtHelp = named<QTextBrowser>(this, QStringLiteral("txtHelp"));
    // Links out of the guide go to the desktop; its own anchors and pictures stay here.
    txtHelp->setOpenExternalLinks(true);
    txtHelp->document()->setBaseUrl(QUrl::fromLocalFile(path));
    // The guide names its encoding in its head; without one it is UTF-8.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(html);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    txtHelp->setHtml(decoder.decode(html));
    const QString title = txtHelp->documentTitle().trimmed();
    setWindowTitle(title.isEmpty() ? QStringLiteral("楓丸くん ヘルプ") : title);

    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdEnd->setDefault(true);
    connect(cmdEnd, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtHelp, 1);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(780, 680));
}

void subShowHelp(QWidget* owner)
{
    const QString path = funcProgramFile(kHelpFileName);
    int result = funcFileCheckResult(path);
    QFile file(path);
    if (result > 32 && !file.open(QIODevice::ReadOnly))
        result = 5;
    if (result < 32) {
        MsgBox(funcShellOpenMessage(result), MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return;
    }
    frmHelp window(file.readAll(), path, owner);
    window.exec();
}
