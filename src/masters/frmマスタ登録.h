// One generic window for every master table: pick a master, then add, copy,
// rename or delete its entries.
#pragma once

#include <QDialog>

class frmマスタ登録 : public QDialog {
public:
    explicit frmマスタ登録(QWidget* parent = nullptr);
};
