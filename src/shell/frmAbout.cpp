#include "frmAbout.h"

#include "CommonBase.h"
#include "ToolImages.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString frmAbout::funcVersionText()
{
    return QStringLiteral("バージョン ") + QStringLiteral(KAEDE_VERSION);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));

    auto* leaf = new QLabel(this);
    leaf->setPixmap(funcMapleLeaf(64, QColor(214, 72, 40), devicePixelRatioF()));
    leaf->setAlignment(Qt::AlignTop);

    lblTitle = new QLabel(kTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 3);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(funcVersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* note = new QLabel(QStringLiteral("塾の生徒台帳・講座と出席・連絡事項・帳票を管理します。"), this);
    note->setWordWrap(true);

    // Where the database, the photographs and the error log are: the folder is hidden
    // from the file dialogs, so it is named here and opened from here.
    const QString folder = QDir::toNativeSeparators(QDir(funcAppPath()).absolutePath());
    auto* folderCaption = new QLabel(QStringLiteral("データフォルダ："), this);
    lblFolder = new QLabel(folder, this);
    lblFolder->setObjectName(QStringLiteral("lblFolder"));
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolder->setWordWrap(true);
    cmdFolder = new QPushButton(QStringLiteral("データフォルダを開く(&F)"), this);
    cmdFolder->setObjectName(QStringLiteral("cmdFolder"));
    cmdFolder->setAutoDefault(false);
    connect(cmdFolder, &QPushButton::clicked, this, [folder] {
        if (!ui().openDocument(folder))
            MsgBox(QStringLiteral("フォルダを開けませんでした。\r\n") + folder, MsgButtons::Ok, MsgIcon::Warning, kTitle);
    });

    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    cmdEnd->setDefault(true);
    connect(cmdEnd, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(6);
    texts->addWidget(note);
    texts->addSpacing(6);
    texts->addWidget(folderCaption);
    texts->addWidget(lblFolder);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(leaf);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdFolder);
    buttons->addStretch();
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 170)));
    subPlaceWindow(this, size());
}
