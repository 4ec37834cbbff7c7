#include "TextBox.h"

#include "Theme.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

namespace {
const char* const kLimit = "kaedeMaxLength";

// The edit cuts text at its maximum length by UTF-16 units, which can split an
// emoji and leave half of it behind; that half is dropped before it is shown.
class WholeCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int& pos) const override
    {
        for (qsizetype i = 0; i < text.size();) {
            const bool paired = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            if (paired) {
                i += 2;
            } else if (text[i].isSurrogate()) {
                text.remove(i, 1);
                if (pos > i)
                    --pos;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

int documentLength(const QPlainTextEdit* edit)
{
    return edit->document()->characterCount() - 1;   // without the closing paragraph mark
}
} // namespace

void subTextLimit(QLineEdit* edit, int maxLength)
{
    edit->setMaxLength(maxLength);
    edit->setValidator(new WholeCharacters(edit));
}

void subTextLimit(QPlainTextEdit* edit, int maxLength)
{
    edit->setProperty(kLimit, maxLength);
    QObject::connect(edit->document(), &QTextDocument::contentsChange, edit, [edit](int position, int, int added) {
        const int limit = edit->property(kLimit).toInt();
        const int excess = documentLength(edit) - limit;
        if (excess <= 0 || added <= 0)
            return;
        // Only what was just put in is given back, from its end.
        const int end = std::min(position + added, documentLength(edit));
        int start = std::max(position, end - excess);
        QTextCursor probe(edit->document());
        probe.setPosition(start);
        probe.setPosition(start + 1, QTextCursor::KeepAnchor);
        const QString first = probe.selectedText();
        if (start > position && !first.isEmpty() && first.at(0).isLowSurrogate())
            --start;
        QTextCursor cut(edit->document());
        cut.setPosition(start);
        cut.setPosition(end, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    });
}

void subLengthCount(QLineEdit* edit, QLabel* count, int limit)
{
    const QPalette normal = edit->palette();
    QPalette full = normal;
    full.setColor(QPalette::Base, Theme::limitReached);
    const auto show = [=] {
        const QString text = edit->text();
        const bool atLimit = text.size() >= limit;
        count->setText(QStringLiteral("%1／%2文字").arg(text.size()).arg(limit) + (atLimit ? QStringLiteral("（上限）") : QString()));
        count->setStyleSheet(atLimit ? Theme::textStyle(Theme::warning) : Theme::textStyle(Theme::muted));
        edit->setPalette(atLimit ? full : normal);
        edit->setToolTip(funcWholeTextTip(text));
    };
    QObject::connect(edit, &QLineEdit::textChanged, count, show);
    show();
}

QString funcWholeTextTip(const QString& text)
{
    return text.isEmpty() ? QString() : QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void subImeMode(QWidget* edit, int mode)
{
    edit->setAttribute(Qt::WA_InputMethodEnabled, mode != 3);
    if (mode == 3)
        edit->setInputMethodHints(Qt::ImhLatinOnly);
}

QString funcBoxText(const QWidget* box)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(box))
        return line->text();
    if (const auto* lines = qobject_cast<const QPlainTextEdit*>(box))
        return lines->toPlainText();
    return {};
}

void subSetBoxText(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        if (line->maxLength() < text.size())
            line->setMaxLength(static_cast<int>(text.size()));
        line->setText(text);
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) {
        const QVariant limit = lines->property(kLimit);
        if (limit.isValid() && limit.toInt() < text.size())
            lines->setProperty(kLimit, static_cast<int>(text.size()));
        lines->setPlainText(text);
    }
}
