// The list of stock phrases opened by F2 in a comment box: the phrases already
// filled for the student and the lesson; typing narrows the list, ↑↓ choose,
// Enter (or a double click) takes the chosen one, Escape closes without one.
#pragma once

#include <QDialog>
#include <QList>
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
// subject, and the chosen one put in at the cursor (in place of a selection).
// A phrase that would make the comment longer than the box takes is not put in:
// the user is told. True when a phrase was put in.
bool funcInsertPhrase(QLineEdit* box, const QString& studentName, const QString& subject);

// After comments on the lesson were stored for the students: tells which stock
// phrases they share unchanged with too many other students of the month.
void subPhraseNotice(int kouzaID, const QList<int>& students);
