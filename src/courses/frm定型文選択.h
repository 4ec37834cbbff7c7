// The list of stock phrases opened by F2 in a comment box: the phrases already
// filled for the student and the lesson; typing narrows the list, ↑↓ choose,
// Enter (or a double click) takes the chosen one, Escape closes without one.
#pragma once

#include <QDialog>
#include <QList>

#include <optional>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frm定型文選択 : public QDialog {
public:
    explicit frm定型文選択(const QStringList& phrases, QWidget* parent = nullptr);

    bool propOK() const { return m_ok; }
    QString propPhrase() const { return m_phrase; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void txtFind_Change();
    void cmdOK_Click();

    QLineEdit* txtFind = nullptr;
    QListWidget* lstPhrase = nullptr;
    QLabel* lblMsg = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdEnd = nullptr;
    bool m_ok = false;
    QString m_phrase;
};

// F2 in a comment box: the phrases of the master filled for the student and the
// subject; the chosen one, nullopt when the list was closed without one.
std::optional<QString> funcPickPhrase(const QString& studentName, const QString& subject, QWidget* parent);
// Whether the phrase fits beside the kept characters of a comment; when it does
// not, the user is told and it is not put in.
bool funcPhraseFits(qsizetype kept, const QString& phrase, int maxLength);
// Both for a box that stays open: the phrase put in at the cursor (in place of a
// selection). True when a phrase was put in.
bool funcInsertPhrase(QLineEdit* box, const QString& studentName, const QString& subject);

// After comments on the lesson were stored for the students: tells which stock
// phrases they share unchanged with too many other students of the month.
void subPhraseNotice(int kouzaID, const QList<int>& students);
