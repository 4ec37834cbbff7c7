// The demonstration school: the same day gives the same rows, and the rows hang
// together the way the windows and reports expect.
#include "CommonBase.h"
#include "DaoCommon.h"
#include "DemoSchool.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <set>

namespace {

const QDate kToday(2025, 11, 20);

// Every table, every row in stored order, with the kind of each value, as one text.
QByteArray dumpTables(const QString& path)
{
    if (!gDatabase.open(path, false))
        return {};
    QByteArray out;
    Recordset tables = gDatabase.openRecordset(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                                               dbOpenDynaset, dbReadOnly);
    for (; !tables.eof(); tables.moveNext()) {
        const QString table = tables.field(0).toString();
        out += "== " + table.toUtf8() + '\n';
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT * FROM [%1] ORDER BY rowid").arg(table), dbOpenDynaset, dbReadOnly);
        for (; !rs.eof(); rs.moveNext()) {
            for (int c = 0; c < rs.fieldCount(); ++c) {
                const QVariant v = rs.field(c);
                out += v.isNull() ? QByteArray("<null>") : QByteArray(v.typeName()) + ':' + v.toString().toUtf8();
                out += '|';
            }
            out += '\n';
        }
    }
    gDatabase.close();
    return out;
}

// School year of a child born on this day, in the school year beginning in April of `year`
// (4 = 小4 ... 12 = 高3): the cohort runs from 2 April to 1 April.
int schoolYearOf(const QDate& birth, int year)
{
    const int cohort = birth < QDate(birth.year(), 4, 2) ? birth.year() - 1 : birth.year();
    return year - 6 - cohort;
}

} // namespace

class tst_demo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString reason;
        QVERIFY2(funcCreateDemoSchool(first(), DemoSize::Small, kToday, &reason, &m_summary), qPrintable(reason));
        QVERIFY2(funcCreateDemoSchool(m_dir.filePath(QStringLiteral("second.mdb")), DemoSize::Small, kToday, &reason),
                 qPrintable(reason));
    }

    void sameDayGivesSameRows()
    {
        const QByteArray a = dumpTables(first());
        const QByteArray b = dumpTables(m_dir.filePath(QStringLiteral("second.mdb")));
        QVERIFY(a.size() > 100000);
        QVERIFY(a == b);
        // Another day moves the school year and the notices, so the rows differ.
        const QString other = m_dir.filePath(QStringLiteral("other.mdb"));
        QVERIFY(funcCreateDemoSchool(other, DemoSize::Small, kToday.addDays(1)));
        QVERIFY(dumpTables(other) != a);
        // Drawn photographs beside the database.
        QVERIFY(m_summary.pictures >= 20);
        QCOMPARE(QImage(m_dir.filePath(QStringLiteral("Picture/1.jpg"))).size(), QSize(240, 320));
    }

    // Every lesson belongs to a regular class with its students; the latest absences
    // with notice have their make-ups, a booked one (a school with two classes of a
    // grade and subject) with its seat in the lesson it went to.
    void classesAndMakeups()
    {
        QVERIFY(gDatabase.open(first(), false));
        const auto count = [](const char* sql) { return gDatabase.engine().query(QString::fromUtf8(sql)).values.value(0).toInt(); };
        QCOMPARE(count("SELECT COUNT(*) FROM 毎講座履歴 WHERE 通常クラスID NOT IN (SELECT 通常クラスID FROM 通常クラス)"), 0);
        QVERIFY(count("SELECT COUNT(*) FROM クラス生徒") >= m_summary.students - m_summary.deletedStudents);
        QVERIFY(count("SELECT COUNT(*) FROM 振替 WHERE 状態 = 0") > 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 振替 f WHERE 状態 = 1 AND NOT EXISTS (SELECT 1 FROM 講座出席 a"
                       " WHERE a.毎講座ID = f.振替講座ID AND a.生徒番号 = f.生徒番号 AND a.振替ID = f.振替ID)"),
                 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 振替 f WHERE NOT EXISTS (SELECT 1 FROM 講座出席 a"
                       " WHERE a.毎講座ID = f.欠席講座ID AND a.生徒番号 = f.生徒番号 AND a.出席フラグ = 0 AND a.欠席連絡 = 1)"),
                 0);
        gDatabase.close();
    }

    void refusesAnExistingFile()
    {
        QFile file(first());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QString reason;
        QVERIFY(!funcCreateDemoSchool(first(), DemoSize::Small, kToday, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void readingsAreHalfWidthKatakana()
    {
        QCOMPARE(funcHalfWidthKana(QStringLiteral("やまだ たろう")), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
        QCOMPARE(funcHalfWidthKana(QStringLiteral("りゅうのすけ　ヴィ")), QStringLiteral("ﾘﾕｳﾉｽｹ ｳﾞｲ"));

        QVERIFY(gDatabase.open(first(), false));
        Recordset rs = gDatabase.openRecordset(QStringLiteral("SELECT 氏名カナ, 生徒氏名 FROM 生徒台帳"), dbOpenDynaset, dbReadOnly);
        int students = 0;
        for (; !rs.eof(); rs.moveNext(), ++students) {
            const QString kana = rs.field(0).toString();
            const QString kanji = rs.field(1).toString();
            QVERIFY2(kana.size() >= 3 && kana.contains(QLatin1Char(' ')), qPrintable(kana));
            // Only letters the reading field lets a user type, so searches typed there find them.
            for (QChar c : kana) {
                short key = static_cast<short>(funcKeyAscii(c));
                subKeyFilter(2, key);
                QVERIFY2(key != 0 && (c == QLatin1Char(' ') || c.unicode() >= 0xFF61), qPrintable(kana));
            }
            // The name itself is kanji (or hiragana), never the reading again.
            for (QChar c : kanji)
                QVERIFY2(c.unicode() >= 0x3000 && c.unicode() < 0xFF00, qPrintable(kanji));
        }
        QCOMPARE(students, m_summary.students);
        gDatabase.close();
    }

    void lessonsAgreeWithTheirAttendance()
    {
        QVERIFY(gDatabase.open(first(), false));
        struct Pupil { QDate birth, entry; int deleted; };
        std::map<int, Pupil> pupils;
        Recordset st = gDatabase.openRecordset(QStringLiteral("SELECT 生徒番号, 生年月日, 入塾日, 削除フラグ FROM 生徒台帳"),
                                               dbOpenDynaset, dbReadOnly);
        for (; !st.eof(); st.moveNext())
            pupils[st.field(0).toInt()] = {funcTextDate(st.field(1).toString()), funcTextDate(st.field(2).toString()), st.field(3).toInt()};

        struct Lesson { QDate day; int grade; int count; int rows = 0; };
        std::map<int, Lesson> lessons;
        std::set<QString> teacherSlots, roomSlots;
        Recordset ls = gDatabase.openRecordset(
            QStringLiteral("SELECT 毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 講師ID, 教室ID, 定員数, 受講人数 FROM 毎講座履歴"),
            dbOpenDynaset, dbReadOnly);
        for (; !ls.eof(); ls.moveNext()) {
            const QDate day = funcTextDate(ls.field(1).toString());
            QVERIFY(day.isValid());
            QCOMPARE(ls.field(2).toInt(), day.dayOfWeek());
            QVERIFY(day.dayOfWeek() != Qt::Sunday);
            QVERIFY(ls.field(8).toInt() <= ls.field(7).toInt());
            // Nobody teaches two lessons at once, no room holds two.
            const QString slot = ls.field(1).toString() + QLatin1Char('/') + ls.field(3).toString() + QLatin1Char('/');
            QVERIFY(teacherSlots.insert(slot + ls.field(5).toString()).second);
            QVERIFY(roomSlots.insert(slot + ls.field(6).toString()).second);
            lessons[ls.field(0).toInt()] = {day, ls.field(4).toInt(), ls.field(8).toInt()};
        }
        QCOMPARE(static_cast<int>(lessons.size()), m_summary.lessons);
        QVERIFY(lessons.size() >= 200 && lessons.size() <= 1000);
        // A school year of lessons: April to March, with the holidays left out.
        QCOMPARE(lessons.begin()->second.day.toString(QStringLiteral("MM")), QStringLiteral("04"));
        QCOMPARE(lessons.rbegin()->second.day.toString(QStringLiteral("MM")), QStringLiteral("03"));
        for (const auto& [id, lesson] : lessons)
            QVERIFY(!(lesson.day.month() == 1 && lesson.day.day() == 1) && !(lesson.day.month() == 5 && lesson.day.day() == 3));

        std::set<std::pair<int, int>> seen;
        int present = 0, absent = 0, commented = 0;
        Recordset at = gDatabase.openRecordset(
            QStringLiteral("SELECT 毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, 宿題, コメント FROM 講座出席"),
            dbOpenDynaset, dbReadOnly);
        for (; !at.eof(); at.moveNext()) {
            const int id = at.field(0).toInt();
            const int number = at.field(1).toInt();
            QVERIFY(seen.insert({id, number}).second);
            QVERIFY(lessons.count(id) == 1 && pupils.count(number) == 1);
            Lesson& lesson = lessons[id];
            const Pupil& pupil = pupils[number];
            ++lesson.rows;
            // The student had come to the school and is of the lesson's grade.
            QVERIFY(pupil.entry <= lesson.day);
            const int schoolYearStart = kToday.month() >= 4 ? kToday.year() : kToday.year() - 1;
            QCOMPARE(schoolYearOf(pupil.birth, schoolYearStart) - 3, lesson.grade);
            const bool came = at.field(2).toInt() == 1;
            QCOMPARE(at.field(6).toInt(), 0);
            for (int item = 3; item <= 5; ++item) {
                const int mark = at.field(item).toInt();
                QVERIFY(came ? (mark >= 1 && mark <= 5) : mark == 0);
            }
            if (!came)
                QCOMPARE(at.field(7).toInt(), 0);
            if (lesson.day > kToday)
                QVERIFY(!came);
            if (lesson.day <= kToday)
                came ? ++present : ++absent;
            commented += at.field(8).toString().isEmpty() ? 0 : 1;
        }
        QCOMPARE(static_cast<int>(seen.size()), m_summary.attendance);
        for (const auto& [id, lesson] : lessons)
            QVERIFY2(lesson.rows == lesson.count, qPrintable(QString::number(id)));
        // Lessons held so far were mostly attended; some rows carry a comment.
        QVERIFY(present > 5 * absent && absent > 0);
        QVERIFY(commented > 10);
        gDatabase.close();
    }

    void someRowsAreDeletedAndStillReferred()
    {
        QVERIFY(gDatabase.open(first(), false));
        auto count = [](const QString& sql) {
            Recordset rs = gDatabase.openRecordset(sql, dbOpenDynaset, dbReadOnly);
            return rs.field(0).toInt();
        };
        QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM 生徒台帳 WHERE 削除フラグ = 1")) >= 1);
        QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM 生徒台帳 WHERE 削除フラグ = 0")) >= 50);
        for (const char* table : {"マスタ学年", "マスタ科目", "マスタ講座クラス", "マスタ講師", "マスタ教室", "マスタ学校"})
            QVERIFY2(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 削除フラグ = 1").arg(QString::fromUtf8(table))) == 1, table);
        // Notices current on the day, and past ones.
        const QString day = funcDateText(kToday);
        QVERIFY(count(QStringLiteral("SELECT COUNT(DISTINCT 記号) FROM 連絡事項 WHERE 開始日 <= #%1# AND 終了日 >= #%1#").arg(day)) >= 3);
        QVERIFY(count(QStringLiteral("SELECT COUNT(*) FROM 連絡事項 WHERE 終了日 < #%1#").arg(day)) >= 1);
        // Every writer fits the eight bytes the board gives it.
        Recordset writers = gDatabase.openRecordset(QStringLiteral("SELECT 記入者 FROM 連絡事項"), dbOpenDynaset, dbReadOnly);
        for (; !writers.eof(); writers.moveNext()) {
            const QString writer = writers.field(0).toString();
            QVERIFY2(!writer.isEmpty() && funcByteLen(writer) <= 8, qPrintable(writer));
        }
        writers.close();
        gDatabase.close();
    }

private:
    QString first() const { return m_dir.filePath(QStringLiteral("first.mdb")); }

    QTemporaryDir m_dir;
    DemoSummary m_summary;
};

QTEST_GUILESS_MAIN(tst_demo)
#include "tst_demo.moc"
