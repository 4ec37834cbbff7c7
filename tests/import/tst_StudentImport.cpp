#include "../students/StudentsTest.h"
#include "ImportFiles.h"
#include "PackageFile.h"
#include "ImportValues.h"
#include "StudentImport.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace StudentImport;
using ImportSource::SourceCell;

class tst_StudentImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void valuesAsTheRegisterKeepsThem_data();
    void valuesAsTheRegisterKeepsThem();
    void cp932CsvKeepsItsTextAndStoresWhatWasPreviewed();
    void workbookCellsAndTheHeaderBelowATitle();
    void filesAsOtherProgramsWriteThem_data();
    void filesAsOtherProgramsWriteThem();
    void anUpdateKeepsWhatAnotherPcChanged();
    void guardianColumnsByTheirUsualNames();
    void unreadableFilesAreRefusedWithAMessage_data();
    void unreadableFilesAreRefusedWithAMessage();
    void aFaultWhileStoringStoresNothing();
    void toolPrintsTheProblemsAndStoresOnlyWithCommit();

private:
    std::unique_ptr<ProgramFolder> pf;
};

namespace {
// Readings and kanji as a Japanese office's Excel writes them, with a row per awkward case.
const QString kCsv = QStringLiteral(
    "生徒番号,氏名,フリガナ,電話,生年月日,性別,学校,備考\r\n"
    "17,髙橋 一郎,たかはし いちろう,０３－１２３４－５６７８,平成27年4月1日,男,町田第一中学校,\"①組, ㈱山﨑の\"\"紹介\"\"\"\r\n"
    ",山﨑 Ⅲ子,ヤマザキ ミツコ,090-1111-2222,R2.5.1,女,新設中学校,\"～1行目\r\n2行目\"\r\n"
    ",髙橋 一郎,ﾀｶﾊｼ ｲﾁﾛｳ,,2015/4/1,M,,\r\n"
    ",,ｶﾅ ﾀﾞｹ,,2099/1/1,不明,,\r\n"
    ",佐藤 花子,さとう はなこ,,2011/6/1,女,,\r\n");

QStringList states(const Preview& p)
{
    QStringList out;
    for (const PreviewRow& r : p.rows)
        out << QString::number(r.line) + u':' + stateCaption(r.state());
    return out;
}

QStringList problems(const Preview& p)
{
    QStringList out;
    for (const PreviewRow& r : p.rows)
        for (const Problem& problem : r.problems)
            out << funcProblemLine(problem);
    return out;
}

Preview previewOf(const QString& path)
{
    const ImportSource::SourceTable table = funcRead(path);
    return *funcPreview(table, defaultMapping(table.header));
}
} // namespace

void tst_StudentImport::init()
{
    pf.reset();
    pf = std::make_unique<ProgramFolder>();
    insertSchools(*pf);
    insertStudent({1, QStringLiteral("ｻﾄｳ ﾊﾅｺ"), QStringLiteral("佐藤　花子"), QStringLiteral("0427001234"), {}, {}, {}, {},
                   QStringLiteral("2023/04/01"), QStringLiteral("2011/06/01"), 2, 1});
}

void tst_StudentImport::valuesAsTheRegisterKeepsThem_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("cell");   // a double is a number cell
    QTest::addColumn<QString>("expected"); // "!" for a value refused
    const auto row = [](const char* name, const char* kind, const QVariant& cell, const QString& expected) {
        QTest::newRow(name) << QString::fromUtf8(kind) << cell << expected;
    };
    row("slashes", "date", QStringLiteral("2015/4/1"), QStringLiteral("2015/04/01"));
    row("iso", "date", QStringLiteral("2015-04-01"), QStringLiteral("2015/04/01"));
    row("kanji", "date", QStringLiteral("2015年4月1日"), QStringLiteral("2015/04/01"));
    row("full width", "date", QStringLiteral("２０１５／４／１"), QStringLiteral("2015/04/01"));
    row("with time", "date", QStringLiteral("2015/04/01 0:00:00"), QStringLiteral("2015/04/01"));
    row("serial cell", "date", 42095.0, QStringLiteral("2015/04/01"));
    row("serial text", "date", QStringLiteral("42095"), QStringLiteral("!"));
    row("year alone", "date", QStringLiteral("2015"), QStringLiteral("!"));
    row("year alone cell", "date", 2015.0, QStringLiteral("!"));
    row("showa's last day", "date", QStringLiteral("昭和64年1月7日"), QStringLiteral("1989/01/07"));
    row("showa after its end", "date", QStringLiteral("昭和64年1月8日"), QStringLiteral("!"));
    row("heisei after its end", "date", QStringLiteral("H32.1.1"), QStringLiteral("!"));
    row("heisei's last day", "date", QStringLiteral("H31.4.30"), QStringLiteral("2019/04/30"));
    row("reiwa before its start", "date", QStringLiteral("R1.4.30"), QStringLiteral("!"));
    row("reiwa first", "date", QStringLiteral("令和元年5月1日"), QStringLiteral("2019/05/01"));
    row("reiwa letter", "date", QStringLiteral("R7.4.1"), QStringLiteral("2025/04/01"));
    row("reiwa kanji", "date", QStringLiteral("令和7年4月1日"), QStringLiteral("2025/04/01"));
    row("heisei slash", "date", QStringLiteral("H15/4/1"), QStringLiteral("2003/04/01"));
    row("heisei first", "date", QStringLiteral("平成元年4月1日"), QStringLiteral("1989/04/01"));
    row("showa", "date", QStringLiteral("昭和50年1月15日"), QStringLiteral("1975/01/15"));
    row("no such day", "date", QStringLiteral("2015/2/30"), QStringLiteral("!"));
    row("words", "date", QStringLiteral("来年の春"), QStringLiteral("!"));
    row("full width phone", "phone", QStringLiteral("０３－１２３４－５６７８"), QStringLiteral("0312345678"));
    row("long vowel as hyphen", "phone", QStringLiteral("(090)ー1234ー5678"), QStringLiteral("09012345678"));
    row("phone abroad", "phone", QStringLiteral("+81 3 1234 5678"), QStringLiteral("!"));
    row("phone lost its 0", "phone", 312345678.0, QStringLiteral("!"));
    row("phone with letters", "phone", QStringLiteral("内線12"), QStringLiteral("!"));
    row("phone too long", "phone", QStringLiteral("0312345678901234"), QStringLiteral("!"));
    row("postcode mark", "postal", QStringLiteral("〒194-0013"), QStringLiteral("1940013"));
    row("postcode cell whole", "postal", 1940013.0, QStringLiteral("1940013"));
    row("postcode cell lost its 0", "postal", 600001.0, QStringLiteral("!"));
    row("hiragana", "reading", QStringLiteral("やまだ たろう"), QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ"));
    row("katakana", "reading", QStringLiteral("ヤマダ　ハナコ"), QStringLiteral("ﾔﾏﾀﾞ ﾊﾅｺ"));
    row("kanji reading", "reading", QStringLiteral("山田"), QStringLiteral("!"));
    row("long vowel the window refuses", "reading", QStringLiteral("コーダ"), QStringLiteral("!"));
    row("man", "sex", QStringLiteral("男性"), QStringLiteral("1"));
    row("woman letter", "sex", QStringLiteral("ｆ"), QStringLiteral("2"));
    row("unknown sex", "sex", QStringLiteral("不明"), QStringLiteral("!"));
    row("header tel", "header", QStringLiteral("ＴＥＬ"), QStringLiteral("電話"));
    row("header mark", "header", QStringLiteral("〒"), QStringLiteral("郵便番号"));
    row("header reading", "header", QStringLiteral("氏名カナ"), QStringLiteral("氏名カナ"));
    row("header school", "header", QStringLiteral("所属校"), QStringLiteral("所属校"));
    row("number is the program's", "header", QStringLiteral("生徒番号"), QStringLiteral("取り込まない"));
}

void tst_StudentImport::valuesAsTheRegisterKeepsThem()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, cell);
    QFETCH(QString, expected);
    const bool number = cell.typeId() == QMetaType::Double;
    const SourceCell c{number ? QString::number(cell.toDouble(), 'g', 15) : cell.toString(),
                       number ? std::optional<double>(cell.toDouble()) : std::nullopt};
    const auto shown = [](const auto& read, auto text) { return read.error.isEmpty() ? text(*read.value) : QStringLiteral("!"); };
    QString got;
    if (kind == QLatin1String("date"))
        got = shown(ImportValues::date(c), [](const QDate& d) { return funcDateText(d); });
    else if (kind == QLatin1String("phone"))
        got = shown(ImportValues::phone(c, SeitoWidth::phone), [](const QString& t) { return t; });
    else if (kind == QLatin1String("postal"))
        got = shown(ImportValues::postcode(c, SeitoWidth::postal), [](const QString& t) { return t; });
    else if (kind == QLatin1String("reading"))
        got = shown(ImportValues::reading(c, SeitoWidth::kana), [](const QString& t) { return t; });
    else if (kind == QLatin1String("sex"))
        got = shown(ImportValues::sex(c), [](int v) { return QString::number(v); });
    else
        got = fieldCaption(fieldOfHeader(c.text));
    QCOMPARE(got, expected);
}

void tst_StudentImport::cp932CsvKeepsItsTextAndStoresWhatWasPreviewed()
{
    const QString path = pf->file(QStringLiteral("台帳.csv"));
    writeTextFile(path, kCsv, "windows-31j");
    const ImportSource::SourceTable table = funcRead(path);
    QCOMPARE(table.encoding, ImportSource::TextEncoding::Cp932);
    QCOMPARE(table.header.size(), 8);
    const Preview preview = *funcPreview(table, defaultMapping(table.header));
    QCOMPARE(states(preview), (QStringList{"2:取り込む", "3:取り込む", "4:重複", "5:エラー", "6:重複"}));
    QCOMPARE(problems(preview), (QStringList{
        QStringLiteral("4行目 氏名「髙橋 一郎」: 2行目と生徒氏名・生年月日が同じです"),
        QStringLiteral("5行目 性別「不明」: 男・女のどちらかを入れてください"),
        QStringLiteral("5行目 氏名: 生徒氏名がありません"),
        QStringLiteral("5行目 生年月日「2099/01/01」: 生年月日が今日より後です"),
        QStringLiteral("6行目 氏名「佐藤 花子」: 登録済みの生徒（生徒番号 1）と生徒氏名・生年月日が同じです"),
    }));
    QCOMPARE(preview.newSchools, QStringList{QStringLiteral("新設中学校")});
    QCOMPARE(preview.rows[0].school, QStringLiteral("町田第一中学校"));   // the master's name of a known school

    // The user adds the register's duplicate all the same and the missing school to the master.
    Preview chosen = preview;
    chosen.rows[4].choice = Choice::Add;
    const int previewed = chosen.count(RowState::Take);
    const Preview sameFileElsewhere = preview;   // another PC checked the same file meanwhile
    const Stored stored = funcStore(chosen, true);
    QCOMPARE(stored.numbers, (QList<int>{2, 3, 4}));
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 1 + previewed);
    QCOMPARE(storedStudent(2), QStringLiteral("ﾀｶﾊｼ ｲﾁﾛｳ|髙橋 一郎|0312345678||||①組, ㈱山﨑の\"紹介\"||2015/04/01|1|1|0"));
    QCOMPARE(storedStudent(3), QStringLiteral("ﾔﾏｻﾞｷ ﾐﾂｺ|山﨑 Ⅲ子|09011112222||||～1行目\n2行目||2020/05/01|2|4|0"));
    QCOMPARE(pf->scalar(QStringLiteral("SELECT 学校名 FROM マスタ学校 WHERE 学校ID = 4")), QStringLiteral("新設中学校"));

    // The same file again finds every student it stored, and the import checked before
    // the first was stored stores none of them and no school again.
    QCOMPARE(previewOf(path).count(RowState::Take), 0);
    const Stored again = funcStore(sameFileElsewhere, true);
    QVERIFY(again.numbers.isEmpty());
    QCOMPARE(again.duplicatesMeanwhile, 2);
    QCOMPARE(again.schoolsAdded, 0);
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 1 + previewed);
}

void tst_StudentImport::workbookCellsAndTheHeaderBelowATitle()
{
    const QString path = pf->file(QStringLiteral("名簿.xlsx"));
    writeWorkbook(path, {
        {QStringLiteral("2026年度 生徒名簿")},
        {},
        {QStringLiteral("名前"), QStringLiteral("ふりがな"), QStringLiteral("自宅電話"), QStringLiteral("〒"), QStringLiteral("誕生日"), QStringLiteral("入会日")},
        {QStringLiteral("木村 拓"), QStringLiteral("きむら たく"), QStringLiteral("042-700-1111"), 1940013.0, 40269.0, QStringLiteral("R6.4.1")},
        {QStringLiteral("森 茜"), QStringLiteral("もり あかね"), 427001111.0, QStringLiteral("0600001"), 40183.0, QStringLiteral("平成22年1月5日")},
    });
    const ImportSource::SourceTable table = funcRead(path);
    QVERIFY(table.workbook);
    QCOMPARE(table.sheets, QStringList{QStringLiteral("名簿")});
    const Preview preview = *funcPreview(table, defaultMapping(table.header));
    QCOMPARE(states(preview), (QStringList{"4:取り込む", "5:エラー"}));
    QCOMPARE(problems(preview), QStringList{QStringLiteral(
        "5行目 自宅電話「427001111」: 数値のセルのため先頭の0が消えています。セルを文字列にして入力し直してください")});
    QCOMPARE(funcDateText(preview.rows[0].seito.birth), QStringLiteral("2010/04/01"));
    QCOMPARE(funcDateText(preview.rows[0].seito.entry), QStringLiteral("2024/04/01"));
    QCOMPARE(preview.rows[0].seito.postal, QStringLiteral("1940013"));

    // The problem rows go out with their reason and come back in as they were.
    const QString errors = pf->file(QStringLiteral("エラー.xlsx"));
    subWriteProblemRows(table, defaultMapping(table.header), preview, errors);
    const ImportSource::SourceTable back = funcRead(errors);
    QCOMPARE(back.header.last(), QStringLiteral("理由"));
    QCOMPARE(back.rows.size(), std::size_t(1));
    QCOMPARE(back.rows[0][4].text, QStringLiteral("2010/01/05"));
    QVERIFY(back.rows[0][6].text.contains(QStringLiteral("先頭の0")));
}

void tst_StudentImport::filesAsOtherProgramsWriteThem_data()
{
    // how: "package" (a, b, c: sheet data, shared strings, workbookPr), "openpyxl" (a: the
    // script's rows), or a text encoding (a: the text).
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<QByteArray>("c");
    QTest::addColumn<QString>("expected");   // each row's state and problems, then the first student stored
    const QByteArray header = R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c></row>)";
    const QByteArray names = "<si><t>氏名</t></si><si><t>フリガナ</t></si><si><t>住所</t></si>";
    QTest::newRow("furigana runs") << "package"
        << header + R"(<row r="2"><c r="A2" t="s"><v>3</v></c><c r="B2" t="s"><v>4</v></c><c r="C2" t="s"><v>5</v></c></row>)"
        << names + R"(<si><t>山田 太郎</t><rPh sb="0" eb="2"><t>ヤマダ</t></rPh><rPh sb="3" eb="5"><t>タロウ</t></rPh><phoneticPr fontId="1"/></si>)"
                   R"(<si><t>やまだ たろう</t></si>)"
                   R"(<si><r><rPr><b/></rPr><t>東京都</t></r><r><t xml:space="preserve">港区芝公園4丁目</t></r>)"
                   R"(<rPh sb="3" eb="5"><t>ミナトク</t></rPh><rPh sb="5" eb="8"><t>シバコウエン</t></rPh><phoneticPr fontId="1"/></si>)"
        << QByteArray()
        << "2:取り込む => ﾔﾏﾀﾞ ﾀﾛｳ|山田 太郎|||東京都港区芝公園4丁目|||||0||0";
    QTest::newRow("inline strings without addresses") << "package"
        << QByteArray(R"(<row><c t="inlineStr"><is><t>氏名</t></is></c><c t="inlineStr"><is><t>カナ</t></is></c>)"
                      R"(<c t="inlineStr"><is><t>生年月日</t></is></c></row>)"
                      R"(<row><c t="inlineStr"><is><r><t>鈴木</t></r><r><t xml:space="preserve"> 一</t></r><rPh sb="0" eb="2"><t>スズキ</t></rPh></is></c>)"
                      R"(<c t="str"><f>"すずき はじめ"</f><v>すずき はじめ</v></c><c><v>41075</v></c></row>)")
        << QByteArray() << QByteArray()
        << "2:取り込む => ｽｽﾞｷ ﾊｼﾞﾒ|鈴木 一|||||||2012/06/15|0||0";
    QTest::newRow("1904 dates") << "package"
        << QByteArray(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>氏名</t></is></c><c r="B1" t="inlineStr"><is><t>カナ</t></is></c>)"
                      R"(<c r="D1" t="inlineStr"><is><t>生年月日</t></is></c></row>)"
                      R"(<row r="3"><c r="A3" t="inlineStr"><is><t>林 一</t></is></c><c r="B3" t="inlineStr"><is><t>はやし はじめ</t></is></c>)"
                      R"(<c r="D3"><v>39613</v></c></row>)")
        << QByteArray() << QByteArray(R"(date1904="1")")
        << "3:取り込む => ﾊﾔｼ ﾊｼﾞﾒ|林 一|||||||2012/06/15|0||0";
    QTest::newRow("openpyxl") << "openpyxl"
        << QByteArray(R"([["氏名", "フリガナ", "生年月日", "電話"], ["田中 花", "たなか はな", datetime.date(2012, 6, 15), "03-1111-2222"]])")
        << QByteArray() << QByteArray()
        << "2:取り込む => ﾀﾅｶ ﾊﾅ|田中 花|0311112222||||||2012/06/15|0||0";
    QTest::newRow("cp932 line longer than its header") << "windows-31j"
        << QStringLiteral("氏名,カナ\r\n佐々木 望,ささき のぞみ,余分\r\n髙木 光,たかぎ ひかる\r\n").toUtf8() << QByteArray() << QByteArray()
        << "2:エラー 2行目 3列目「余分」: 列の数が見出しより多い / 3:取り込む => ﾀｶｷﾞ ﾋｶﾙ|髙木 光||||||||0||0";
    QTest::newRow("unicode text") << "UTF-16"
        << QStringLiteral("氏名\tカナ\t電話\r\n高田 一\tたかだ はじめ\t042-700-1111\r\n").toUtf8() << QByteArray() << QByteArray()
        << "2:取り込む => ﾀｶﾀﾞ ﾊｼﾞﾒ|高田 一|0427001111|||||||0||0";
}

void tst_StudentImport::filesAsOtherProgramsWriteThem()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(QByteArray, c);
    QFETCH(QString, expected);
    QString path = pf->file(QStringLiteral("名簿.csv"));
    if (how == QLatin1String("package")) {
        path = pf->file(QStringLiteral("名簿.xlsx"));
        writeSheetPackage(path, a, b, c);
    } else if (how == QLatin1String("openpyxl")) {
        path = pf->file(QStringLiteral("名簿.xlsx"));
        QProcess python;
        python.start(QStringLiteral(KAEDE_PYTHON), {QStringLiteral("-c"), QStringLiteral(
            "import datetime, sys, openpyxl\nbook = openpyxl.Workbook()\nfor row in %1:\n    book.active.append(row)\nbook.save(sys.argv[1])\n")
            .arg(QString::fromUtf8(a)), path});
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    } else if (how == QLatin1String("UTF-16")) {
        // Excel's 「Unicode テキスト」: little-endian with its byte-order mark.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringEncoder le(QStringEncoder::Utf16LE);
        file.write("\xFF\xFE" + QByteArray(le.encode(QString::fromUtf8(a))));
    } else {
        writeTextFile(path, QString::fromUtf8(a), how.toLatin1().constData());
    }
    const Preview preview = previewOf(path);
    QStringList rows;
    for (const PreviewRow& r : preview.rows) {
        QString row = QStringLiteral("%1:%2").arg(r.line).arg(stateCaption(r.state()));
        for (const Problem& p : r.problems)
            row += u' ' + funcProblemLine(p);
        rows << row;
    }
    funcStore(preview, false);
    QCOMPARE(rows.join(QStringLiteral(" / ")) + QStringLiteral(" => ") + storedStudent(2), expected);
}

void tst_StudentImport::anUpdateKeepsWhatAnotherPcChanged()
{
    // Student 1 as an exported list has it, with a new phone, address and remark.
    const QString path = pf->file(QStringLiteral("一覧.csv"));
    writeTextFile(path, QStringLiteral("生徒番号,氏名カナ,生徒氏名,電話,住所,備考,生年月日\n"
                                       "1,ｻﾄｳ ﾊﾅｺ,佐藤 花子,042-700-9999,町田市1-1,,2011/06/01\n"), "UTF-8");
    Preview preview = previewOf(path);
    QCOMPARE(states(preview), QStringList{"2:重複"});
    QVERIFY(preview.rows[0].mayUpdate());
    preview.rows[0].choice = Choice::Update;
    QCOMPARE(funcFieldText(preview, preview.rows[0], Field::Phone), QStringLiteral("0427001234 → 0427009999"));
    QCOMPARE(funcCountsLine(preview), QStringLiteral("取り込む 0件、重複 0件、エラー 0件、更新 1件"));

    // Meanwhile another PC writes the address and a remark through its own connection.
    {
        Database other;
        QVERIFY(testServerMode() ? other.openServer(pf->serverConnection()) : other.open(pf->databasePath(), false));
        other.execute(QStringLiteral("UPDATE 生徒台帳 SET 住所 = '横浜市', 備考 = '兄あり', 更新回数 = 更新回数 + 1 WHERE 生徒番号 = 1"));
        other.close();
    }
    // Asked about the address both changed, the user keeps the other PC's.
    pf->ui().answers = {MsgAnswer::No};
    const Stored stored = funcStore(preview, false);
    QCOMPARE(stored.updated, 1);
    QCOMPARE(stored.numbers, QList<int>{});
    QCOMPARE(storedStudent(1), QStringLiteral("ｻﾄｳ ﾊﾅｺ|佐藤 花子|0427009999||横浜市||兄あり|2023/04/01|2011/06/01|2|1|0"));
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 1);
}

void tst_StudentImport::guardianColumnsByTheirUsualNames()
{
    const QString path = pf->file(QStringLiteral("保護者.csv"));
    writeTextFile(path, QStringLiteral("氏名,カナ,保護者,続柄,緊急連絡先,メールアドレス\n"
                                       "甲,ｺｳ,甲 父,父,090-1234-5678,ko@example.jp\n"
                                       "乙,ｵﾂ,乙 母,母,,otsu @example.jp\n"),
                  "UTF-8", true);
    const Preview preview = previewOf(path);
    QCOMPARE(states(preview), (QStringList{"2:取り込む", "3:エラー"}));
    QVERIFY(problems(preview).value(0).contains(QStringLiteral("otsu @example.jp")));
    QCOMPARE(funcStore(preview, false).numbers.size(), 1);
    QCOMPARE(pf->scalar(QStringLiteral("SELECT 保護者氏名 || '|' || 続柄 || '|' || 保護者電話 || '|' || 保護者メール FROM 生徒台帳"
                                       " WHERE 生徒氏名 = '甲'")),
             QStringLiteral("甲 父|父|09012345678|ko@example.jp"));
}

void tst_StudentImport::unreadableFilesAreRefusedWithAMessage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");   // "rows:N" makes a workbook of N rows
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "a.csv" << QByteArray() << "ファイルが空です";
    QTest::newRow("no header") << "b.csv" << QByteArray("1,2,3\n4,5,6\n") << "見出しが見つかりません";
    QTest::newRow("binary") << "c.csv" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "読み込めない形式のファイルです。";
    QTest::newRow("empty sheet") << "h.xlsx" << QByteArray("rows:0") << "シートは空です。";
    QTest::newRow("only a header") << "d.csv" << QByteArray("氏名,フリガナ\n") << "生徒の行がありません";
    QTest::newRow("20 MB") << "e.csv" << QByteArray(20 * 1024 * 1024, 'a') << "大きすぎます";
    QTest::newRow("65536 rows") << "f.xlsx" << QByteArray("rows:65536") << "行が多すぎます";
    QTest::newRow("not a workbook") << "g.xlsx" << QByteArray("PK\x03\x04garbage") << "読み込めませんでした";
}

void tst_StudentImport::unreadableFilesAreRefusedWithAMessage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = pf->file(name);
    if (bytes == "rows:0") {
        writeWorkbook(path, {});
    } else if (bytes.startsWith("rows:")) {
        QList<QVariantList> rows{{QStringLiteral("氏名"), QStringLiteral("フリガナ")}};
        for (int i = 1; i < bytes.mid(5).toInt(); ++i)
            rows.append({QStringLiteral("生徒%1").arg(i), QStringLiteral("ｾｲﾄ")});
        writeWorkbook(path, rows);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    try {
        funcRead(path);
        QFAIL("the file was read");
    } catch (const ImportSource::SourceError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

void tst_StudentImport::aFaultWhileStoringStoresNothing()
{
    // The third row to be stored fails in the engine itself.
    if (testServerMode())
        pf->execNative(QStringLiteral(
            "CREATE FUNCTION kaede_fault() RETURNS trigger AS $$ BEGIN IF NEW.生徒氏名 = '故障' THEN RAISE EXCEPTION 'fault'; "
            "END IF; RETURN NEW; END $$ LANGUAGE plpgsql; CREATE TRIGGER kaede_fault BEFORE INSERT ON 生徒台帳 FOR EACH ROW "
            "EXECUTE FUNCTION kaede_fault()"));
    else
        pf->execNative(QStringLiteral("CREATE TRIGGER kaede_fault BEFORE INSERT ON 生徒台帳 WHEN NEW.生徒氏名 = '故障' "
                                      "BEGIN SELECT RAISE(ABORT, 'fault'); END"));
    const QString path = pf->file(QStringLiteral("x.csv"));
    writeTextFile(path, QStringLiteral("氏名,カナ,学校\n甲,ｺｳ,新しい学校\n乙,ｵﾂ,\n故障,ｺｼﾖｳ,\n丁,ﾃｲ,\n"), "UTF-8", true);
    const Preview preview = previewOf(path);
    QCOMPARE(preview.count(RowState::Take), 4);
    QVERIFY_THROWS_EXCEPTION(std::exception, funcStore(preview, true));
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 1);
    QCOMPARE(pf->count(QStringLiteral("マスタ学校")), 3);
}

void tst_StudentImport::toolPrintsTheProblemsAndStoresOnlyWithCommit()
{
    const QString path = pf->file(QStringLiteral("台帳.csv"));
    writeTextFile(path, kCsv, "windows-31j");
    const QString good = pf->file(QStringLiteral("良い.csv"));
    writeTextFile(good, QStringLiteral("氏名,フリガナ\n新井 一,あらい はじめ\n"), "UTF-8");
    const QString garbage = pf->file(QStringLiteral("壊れ.csv"));
    writeTextFile(garbage, QStringLiteral("abc\n"), "UTF-8");
    CloseDatabase();   // the tool is another program on the same database
    const QStringList database = testServerMode() ? QStringList{QStringLiteral("--server-file"), pf->file(QStringLiteral("Revid.server"))}
                                                  : QStringList{pf->databasePath()};
    const auto run = [&](const QStringList& args, QString* output = nullptr) {
        QProcess tool;
        tool.start(QStringLiteral(KAEDE_IMPORT_TOOL), database + args);
        tool.waitForFinished(60000);
        if (output)
            *output = QString::fromUtf8(tool.readAllStandardOutput());
        return tool.exitCode();
    };
    QString out;
    QCOMPARE(run({path}, &out), 1);
    QVERIFY2(out.contains(QStringLiteral("5行目 氏名: 生徒氏名がありません\n")), qPrintable(out));
    QVERIFY(out.endsWith(QStringLiteral("取り込む 2件、重複 2件、エラー 1件\n")));
    QCOMPARE(run({garbage}), 2);
    QCOMPARE(run({good, QStringLiteral("--commit")}, &out), 0);
    QVERIFY2(out.contains(QStringLiteral("登録した生徒 1 人: 生徒番号 2\n")), qPrintable(out));
    QCOMPARE(run({path, QStringLiteral("--commit")}, &out), 1);
    QVERIFY2(out.contains(QStringLiteral("登録した生徒 2 人: 生徒番号 3 4\n")), qPrintable(out));
    QVERIFY(OpenDatabase(false, pf->databasePath()));
    QCOMPARE(pf->count(QStringLiteral("生徒台帳")), 4);
    if (!testServerMode())
        QCOMPARE(QDir(pf->file(QStringLiteral("Backup"))).entryList(QDir::Files).size(), 2);
}

QTEST_MAIN(tst_StudentImport)
#include "tst_StudentImport.moc"
