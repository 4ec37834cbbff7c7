#include "StudentsTest.h"
#include "FormsCommon.h"
#include "SchoolYear.h"
#include "SeitoStore.h"
#include "frm生徒情報詳細.h"
#include "frm講座情報一覧.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QUrl>
#include <QtTest>

class tst_StudentDetail : public QObject {
    Q_OBJECT
private slots:
    void addCopyAndEditKeepEveryField();
    void requiredNames_data();
    void requiredNames();
    void photograph_data();
    void photograph();
    void refusedPicturesChangeNothing();
    void lessonsOfTheStudent();
    void missingStudentIsToldNotOpened();
    void tabFollowsTheForm();
    void storeSaveAndDelete_data();
    void storeSaveAndDelete();
    void guardianAndStateChecks_data();
    void guardianAndStateChecks();
    void guardianGradeAndStateKeptAndMerged();
};

namespace {
QLineEdit* line(QWidget* w, int i)
{
    return child<QLineEdit>(w, QStringLiteral("txtStuInfo_%1").arg(i));
}

QPlainTextEdit* area(QWidget* w, int i)
{
    return child<QPlainTextEdit>(w, QStringLiteral("txtStuInfo_%1").arg(i));
}

QPushButton* button(QWidget* w, const char* name)
{
    return child<QPushButton>(w, name);
}

// A window opened as the student list opens it.
struct Detail {
    frm生徒情報詳細 w;
    Detail(Syori mode, int studentID)
    {
        w.setPropMode(mode);
        w.setPropStudentID(studentID);
        w.show();
    }
};

// A picture file of the given colour and size; its bytes tell it apart from the others.
QByteArray writePicture(const QString& path, const QColor& colour, QSize size = {60, 80})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path, "JPG");
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

void tst_StudentDetail::addCopyAndEditKeepEveryField()
{
    ProgramFolder pf;
    insertSchools(pf);
    insertStudent({7, QStringLiteral("ﾀﾞﾚｶ"), QStringLiteral("退塾した生徒"), {}, {}, {}, {}, {}, {}, {}, 1, 0, 1});
    insertStudent({3, QStringLiteral("ｲﾄｳ"), QStringLiteral("伊藤　次郎"), {}, {}, {}, {}, {}, {}, {}, 2, 3});
    pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 入塾日 = NULL, 生年月日 = NULL WHERE 生徒番号 = 3"));

    // Add: the designed empty state, and the number above every student, deleted ones too.
    QString address = QStringLiteral("町田市'原町田'%*#_[a] ");
    while (address.size() < 253)
        address += QStringLiteral("あ");
    address += QStringLiteral("😀");   // exactly 255 units: the limit, reached with a whole emoji
    const QString remarks = QStringLiteral("一行目 \"引用\"\n二行目 ｶﾅ ％");
    {
        Detail d(Syori::Add, 0);
        QCOMPARE(child<QLabel>(&d.w, "lblMode")->text(), QStringLiteral("追　加"));
        QCOMPARE(d.w.propStudentID(), 8);
        QCOMPARE(child<QDateEdit>(&d.w, "DTPDate_0")->date(), QDate::currentDate());
        QCOMPARE(child<QDateEdit>(&d.w, "DTPDate_1")->text(), QStringLiteral("未入力"));
        QCOMPARE(child<QComboBox>(&d.w, "cboEdit_0")->currentIndex(), -1);
        QVERIFY(child<QRadioButton>(&d.w, "optSex_1")->isChecked());
        QVERIFY(!button(&d.w, "cmdPicDelete_1")->isEnabled());

        line(&d.w, 0)->setText(QStringLiteral(" ｵｵﾀ ｹﾝｼﾞ "));
        line(&d.w, 1)->setText(QStringLiteral("大田　健二 O'Neil"));
        line(&d.w, 2)->setText(QStringLiteral("042123456789012"));
        line(&d.w, 3)->setText(QStringLiteral("1940013"));
        area(&d.w, 4)->setPlainText(address + QStringLiteral("切られる"));
        line(&d.w, 5)->setText(QStringLiteral("0901234567890123"));   // one digit over the limit
        area(&d.w, 6)->setPlainText(remarks);
        child<QRadioButton>(&d.w, "optSex_2")->setChecked(true);
        child<QDateEdit>(&d.w, "DTPDate_0")->setDate(QDate(2024, 4, 8));
        child<QDateEdit>(&d.w, "DTPDate_1")->setDate(QDate(2012, 2, 29));
        auto* school = child<QComboBox>(&d.w, "cboEdit_0");
        school->setCurrentIndex(school->findText(QStringLiteral("原町田小学校")));
        QCOMPARE(school->findText(QStringLiteral("廃校")), -1);
        button(&d.w, "cmdOK")->click();
        QVERIFY(d.w.propOK());
    }
    const QString stored = QStringLiteral(" ｵｵﾀ ｹﾝｼﾞ |大田　健二 O'Neil|042123456789012|1940013|") + address
                           + QStringLiteral("|090123456789012|") + remarks + QStringLiteral("|2024/04/08|2012/02/29|2|2|0");
    QCOMPARE(storedStudent(8), stored);

    // Copy: the source's fields under a new number; the source stays as it was.
    {
        Detail d(Syori::Copy, 8);
        QCOMPARE(child<QLabel>(&d.w, "lblMode")->text(), QStringLiteral("コピー(追加)"));
        QCOMPARE(d.w.propStudentID(), 9);
        QCOMPARE(area(&d.w, 4)->toPlainText(), address);
        button(&d.w, "cmdOK")->click();
    }
    QCOMPARE(storedStudent(9), stored);
    QCOMPARE(storedStudent(8), stored);

    // Edit: every field comes back as stored and goes back unchanged.
    {
        Detail d(Syori::Edit, 8);
        QCOMPARE(child<QLabel>(&d.w, "lblMode")->text(), QStringLiteral("編　集"));
        QCOMPARE(line(&d.w, 0)->text(), QStringLiteral(" ｵｵﾀ ｹﾝｼﾞ "));
        QCOMPARE(line(&d.w, 2)->text(), QStringLiteral("042123456789012"));
        QCOMPARE(area(&d.w, 6)->toPlainText(), remarks);
        QCOMPARE(child<QDateEdit>(&d.w, "DTPDate_1")->date(), QDate(2012, 2, 29));
        button(&d.w, "cmdOK")->click();
    }
    QCOMPARE(storedStudent(8), stored);
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 4);

    // A birth date found to be wrong is emptied with Delete, stored empty and shown empty again.
    {
        Detail d(Syori::Edit, 9);
        QTest::keyClick(child<QDateEdit>(&d.w, "DTPDate_1"), Qt::Key_Delete);
        button(&d.w, "cmdOK")->click();
    }
    QCOMPARE(pf.scalar(QStringLiteral("SELECT 生年月日 FROM 生徒台帳 WHERE 生徒番号 = 9")), QString());
    {
        Detail d(Syori::Edit, 9);
        QCOMPARE(child<QDateEdit>(&d.w, "DTPDate_1")->text(), QStringLiteral("未入力"));
    }

    // A school that was removed shows none and is kept; a missing entry date shows today's,
    // a missing birth date stays unknown.
    {
        Detail d(Syori::Edit, 3);
        QCOMPARE(child<QComboBox>(&d.w, "cboEdit_0")->currentIndex(), -1);
        QCOMPARE(child<QDateEdit>(&d.w, "DTPDate_0")->date(), QDate::currentDate());
        QVERIFY(child<QRadioButton>(&d.w, "optSex_2")->isChecked());
        // Clearing empties the six boxes and the choices, but keeps the remarks and the sex.
        area(&d.w, 6)->setPlainText(QStringLiteral("残る"));
        button(&d.w, "cmdClear")->click();
        QCOMPARE(line(&d.w, 1)->text(), QString());
        QCOMPARE(area(&d.w, 6)->toPlainText(), QStringLiteral("残る"));
        QVERIFY(child<QRadioButton>(&d.w, "optSex_2")->isChecked());
        line(&d.w, 0)->setText(QStringLiteral("ｲﾄｳ"));
        line(&d.w, 1)->setText(QStringLiteral("伊藤　次郎"));
        button(&d.w, "cmdOK")->click();
    }
    const QString today = funcDateText(QDate::currentDate());
    QCOMPARE(storedStudent(3), QStringLiteral("ｲﾄｳ|伊藤　次郎|||||残る|") + today + QStringLiteral("||2|3|0"));

    // Escape with typed work asks: キャンセル stays, いいえ closes an add without a trace,
    // はい saves as 内容を更新したい does.
    for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::No, MsgAnswer::Yes}) {
        pf.ui().clear();
        Detail d(Syori::Add, 0);
        QTest::keyClick(&d.w, Qt::Key_Escape);   // nothing typed: closed without a question
        QVERIFY(!d.w.isVisible());
        QVERIFY(pf.ui().messages.empty());
        d.w.show();
        line(&d.w, 0)->setText(QStringLiteral("ｹｽ"));
        line(&d.w, 1)->setText(QStringLiteral("消す"));
        pf.ui().answers = {answer};
        QTest::keyClick(&d.w, Qt::Key_Escape);
        QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("変更した内容を保存しますか？")});
        QCOMPARE(d.w.isVisible(), answer == MsgAnswer::Cancel);
        QCOMPARE(d.w.propOK(), answer == MsgAnswer::Yes);
        QCOMPARE(pf.count(QStringLiteral("生徒台帳")), answer == MsgAnswer::Yes ? 5 : 4);
    }
}

void tst_StudentDetail::requiredNames_data()
{
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focused");
    QTest::newRow("no reading") << QString() << QStringLiteral("山田") << QStringLiteral("txtStuInfo_0");
    QTest::newRow("no name") << QStringLiteral("ﾔﾏﾀﾞ") << QString() << QStringLiteral("txtStuInfo_1");
    QTest::newRow("blanks in both") << QStringLiteral("  ") << QStringLiteral("　") << QStringLiteral("txtStuInfo_0");
}

void tst_StudentDetail::requiredNames()
{
    QFETCH(QString, kana);
    QFETCH(QString, name);
    QFETCH(QString, focused);
    ProgramFolder pf;
    Detail d(Syori::Add, 0);
    line(&d.w, 0)->setText(kana);
    line(&d.w, 1)->setText(name);
    button(&d.w, "cmdOK")->click();
    QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("氏名カナ、生徒氏名は必須項目です。")});
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Information);
    QCOMPARE(d.w.focusWidget()->objectName(), focused);
    QVERIFY(d.w.isVisible());
    QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 0);
}

// Each situation at opening, what the user does, and the photograph of the
// student being written after saving and after closing without saving.
// Photographs: old (the student's), src (the copied student's), new and new2
// (imported), none. No backup file may be left in any case.
void tst_StudentDetail::photograph_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("cancelled");
    const auto row = [](const char* name, const char* situation, QStringList actions, const char* saved, const char* cancelled) {
        QTest::newRow(name) << QString::fromUtf8(situation) << actions << QString::fromUtf8(saved) << QString::fromUtf8(cancelled);
    };
    row("edit, photo, nothing", "edit", {}, "old", "old");
    row("edit, photo, import", "edit", {"import"}, "new", "old");
    row("edit, photo, remove", "edit", {"remove"}, "none", "old");
    row("edit, no photo, import (no folder)", "edit-none", {"import"}, "new", "none");
    row("add, import", "add", {"import"}, "new", "none");
    row("copy, source photo, nothing", "copy", {}, "src", "none");
    row("edit, photo, import twice", "edit", {"import", "import2"}, "new2", "old");
    row("edit, photo, remove then import", "edit", {"remove", "import"}, "new", "old");
    row("edit, photo, remove then a cancelled dialog", "edit", {"remove", "no file"}, "none", "old");
    row("edit, photo, a file that is no picture", "edit", {"not a picture"}, "old", "old");
    row("copy, source photo, import", "copy", {"import"}, "new", "none");
    row("add, files left under the new number", "add-leftover", {}, "none", "none");
    row("edit, only a backup left behind", "edit-lost", {}, "old", "old");
    // The program ended during an unsaved import: the backup is the student's photograph.
    row("edit, an unsaved import and its backup left behind", "edit-crashed", {}, "old", "old");
}

void tst_StudentDetail::photograph()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, actions);
    QFETCH(QString, saved);
    QFETCH(QString, cancelled);

    for (const bool save : {true, false}) {
        ProgramFolder pf;
        insertStudent({1, QStringLiteral("ｱ"), QStringLiteral("一")});
        insertStudent({2, QStringLiteral("ｲ"), QStringLiteral("二")});
        const QHash<QString, QByteArray> pictures{
            {"old", writePicture(pf.file("old.jpg"), Qt::red)}, {"src", writePicture(pf.file("src.jpg"), Qt::green)},
            {"new", writePicture(pf.file("new.jpg"), Qt::blue)}, {"new2", writePicture(pf.file("new2.jpg"), Qt::yellow)},
            {"none", QByteArray()}};
        QFile text(pf.file("note.jpg"));
        text.open(QIODevice::WriteOnly);
        text.write("not a picture");
        text.close();
        QDir().mkpath(pf.file("Picture"));

        Syori mode = Syori::Edit;
        int opened = 1, written = 1;
        if (situation == "edit" || situation == "edit-lost" || situation == "edit-crashed")
            QFile::copy(pf.file("old.jpg"), situation == "edit" ? funcPicturePath(1) : funcPictureBackupPath(1));
        if (situation == "edit-crashed")
            QFile::copy(pf.file("new.jpg"), funcPicturePath(1));
        if (situation.startsWith("add"))
            mode = Syori::Add, opened = 0, written = 3;
        if (situation == "add-leftover") {
            QFile::copy(pf.file("old.jpg"), funcPicturePath(3));
            QFile::copy(pf.file("src.jpg"), funcPictureBackupPath(3));
        }
        if (situation == "copy") {
            mode = Syori::Copy, opened = 2, written = 3;
            QFile::copy(pf.file("src.jpg"), funcPicturePath(2));
        }

        Detail d(mode, opened);
        QCOMPARE(d.w.propStudentID(), written);
        if (mode == Syori::Add) {
            line(&d.w, 0)->setText(QStringLiteral("ｳ"));
            line(&d.w, 1)->setText(QStringLiteral("三"));
        }
        for (const QString& action : actions) {
            if (action == "remove") {
                button(&d.w, "cmdPicDelete_1")->click();
                QVERIFY(child<QLabel>(&d.w, "imgStudent")->pixmap().isNull());
                continue;
            }
            if (action == "import" || action == "import2")
                pf.ui().openFileAnswers.push_back(pf.file(action == "import" ? "new.jpg" : "new2.jpg"));
            if (action == "not a picture")
                pf.ui().openFileAnswers.push_back(pf.file("note.jpg"));
            button(&d.w, "cmdPicDelete_0")->click();
            if (action.startsWith("import"))
                QVERIFY(!child<QLabel>(&d.w, "imgStudent")->pixmap().isNull());
        }
        if (save) {
            button(&d.w, "cmdOK")->click();
            QVERIFY(d.w.propOK());
        } else {
            pf.ui().answers = {MsgAnswer::No};   // not saved
            d.w.close();   // the close box
            QVERIFY(!d.w.propOK());
        }

        const QString expected = save ? saved : cancelled;
        QVERIFY2(bytesOf(funcPicturePath(written)) == pictures.value(expected),
                 qPrintable(QStringLiteral("%1: not %2").arg(save ? "saved" : "cancelled", expected)));
        QVERIFY(!QFile::exists(funcPictureBackupPath(written)));
        if (situation == "copy")
            QCOMPARE(bytesOf(funcPicturePath(2)), pictures.value("src"));
        if (actions.contains("not a picture"))
            QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("Jpegファイルしか読み込めません。")});
        else if (!actions.contains("remove") && (save || (actions.isEmpty() && mode != Syori::Add)))   // else the close asks
            QCOMPARE(pf.ui().texts(), QStringList());
    }
}

void tst_StudentDetail::refusedPicturesChangeNothing()
{
    ProgramFolder pf;
    insertStudent({1, QStringLiteral("ｱ"), QStringLiteral("一")});
    const QByteArray old = writePicture(funcPicturePath(1), Qt::red);
    writePicture(pf.file("camera.JPG"), Qt::blue);
    writePicture(pf.file("wide.jpg"), Qt::green, {400, 200});
    QFile text(pf.file("note.jpg"));
    text.open(QIODevice::WriteOnly);
    text.write("not a picture");
    text.close();

    Detail d(Syori::Edit, 1);
    auto* image = child<QLabel>(&d.w, "imgStudent");
    // Shown whole inside the box, its proportions kept.
    QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), QSize(60, 80).scaled(image->contentsRect().size(), Qt::KeepAspectRatio));
    const auto drop = [&](const QUrl& url) {
        QMimeData data;
        data.setUrls({url});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(image, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(image, &drop);
    };
    const QString refused = QStringLiteral("Jpegファイルしか読み込めません。");
    drop(QUrl::fromLocalFile(pf.file("note.jpg")));
    drop(QUrl(QStringLiteral("https://example.com/photo.jpg")));
    QCOMPARE(pf.ui().texts(), (QStringList{refused, refused}));
    QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Warning);
    QCOMPARE(pf.ui().messages.back().title, kTitle);
    QCOMPARE(bytesOf(funcPicturePath(1)), old);
    QVERIFY(!QFile::exists(funcPictureBackupPath(1)));

    // The dialog offers .jpg in either letter case; a file gone meanwhile is told.
    pf.ui().clear();
    pf.ui().openFileAnswers = {pf.file("gone.jpg")};
    button(&d.w, "cmdPicDelete_0")->click();
    QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("選択されたファイルは削除されています。")});
    // Matched as a dialog that tells letter cases apart would match them.
    const QString filter = pf.ui().openFileRequests.back().filter;
    const QStringList patterns = filter.section('(', 1).chopped(1).split(' ');
    for (const QString name : {"a.jpg", "b.JPG", "c.Jpg", "d.jpeg", "e.JPEG"}) {
        const bool listed = std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(p)).match(name).hasMatch();
        });
        QVERIFY2(listed, qPrintable(name));
    }
    QVERIFY(!QRegularExpression(QRegularExpression::wildcardToRegularExpression(patterns[0])).match("f.png").hasMatch());

    // A camera's ".JPG" is a JPEG file like any other.
    drop(QUrl::fromLocalFile(pf.file("camera.JPG")));
    QCOMPARE(bytesOf(funcPicturePath(1)), bytesOf(pf.file("camera.JPG")));

    // A good drop is taken and fitted; the student's own file can be chosen again.
    drop(QUrl::fromLocalFile(pf.file("wide.jpg")));
    QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), QSize(180 - 2, 89));
    pf.ui().openFileAnswers = {funcPicturePath(1)};
    button(&d.w, "cmdPicDelete_0")->click();
    QCOMPARE(bytesOf(funcPicturePath(1)), bytesOf(pf.file("wide.jpg")));

    // Removing a photograph whose file went meanwhile is told and asks nothing.
    QFile::remove(funcPicturePath(1));
    pf.ui().clear();
    button(&d.w, "cmdPicDelete_1")->click();
    QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("選択されたファイルは既に削除されています。")});
}

void tst_StudentDetail::lessonsOfTheStudent()
{
    ProgramFolder pf;
    insertStudent({4, QStringLiteral("ｱ"), QStringLiteral("青木")});
    Detail d(Syori::Edit, 4);
    QString caption, sql;
    NextModal lessons([&](QDialog* list) {
        caption = child<QLabel>(list, "lblJyoken")->text();
        sql = dynamic_cast<frm講座情報一覧*>(list)->listSql();
    });
    line(&d.w, 1)->setText(QStringLiteral("青木　一郎"));   // the name as it stands in the window
    button(&d.w, "cmdKojinKouza")->click();
    QVERIFY(lessons.fired());
    QCOMPARE(caption, QStringLiteral("【生徒氏名】青木　一郎 "));
    QVERIFY2(sql.contains(QStringLiteral("FROM QRY_講座出席出力  WHERE  生徒番号 = 4 ")), qPrintable(sql));
}

void tst_StudentDetail::tabFollowsTheForm()
{
    ProgramFolder pf;
    Detail d(Syori::Add, 0);
    QVERIFY(QTest::qWaitForWindowActive(&d.w));
    line(&d.w, 0)->setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    // The sex is one stop (the button chosen), the date pickers one stop each; without a
    // birth date the grade is chosen by hand; the guardian and the enrolment follow, and
    // the state's date and reason only once the state asks for them.
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"txtStuInfo_0", "txtStuInfo_1", "optSex_1", "DTPDate_1", "cboEdit_2", "txtStuInfo_2",
                                 "txtStuInfo_5", "txtStuInfo_3", "DTPDate_0", "txtStuInfo_4", "cboEdit_0", "txtStuInfo_6",
                                 "txtStuInfo_7", "txtStuInfo_8", "txtStuInfo_9", "txtStuInfo_10", "cboEdit_3", "cmdPicDelete_0"}));
}

void tst_StudentDetail::missingStudentIsToldNotOpened()
{
    ProgramFolder pf;
    insertStudent({1, QStringLiteral("ｱ"), QStringLiteral("一")});
    writePicture(funcPicturePath(7), Qt::red);
    const QString notFound = QStringLiteral("指定された生徒が見つかりません。既に削除された可能性があります。");
    for (Syori mode : {Syori::Copy, Syori::Edit}) {
        frm生徒情報詳細 w;
        w.setPropMode(mode);
        w.setPropStudentID(7);
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        QVERIFY(!w.propFound());
        QCOMPARE(pf.ui().lastText(), notFound);
        QCOMPARE(pf.ui().messages.back().icon, MsgIcon::Information);
    }
    QVERIFY(QFile::exists(funcPicturePath(7)));
    QCOMPARE(pf.count("生徒台帳"), 1);

    // Another PC changes the phone and the name while this one changes the mobile and the
    // name: asked once for the name; いいえ keeps the other PC's name, and both phones stay.
    {
        pf.ui().clear();
        Detail d(Syori::Edit, 1);
        pf.execElsewhere("UPDATE 生徒台帳 SET 電話 = '03', 生徒氏名 = '他', 更新回数 = 更新回数 + 1");
        line(&d.w, 5)->setText(QStringLiteral("090"));
        line(&d.w, 1)->setText(QStringLiteral("変更"));
        pf.ui().answers = {MsgAnswer::No};
        button(&d.w, "cmdOK")->click();
        QCOMPARE(pf.ui().texts(), QStringList{QStringLiteral("他のパソコンで 一 さんの生徒情報が変更されています。上書きしますか？")});
        QCOMPARE(pf.scalar("SELECT 生徒氏名 || '|' || 電話 || '|' || 携帯電話 FROM 生徒台帳"), QStringLiteral("他|03|090"));
    }

    // Deleted on another PC while open: saving says so, writes nothing, and the program goes on.
    Detail d(Syori::Edit, 1);
    pf.execElsewhere("UPDATE 生徒台帳 SET 削除フラグ = 1, 更新回数 = 更新回数 + 1");
    line(&d.w, 1)->setText(QStringLiteral("変更"));
    button(&d.w, "cmdOK")->click();
    QCOMPARE(pf.ui().lastText(), notFound);
    QVERIFY(!d.w.propOK());
    QCOMPARE(pf.scalar("SELECT 生徒氏名 FROM 生徒台帳"), QStringLiteral("他"));
}

void tst_StudentDetail::storeSaveAndDelete_data()
{
    QTest::addColumn<Syori>("mode");
    QTest::addColumn<QString>("school");   // what a save without a chosen school leaves
    QTest::newRow("add") << Syori::Add << QString();
    QTest::newRow("copy") << Syori::Copy << QString();
    QTest::newRow("edit") << Syori::Edit << QStringLiteral("2");
}

void tst_StudentDetail::storeSaveAndDelete()
{
    QFETCH(Syori, mode);
    QFETCH(QString, school);
    ProgramFolder pf;
    insertStudent({3, QStringLiteral("ｲﾄｳ"), QStringLiteral("伊藤"), "042", "194", "町田", "090", "備考", "2024/04/01", "2012/05/06",
                   2, 2});
    QVERIFY(!SeitoStore::load(4) && !SeitoStore::exists(4) && SeitoStore::exists(3));
    // Every column read comes back as it was, but for what is changed here.
    Seito s = SeitoStore::load(3).value();
    s.no = mode == Syori::Edit ? 3 : SeitoStore::nextNo();
    s.name = QStringLiteral("伊藤 'x'");
    s.schoolID.reset();
    QVERIFY(SeitoStore::save(s, mode));
    QCOMPARE(storedStudent(s.no), "ｲﾄｳ|伊藤 'x'|042|194|町田|090|備考|2024/04/01|2012/05/06|2|" + school + "|0");
    QCOMPARE(pf.count("生徒台帳"), mode == Syori::Edit ? 1 : 2);
    QVERIFY(!pf.scalar(QStringLiteral("SELECT 更新日時 FROM 生徒台帳 WHERE 生徒番号 = %1").arg(s.no)).startsWith("2024"));

    // Deleted students stay in the register, marked.
    SeitoStore::remove({s.no, 3});
    QCOMPARE(pf.count("生徒台帳", "削除フラグ = 1"), pf.count("生徒台帳"));
}

void tst_StudentDetail::guardianAndStateChecks_data()
{
    QTest::addColumn<QString>("mail");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("dated");
    QTest::addColumn<QString>("message");   // "" when the student is stored
    QTest::addColumn<QString>("focused");
    const QString badMail = QStringLiteral("保護者メールの形式が正しくありません。「@」を1つだけ含み、空白を含まないように入力してください。");
    QTest::newRow("plain address") << "hogo.sha+1@example.jp" << 0 << false << "" << "";
    QTest::newRow("no @") << "example.jp" << 0 << false << badMail << "txtStuInfo_10";
    QTest::newRow("two @") << "a@b@example.jp" << 0 << false << badMail << "txtStuInfo_10";
    QTest::newRow("@ at the end") << "hogosha@" << 0 << false << badMail << "txtStuInfo_10";
    QTest::newRow("blank") << "hogo sha@example.jp" << 0 << false << badMail << "txtStuInfo_10";
    QTest::newRow("full-width blank") << QStringLiteral("hogosha@example.jp　") << 0 << false << badMail << "txtStuInfo_10";
    QTest::newRow("退塾 with its date") << "" << 2 << true << "" << "";
    QTest::newRow("退塾 without a date") << "" << 2 << false << "休塾・退塾の日付を入力してください。" << "DTPDate_2";
    QTest::newRow("休塾 without a date") << "" << 1 << false << "休塾・退塾の日付を入力してください。" << "DTPDate_2";
}

void tst_StudentDetail::guardianAndStateChecks()
{
    QFETCH(QString, mail);
    QFETCH(int, state);
    QFETCH(bool, dated);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    ProgramFolder pf;
    Detail d(Syori::Add, 0);
    line(&d.w, 0)->setText(QStringLiteral("ﾔﾏﾀﾞ"));
    line(&d.w, 1)->setText(QStringLiteral("山田"));
    line(&d.w, 10)->setText(mail);
    child<QComboBox>(&d.w, "cboEdit_3")->setCurrentIndex(state);
    // A state chosen starts from today; the user may empty the date again.
    auto* stateDate = child<QDateEdit>(&d.w, "DTPDate_2");
    QCOMPARE(funcPickerDate(stateDate).isValid(), state > 0);
    subSetPickerDate(stateDate, dated ? QDate(2026, 5, 1) : QDate());
    button(&d.w, "cmdOK")->click();
    if (!message.isEmpty()) {
        QCOMPARE(pf.ui().texts(), QStringList{message});
        QCOMPARE(d.w.focusWidget()->objectName(), focused);
        QCOMPARE(pf.count(QStringLiteral("生徒台帳")), 0);
        return;
    }
    QVERIFY(pf.ui().texts().isEmpty());
    QCOMPARE(pf.scalar("SELECT coalesce(保護者メール, '') || '|' || 在籍状態 || '|' || coalesce(状態日付, '') FROM 生徒台帳"),
             mail + u'|' + QString::number(state) + (dated ? QStringLiteral("|2026/05/01") : QStringLiteral("|")));
}

// What the detail stores of the guardian, the grade and the state comes back as
// stored, an unchanged window writes nothing, and another PC's change to another
// of these fields meanwhile is kept without a question.
void tst_StudentDetail::guardianGradeAndStateKeptAndMerged()
{
    ProgramFolder pf;
    const int year = SchoolYear::funcCurrentSchoolYear();
    insertStudent({1, QStringLiteral("ｱｵｷ"), QStringLiteral("青木"), {}, {}, {}, {}, {}, "2024/04/01",
                   funcDateText(QDate(year - 13, 5, 6))});   // 中1 this school year
    insertStudent({2, QStringLiteral("ｲﾄｳ"), QStringLiteral("伊藤"), {}, {}, {}, {}, {}, "2024/04/01", ""});
    const auto grade = [](Detail& d) { return child<QLabel>(&d.w, "lblGakunen")->text(); };
    {
        Detail d(Syori::Edit, 1);
        QCOMPARE(grade(d), QStringLiteral("中1"));
        QVERIFY(!child<QComboBox>(&d.w, "cboEdit_2")->isEnabled());
        auto* correction = child<QComboBox>(&d.w, "cboEdit_1");
        correction->setCurrentIndex(correction->findData(1));
        QCOMPARE(grade(d), QStringLiteral("中2"));
        const QStringList guardian{QStringLiteral("青木 花子"), QStringLiteral("母"), QStringLiteral("09012345678"),
                                   QStringLiteral("hanako@example.jp")};
        for (int i = 0; i < 4; ++i)
            line(&d.w, 7 + i)->setText(guardian[i]);
        child<QComboBox>(&d.w, "cboEdit_3")->setCurrentIndex(2);
        child<QDateEdit>(&d.w, "DTPDate_2")->setDate(QDate(2026, 7, 31));
        line(&d.w, 11)->setText(QStringLiteral("転居"));
        button(&d.w, "cmdOK")->click();
        QVERIFY(d.w.propOK());
    }
    const QString columns = QStringLiteral("SELECT 学年補正 || '|' || 保護者氏名 || '|' || 続柄 || '|' || 保護者電話 || '|' || 保護者メール"
                                           " || '|' || 在籍状態 || '|' || 状態日付 || '|' || 退塾理由 FROM 生徒台帳 WHERE 生徒番号 = 1");
    QCOMPARE(pf.scalar(columns), QStringLiteral("1|青木 花子|母|09012345678|hanako@example.jp|2|2026/07/31|転居"));
    {
        // Shown again as stored: closing asks nothing. Another PC changes the guardian's phone
        // while this one changes the mail: both are kept, no question.
        Detail d(Syori::Edit, 1);
        QCOMPARE(grade(d), QStringLiteral("中2"));
        QCOMPARE(line(&d.w, 11)->text(), QStringLiteral("転居"));
        pf.execElsewhere("UPDATE 生徒台帳 SET 保護者電話 = '0427000000', 更新回数 = 更新回数 + 1 WHERE 生徒番号 = 1");
        line(&d.w, 10)->setText(QStringLiteral("aoki@example.jp"));
        button(&d.w, "cmdOK")->click();
        QVERIFY(d.w.propOK());
        QVERIFY(pf.ui().texts().isEmpty());
    }
    QCOMPARE(pf.scalar(columns), QStringLiteral("1|青木 花子|母|0427000000|aoki@example.jp|2|2026/07/31|転居"));

    // Without a birth date the grade is chosen by hand, in this school year.
    {
        Detail d(Syori::Edit, 2);
        QCOMPARE(grade(d), QStringLiteral("（不明）"));
        QVERIFY(!child<QComboBox>(&d.w, "cboEdit_1")->isEnabled());
        child<QComboBox>(&d.w, "cboEdit_2")->setCurrentText(QStringLiteral("中2"));
        QCOMPARE(grade(d), QStringLiteral("中2"));
        button(&d.w, "cmdOK")->click();
    }
    const QString chosen = QStringLiteral("SELECT 手動学年 || '|' || 手動学年度 || '|' || 更新回数 FROM 生徒台帳 WHERE 生徒番号 = 2");
    QCOMPARE(pf.scalar(chosen), QStringLiteral("中2|%1|1").arg(year));
    // Chosen a year ago, it has moved on; saved unchanged, it keeps the year it was chosen in.
    pf.exec(QStringLiteral("UPDATE 生徒台帳 SET 手動学年度 = %1 WHERE 生徒番号 = 2").arg(year - 1));
    {
        Detail d(Syori::Edit, 2);
        QCOMPARE(grade(d), QStringLiteral("中3"));
        button(&d.w, "cmdOK")->click();
    }
    QCOMPARE(pf.scalar(chosen), QStringLiteral("中2|%1|1").arg(year - 1));
}

QTEST_MAIN(tst_StudentDetail)
#include "tst_StudentDetail.moc"
