// Asks the user for one line of text.
#pragma once

#include <QDialog>

class frm入力用 : public QDialog {
public:
    explicit frm入力用(QWidget* parent = nullptr);
};
