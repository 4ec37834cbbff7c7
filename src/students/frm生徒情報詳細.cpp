#include "frm生徒情報詳細.h"

#include "CommonBase.h"
#include "Enrolment.h"
#include "ErrorLog.h"
#include "FormsCommon.h"
#include "KeyFilter.h"
#include "MainCommon.h"
#include "Named.h"
#include "SchoolYear.h"
#include "SeitoStore.h"
#include "TextBox.h"
#include "Theme.h"
#include "UiServices.h"
#include "frm振替.h"
#include "frm講座情報一覧.h"
#include "WindowPlace.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kNotPicture = QStringLiteral("Jpegファイルしか読み込めません。");
const QString kNotFound = QStringLiteral("指定された生徒が見つかりません。既に削除された可能性があります。");
const QString kBadMail = QStringLiteral("保護者メールの形式が正しくありません。「@」を1つだけ含み、空白を含まないように入力してください。");
const QString kNoStateDate = QStringLiteral("休塾・退塾の日付を入力してください。");
constexpr int kPhotoWidth = 180;
constexpr int kPhotoHeight = 240;

// The picture fitted into the box, its proportions kept; a null pixmap when the file is no picture.
QPixmap fittedPicture(const QString& path, const QSize& box, qreal ratio)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize target = box * ratio;
    const QSize size = reader.size();
    // Large photographs are decoded at about the size shown, which is much faster.
    if (size.isValid() && reader.transformation() == QImageIOHandler::TransformationNone
        && (size.width() > target.width() || size.height() > target.height()))
        reader.setScaledSize(size.scaled(target, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    QPixmap picture = QPixmap::fromImage(image.size() == image.size().scaled(target, Qt::KeepAspectRatio)
                                             ? image
                                             : image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(ratio);
    return picture;
}

bool isJpegName(const QString& path)
{
    return path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive)
        || path.endsWith(QStringLiteral(".jpeg"), Qt::CaseInsensitive);
}

QLineEdit* lineBox(QWidget* parent, int index, int maxLength)
{
    auto* box = named<QLineEdit>(parent, QStringLiteral("txtStuInfo_%1").arg(index));
    subTextLimit(box, maxLength);
    return box;
}

QPlainTextEdit* areaBox(QWidget* parent, int index, int maxLength)
{
    auto* box = named<QPlainTextEdit>(parent, QStringLiteral("txtStuInfo_%1").arg(index));
    subTextLimit(box, maxLength);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
    return box;
}
} // namespace

frm生徒情報詳細::frm生徒情報詳細(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm生徒情報詳細"));
    setWindowTitle(QStringLiteral("生徒の情報を記入しましょう～。"));
    buildControls();
}

frm生徒情報詳細::~frm生徒情報詳細()
{
}

void frm生徒情報詳細::buildControls()
{
    lblMode = named<QLabel>(this, QStringLiteral("lblMode"));
    lblMode->setFont(Theme::uiFont(14, true));
    lblMode->setStyleSheet(Theme::textStyle(Theme::accent));

    txtStuInfo = {lineBox(this, 0, SeitoWidth::kana),     lineBox(this, 1, SeitoWidth::name),
                  lineBox(this, 2, SeitoWidth::phone),    lineBox(this, 3, SeitoWidth::postal),
                  areaBox(this, 4, SeitoWidth::address),  lineBox(this, 5, SeitoWidth::mobile),
                  areaBox(this, 6, SeitoWidth::remarks),  lineBox(this, 7, SeitoWidth::guardianName),
                  lineBox(this, 8, SeitoWidth::relation), lineBox(this, 9, SeitoWidth::phone),
                  lineBox(this, 10, SeitoWidth::guardianMail), lineBox(this, 11, SeitoWidth::leaveReason)};
    // txtStuInfo_KeyPress: the reading takes half-width kana, the numbers digits.
    KeyFilter::install(txtStuInfo[0], 2);
    subImeMode(txtStuInfo[10], 3);
    for (int i : {2, 3, 5, 9}) {
        KeyFilter::install(txtStuInfo[i], 1);
        subImeMode(txtStuInfo[i], 3);
    }
    DTPDate = namedArray<QDateEdit, 3>(this, QStringLiteral("DTPDate"));
    subDatePicker(DTPDate[0]);
    // A birth date may be unknown when a student joins.
    subOptionalDatePicker(DTPDate[1]);
    subOptionalDatePicker(DTPDate[2]);
    frmSex = named<QGroupBox>(this, QStringLiteral("frmSex"));
    optSex[1] = named<QRadioButton>(frmSex, QStringLiteral("optSex_1"), QStringLiteral("男"));
    optSex[2] = named<QRadioButton>(frmSex, QStringLiteral("optSex_2"), QStringLiteral("女"));
    optSex[1]->setChecked(true);
    auto* sexLayout = new QHBoxLayout(frmSex);
    sexLayout->setContentsMargins(8, 2, 8, 2);
    sexLayout->addWidget(optSex[1]);
    sexLayout->addWidget(optSex[2]);
    sexLayout->addStretch(1);
    cboEdit = namedArray<QComboBox, 4>(this, QStringLiteral("cboEdit"));
    cboEdit[0]->setMinimumWidth(240);
    cboEdit[1]->addItem(QStringLiteral("補正なし"), 0);
    cboEdit[1]->addItem(QStringLiteral("1学年上"), 1);
    cboEdit[1]->addItem(QStringLiteral("1学年下"), -1);
    cboEdit[2]->addItem(QString());
    cboEdit[2]->addItems(SchoolYear::funcGradeNames());
    for (int state = 0; state <= 2; ++state)
        cboEdit[3]->addItem(Enrolment::funcStateName(state), state);
    for (QComboBox* box : {cboEdit[1], cboEdit[2], cboEdit[3]})
        subComboWheelGuard(box);
    lblGakunen = named<QLabel>(this, QStringLiteral("lblGakunen"));
    lblGakunen->setMinimumWidth(lblGakunen->fontMetrics().horizontalAdvance(QStringLiteral("（不明）")) + 8);
    connect(DTPDate[1], &QDateEdit::dateChanged, this, [this] { subGradeShow(); });
    connect(cboEdit[1], &QComboBox::currentIndexChanged, this, [this] { subGradeShow(); });
    connect(cboEdit[2], &QComboBox::currentIndexChanged, this, [this] { subGradeShow(); });
    connect(cboEdit[3], &QComboBox::currentIndexChanged, this, [this] { subStateFollow(); });

    imgStudent = named<QLabel>(this, QStringLiteral("imgStudent"));
    imgStudent->setFixedSize(kPhotoWidth, kPhotoHeight);
    imgStudent->setFrameShape(QFrame::StyledPanel);
    imgStudent->setAlignment(Qt::AlignCenter);
    imgStudent->setStyleSheet(QStringLiteral("QLabel { background: white; color: %1; }").arg(Theme::muted.name()));
    imgStudent->setAcceptDrops(true);
    imgStudent->installEventFilter(this);
    cmdPicDelete = namedArray<QPushButton, 2>(this, QStringLiteral("cmdPicDelete"),
                                              {QStringLiteral("画像取込"), QStringLiteral("画像削除")});
    for (int i = 0; i < 2; ++i) {
        cmdPicDelete[i]->setAutoDefault(false);
        connect(cmdPicDelete[i], &QPushButton::clicked, this, [this, i] { cmdPicDelete_Click(i); });
    }

    frmMenu = named<QGroupBox>(this, QStringLiteral("frmMenu"), QStringLiteral("何を行いますか？"));
    cmdOK = named<QPushButton>(frmMenu, QStringLiteral("cmdOK"), QStringLiteral("内容を更新したい(&U)"));
    cmdClear = named<QPushButton>(frmMenu, QStringLiteral("cmdClear"), QStringLiteral("内容をクリアしたい(&C)"));
    cmdKojinKouza = named<QPushButton>(frmMenu, QStringLiteral("cmdKojinKouza"),
                                       QStringLiteral("受講確認及びカレンダー出力をしたい(&O)"));
    cmdFurikae = named<QPushButton>(frmMenu, QStringLiteral("cmdFurikae"), QStringLiteral("振替(&F)"));
    cmdEnd = named<QPushButton>(frmMenu, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    auto* menuLayout = new QHBoxLayout(frmMenu);
    for (QPushButton* button : {cmdOK, cmdClear, cmdKojinKouza, cmdFurikae, cmdEnd}) {
        // Enter in a box must not save by accident.
        button->setAutoDefault(false);
        menuLayout->addWidget(button);
    }
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { subClear(); });
    connect(cmdKojinKouza, &QPushButton::clicked, this, [this] { cmdKojinKouza_Click(); });
    connect(cmdFurikae, &QPushButton::clicked, this, [this] { cmdFurikae_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });

    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           QStringLiteral("生徒情報を記入してください。氏名カナと生徒氏名のみ必須項目です。"
                                          "写真を取り込みたい場合は、写真表示部分の下の「画像取込」ボタンを押して画像を選択してください。"
                                          "記入したら「更新」ボタンを押してください。"));
    Theme::subHelpText(lblMsg);

    const auto caption = [this](int index, const QString& text) {
        return named<QLabel>(this, QStringLiteral("lblItem_%1").arg(index), text);
    };
    // The number tells apart two students of the same name; it is the program's, never typed.
    lblStudentNo = named<QLabel>(this, QStringLiteral("lblStudentNo"));
    lblStudentNo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* grid = new QGridLayout;
    grid->addWidget(caption(13, QStringLiteral("氏名カナ")), 0, 0);
    grid->addWidget(txtStuInfo[0], 0, 1, 1, 3);
    grid->addWidget(caption(0, QStringLiteral("生徒氏名")), 1, 0);
    grid->addWidget(txtStuInfo[1], 1, 1, 1, 3);
    grid->addWidget(caption(7, QStringLiteral("性別")), 2, 0);
    grid->addWidget(frmSex, 2, 1);
    grid->addWidget(caption(5, QStringLiteral("生年月日")), 2, 2);
    grid->addWidget(DTPDate[1], 2, 3);
    auto* grade = new QHBoxLayout;
    grade->addWidget(lblGakunen);
    grade->addWidget(cboEdit[1], 1);
    grid->addWidget(caption(15, QStringLiteral("学年")), 3, 0);
    grid->addLayout(grade, 3, 1);
    grid->addWidget(caption(16, QStringLiteral("手動学年")), 3, 2);
    grid->addWidget(cboEdit[2], 3, 3);
    grid->addWidget(caption(1, QStringLiteral("電話")), 4, 0);
    grid->addWidget(txtStuInfo[2], 4, 1);
    grid->addWidget(caption(4, QStringLiteral("携帯電話")), 4, 2);
    grid->addWidget(txtStuInfo[5], 4, 3);
    grid->addWidget(caption(2, QStringLiteral("郵便番号")), 5, 0);
    grid->addWidget(txtStuInfo[3], 5, 1);
    grid->addWidget(caption(8, QStringLiteral("入塾日")), 5, 2);
    grid->addWidget(DTPDate[0], 5, 3);
    grid->addWidget(caption(3, QStringLiteral("住所")), 6, 0, Qt::AlignTop);
    grid->addWidget(txtStuInfo[4], 6, 1, 1, 3);
    grid->addWidget(caption(6, QStringLiteral("学校名")), 7, 0);
    grid->addWidget(cboEdit[0], 7, 1, 1, 3);
    grid->addWidget(caption(10, QStringLiteral("備考")), 8, 0, Qt::AlignTop);
    grid->addWidget(txtStuInfo[6], 8, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    fraHogosha = named<QGroupBox>(this, QStringLiteral("fraHogosha"), QStringLiteral("保護者"));
    auto* guardian = new QGridLayout(fraHogosha);
    guardian->addWidget(caption(17, QStringLiteral("保護者氏名")), 0, 0);
    guardian->addWidget(txtStuInfo[7], 0, 1);
    guardian->addWidget(caption(18, QStringLiteral("続柄")), 0, 2);
    guardian->addWidget(txtStuInfo[8], 0, 3);
    guardian->addWidget(caption(19, QStringLiteral("保護者電話")), 1, 0);
    guardian->addWidget(txtStuInfo[9], 1, 1);
    guardian->addWidget(caption(20, QStringLiteral("保護者メール")), 1, 2);
    guardian->addWidget(txtStuInfo[10], 1, 3);
    guardian->setColumnStretch(1, 1);
    guardian->setColumnStretch(3, 1);
    grid->addWidget(fraHogosha, 9, 0, 1, 4);

    fraZaiseki = named<QGroupBox>(this, QStringLiteral("fraZaiseki"), QStringLiteral("在籍"));
    auto* enrolment = new QGridLayout(fraZaiseki);
    enrolment->addWidget(caption(21, QStringLiteral("在籍状態")), 0, 0);
    enrolment->addWidget(cboEdit[3], 0, 1);
    enrolment->addWidget(caption(22, QStringLiteral("日付")), 0, 2);
    enrolment->addWidget(DTPDate[2], 0, 3);
    enrolment->addWidget(caption(23, QStringLiteral("退塾理由")), 1, 0);
    enrolment->addWidget(txtStuInfo[11], 1, 1, 1, 3);
    enrolment->setColumnStretch(1, 1);
    enrolment->setColumnStretch(3, 1);
    grid->addWidget(fraZaiseki, 10, 0, 1, 4);

    auto* photo = new QVBoxLayout;
    photo->addWidget(imgStudent);
    auto* photoButtons = new QHBoxLayout;
    photoButtons->addWidget(cmdPicDelete[0]);
    photoButtons->addWidget(cmdPicDelete[1]);
    photo->addLayout(photoButtons);
    photo->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addLayout(grid, 1);
    body->addSpacing(12);
    body->addLayout(photo);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(lblMode);
    top->addStretch(1);
    top->addWidget(caption(14, QStringLiteral("生徒番号")));
    top->addWidget(lblStudentNo);
    layout->addLayout(top);
    layout->addLayout(body);
    layout->addWidget(frmMenu);
    layout->addWidget(lblMsg);
    subPlaceWindow(this, QSize(820, sizeHint().height()));

    // Tab follows the rows of the form (the student's own, the guardian, the
    // enrolment), then the photograph's buttons and the menu.
    subTabOrder({txtStuInfo[0],   txtStuInfo[1],   optSex[1],     optSex[2],      DTPDate[1],    cboEdit[1],     cboEdit[2],
                 txtStuInfo[2],   txtStuInfo[5],   txtStuInfo[3], DTPDate[0],     txtStuInfo[4], cboEdit[0],     txtStuInfo[6],
                 txtStuInfo[7],   txtStuInfo[8],   txtStuInfo[9], txtStuInfo[10], cboEdit[3],    DTPDate[2],     txtStuInfo[11],
                 cmdPicDelete[0], cmdPicDelete[1], cmdOK,         cmdClear,       cmdKojinKouza, cmdFurikae, cmdEnd});
    subGradeShow();
    subStateFollow();
}

void frm生徒情報詳細::subLoadOnce()
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

int frm生徒情報詳細::exec()
{
    subLoadOnce();
    if (!m_found) {
        MsgBox(kNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void frm生徒情報詳細::showEvent(QShowEvent* event)
{
    subLoadOnce();
    QDialog::showEvent(event);
}

bool frm生徒情報詳細::funcStudentExists()
{
    return SeitoStore::exists(m_studentID);
}

void frm生徒情報詳細::Form_Load()
{
    guarded(QStringLiteral("frm生徒情報詳細 - Form_Load"), [&] {
        Set_Combo(cboEdit[0], QStringLiteral("マスタ学校"));
        subComboTextSet();
        cmdFurikae->setEnabled(m_mode == Syori::Edit);
        m_loadedState = funcFormState();
    });
}

void frm生徒情報詳細::subComboTextSet()
{
    guarded(QStringLiteral("frm生徒情報詳細 - subComboTextSet"), [&] {
        m_schoolYear = SchoolYear::funcCurrentSchoolYear();
        subClear();
        static const std::array<QString, 3> modes{QStringLiteral("追　加"), QStringLiteral("コピー(追加)"),
                                                  QStringLiteral("編　集")};
        lblMode->setText(modes[static_cast<std::size_t>(m_mode)]);

        const std::optional<Seito> stored = SeitoStore::load(m_studentID);
        if (m_mode != Syori::Add && !stored) {
            // Nothing to copy or edit; no file of any number is touched.
            m_found = false;
            return;
        }
        const int sourceNo = m_studentID;
        if (m_mode != Syori::Edit)
            m_studentID = SeitoStore::nextNo();
        subPictureOpening(sourceNo);
        lblStudentNo->setText(QString::number(m_studentID));
        if (!stored) {
            cmdPicDelete[1]->setEnabled(false);
            return;
        }

        const std::array<QString, 12> texts{stored->kana,          stored->name,          stored->phone,
                                            stored->postal,        stored->address,       stored->mobile,
                                            stored->remarks,       stored->guardianName,  stored->relation,
                                            stored->guardianPhone, stored->guardianMail,  stored->leaveReason};
        for (std::size_t i = 0; i < texts.size(); ++i)
            subSetBoxText(txtStuInfo[i], texts[i]);
        if (stored->sex == 1 || stored->sex == 2)
            optSex[stored->sex]->setChecked(true);
        // A student stored without an entry date shows today's, as a new student does;
        // an unknown birth date stays unknown.
        DTPDate[0]->setDate(stored->entry.isValid() ? stored->entry : QDate::currentDate());
        subSetPickerDate(DTPDate[1], stored->birth);
        m_stored = *stored;
        cboEdit[1]->setCurrentIndex(std::max(0, cboEdit[1]->findData(stored->gradeCorrection)));
        if (!stored->birth.isValid())
            cboEdit[2]->setCurrentText(SchoolYear::funcGradeName(SeitoStore::funcGrade(*stored, m_schoolYear)));
        cboEdit[3]->setCurrentIndex(static_cast<int>(Enrolment::funcState(stored->state)));
        subSetPickerDate(DTPDate[2], stored->stateDate);
        if (const int school = stored->schoolID.value_or(0); school != 0)
            cboEdit[0]->setCurrentIndex(funcCboIndex(cboEdit[0], school));
        subShowImage();
        if (m_mode == Syori::Edit) {
            m_read = funcSeitoShown();
            m_read->version = stored->version;
            // A missing entry date shows as today and is stored as shown.
            m_read->entry = stored->entry;
        }
    });
}

void frm生徒情報詳細::subGradeShow()
{
    const bool born = funcPickerDate(DTPDate[1]).isValid();
    // 学年補正 moves a grade from the birth date; without one the grade is chosen by hand.
    cboEdit[1]->setEnabled(born);
    cboEdit[2]->setEnabled(!born);
    std::optional<int> grade;
    if (born)
        grade = SchoolYear::funcGradeOf(funcPickerDate(DTPDate[1]), m_schoolYear, cboEdit[1]->currentData().toInt());
    else
        grade = SchoolYear::funcGradeNumber(cboEdit[2]->currentText());
    const QString name = SchoolYear::funcGradeName(grade);
    lblGakunen->setText(name.isEmpty() ? QStringLiteral("（不明）") : name);
}

void frm生徒情報詳細::subStateFollow()
{
    const int state = cboEdit[3]->currentIndex();
    DTPDate[2]->setEnabled(state > 0);
    txtStuInfo[11]->setEnabled(state == static_cast<int>(Zaiseki::Left));
    // A pause or a leave starts today unless the user says otherwise.
    if (state > 0 && !funcPickerDate(DTPDate[2]).isValid() && m_loaded)
        DTPDate[2]->setDate(QDate::currentDate());
}

void frm生徒情報詳細::subClear()
{
    guarded(QStringLiteral("frm生徒情報詳細 - subClear"), [&] {
        DTPDate[0]->setDate(QDate::currentDate());
        subSetPickerDate(DTPDate[1], QDate());
        cboEdit[0]->setCurrentIndex(-1);
        for (int i : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11})
            subSetBoxText(txtStuInfo[i], QString());
        cboEdit[1]->setCurrentIndex(0);
        cboEdit[2]->setCurrentIndex(0);
        cboEdit[3]->setCurrentIndex(0);
        subSetPickerDate(DTPDate[2], QDate());
        // The file stays; only the picture goes.
        imgStudent->clear();
        imgStudent->setText(QStringLiteral("写真なし"));
    });
}

bool frm生徒情報詳細::funcInputCheck()
{
    return guarded(QStringLiteral("frm生徒情報詳細 - funcInputCheck"), [&] {
        const bool noKana = funcBoxText(txtStuInfo[0]).trimmed().isEmpty();
        const bool noName = funcBoxText(txtStuInfo[1]).trimmed().isEmpty();
        if (noKana || noName) {
            MsgBox(QStringLiteral("氏名カナ、生徒氏名は必須項目です。"), MsgButtons::Ok, MsgIcon::Information, kTitle);
            txtStuInfo[noKana ? 0 : 1]->setFocus();
            return false;
        }
        const QString mail = funcBoxText(txtStuInfo[10]);
        if (!mail.isEmpty() && !funcIsMailAddress(mail)) {
            MsgBox(kBadMail, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            txtStuInfo[10]->setFocus();
            return false;
        }
        if (cboEdit[3]->currentIndex() > 0 && !funcPickerDate(DTPDate[2]).isValid()) {
            MsgBox(kNoStateDate, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            DTPDate[2]->setFocus();
            return false;
        }
        return true;
    });
}

bool frm生徒情報詳細::subUpdate()
{
    return guarded(QStringLiteral("frm生徒情報詳細 - subUpdate"), [&] {
        // The photograph follows only a student that was stored.
        if (!SeitoStore::save(funcSeitoShown(), m_mode, m_read ? &*m_read : nullptr))
            return false;
        m_photo.save();
        return true;
    });
}

Seito frm生徒情報詳細::funcSeitoShown() const
{
    Seito seito;
    seito.no = m_studentID;
    seito.kana = funcBoxText(txtStuInfo[0]);
    seito.name = funcBoxText(txtStuInfo[1]);
    seito.phone = funcBoxText(txtStuInfo[2]);
    seito.postal = funcBoxText(txtStuInfo[3]);
    seito.address = funcBoxText(txtStuInfo[4]);
    seito.mobile = funcBoxText(txtStuInfo[5]);
    seito.remarks = funcBoxText(txtStuInfo[6]);
    seito.entry = DTPDate[0]->date();
    seito.birth = funcPickerDate(DTPDate[1]);
    // Without a choice the stored school stays.
    if (cboEdit[0]->currentIndex() >= 0)
        seito.schoolID = funcToLong(cboEdit[0]->currentData());
    seito.sex = optSex[1]->isChecked() ? 1 : 2;
    seito.guardianName = funcBoxText(txtStuInfo[7]);
    seito.relation = funcBoxText(txtStuInfo[8]);
    seito.guardianPhone = funcBoxText(txtStuInfo[9]);
    seito.guardianMail = funcBoxText(txtStuInfo[10]);
    seito.leaveReason = funcBoxText(txtStuInfo[11]);
    seito.gradeCorrection = cboEdit[1]->currentData().toInt();
    if (const QString chosen = cboEdit[2]->currentText(); !seito.birth.isValid() && !chosen.isEmpty()) {
        // A grade left as loaded keeps the year it was chosen in, so nothing counts as changed.
        const bool asStored = chosen == SchoolYear::funcGradeName(SeitoStore::funcGrade(m_stored, m_schoolYear));
        seito.manualGrade = asStored ? m_stored.manualGrade : chosen;
        seito.manualYear = asStored ? m_stored.manualYear : m_schoolYear;
    }
    seito.state = cboEdit[3]->currentIndex();
    if (seito.state != static_cast<int>(Zaiseki::Enrolled))
        seito.stateDate = funcPickerDate(DTPDate[2]);
    return seito;
}

void frm生徒情報詳細::cmdOK_Click()
{
    guarded(QStringLiteral("frm生徒情報詳細 - cmdOK_Click"), [&] {
        if (!funcInputCheck())
            return;
        // A student removed from the register while open (restore, initialization) cannot be edited.
        if ((m_mode == Syori::Edit && !funcStudentExists()) || !subUpdate()) {
            MsgBox(kNotFound, MsgButtons::Ok, MsgIcon::Information, kTitle);
            return;
        }
        m_ok = true;
        accept();
    });
}

QStringList frm生徒情報詳細::funcFormState() const
{
    QStringList state;
    for (QWidget* box : txtStuInfo)
        state << funcBoxText(box);
    for (const QDateEdit* picker : DTPDate)
        state << funcPickerDate(picker).toString(Qt::ISODate);
    for (const QComboBox* box : cboEdit)
        state << QString::number(box->currentIndex());
    state << QString::number(optSex[1]->isChecked())
          << QString::number(m_photo.imported()) << QString::number(m_photo.removed());
    return state;
}

void frm生徒情報詳細::cmdEnd_Click()
{
    guarded(QStringLiteral("frm生徒情報詳細 - cmdEnd_Click"), [&] {
        // はい saves and closes as 内容を更新したい does; a failed check keeps the window open.
        if (!funcConfirmClose(m_found && m_loaded && funcFormState() != m_loadedState, [this] {
                cmdOK_Click();
                return false;
            }))
            return;
        subPictureCancel();
        m_ok = false;
        QDialog::reject();
    });
}

void frm生徒情報詳細::cmdKojinKouza_Click()
{
    guarded(QStringLiteral("frm生徒情報詳細 - cmdKojinKouza_Click"), [&] {
        // The student's own lessons: a new student's number has none yet.
        frm講座情報一覧 lessons(this);
        lessons.setPropNoSearch(true);
        lessons.setPropTableName(QStringLiteral("QRY_講座出席出力"));
        lessons.setPropStudentName(funcBoxText(txtStuInfo[1]));
        lessons.setPropStudentNo(m_studentID);
        lessons.setPropJyokenString(QString());
        lessons.exec();
    });
}

void frm生徒情報詳細::cmdFurikae_Click()
{
    guarded(QStringLiteral("frm生徒情報詳細 - cmdFurikae_Click"), [&] {
        // A student not stored yet has missed nothing.
        if (m_mode != Syori::Edit)
            return;
        frm振替一覧 makeups(this, m_studentID);
        makeups.exec();
    });
}

// ---------------------------------------------------------------- photograph

void frm生徒情報詳細::subPictureOpening(int sourceNo)
{
    m_photo.open(m_mode, m_studentID, sourceNo);
}

void frm生徒情報詳細::subPictureCancel()
{
    m_photo.cancel();
}

void frm生徒情報詳細::subShowImage()
{
    const QString picture = funcPicturePath(m_studentID);
    if (funcFileExists(picture)) {
        const QPixmap shown = fittedPicture(picture, imgStudent->contentsRect().size(), devicePixelRatioF());
        if (shown.isNull())
            imgStudent->setText(QStringLiteral("表示できない画像です"));
        else
            imgStudent->setPixmap(shown);
        cmdPicDelete[1]->setEnabled(true);
    } else {
        imgStudent->clear();
        imgStudent->setText(QStringLiteral("写真なし"));
        cmdPicDelete[1]->setEnabled(false);
    }
}

void frm生徒情報詳細::cmdPicDelete_Click(int index)
{
    guarded(QStringLiteral("frm生徒情報詳細 - cmdPicDelete_Click"), [&] {
        if (index == 0) {
            subLoadImage();
            return;
        }
        if (!funcFileExists(funcPicturePath(m_studentID))) {
            MsgBox(QStringLiteral("選択されたファイルは既に削除されています。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        if (MsgBox(QStringLiteral("画像を削除してもよいですか？"), MsgButtons::YesNoDefaultNo, MsgIcon::Question, kTitle)
            != MsgAnswer::Yes)
            return;
        imgStudent->clear();
        imgStudent->setText(QStringLiteral("写真なし"));
        cmdPicDelete[1]->setEnabled(false);
        m_photo.markRemoved();
    });
}

void frm生徒情報詳細::subLoadImage()
{
    guarded(QStringLiteral("frm生徒情報詳細 - subLoadImage"), [&] {
        FileDialogRequest request;
        // The ending in any letter case: pictures from cameras often end in ".JPG",
        // and some file dialogs match patterns case by case.
        request.filter = QStringLiteral("Jpegファイル (*.[jJ][pP][gG] *.[jJ][pP][eE][gG])");
        const QString chosen = ui().openFileName(this, request);
        if (chosen.isEmpty())
            return;
        if (!funcFileExists(chosen)) {
            MsgBox(QStringLiteral("選択されたファイルは削除されています。"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        subImportImage(chosen);
    });
}

void frm生徒情報詳細::subImportImage(const QString& path)
{
    guarded(QStringLiteral("frm生徒情報詳細 - subLoadImage"), [&] {
        // The picture is read whole before any file is touched: a file that is no
        // picture changes nothing, and the student's own file may be chosen.
        QByteArray bytes;
        if (QFile file(path); file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (bytes.isEmpty() || QImage::fromData(bytes).isNull()) {
            MsgBox(kNotPicture, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        m_photo.import(bytes);
        subShowImage();
    });
}

void frm生徒情報詳細::imgStudent_OLEDragDrop(const QMimeData* data)
{
    guarded(QStringLiteral("frm生徒情報詳細 - imgStudent_OLEDragDrop"), [&] {
        const QList<QUrl> urls = data->urls();
        const QString path = urls.isEmpty() ? QString() : urls.first().toLocalFile();
        if (!isJpegName(path)) {
            MsgBox(kNotPicture, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            return;
        }
        subImportImage(path);
    });
}

bool frm生徒情報詳細::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgStudent) {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (enter->mimeData()->hasUrls())
                enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            imgStudent_OLEDragDrop(drop->mimeData());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
