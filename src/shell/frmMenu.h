// The main menu: five menu entries, six tool images, its own minimise and close
// marks, and the notice board. It stays open the whole time; closing it ends the
// program. Every other window is opened from here, modally. The keys 1 to 5 open
// the entries; Tab and the arrows reach the entries and the tools, Enter opens them.
#pragma once

#include "ListWindow.h"
#include "Syori.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
struct FileDialogRequest;

class frmMenu : public QWidget {
public:
    explicit frmMenu(QWidget* parent = nullptr);
    static constexpr int kToolCount = 6;

    // The board button last pressed and the notice it acts on.
    Syori propSyoriID() const { return m_syoriID; }
    int propRenrakuID() const { return m_renrakuID; }
    // What the notice editor said when it last closed: true after a save, false after 閉じる.
    void setPropOK(bool ok) { m_ok = ok; }
    bool propOK() const { return m_ok; }


    // The menu entries' colours.
    static QColor funcNormalColor();
    static QColor funcHighlightColor();

    void lblMenu_Click(int index);
    void imgTool_Click(int index);
    void cmdOK_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void lblMenu_MouseMove(int index);
    void Form_MouseMove();
    void subMenuColor(int index, const QColor& color);
    void subPressedLook(QLabel* label, bool pressed);
    void subFocusLook(QLabel* label);
    // A key on entry or tool `index`; true when it was the menu's.
    bool funcMenuKey(int index, bool tool, int key);
    // Closes the database and lets the user choose the file; on a cancel the database
    // is opened again and the text is empty.
    QString funcChooseFile(const FileDialogRequest& request, bool save);
    // Opens the database again after a backup or a restore; false, told and the menu
    // closed, when it does not open (no window can work without it).
    void subPicturesThenDone(const QString& from, const QString& to, const QString& done, const QString& photoLine,
                             const QString& failed);
    bool funcReopen();
    void subBackup();
    void subRestore();
    // The settings and the work of the year, chosen from a small menu under the tool.
    void subSettingsMenu();
    void subRenrakuListSet();
    void lstRenraku_Click();
    void subEditbuttonEnabled(bool enabled);
    void subTodaySet();
    void subNewDay();

    std::array<QLabel*, 5> lblMenu{};
    std::array<QLabel*, kToolCount> imgTool{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblRenraku = nullptr;
    QLabel* lblToday = nullptr;
    QTimer m_midnight;           // turns the date over at midnight
    QListWidget* lstRenraku = nullptr;
    std::array<QPushButton*, 4> cmdOK{};
    std::optional<ListButtons> m_buttons;

    int m_menuIndex = -1;        // the highlighted menu entry, -1 for none
    Syori m_syoriID = Syori::Add;   // the board button last pressed
    int m_renrakuID = 0;         // the notice selected alone
    bool m_ok = false;
    int m_selectCount = 0;
    QString m_dlgFileName;       // the file dialog remembers its last file for this run
};
