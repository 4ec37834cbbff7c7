// The version information: the program's title and the version it was built as.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The version text as shown, e.g. "バージョン 1.0.0".
    static QString funcVersionText();

private:
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdEnd = nullptr;
};
