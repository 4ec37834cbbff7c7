// The monthly report as PDF files, print jobs and from the command line, read
// back with poppler's tools: the text a user copies out is the database's text,
// every font is embedded, and the pages are the model's pages.

#include "CommonBase.h"
#include "DaoCommon.h"
#include "MonthlyPdf.h"
#include "PdfFile.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QtTest>

namespace {

const QDate kMonth(2026, 11, 1);
const QDate kMadeOn(2026, 11, 30);
// Characters some CJK fonts give back as Kangxi radicals or lose in their subsets.
const QString kAwkward = QStringLiteral("月生髙﨑①Ⅲ");

} // namespace

class tst_MonthlyPdf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_pf.reset(); }

    void fileReadsBackAsTheDatabaseText();
    void printJobHasTheStudentsPages();
    void fileNames_data();
    void fileNames();
    void takenNamesGetANumber();
    void toolWritesTheMonthOrSaysWhy();

private:
    std::unique_ptr<ProgramFolder> m_pf;
    QString m_comment400;
    QString m_longComment;
    monthly::Report build(const QList<int>& students);
};

void tst_MonthlyPdf::init()
{
    m_pf = std::make_unique<ProgramFolder>();
    m_pf->exec(QStringLiteral("INSERT INTO マスタ時限 VALUES (1, '1限', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ学年 VALUES (1, '中2', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ科目 VALUES (1, '数学', 0)"));
    m_pf->exec(QStringLiteral("INSERT INTO マスタ講座クラス VALUES (1, 'Aクラス', 0)"));
    // 1: awkward characters, a guardian and a birth date (中2 in 2026); 2: a name no
    // file may carry and comments of 400 characters and of several pages; 3: no
    // lessons; 4 deleted, 5 gone before November: neither is reported by default.
    m_pf->exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 保護者氏名, 生年月日) VALUES "
                              "(1, 'ﾀｶｻｷ', '髙﨑 ①Ⅲ', '髙﨑 月生', '2012/06/01'), (2, 'ﾔﾏﾀﾞ', '山田/太郎:?', NULL, NULL), "
                              "(3, 'ｽｽﾞｷ', '鈴木 一郎', '  ', NULL)"));
    m_pf->exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (4, 'ｹｽ', '削除', 1)"));
    m_pf->exec(QStringLiteral("INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 在籍状態, 状態日付) VALUES (5, 'ﾀｲ', '退塾', 2, '2026/10/31')"));
    for (int id = 1; id <= 3; ++id)
        m_pf->exec(QStringLiteral("INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 時限ID, 学年ID, 科目ID, 講座クラスID) "
                                  "VALUES (%1, '2026/11/0%1', 1, 1, 1, 1)").arg(id));
    // Text that must survive: quotes, wildcards, half-width kana, full-width digits, an emoji's neighbours.
    m_comment400 = kAwkward + QStringLiteral("'%*#ｶﾀｶﾅ１２３");
    while (m_comment400.size() < 400)
        m_comment400 += QStringLiteral("今月は計算問題によく取り組みました。");
    m_comment400.truncate(400);
    for (int n = 0; m_longComment.size() < 3000; ++n)
        m_longComment += QStringLiteral("%1回目：宿題は丁寧にできていました。次回は見直しを。").arg(n);
    const auto attend = [&](int lesson, int student, const QString& comment) {
        m_pf->exec(QStringLiteral("INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, コメント) VALUES (%1, %2, 1, 4, 3, '%3')")
                       .arg(lesson).arg(student).arg(funcSqlQuote(comment)));
    };
    attend(1, 1, kAwkward);
    attend(1, 2, m_comment400);
    attend(2, 2, m_longComment);
    attend(3, 2, QStringLiteral("最後"));
}

monthly::Report tst_MonthlyPdf::build(const QList<int>& students)
{
    const std::optional<monthly::Report> report = monthly::funcBuild(students, kMonth, kMadeOn);
    if (!report)
        qFatal("the month could not be read");
    return *report;
}

void tst_MonthlyPdf::fileReadsBackAsTheDatabaseText()
{
    const monthly::Report report = build({1, 2, 3});
    const QString path = m_pf->file(QStringLiteral("all.pdf"));
    QVERIFY(MonthlyPdf::funcWriteFile(report, path));
    const PdfFile pdf = readPdf(path);

    // Every font embedded, the Japanese one among them.
    QVERIFY(!pdf.fonts.isEmpty());
    for (const QString& font : pdf.fonts)
        QVERIFY2(font.endsWith(QStringLiteral("|yes")), qPrintable(pdf.fonts.join(u' ')));
    QVERIFY2(pdf.fonts.join(u' ').contains(MonthlyPdf::kFontFamily), qPrintable(pdf.fonts.join(u' ')));

    // A page per student and one more per page a comment goes on over.
    QCOMPARE(report.students.size(), std::size_t{3});
    QVERIFY(report.students[1].pages.size() >= 2);
    QCOMPARE(pdf.pages, report.pageCount());

    const QString text = pdf.joined();
    for (const QString& expected : {QStringLiteral("髙﨑 ①Ⅲ"), QStringLiteral("髙﨑 月生 様"), QStringLiteral("中2"),
                                    QStringLiteral("山田/太郎:?"), QStringLiteral("2026年11月"), m_comment400,
                                    QStringLiteral("この月の授業はありません。")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    QCOMPARE(text.count(QStringLiteral(" 様")), 1);   // no addressee for an unknown or blank guardian
    // The long comment whole over its pages, marked where it goes on.
    QString pieces;
    for (const monthly::Page& page : report.students[1].pages)
        for (const monthly::Piece& piece : page.pieces)
            if (piece.lesson == 1) {
                QVERIFY(text.contains(piece.comment));
                pieces += piece.comment;
            }
    QCOMPARE(pieces.remove(QStringLiteral("（続き）")), m_longComment);
}

void tst_MonthlyPdf::printJobHasTheStudentsPages()
{
    // A print job is drawn as the file is, at the printer's resolution.
    const monthly::Report report = build({2, 3});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_pf->file(QStringLiteral("print.pdf")));
    QVERIFY(MonthlyPdf::funcDraw(report, printer));
    const PdfFile pdf = readPdf(printer.outputFileName());
    QCOMPARE(pdf.pages, report.pageCount());
    QVERIFY(pdf.joined().contains(m_comment400));
}

void tst_MonthlyPdf::fileNames_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::newRow("plain") << 12 << QStringLiteral("山田 太郎") << QStringLiteral("12_山田 太郎_202611.pdf");
    QTest::newRow("slash, colon, question") << 2 << QStringLiteral("山田/太郎:?") << QStringLiteral("2_山田_太郎___202611.pdf");
    QTest::newRow("every forbidden one") << 3 << QStringLiteral("a\\b*c\"d<e>f|g\th") << QStringLiteral("3_a_b_c_d_e_f_g_h_202611.pdf");
    QTest::newRow("kana, digits, emoji stay") << 4 << QStringLiteral("ｶﾅ１２😀髙") << QStringLiteral("4_ｶﾅ１２😀髙_202611.pdf");
}

void tst_MonthlyPdf::fileNames()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(QString, file);
    monthly::Student s;
    s.number = number;
    s.name = name;
    QCOMPARE(MonthlyPdf::funcFileName(s, kMonth), file);
}

void tst_MonthlyPdf::takenNamesGetANumber()
{
    const monthly::Report report = build({1, 2});
    const QString folder = m_pf->file(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(folder));
    for (int run = 1; run <= 3; ++run) {
        const MonthlyPdf::Saved saved = MonthlyPdf::funcSaveEach(report, folder);
        QVERIFY(saved.failed.isEmpty());
        const QString suffix = run == 1 ? QString() : QStringLiteral(" (%1)").arg(run);
        QCOMPARE(saved.files, (QStringList{folder + QStringLiteral("/1_髙﨑 ①Ⅲ_202611") + suffix + QStringLiteral(".pdf"),
                                           folder + QStringLiteral("/2_山田_太郎___202611") + suffix + QStringLiteral(".pdf")}));
    }
    // A folder that cannot be written is told, with the file that failed.
    const MonthlyPdf::Saved refused = MonthlyPdf::funcSaveEach(report, m_pf->file(QStringLiteral("無い/フォルダ")));
    QVERIFY(refused.files.isEmpty());
    QVERIFY(refused.failed.endsWith(QStringLiteral("1_髙﨑 ①Ⅲ_202611.pdf")));
}

void tst_MonthlyPdf::toolWritesTheMonthOrSaysWhy()
{
    CloseDatabase();   // the tool is another program on the same database
    const QStringList database = testServerMode() ? QStringList{QStringLiteral("--server-file"), m_pf->file(QStringLiteral("Revid.server"))}
                                                  : QStringList{m_pf->databasePath()};
    const QString out = m_pf->file(QStringLiteral("月報"));
    const auto run = [&](const QStringList& args, QString* output = nullptr) {
        QProcess tool;
        tool.start(QStringLiteral(KAEDE_REPORT_TOOL), QStringList{QStringLiteral("monthly")} + args + database);
        tool.waitForFinished(60000);
        if (output)
            *output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        return tool.exitCode();
    };
    const QStringList month{QStringLiteral("--month"), QStringLiteral("2026-11"), QStringLiteral("--pdf"), out};
    QString said;
    // Every student who may take lessons in November, a file each.
    QCOMPARE(run(month, &said), 0);
    QCOMPARE(QDir(out).entryList(QDir::Files),
             (QStringList{QStringLiteral("1_髙﨑 ①Ⅲ_202611.pdf"), QStringLiteral("2_山田_太郎___202611.pdf"),
                          QStringLiteral("3_鈴木 一郎_202611.pdf")}));
    QVERIFY2(said.contains(out + QStringLiteral("/3_鈴木 一郎_202611.pdf\n")), qPrintable(said));
    // The chosen students in one file.
    QCOMPARE(run(month + QStringList{QStringLiteral("--one-file"), QStringLiteral("--students"), QStringLiteral("1,3")}), 0);
    QCOMPARE(readPdf(out + QStringLiteral("/月間報告書_202611.pdf")).pages, 2);

    const struct {
        QStringList args;
        QString message;
    } refused[] = {
        {{QStringLiteral("--month"), QStringLiteral("2026-13"), QStringLiteral("--pdf"), out}, QStringLiteral("月の指定が正しくありません")},
        {{QStringLiteral("--month"), QStringLiteral("2099-01"), QStringLiteral("--pdf"), out}, QStringLiteral("まだ来ていない月")},
        {month + QStringList{QStringLiteral("--students"), QStringLiteral("1,4,99")}, QStringLiteral("次の生徒番号の生徒はいません: 4, 99")},
        {month + QStringList{QStringLiteral("--students"), QStringLiteral("1,x")}, QStringLiteral("生徒番号の指定が正しくありません: x")},
        {{QStringLiteral("--pdf"), out}, QStringLiteral("使い方: kaedemaru-report")},
    };
    for (const auto& r : refused) {
        QCOMPARE(run(r.args, &said), 2);
        QVERIFY2(said.contains(r.message), qPrintable(said));
    }
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), 4);
    // A database that is none.
    QProcess tool;
    tool.start(QStringLiteral(KAEDE_REPORT_TOOL), QStringList{QStringLiteral("monthly")} + month + QStringList{m_pf->file(QStringLiteral("無い.mdb"))});
    tool.waitForFinished(60000);
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY(OpenDatabase(false, m_pf->databasePath()));
}

QTEST_MAIN(tst_MonthlyPdf)
#include "tst_MonthlyPdf.moc"
