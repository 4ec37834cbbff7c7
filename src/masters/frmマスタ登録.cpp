#include "frmマスタ登録.h"

frmマスタ登録::frmマスタ登録(QWidget* parent) : QDialog(parent) {}
