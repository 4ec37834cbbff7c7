#include "frmMenu.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"
#include "MainCommon.h"
#include "ToolImages.h"
#include "UiServices.h"
#include "Snapshot.h"
#include "basBackup.h"
#include "basStart.h"
#include "clsDataCtl.h"
#include "frmAbout.h"
#include "frm年度更新.h"
#include "frm設定.h"
#include "frmHelp.h"
#include "frmマスタ登録.h"
#include "frm初期化.h"
#include "frm帳票出力.h"
#include "frm生徒情報一覧.h"
#include "frm連絡事項編集.h"
#include "frm講座情報一覧.h"
#include "ListWindow.h"
#include "Named.h"
#include "Theme.h"
#include "WindowPlace.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QMenu>
#include <QTime>
#include <QDateTime>

#include <algorithm>
#include <chrono>

namespace {
constexpr int kWidth = 725;
constexpr int kHeight = 511;
constexpr int kHeaderHeight = 92;

const char* const kMenuTexts[5] = {
    "1, 講座のファイルを開く", "2, 生徒のファイルを開く", "3, 帳票を出力する",
    "4, システムのマスタを変更する", "5, 終了する",
};
const char* const kToolTips[frmMenu::kToolCount] = {"データバックアップ", "データ復元", "システムの初期化",
                                                    "ヘルプ", "バージョン情報", "塾の設定と年度更新"};
const char* const kToolCaptions[frmMenu::kToolCount] = {"バックアップ", "復元", "初期化", "ヘルプ", "バージョン", "設定"};
const ToolImage kToolImages[frmMenu::kToolCount] = {ToolImage::Backup, ToolImage::Restore, ToolImage::Initialize,
                                                    ToolImage::Help,   ToolImage::Version, ToolImage::Settings};
constexpr int kToolStep = 54;   // from one tool to the next

QPainterPath windowShape()
{
    // The rounded rectangle from (1, 1) to (725, 511) with corners of 100 by 100.
    QPainterPath path;
    path.addRoundedRect(QRectF(1, 1, kWidth - 1, kHeight - 1), 50, 50);
    return path;
}

// "yy/mm/dd": two such dates fill the 20-byte column of a board line exactly.
QString funcBoardDate(const QString& stored)
{
    const QDate date = funcTextDate(stored);
    return date.isValid() ? date.toString(QStringLiteral("yy/MM/dd")) : stored;
}
} // namespace

QColor frmMenu::funcNormalColor()
{
    return QColor(128, 128, 255);
}

QColor frmMenu::funcHighlightColor()
{
    return QColor(0, 128, 128);
}

frmMenu::frmMenu(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("塾管理システム「楓丸くん」へようこそ～♪"));
    setWindowIcon(QIcon(funcMapleLeaf(64, QColor(214, 72, 40))));
    setFixedSize(kWidth, kHeight);
    subPlaceWindow(this, size());
    setMouseTracking(true);
    buildControls();
    Form_Load();
}

void frmMenu::buildControls()
{
    // The title band: the leaf and the program's name, drawn on the band painted below.
    auto* leaf = new QLabel(this);
    leaf->setPixmap(funcMapleLeaf(62, QColor(255, 214, 120), devicePixelRatioF()));
    leaf->setGeometry(46, 14, 64, 64);
    auto* title = new QLabel(QStringLiteral("楓丸くん"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setFont(Theme::uiFont(26, true));
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setGeometry(122, 30, 220, 48);
    auto* subtitle = new QLabel(QStringLiteral("塾管理システム"), this);
    subtitle->setFont(Theme::uiFont(11, true));
    subtitle->setStyleSheet(Theme::textStyle(Theme::onDark));
    subtitle->setGeometry(126, 12, 220, 20);
    auto* today = new QLabel(this);
    today->setObjectName(QStringLiteral("lblToday"));
    today->setFont(Theme::uiFont(11));
    today->setStyleSheet(QStringLiteral("color: white;"));
    today->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    today->setGeometry(370, 52, 300, 24);
    lblToday = today;
    m_midnight.setSingleShot(true);
    connect(&m_midnight, &QTimer::timeout, this, [this] { subNewDay(); });
    subTodaySet();

    const auto markLabel = [this](const QString& name, const QString& text, const QString& tip, int x) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setToolTip(tip);
        label->setFont(Theme::uiFont(15, true));
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("color: white;"));
        label->setGeometry(x, 14, 30, 30);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        return label;
    };
    Label1 = markLabel(QStringLiteral("Label1"), QStringLiteral("－"), QStringLiteral("最小化"), 606);
    Label2 = markLabel(QStringLiteral("Label2"), QStringLiteral("×"), QStringLiteral("終了"), 642);

    auto* menuHeading = new QLabel(QStringLiteral("メニュー"), this);
    menuHeading->setFont(Theme::uiFont(10, true));
    menuHeading->setStyleSheet(Theme::textStyle(Theme::heading));
    menuHeading->setGeometry(56, 104, 200, 18);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kMenuTexts[i]), this);
        label->setObjectName(QStringLiteral("lblMenu_%1").arg(i));
        label->setFont(Theme::uiFont(16, true));
        label->setGeometry(56, 128 + i * 40, 290, 34);
        label->setMouseTracking(true);
        label->setCursor(Qt::PointingHandCursor);
        // Reached by Tab and the arrows; a click does not take the focus, so the mouse works as before.
        label->setFocusPolicy(Qt::TabFocus);
        label->setAutoFillBackground(false);
        label->installEventFilter(this);
        lblMenu[i] = label;
        // The digit of the entry opens it from anywhere on the menu.
        auto* key = new QShortcut(QKeySequence(Qt::Key_1 + i), this);
        connect(key, &QShortcut::activated, this, [this, i] { lblMenu_Click(i); });
    }
    // In the window's design the first entry is drawn highlighted.
    for (int i = 0; i < 5; ++i)
        subMenuColor(i, i == 0 ? funcHighlightColor() : funcNormalColor());

    auto* toolHeading = new QLabel(QStringLiteral("ツール"), this);
    toolHeading->setFont(Theme::uiFont(10, true));
    toolHeading->setStyleSheet(Theme::textStyle(Theme::heading));
    toolHeading->setGeometry(372, 104, 200, 18);
    for (int i = 0; i < kToolCount; ++i) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("imgTool_%1").arg(i));
        image->setToolTip(QString::fromUtf8(kToolTips[i]));
        image->setPixmap(funcToolImage(kToolImages[i], 48, devicePixelRatioF()));
        image->setAlignment(Qt::AlignCenter);
        image->setGeometry(374 + i * kToolStep, 132, 52, 56);
        image->setCursor(Qt::PointingHandCursor);
        image->setFocusPolicy(Qt::TabFocus);
        image->setAccessibleName(QString::fromUtf8(kToolTips[i]));
        image->installEventFilter(this);
        imgTool[i] = image;
        auto* caption = new QLabel(QString::fromUtf8(kToolCaptions[i]), this);
        caption->setFont(Theme::uiFont(8));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setStyleSheet(Theme::textStyle(Theme::caption));
        caption->setGeometry(368 + i * kToolStep, 192, 64, 16);
    }
    const int hour = QTime::currentTime().hour();
    auto* greeting = new QLabel(hour < 11   ? QStringLiteral("おはようございます。")
                                : hour < 18 ? QStringLiteral("こんにちは。")
                                            : QStringLiteral("おつかれさまです。"),
                                this);
    greeting->setFont(Theme::uiFont(13, true));
    greeting->setStyleSheet(Theme::textStyle(Theme::accent));
    greeting->setGeometry(380, 240, 250, 26);
    auto* hint = new QLabel(QStringLiteral("今日の連絡事項は下の掲示板に出ています。\n"
                                           "一日の終わりには「バックアップ」で\nデータの控えを取っておきましょう。"),
                            this);
    hint->setFont(Theme::uiFont(9));
    hint->setStyleSheet(Theme::textStyle(Theme::muted));
    hint->setGeometry(380, 268, 256, 52);

    lblRenraku = new QLabel(QStringLiteral("連絡事項"), this);
    lblRenraku->setObjectName(QStringLiteral("lblRenraku"));
    lblRenraku->setFont(Theme::uiFont(12, true));
    lblRenraku->setStyleSheet(Theme::textStyle(Theme::accent));
    lblRenraku->setGeometry(44, 332, 200, 24);

    lstRenraku = new QListWidget(this);
    lstRenraku->setObjectName(QStringLiteral("lstRenraku"));
    lstRenraku->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A fixed-pitch font in which a full-width character is two half-width ones wide,
    // so that the byte-counted columns line up.
    lstRenraku->setFont(Theme::fixedFont(10));
    lstRenraku->setGeometry(40, 360, 536, 130);
    lstRenraku->setStyleSheet(
        QStringLiteral("QListWidget { background: white; border: 1px solid %1; border-radius: 4px; }"
                       "QListWidget::item:selected { background: %2; color: white; }")
            .arg(Theme::border.name(), Theme::selection.name()));
    connect(lstRenraku, &QListWidget::itemSelectionChanged, this, [this] { lstRenraku_Click(); });
    connect(lstRenraku, &QListWidget::itemDoubleClicked, this, [this] { cmdOK_Click(2); });

    cmdOK = namedArray<QPushButton, 4>(this, QStringLiteral("cmdOK"),
                                       {QStringLiteral("追加(&A)"), QStringLiteral("コピー(&C)"), QStringLiteral("編集(&E)"),
                                        QStringLiteral("削除(&D)")});
    for (int i = 0; i < 4; ++i) {
        cmdOK[i]->setFont(Theme::uiFont(10));
        cmdOK[i]->setGeometry(588, 360 + i * 34, 98, 28);
        connect(cmdOK[i], &QPushButton::clicked, this, [this, i] { cmdOK_Click(i); });
    }
    m_buttons.emplace(cmdOK, QStringLiteral("削除(&D)"), QStringLiteral("一括削除(&D)"));
}

void frmMenu::subTodaySet()
{
    lblToday->setText(QLocale(QLocale::Japanese, QLocale::Japan)
                          .toString(QDate::currentDate(), QStringLiteral("yyyy年M月d日（ddd）")));
    // The menu stays open for days: the date turns over with the clock, a moment after midnight.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next(now.date().addDays(1), QTime(0, 0, 1));
    m_midnight.start(std::chrono::milliseconds(std::max<qint64>(1000, now.msecsTo(next))));
}

void frmMenu::subNewDay()
{
    subTodaySet();
    // Notices whose period ended yesterday leave the board.
    if (gDatabase.isOpen())
        subRenrakuListSet();
}

void frmMenu::Form_Load()
{
    guarded(QStringLiteral("frmMenu - Form_Load"), [&] {
        // By the server's day: one PC's clock ahead would empty the board of every PC.
        gDatabase.execute(QStringLiteral("DELETE FROM 連絡事項 WHERE 終了日<#") + funcDateText(gDatabase.today())
                          + QStringLiteral("#"));
        subRenrakuListSet();
        m_menuIndex = 4;
        // The keyboard starts on the first entry, the one drawn highlighted.
        lblMenu[0]->setFocus(Qt::OtherFocusReason);
        setMask(QRegion(windowShape().toFillPolygon().toPolygon()));
    });
}

void frmMenu::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = windowShape();
    QLinearGradient body(0, kHeaderHeight, 0, kHeight);
    body.setColorAt(0, QColor(255, 251, 244));
    body.setColorAt(1, QColor(248, 234, 218));
    p.fillPath(shape, body);

    // The title band in the colours of autumn leaves.
    QPainterPath band;
    band.addRect(QRectF(0, 0, kWidth, kHeaderHeight));
    QLinearGradient bandFill(0, 0, kWidth, 0);
    bandFill.setColorAt(0, QColor(196, 58, 36));
    bandFill.setColorAt(0.55, QColor(224, 102, 44));
    bandFill.setColorAt(1, QColor(236, 150, 60));
    p.fillPath(shape.intersected(band), bandFill);
    p.setPen(QPen(QColor(250, 200, 120), 2));
    p.drawLine(QPointF(1, kHeaderHeight), QPointF(kWidth, kHeaderHeight));

    // Soft panels behind the menu entries, the tools and the board.
    p.setPen(QPen(QColor(230, 210, 190), 1));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRoundedRect(QRectF(40, 100, 316, 226), 10, 10);
    p.drawRoundedRect(QRectF(364, 100, 322, 118), 10, 10);
    p.drawRoundedRect(QRectF(364, 226, 322, 100), 10, 10);
    p.setPen(QPen(QColor(214, 150, 110), 1.5));
    p.drawLine(QPointF(44, 357), QPointF(686, 357));

    // A small leaf beside the hint, and the outline of the window.
    p.drawPixmap(QPointF(642, 278), funcMapleLeaf(36, QColor(236, 150, 60), devicePixelRatioF()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(176, 70, 40), 2));
    p.drawPath(shape);
}

bool frmMenu::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool release = type == QEvent::MouseButtonRelease;
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label)
        return QWidget::eventFilter(watched, event);
    const auto clicked = [&] {
        auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint());
    };
    const int menuIndex = static_cast<int>(std::find(lblMenu.begin(), lblMenu.end(), label) - lblMenu.begin());
    const int toolIndex = static_cast<int>(std::find(imgTool.begin(), imgTool.end(), label) - imgTool.begin());
    const bool menu = menuIndex < 5;
    const bool tool = toolIndex < kToolCount;

    if ((menu || tool) && (type == QEvent::FocusIn || type == QEvent::FocusOut)) {
        if (menu && type == QEvent::FocusIn)
            lblMenu_MouseMove(menuIndex);
        // Gone on to a tool or the board: no entry stays highlighted as if Enter would open it.
        if (menu && type == QEvent::FocusOut
            && std::find(lblMenu.begin(), lblMenu.end(), QApplication::focusWidget()) == lblMenu.end())
            Form_MouseMove();
        subFocusLook(label);
        return false;
    }
    if ((menu || tool) && type == QEvent::KeyPress)
        return funcMenuKey(menu ? menuIndex : toolIndex, tool, static_cast<QKeyEvent*>(event)->key());

    if (menu) {
        if (type == QEvent::MouseMove || type == QEvent::Enter) {
            lblMenu_MouseMove(menuIndex);
            return true;   // the background below must not see it, or it would clear the highlight
        }
        if (press)
            return true;   // not a drag of the window
        if (release && clicked())
            lblMenu_Click(menuIndex);
        return release;
    }
    if (tool || label == Label1 || label == Label2) {
        if (press) {
            subPressedLook(label, true);
            return true;
        }
        if (release) {
            subPressedLook(label, false);
            if (clicked()) {
                if (label == Label1)
                    showMinimized();
                else if (label == Label2)
                    close();
                else
                    imgTool_Click(toolIndex);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool frmMenu::funcMenuKey(int index, bool tool, int key)
{
    const auto group = [&](int i) -> QLabel* { return tool ? imgTool[i] : lblMenu[i]; };
    // The entries stand in a column and the tools in a row: the arrows of that direction move
    // within the group, round from the last to the first.
    const int back = tool ? Qt::Key_Left : Qt::Key_Up;
    const int forward = tool ? Qt::Key_Right : Qt::Key_Down;
    if (key == back || key == forward) {
        const int count = tool ? kToolCount : static_cast<int>(lblMenu.size());
        const int step = key == forward ? 1 : count - 1;
        group((index + step) % count)->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (tool)
            imgTool_Click(index);
        else
            lblMenu_Click(index);
        return true;
    }
    return false;
}

void frmMenu::subFocusLook(QLabel* label)
{
    // Where Enter goes: a pale band behind the entry, a frame around the tool.
    const bool focused = label->hasFocus();
    if (std::find(imgTool.begin(), imgTool.end(), label) != imgTool.end()) {
        label->setFrameShape(focused ? QFrame::Box : QFrame::NoFrame);
        label->setLineWidth(focused ? 2 : 1);
        return;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(255, 228, 196));
    label->setPalette(palette);
    label->setAutoFillBackground(focused);
}

void frmMenu::subPressedLook(QLabel* label, bool pressed)
{
    if (!pressed && label->hasFocus()) {
        subFocusLook(label);
        return;
    }
    label->setFrameShape(pressed ? QFrame::Box : QFrame::NoFrame);
    label->setLineWidth(1);
}

void frmMenu::mousePressEvent(QMouseEvent*)
{
    subMoveForm(this);
}

void frmMenu::mouseMoveEvent(QMouseEvent*)
{
    Form_MouseMove();
}

void frmMenu::subMenuColor(int index, const QColor& color)
{
    QPalette palette = lblMenu[index]->palette();
    palette.setColor(QPalette::WindowText, color);
    lblMenu[index]->setPalette(palette);
}

void frmMenu::lblMenu_MouseMove(int index)
{
    if (index == m_menuIndex)
        return;
    for (int i = 0; i < 5; ++i)
        subMenuColor(i, funcNormalColor());
    subMenuColor(index, funcHighlightColor());
    m_menuIndex = index;
}

void frmMenu::Form_MouseMove()
{
    for (int i = 0; i < 5; ++i)
        subMenuColor(i, funcNormalColor());
    m_menuIndex = -1;
}

void frmMenu::lblMenu_Click(int index)
{
    switch (index) {
    case 0: {
        frm講座情報一覧 window(this);
        window.setPropNoSearch(true);
        window.exec();
        break;
    }
    case 1: {
        frm生徒情報一覧 window(this);
        window.setPropNoSearch(true);
        window.exec();
        break;
    }
    case 2: {
        // Stays open after an output, for the next report; closed by its own button.
        frm帳票出力 window(this);
        window.exec();
        break;
    }
    case 3: {
        frmマスタ登録 window(this);
        window.exec();
        break;
    }
    case 4:
        close();
        break;
    default:
        break;
    }
}

void frmMenu::imgTool_Click(int index)
{
    guarded(QStringLiteral("frmMenu - imgTool_Click"), [&] {
        switch (index) {
        case 0: subBackup(); break;
        case 1: subRestore(); break;
        case 2: {
            frm初期化 window(this);
            window.exec();
            // The board shows no notice the initialization removed.
            if (gDatabase.isOpen())
                subRenrakuListSet();
            break;
        }
        case 3: subShowHelp(this); break;
        case 4: {
            frmAbout window(this);
            window.exec();
            break;
        }
        case 5: subSettingsMenu(); break;
        default: break;
        }
    });
}

void frmMenu::subSettingsMenu()
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuSettings"));
    menu.addAction(QStringLiteral("塾の設定(&S)…"), this, [this] {
        frm設定 window(this);
        window.exec();
    });
    menu.addAction(QStringLiteral("年度更新(&Y)…"), this, [this] {
        frm年度更新 window(this);
        window.exec();
    });
    QLabel* tool = imgTool[5];
    menu.exec(tool->mapToGlobal(QPoint(0, tool->height())));
}

QString frmMenu::funcChooseFile(const FileDialogRequest& request, bool save)
{
    // The file must not be in use while it is copied. A server's session stays, and
    // with it this PC's place among the running programs: no restore elsewhere
    // begins while the dialog is open.
    if (!gDatabase.isServer())
        CloseDatabase();
    const QString chosen = save ? ui().saveFileName(this, request) : ui().openFileName(this, request);
    if (chosen.isEmpty())
        funcReopen();   // cancelled: go on with the database
    else
        m_dlgFileName = chosen;
    return chosen;
}

namespace {
// Why a server's backup or restore failed, for the user: the server's own text goes to the log.
QString funcFailureReason(const std::exception& e, const QString& procedureName)
{
    if (dynamic_cast<const ServerUnavailable*>(&e)) {
        subWriteErrorLog(procedureName, QString::fromStdString(e.what()));
        return QStringLiteral("サーバーに接続できません。ネットワークを確認してください。");
    }
    return QString::fromStdString(e.what());
}
} // namespace

void frmMenu::subBackup()
{
    if (MsgBox(QStringLiteral("データのバックアップを行いますか？"), MsgButtons::YesNo, MsgIcon::Question, kTitle)
        != MsgAnswer::Yes)
        return;
    const QString databasePath = funcAppPath() + kDatabaseFileName;
    FileDialogRequest request;
    request.title = QStringLiteral("データの保存先を選択してください。");
    request.folder = m_dlgFileName.isEmpty() ? funcBackupFolder() : QFileInfo(m_dlgFileName).absolutePath();
    request.fileName = funcBackupFileName(QDate::currentDate());
    const QString target = funcChooseFile(request, true);
    if (target.isEmpty())
        return;
    // On a server the backup is an ordinary Revid.mdb holding the server's data.
    if (const auto server = funcServerConnection(databasePath)) {
        try {
            const LongTask task(QStringLiteral("バックアップしています…"));
            subWriteServerSnapshot(*server, target);
        } catch (const std::exception& e) {
            // Told before anything else: the program's own connection may be gone too.
            MsgBox(QStringLiteral("バックアップに失敗しました。\r\n") + funcFailureReason(e, QStringLiteral("frmMenu - subBackup")),
                   MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
    } else if (!funcSameFile(databasePath, target)) {
        const LongTask task(QStringLiteral("バックアップしています…"));
        subCopyWholeFile(databasePath, target, true);
    }
    if (!funcReopen())
        return;
    // The photographs are files of their own: they go into a folder beside the backup.
    const QString pictures = funcPictureBackupFolder(target);
    // Named in full: the user must find the copy again, perhaps to carry it away.
    subPicturesThenDone(funcAppPath() + QStringLiteral("Picture"), pictures,
                        QStringLiteral("バックアップを完了しました。\r\n") + QDir::toNativeSeparators(target),
                        QStringLiteral("写真は次のフォルダにコピーしました。\r\n") + QDir::toNativeSeparators(pictures),
                        QStringLiteral("データはバックアップしましたが、写真をコピーできませんでした。"));
}

// Copies the photographs after the data was backed up or restored, then tells
// the user what was done: done, with photoLine when any photograph was copied,
// or failed with the cause.
void frmMenu::subPicturesThenDone(const QString& from, const QString& to, const QString& done, const QString& photoLine,
                                  const QString& failed)
{
    try {
        const bool copied = [&] {
            const LongTask task(QStringLiteral("写真をコピーしています…"));
            return subCopyPictures(from, to) > 0;
        }();
        MsgBox(copied ? done + QStringLiteral("\r\n") + photoLine : done, MsgButtons::Ok, MsgIcon::Information, kTitle);
    } catch (const std::exception& e) {
        MsgBox(failed + QStringLiteral("\r\n") + QString::fromStdString(e.what()), MsgButtons::Ok, MsgIcon::Warning, kTitle);
    }
}

bool frmMenu::funcReopen()
{
    if (gDatabase.isOpen())
        return true;
    if (OpenDatabase(false, funcAppPath() + kDatabaseFileName))
        return true;
    MsgBox(QStringLiteral("データベースのオープンに失敗しました"), MsgButtons::Ok, MsgIcon::Critical, kTitle);
    close();
    return false;
}

void frmMenu::subRestore()
{
    if (MsgBox(QStringLiteral("データの復元を行いますか？"), MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
        != MsgAnswer::Yes)
        return;
    const QString databasePath = funcAppPath() + kDatabaseFileName;
    FileDialogRequest request;
    request.title = QStringLiteral("データ復元するファイルを選択してください。");
    if (!m_dlgFileName.isEmpty()) {
        request.folder = QFileInfo(m_dlgFileName).absolutePath();
        request.fileName = QFileInfo(m_dlgFileName).fileName();
    } else {
        request.folder = funcBackupFolder();
    }
    const QString source = funcChooseFile(request, false);
    if (source.isEmpty())
        return;
    // A file that is not a database of this program would leave nothing to work on:
    // it is refused before anything is replaced.
    if (!funcIsProgramDatabase(source)) {
        if (funcReopen())
            MsgBox(QStringLiteral("選択したファイルは楓丸くんのデータではないため、復元できません。\r\n"
                                  "データは元のままです。"),
                   MsgButtons::Ok, MsgIcon::Warning, kTitle);
        return;
    }
    if (const auto server = funcServerConnection(databasePath)) {
        // Every PC works on the server's data: the user says so once more before it is replaced.
        if (MsgBox(QStringLiteral("サーバーのデータがすべてこのファイルの内容に置き換わり、すべてのパソコンに反映されます。\r\n"
                                  "復元してもよろしいですか？"),
                   MsgButtons::YesNoDefaultNo, MsgIcon::Warning, kTitle)
            != MsgAnswer::Yes)
            return;
        // The office's login may not replace the school: its owner's password is asked each time.
        const auto owner = funcOwnerConnection(*server);
        if (!owner)
            return;
        // This PC leaves the running programs, so that the restore finds itself alone.
        CloseDatabase();
        try {
            const LongTask task(QStringLiteral("復元しています…"));
            subLoadServerSnapshot(source, *owner);
        } catch (const OthersAtWork& e) {
            if (funcReopen())
                MsgBox(QString::fromStdString(e.what()), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        } catch (const std::exception& e) {
            // Loaded in one transaction: a failure leaves the server's data as it was.
            const QString reason = funcFailureReason(e, QStringLiteral("frmMenu - subRestore"));
            if (funcReopen())
                MsgBox(QStringLiteral("復元できませんでした。データは元のままです。\r\n") + reason, MsgButtons::Ok,
                       MsgIcon::Warning, kTitle);
            return;
        }
    } else if (!funcSameFile(databasePath, source)) {
        // A read-only database file is made writable first, so that it can be replaced.
        QFile::setPermissions(databasePath, QFile::permissions(databasePath) | QFileDevice::WriteOwner);
        const LongTask task(QStringLiteral("復元しています…"));
        subCopyWholeFile(source, databasePath);
    }
    if (!funcReopen())
        return;
    // The board shows the restored notices, not the ones they replaced.
    subRenrakuListSet();
    // The photographs of a backup that has them come back after its data; a
    // photograph the backup lacks is kept.
    subPicturesThenDone(funcPictureBackupFolder(source), funcAppPath() + QStringLiteral("Picture"),
                        QStringLiteral("復元を完了しました。"), QStringLiteral("写真も復元しました。"),
                        QStringLiteral("データは復元しましたが、写真を戻せませんでした。"));
}

// ---------------------------------------------------------------- notice board

void frmMenu::subRenrakuListSet()
{
    guarded(QStringLiteral("frmMenu - subRenrakuListSet"), [&] {
        lstRenraku->clear();
        clsDataCtl data;
        const bool ok = data.funcOpenRec(
            QStringLiteral("SELECT * FROM 連絡事項 INNER JOIN マスタ重要度 ON 連絡事項.記号 = マスタ重要度.重要度ID "
                           "WHERE 終了日>=#")
            + funcDateText(gDatabase.today()) + QStringLiteral("# Order by 記号, 連絡事項ID"));
        if (ok && data.propCount() > 0) {
            for (int i = 0; i < data.propCount(); ++i) {
                data.setPropID(i);
                QString line = funcPadByte(data.propData(QStringLiteral("重要度名")), 16);
                line += funcPadByte(QStringLiteral("<") + funcBoardDate(data.propData(QStringLiteral("開始日")))
                                        + QStringLiteral("～") + funcBoardDate(data.propData(QStringLiteral("終了日")))
                                        + QStringLiteral(">"),
                                    20);
                // The writer has a column of its own, with a gap before the text however long the name.
                line += funcPadByte(QStringLiteral("  ") + data.propData(QStringLiteral("記入者")), 12) + QStringLiteral("  ");
                // A board line is one line: the breaks of a longer text become spaces.
                QString comment = data.propData(QStringLiteral("コメント"));
                comment.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
                comment.replace(QLatin1Char('\n'), QLatin1Char(' '));
                comment.replace(QLatin1Char('\r'), QLatin1Char(' '));
                line += comment;
                auto* item = new QListWidgetItem(line, lstRenraku);
                item->setToolTip(comment);
                item->setData(Qt::UserRole, funcToLong(data.propData(QStringLiteral("連絡事項ID"))));
            }
            lstRenraku->setCurrentRow(0);
            subEditbuttonEnabled(true);
        } else {
            subEditbuttonEnabled(false);
            cmdOK[0]->setEnabled(true);
        }
    });
}

void frmMenu::lstRenraku_Click()
{
    guarded(QStringLiteral("frmMenu - lstRenraku_Click"), [&] {
        m_selectCount = funcSelectedCount(lstRenraku);
        m_buttons->follow(m_selectCount);
        const QList<int> tags = funcSelectedTags(lstRenraku);
        if (m_selectCount == 1)
            m_renrakuID = tags.value(0);
        else if (m_selectCount > 1)
            m_renrakuID = 0;
    });
}

void frmMenu::cmdOK_Click(int index)
{
    return guarded(QStringLiteral("frmMenu - cmdOK_Click"), [&] {
        m_syoriID = static_cast<Syori>(index);   // the buttons before delete: add, copy, edit
        if (index == 0)
            m_renrakuID = 0;
        if (index == 3) {
            if (!funcConfirmDelete(m_selectCount, QStringLiteral(" 件を削除してもよろしいですか？")))
                return;
            subExecuteForTags(funcSelectedTags(lstRenraku), [](int id) {
                return QStringList{QStringLiteral("DELETE FROM 連絡事項 WHERE 連絡事項ID = ") + QString::number(id)};
            });
            subRenrakuListSet();
            return;
        }
        frm連絡事項編集 window(m_syoriID, m_renrakuID, this);
        window.exec();
        m_ok = window.propOK();
        if (m_ok)
            subRenrakuListSet();
    });
}

void frmMenu::subEditbuttonEnabled(bool enabled)
{
    guarded(QStringLiteral("frmMenu - subEditbuttonEnabled"), [&] { m_buttons->setEnabled(enabled); });
}
