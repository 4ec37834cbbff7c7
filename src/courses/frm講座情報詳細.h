// One lesson (a row of 毎講座履歴) in add, copy or edit mode, with the bulk
// registration of a lesson on every chosen weekday of a date range. The
// right-hand part of the window holds the attendance of the lesson's students.
// The opener gives the operation and the lesson and reads propOK() after exec().
#pragma once

#include "KouzaStore.h"
#include "clsJukou.h"

#include <QDate>
#include "Term.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class ListFind;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class frm講座情報詳細 : public QDialog {
public:
    // mode: add, copy or edit; kouzaID: 毎講座ID of the lesson to copy or edit, 0 when adding.
    frm講座情報詳細(Syori mode, int kouzaID, QWidget* parent = nullptr);
    ~frm講座情報詳細() override;

    // Loads before showing: a lesson to copy or edit that is not stored (deleted
    // meanwhile) is told to the user and the window does not open.
    int exec() override;
    bool propFound() const { return m_found; }
    // Read after exec(): true when something was stored in this opening.
    bool propOK() const { return m_saved; }

    // Every close passes here: the close buttons, the close box and Escape.
    void done(int result) override;
    // The close box and Escape: with unsaved changes the user is asked first.
    void reject() override;
    // The lesson shown (after an add, the one just stored).
    int propKouzaID() const { return m_kouzaID; }

    void cmdOK_Click();
    void cmdEnd_Click();
    void subClear();

protected:
    // Loading happens when the window is first shown.
    void showEvent(QShowEvent* event) override;
    // A click on the student already shown shows him or her again.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildKouzaPart(QWidget* host);
    void subTabOrder();
    QWidget* buildIkkatuPart(QWidget* host);

    void subLoadOnce();
    void Form_Load();
    // False when the panel's student could not be stored (a server that failed): the window stays.
    bool Form_QueryUnload();
    void subReselectShown();
    void subComboSet();
    void subComboTextSet();
    bool funcDataSet();
    // The lesson as the window shows it.
    Kouza funcKouzaShown() const;
    // The fields of the lesson into the window.
    void subKouzaShow(const Kouza& kouza);
    // False when the lesson was deleted on another PC meanwhile.
    bool subSaveKozaInfo();
    bool funcCheckRec(const QString& sql);
    bool funcSaveKouza();
    void subEditStored();
    QStringList funcFormState() const;
    bool funcConfirmClose();
    bool funcLessonExists();

    void subIkkatuVisible(bool show);
    void subIkkatuMode(bool show);
    void chkIkkatu_Click();
    bool funcIkkatuAdd();
    // The dates of the range that fall on the chosen weekday, first to last.
    // The dates of the range on the chosen weekdays, those left out by the options in *skipped.
    QList<QDate> funcIkkatuDates(QList<TermSkip>* skipped = nullptr) const;
    QList<int> funcIkkatuWeekdays() const;
    // False when the user stopped it: nothing was stored.
    bool subIkkatuSave();

    // The attendance panel on the right.
    void buildStuPart();
    void subStuListSet();
    void subStuListFill();
    void subJukouCount();
    void lvList_Click();
    void subSetJukou();
    void subStoreShown();
    bool funcKouzaStored();
    void subMarkEnabled(bool enabled);
    void chk受講者_Click();
    void subConfirmUntick();
    void opt出欠_Click();
    void opt宿題_Click();
    void cbo態度評価_Click(int index);
    void txtコメント_Change();
    // The list shows the takers or every student, narrowed by what is typed.
    void opt表示_Click();
    void subTakerCountShow();
    void subTeiinCheck();
    bool funcKouzaStoredOrTold();
    void cmd前回受講者_Click();
    void cmd一括入力_Click();

    QString kouzaInfoText(int index) const;
    void setKouzaInfoText(int index, const QString& text);


    QLabel* lblMode = nullptr;
    std::array<QGroupBox*, 2> fraKouza{};
    std::array<QDateEdit*, 3> DTPDate{};
    std::array<QComboBox*, 8> cboEdit{};
    std::array<QLineEdit*, 2> txtNinzu{};
    // 0 単元, 2 宿題 and 3 コメント are one-line edits, 1 講座内容 several lines.
    std::array<QWidget*, 4> TXT_KouzaInfo{};
    QGroupBox* fraIkkatu = nullptr;
    QCheckBox* chkIkkatu = nullptr;
    std::array<QCheckBox*, 7> chk曜日{};   // weekdays besides the one chosen in the box
    std::array<QCheckBox*, 3> chk除く{};   // holidays off, closures, 5th weeks
    std::array<QLabel*, 16> lblItem{};   // only the named ones exist: 12 "から", 15 "までの"
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblMsg = nullptr;
    QGroupBox* frmStu = nullptr;
    QTreeWidget* lvList = nullptr;
    QCheckBox* chk受講者 = nullptr;
    QLabel* imgArrow = nullptr;
    QGroupBox* frmHyoka = nullptr;
    std::array<QLabel*, 16> lbltitle{};   // 0 "氏名：", 9 出欠, 11 宿題, 10 12 13 14 the marks, 15 コメント
    QLabel* lblSelectStudentName = nullptr;
    QWidget* fra出欠 = nullptr;
    QWidget* fra宿題 = nullptr;
    std::array<QRadioButton*, 3> opt出欠{};
    std::array<QRadioButton*, 2> opt宿題{};
    std::array<QComboBox*, 4> cbo態度評価{};
    QLineEdit* txtコメント = nullptr;
    QLabel* lblコメント文字数 = nullptr;   // the comment's count of its limit
    std::array<QRadioButton*, 2> opt表示{};   // 受講者のみ, 全生徒
    QLineEdit* txtFind = nullptr;
    ListFind* m_find = nullptr;                // owned by txtFind
    QPushButton* cmd前回受講者 = nullptr;
    QPushButton* cmd一括入力 = nullptr;

    Syori m_mode = Syori::Add;
    int m_kouzaID = 0;           // 毎講座ID
    bool m_loaded = false;       // Form_Load has run
    bool m_loading = false;      // while loading and while closing
    bool m_closing = false;
    bool m_found = true;         // the lesson to copy or edit is stored
    bool m_saved = false;        // something was stored in this opening
    QStringList m_savedState;    // funcFormState as loaded or last saved
    Kouza m_kouza;               // as funcDataSet collected it from the window
    Kouza m_read;                // as the window showed it when read or last saved (with 更新回数)

    std::optional<clsJukou> m_jukou;               // the student shown and his or her marks
    QTreeWidgetItem* m_shownItem = nullptr;         // none until a student is shown
    QTreeWidgetItem* m_currentAtPress = nullptr;
    bool m_teiinWarned = false;                     // 定員数 exceeded has been told in this opening
};
