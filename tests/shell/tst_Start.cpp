#include "DaoCommon.h"
#include "DataFolder.h"
#include "ExcelOut.h"
#include "ShellTest.h"
#include "basStart.h"
#include "SchoolSettings.h"
#include "frmMenu.h"
#include "frm設定.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QToolButton>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

class tst_Start : public QObject {
    Q_OBJECT
private slots:
    void showsTheMenuAndRefusesASecondCopy();
    void missingDatabaseIsToldAndNothingOpens();
    void qtDialogsSpeakJapanese();
    void commandLine_data();
    void commandLine();
    void programFolderIsTheBuildsOrTheUsers();
    void firstStartMakesTheDataFolderAndLaterStartsLeaveIt();

private:
    static QList<frmMenu*> visibleMenus()
    {
        QList<frmMenu*> menus;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* menu = dynamic_cast<frmMenu*>(w); menu && menu->isVisible())
                menus << menu;
        return menus;
    }
};

void tst_Start::showsTheMenuAndRefusesASecondCopy()
{
    ProgramFolder pf(false);
    Main();
    QCOMPARE(visibleMenus().size(), 1);
    frmMenu* menu = visibleMenus().first();
    QVERIFY(gDatabase.isOpen());
    QCOMPARE(menu->windowTitle(), QStringLiteral("塾管理システム「楓丸くん」へようこそ～♪"));
    QVERIFY(menu->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(menu->size(), QSize(725, 511));
    // Cut to a rounded rectangle: the corners are outside, the middle of each edge inside.
    QVERIFY(!menu->mask().contains(QPoint(3, 3)));
    QVERIFY(!menu->mask().contains(QPoint(721, 507)));
    QVERIFY(menu->mask().contains(QPoint(362, 3)));
    QVERIFY(menu->mask().contains(QPoint(3, 255)));
    QVERIFY(pf.ui().messages.empty());

    // A school without a name is asked for it over the menu: a blank name is refused, a name kept.
    auto* settings = menu->findChild<frm設定*>();
    QVERIFY(settings && settings->isVisible());
    auto* name = settings->findChild<QLineEdit*>(QStringLiteral("txtSchoolName"));
    name->setText(QStringLiteral("　"));
    settings->cmdOK_Click();
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].text, QStringLiteral("塾の名前を入力してください。"));
    QVERIFY(settings->isVisible());
    name->setText(QStringLiteral(" 楓'学習塾 "));
    settings->cmdOK_Click();
    QVERIFY(!settings->isVisible());
    QCOMPARE(SchoolSettings::funcSchoolName(), QStringLiteral("楓'学習塾"));
    pf.ui().messages.clear();

    // The second copy says so and touches nothing: the database stays as the first left it.
    CloseDatabase();
    Main();
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].text, QStringLiteral("塾管理システム - 楓丸くん -は、既に起動しています。"));
    QCOMPARE(pf.ui().messages[0].title, kTitle);
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::Warning);
    QVERIFY(!gDatabase.isOpen());
    QCOMPARE(visibleMenus().size(), 1);

    menu->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    subReleaseRunningLock();
}

void tst_Start::missingDatabaseIsToldAndNothingOpens()
{
    ProgramFolder pf(false);
    QVERIFY(QFile::remove(pf.databasePath()));
    Main();
    QCOMPARE(pf.ui().messages.size(), size_t(1));
    QCOMPARE(pf.ui().messages[0].text, QStringLiteral("データベースのオープンに失敗しました"));
    QCOMPARE(pf.ui().messages[0].title, kTitle);
    QCOMPARE(pf.ui().messages[0].icon, MsgIcon::None);
    QVERIFY(visibleMenus().isEmpty());
    QVERIFY(!QFile::exists(pf.databasePath()));
    subReleaseRunningLock();
}

void tst_Start::qtDialogsSpeakJapanese()
{
    ProgramFolder pf(false);
    // Run in C.UTF-8, as many installations are.
    QCOMPARE(QLocale::system().language(), QLocale::C);
    const std::unique_ptr<QTranslator> translator(funcUseJapanese());
    QVERIFY(translator);
    // A date picker's calendar names the month in Japanese.
    QDateEdit picker(QDate(2025, 1, 15));
    picker.setCalendarPopup(true);
    QCOMPARE(child<QToolButton>(picker.calendarWidget(), QStringLiteral("qt_calendar_monthbutton"))->text(),
             QStringLiteral("1月"));
    // The texts of the file dialog and of the standard buttons.
    for (const auto& [context, text] : {std::pair{"QFileDialog", "Look in:"}, std::pair{"QFileDialog", "File &name:"},
                                        std::pair{"QPlatformTheme", "Cancel"}}) {
        const QString shown = QCoreApplication::translate(context, text);
        QVERIFY2(shown != QLatin1String(text) && std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() > 0x3000; }),
                 qPrintable(shown));
    }
}

void tst_Start::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("folder");
    using A = StartRequest::Action;
    QTest::newRow("nothing") << QStringList{} << QString() << int(A::Run) << QString();
    QTest::newRow("variable") << QStringList{} << QString("/srv/juku") << int(A::Run) << QString("/srv/juku");
    QTest::newRow("option wins") << QStringList{"--folder", "/共有/楓丸"} << QString("/srv/juku") << int(A::Run) << QString("/共有/楓丸");
    QTest::newRow("option with =") << QStringList{"--folder=data dir"} << QString() << int(A::Run) << QString("data dir");
    QTest::newRow("folder missing") << QStringList{"--folder"} << QString("/srv/juku") << int(A::Wrong) << QString();
    QTest::newRow("folder empty") << QStringList{"--folder="} << QString() << int(A::Wrong) << QString();
    QTest::newRow("unknown") << QStringList{"--foldr", "x"} << QString() << int(A::Wrong) << QString();
    QTest::newRow("help beside Qt's") << QStringList{"-platform", "xcb", "--help"} << QString() << int(A::Help) << QString();
    QTest::newRow("version") << QStringList{"--folder", "x", "--version"} << QString() << int(A::Version) << QString();
}

void tst_Start::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, variable);
    QFETCH(int, action);
    QFETCH(QString, folder);
    const StartRequest request = readCommandLine(QStringList{QStringLiteral("kaedemaru")} + arguments, variable);
    QCOMPARE(int(request.action), action);
    QCOMPARE(request.folder, folder);
    QCOMPARE(request.problem.isEmpty(), action != int(StartRequest::Action::Wrong));
}

void tst_Start::programFolderIsTheBuildsOrTheUsers()
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home/.local/share"));
    // A build: the executable's folder, written to as today.
    const QString built = root.filePath(QStringLiteral("build/program"));
    QVERIFY(QDir().mkpath(built));
    QCOMPARE(chooseProgramFolder({}, built, home), built);
    // Installed (the shipped files beside bin), even where the account may write to bin.
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(root.filePath(QStringLiteral("usr/share/kaedemaru"))));
    QCOMPARE(chooseProgramFolder({}, bin, home), home + QStringLiteral("/kaedemaru"));
    // A folder the user names wins over both, made absolute.
    QCOMPARE(chooseProgramFolder(root.path(), bin, home), root.path());
    QCOMPARE(chooseProgramFolder(QStringLiteral("共有"), built, home), QDir::current().absoluteFilePath(QStringLiteral("共有")));
    QCOMPARE(chooseProgramFolder(QStringLiteral("~/塾"), built, home), QDir::homePath() + QStringLiteral("/塾"));
}

void tst_Start::firstStartMakesTheDataFolderAndLaterStartsLeaveIt()
{
    QTemporaryDir root;
    const QString share = root.filePath(QStringLiteral("share/"));
    QVERIFY(QDir().mkpath(share));
    QFile shipped(share + kTemplateFileName);
    QVERIFY(shipped.open(QIODevice::WriteOnly) && shipped.write("shipped") > 0);
    shipped.close();

    const QString folder = root.filePath(QStringLiteral("data/kaedemaru"));
    QString reason;
    QVERIFY2(prepareProgramFolder(folder, share, true, &reason), qPrintable(reason));
    QVERIFY(QFileInfo(folder + QStringLiteral("/Picture")).isDir());
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    QFile copy(folder + u'/' + kTemplateFileName);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QCOMPARE(copy.readAll(), QByteArray("shipped"));
    // The database is the encrypted one the program opens.
    QFile database(folder + u'/' + kDatabaseFileName);
    QVERIFY(database.open(QIODevice::ReadOnly));
    QVERIFY(!database.read(16).startsWith("SQLite format 3"));
    QVERIFY(OpenDatabase(false, database.fileName()));
    CloseDatabase();

    // A folder holding anything is the user's: a restyled template stays, a server
    // folder gets no database file of its own.
    copy.seek(0);
    copy.write("restyled");
    copy.close();
    QVERIFY(prepareProgramFolder(folder, share, true, &reason));
    QVERIFY(copy.open(QIODevice::ReadOnly) && copy.readAll().startsWith("restyled"));
    const QString server = root.filePath(QStringLiteral("server"));
    QVERIFY(QDir().mkpath(server));
    QFile(server + u'/' + kServerFileName).open(QIODevice::WriteOnly);
    QVERIFY(prepareProgramFolder(server, share, false, &reason));
    QCOMPARE(QDir(server).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{kServerFileName});

    // A folder that cannot be made is told, and nothing is left behind.
    QVERIFY(!prepareProgramFolder(server + u'/' + kServerFileName + QStringLiteral("/sub"), share, false, &reason));
    QVERIFY(!reason.isEmpty());
}

QTEST_MAIN(tst_Start)
#include "tst_Start.moc"
