// Applies subKeyFilter to an edit: typed keys and committed input-method text
// that the filter swallows never reach the box.
#pragma once

#include <QObject>

class KeyFilter : public QObject {
public:
    KeyFilter(short kind, QObject* parent);
    // Installs a filter of the given kind (1 digits, 2 half-width kana) on the edit.
    static void install(QObject* edit, short kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    short m_kind;
};
