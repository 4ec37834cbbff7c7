#include "frm入力用.h"

frm入力用::frm入力用(QWidget* parent) : QDialog(parent) {}
