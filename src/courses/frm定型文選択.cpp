#include "frm定型文選択.h"

#include "ErrorLog.h"
#include "ListFind.h"
#include "Named.h"
#include "Phrases.h"
#include "Theme.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frm定型文選択::frm定型文選択(const QStringList& phrases, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm定型文選択"));
    setWindowTitle(QStringLiteral("定型文を選ぶ"));

    txtFind = named<QLineEdit>(this, QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("入力すると絞り込みます"));
    txtFind->setClearButtonEnabled(true);
    txtFind->installEventFilter(this);
    lstPhrase = named<QListWidget>(this, QStringLiteral("lstPhrase"));
    lstPhrase->setWordWrap(true);
    lstPhrase->addItems(phrases);
    if (lstPhrase->count() > 0)
        lstPhrase->setCurrentRow(0);
    lblMsg = named<QLabel>(this, QStringLiteral("lblMsg"),
                           phrases.isEmpty() ? QStringLiteral("定型文がありません。マスタ登録の「マスタ定型文」で登録してください。")
                                             : QStringLiteral("↑↓で選んでEnterで入れます。Escで閉じます。"));
    Theme::subHelpText(lblMsg);
    cmdOK = named<QPushButton>(this, QStringLiteral("cmdOK"), QStringLiteral("入れる(&O)"));
    cmdEnd = named<QPushButton>(this, QStringLiteral("cmdEnd"), QStringLiteral("閉じる(&X)"));
    cmdOK->setAutoDefault(false);
    cmdEnd->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblMsg, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtFind);
    layout->addWidget(lstPhrase, 1);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(560, 360));
    subTabOrder({txtFind, lstPhrase, cmdOK, cmdEnd});

    connect(txtFind, &QLineEdit::textChanged, this, [this] { txtFind_Change(); });
    // Enter on the list or a double click (as the platform activates an entry).
    connect(lstPhrase, &QListWidget::itemActivated, this, [this] { cmdOK_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, &QDialog::reject);
}

void frm定型文選択::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    txtFind->setFocus();   // typing narrows at once
}

void frm定型文選択::txtFind_Change()
{
    const QString key = ListFind::funcFindKey(txtFind->text());
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < lstPhrase->count(); ++row) {
        QListWidgetItem* item = lstPhrase->item(row);
        const bool shown = ListFind::funcFindKey(item->text()).contains(key);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    lstPhrase->setCurrentItem(first);
}

void frm定型文選択::cmdOK_Click()
{
    const QListWidgetItem* item = lstPhrase->currentItem();
    if (!item || item->isHidden())
        return;
    m_phrase = item->text();
    m_ok = true;
    accept();
}

// The find box keeps the focus: ↑↓ move through the phrases shown, Enter takes one.
bool frm定型文選択::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdOK_Click();
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            int row = lstPhrase->currentRow();
            const int step = key == Qt::Key_Up ? -1 : 1;
            for (int next = row + step; next >= 0 && next < lstPhrase->count(); next += step)
                if (!lstPhrase->item(next)->isHidden()) {
                    lstPhrase->setCurrentRow(next);
                    break;
                }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> funcPickPhrase(const QString& studentName, const QString& subject, QWidget* parent)
{
    QStringList filled;
    for (const QString& phrase : Phrases::funcPhrases())
        filled << Phrases::funcFill(phrase, studentName, subject);
    frm定型文選択 list(filled, parent);
    list.exec();
    return list.propOK() ? std::optional(list.propPhrase()) : std::nullopt;
}

bool funcPhraseFits(qsizetype kept, const QString& phrase, int maxLength)
{
    if (kept + phrase.size() <= maxLength)
        return true;
    MsgBox(QStringLiteral("定型文を入れるとコメントが%1文字を超えるため、入れられません。").arg(maxLength), MsgButtons::Ok,
           MsgIcon::Information, kTitle);
    return false;
}

bool funcInsertPhrase(QLineEdit* box, const QString& studentName, const QString& subject)
{
    return guarded(QStringLiteral("frm定型文選択 - funcInsertPhrase"), [&] {
        const std::optional<QString> phrase = funcPickPhrase(studentName, subject, box->window());
        if (!phrase || !funcPhraseFits(box->text().size() - box->selectedText().size(), *phrase, box->maxLength()))
            return false;
        box->insert(*phrase);
        return true;
    });
}

void subPhraseNotice(int kouzaID, const QList<int>& students)
{
    guarded(QStringLiteral("frm定型文選択 - subPhraseNotice"), [&] {
        const QString notice = Phrases::funcOveruseNotice(Phrases::funcOverused(kouzaID, students));
        if (!notice.isEmpty())
            MsgBox(notice, MsgButtons::Ok, MsgIcon::Information, kTitle);
    });
}
