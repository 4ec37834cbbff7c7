#include "frm入力用.h"

#include "ErrorLog.h"
#include "KeyFilter.h"
#include "TextBox.h"
#include "UiServices.h"
#include "WindowPlace.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frm入力用::frm入力用(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm入力用"));
    setWindowTitle(QStringLiteral("入力しましょう～"));

    lblItem[0] = new QLabel(QStringLiteral("入力してください。(ここは前画面から渡す)"), this);
    lblItem[0]->setObjectName(QStringLiteral("lblItem_0"));
    lblItem[0]->setWordWrap(true);
    lblItem[0]->setTextFormat(Qt::PlainText);
    lblItem[0]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblItem[0]->setMinimumHeight(lblItem[0]->fontMetrics().lineSpacing() * 3);

    lblMode = new QLabel(QStringLiteral("編　集"), this);
    lblMode->setObjectName(QStringLiteral("lblMode"));
    lblMode->setTextFormat(Qt::PlainText);
    lblMode->setFrameShape(QFrame::Panel);
    lblMode->setFrameShadow(QFrame::Sunken);
    lblMode->setAlignment(Qt::AlignCenter);
    lblMode->setMinimumWidth(110);
    lblMode->setMargin(4);

    txtData = new QLineEdit(this);
    txtData->setObjectName(QStringLiteral("txtData"));

    cmdOK = new QPushButton(QStringLiteral("確定する(&Y)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdEnd = new QPushButton(QStringLiteral("閉じる(&X)"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    cmdEnd->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(lblItem[0], 1);
    top->addWidget(lblMode, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(txtData);
    layout->addLayout(buttons);
    subPlaceWindow(this, QSize(480, sizeHint().height()));

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

void frm入力用::showEvent(QShowEvent* event)
{
    // The caller's settings must be in place before the user sees the box,
    // whenever the platform gets round to activating it.
    Form_Activate();
    QDialog::showEvent(event);
}

void frm入力用::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QDialog::changeEvent(event);
}

void frm入力用::Form_Activate()
{
    guarded(QStringLiteral("frm入力用 - Form_Activate"), [&] {
        // Coming back to the box must not undo what the user typed.
        if (m_setUp)
            return;
        lblMode->setText(m_lblMode);
        // The edit enforces its limit on every text it is given, so an initial
        // text longer than the limit raises the limit rather than being cut.
        const int limit = m_maxLength > 0 ? std::max<int>(m_maxLength, m_defaultData.size()) : 32767;
        subTextLimit(txtData, limit);
        txtData->setText(m_defaultData);
        subImeMode(txtData, m_imeMode);
        if (m_inputMode == 1 || m_inputMode == 2)
            KeyFilter::install(txtData, static_cast<short>(m_inputMode));
        QString label = m_label;
        label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        lblItem[0]->setText(label);
        // A long prompt wraps; grow the box so that none of it is cut off.
        if (const int needed = heightForWidth(width()); needed > height())
            resize(width(), needed);
        m_setUp = true;
        txtData->setFocus();
        txtData->selectAll();
    });
}

bool frm入力用::funcInputCheck()
{
    return guarded(QStringLiteral("frm入力用 - funcInputCheck"), [&] {
        if (txtData->text().trimmed().isEmpty()) {
            MsgBox(QStringLiteral("値を入力してください"), MsgButtons::Ok, MsgIcon::Warning, kTitle);
            txtData->setFocus();
            return false;
        }
        if (const QString refusal = m_check ? m_check(txtData->text()) : QString(); !refusal.isEmpty()) {
            MsgBox(refusal, MsgButtons::Ok, MsgIcon::Warning, kTitle);
            txtData->setFocus();
            txtData->selectAll();
            return false;
        }
        return true;
    });
}

void frm入力用::cmdOK_Click()
{
    guarded(QStringLiteral("frm入力用 - cmdOK_Click"), [&] {
        if (!funcInputCheck())
            return;
        m_data = txtData->text();
        m_ok = true;
        done(QDialog::Accepted);
    });
}

void frm入力用::cmdEnd_Click()
{
    guarded(QStringLiteral("frm入力用 - cmdEnd_Click"), [&] {
        m_ok = false;
        done(QDialog::Rejected);
    });
}
