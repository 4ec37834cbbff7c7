#include "DaoCommon.h"
#include "ShellTest.h"
#include "basStart.h"
#include "frmMenu.h"

#include <QFile>
#include <QTranslator>
#include <QtTest>

class tst_Start : public QObject {
    Q_OBJECT
private slots:
    void showsTheMenuAndRefusesASecondCopy();
    void missingDatabaseIsToldAndNothingOpens();
    void qtDialogsSpeakJapanese();

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
    const std::unique_ptr<QTranslator> translator(funcLoadQtTranslation());
    QVERIFY(translator);
    // The texts of the file dialog and of the standard buttons.
    for (const auto& [context, text] : {std::pair{"QFileDialog", "Look in:"}, std::pair{"QFileDialog", "File &name:"},
                                        std::pair{"QPlatformTheme", "Cancel"}}) {
        const QString shown = QCoreApplication::translate(context, text);
        QVERIFY2(shown != QLatin1String(text) && std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() > 0x3000; }),
                 qPrintable(shown));
    }
}

QTEST_MAIN(tst_Start)
#include "tst_Start.moc"
