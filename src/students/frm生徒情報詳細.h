// The student detail: adds a student, adds a copy of one, or edits one, with the
// student's photograph. Photograph changes take effect only when the student is
// saved; closing without saving puts the files back as they were.
#pragma once

#include "SeitoStore.h"

#include "StudentPhoto.h"
#include "Syori.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QMimeData;
class QPushButton;
class QRadioButton;

class frm生徒情報詳細 : public QDialog {
public:
    explicit frm生徒情報詳細(QWidget* parent = nullptr);
    ~frm生徒情報詳細() override;

    void setPropMode(Syori mode) { m_mode = mode; }
    // The student to edit or to copy from (0 for add); after loading, the number being written.
    void setPropStudentID(int studentID) { m_studentID = studentID; }
    int propStudentID() const { return m_studentID; }
    bool propOK() const { return m_ok; }
    // False when the student to copy or edit is not in the register (the window did not open).
    bool propFound() const { return m_found; }

    // Loads before showing: a student that is not stored is told and the window does not open.
    int exec() override;

    void cmdOK_Click();
    void cmdEnd_Click();
    void cmdKojinKouza_Click();
    // The student's make-up credits, each to book or cancel.
    void cmdFurikae_Click();
    void cmdPicDelete_Click(int index);
    // The close box and Escape close as cmdEnd does, asking first when something changed.
    void reject() override { cmdEnd_Click(); }

protected:
    // Loading happens when the window is first shown, after the caller's settings.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void subLoadOnce();
    void Form_Load();
    bool funcStudentExists();
    QStringList funcFormState() const;
    void subComboTextSet();
    void subClear();
    bool funcInputCheck();
    // False when the student was deleted on another PC meanwhile.
    bool subUpdate();
    // The student as the window shows it.
    Seito funcSeitoShown() const;
    void subLoadImage();
    void subImportImage(const QString& path);
    void imgStudent_OLEDragDrop(const QMimeData* data);
    void subShowImage();
    void subPictureOpening(int sourceNo);
    void subPictureCancel();
    // The grade shown for the birth date, 学年補正 or the grade chosen by hand, and
    // which of those may be changed; the enrolment boxes that follow the state.
    void subGradeShow();
    void subStateFollow();

    // line edits, and text areas for 住所 (4) and 備考 (6); 7 保護者氏名, 8 続柄,
    // 9 保護者電話, 10 保護者メール, 11 退塾理由
    std::array<QWidget*, 12> txtStuInfo{};
    std::array<QDateEdit*, 3> DTPDate{};    // 入塾日, 生年月日, 状態日付
    std::array<QRadioButton*, 3> optSex{};  // 1 男, 2 女; 0 is not used
    std::array<QComboBox*, 4> cboEdit{};    // 学校, 学年補正, 手動学年, 在籍状態
    QLabel* lblGakunen = nullptr;           // the grade this school year
    QGroupBox* fraHogosha = nullptr;
    QGroupBox* fraZaiseki = nullptr;
    QGroupBox* frmSex = nullptr;
    QLabel* imgStudent = nullptr;
    std::array<QPushButton*, 2> cmdPicDelete{};
    QGroupBox* frmMenu = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdKojinKouza = nullptr;
    QPushButton* cmdFurikae = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMode = nullptr;
    QLabel* lblStudentNo = nullptr;
    QLabel* lblMsg = nullptr;

    Syori m_mode = Syori::Add;
    int m_studentID = 0;
    bool m_ok = false;
    bool m_loaded = false;
    bool m_found = true;
    QStringList m_loadedState;       // funcFormState as loaded: a close with anything else asks
    std::optional<Seito> m_read;     // the student being edited as shown when read (with 更新回数)
    Seito m_stored;                  // as stored (the grade chosen by hand with its year)
    int m_schoolYear = 0;
    StudentPhoto m_photo;
};
