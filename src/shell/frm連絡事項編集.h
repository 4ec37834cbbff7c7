// Writing one notice of the board: add, copy (add with the values of another) or
// edit. The opener says what to do and reads propOK() after exec().
#pragma once

#include "DaoCommon.h"
#include "Syori.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frm連絡事項編集 : public QDialog {
public:
    // renrakuID: the notice to copy or edit, 0 when adding.
    frm連絡事項編集(Syori mode, int renrakuID, QWidget* parent = nullptr);
    ~frm連絡事項編集() override;

    // True after a save, false after 閉じる.
    bool propOK() const { return m_ok; }

    void cmdOK_Click();
    void cmdEnd_Click();
    bool funcInputCheck();

    void reject() override;
    void done(int result) override;

protected:
    // Loading happens when the window is first shown.
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void subComboTextSet();
    void Form_Unload();
    // What the controls hold, to tell whether the user changed anything.
    QStringList funcFormState() const;

    Syori m_syoriID;
    int m_renrakuID;
    bool m_loaded = false;
    bool m_ok = false;
    QStringList m_loadedState;
    std::optional<Recordset> m_rs;   // the notices, open while the window is

    QLabel* lblMode = nullptr;
    std::array<QDateEdit*, 2> DTPDate{};
    std::array<QComboBox*, 1> cboEdit{};
    QLineEdit* txtName = nullptr;
    QPlainTextEdit* txtRenraku = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;
    std::array<QLabel*, 4> lblItem{};
    QLabel* lblMsg = nullptr;
};
