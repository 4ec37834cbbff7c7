// Asks the user for one line of text. The caller sets the prompt, the mode
// caption, the initial text and the limits, shows it with exec(), then reads
// propOK() and propData().
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class frm入力用 : public QDialog {
public:
    explicit frm入力用(QWidget* parent = nullptr);

    void setPropLabel(const QString& text) { m_label = text; }
    void setProplblMode(const QString& text) { m_lblMode = text; }
    // 0: no limit.
    void setPropMaxLength(int length) { m_maxLength = length; }
    // 0 no control, 3 disabled, 4 hiragana, 6 half-width katakana.
    void setPropIMEMode(int mode) { m_imeMode = mode; }
    // 1 digits only, 2 half-width katakana, anything else no filter.
    void setPropInputMode(int mode) { m_inputMode = mode; }
    void setPropDefaultData(const QString& text) { m_defaultData = text; }
    // A further check of the text on OK: the message that refuses it, or empty. A
    // refused text stays in the box for the user to change.
    void setPropCheck(std::function<QString(const QString&)> check) { m_check = std::move(check); }

    QString propData() const { return m_data; }
    bool propOK() const { return m_ok; }

    void cmdOK_Click();
    void cmdEnd_Click();
    // Escape and the window's close box cancel like cmdEnd.
    void reject() override { cmdEnd_Click(); }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Activate();
    bool funcInputCheck();

    std::array<QLabel*, 1> lblItem{};
    QLabel* lblMode = nullptr;
    QLineEdit* txtData = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;

    QString m_label;
    QString m_lblMode;
    int m_maxLength = 0;
    int m_imeMode = 0;
    int m_inputMode = 0;
    QString m_defaultData;
    std::function<QString(const QString&)> m_check;
    QString m_data;
    bool m_ok = false;
    bool m_setUp = false;
};
