#include "DemoSchool.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "Makeup.h"
#include "Schema.h"
#include "SchoolSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

namespace {

// ---------------------------------------------------------------- random numbers

// The engine's sequence is fixed by the language; the library's distributions
// are not, so the few needed here are our own.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : m_engine(seed) {}

    // A whole number from lo to hi, both included, without bias.
    int between(int lo, int hi)
    {
        const std::uint32_t span = static_cast<std::uint32_t>(hi - lo) + 1u;
        const std::uint32_t threshold = (0u - span) % span;
        std::uint32_t r;
        do {
            r = static_cast<std::uint32_t>(m_engine());
        } while (r < threshold);
        return lo + static_cast<int>(r % span);
    }
    double unit() { return static_cast<double>(static_cast<std::uint32_t>(m_engine())) / 4294967296.0; }
    bool chance(double p) { return unit() < p; }
    // Roughly bell-shaped around 0, within -1..1.
    double wobble() { return unit() + unit() - 1.0; }
    template <class T>
    const T& pick(const std::vector<T>& items) { return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))]; }
    template <class T, size_t N>
    const T& pick(const std::array<T, N>& items) { return items[static_cast<size_t>(between(0, static_cast<int>(N) - 1))]; }
    template <class T>
    void shuffle(std::vector<T>& items)
    {
        for (int i = static_cast<int>(items.size()) - 1; i > 0; --i)
            std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(between(0, i))]);
    }

private:
    std::mt19937 m_engine;
};

QString u(const char* text) { return QString::fromUtf8(text); }

// ---------------------------------------------------------------- word lists

struct Name {
    const char* kanji;
    const char* kana;
};

constexpr std::array kSurnames = {
    Name{"佐藤", "さとう"}, Name{"鈴木", "すずき"}, Name{"高橋", "たかはし"}, Name{"田中", "たなか"},
    Name{"伊藤", "いとう"}, Name{"渡辺", "わたなべ"}, Name{"山本", "やまもと"}, Name{"中村", "なかむら"},
    Name{"小林", "こばやし"}, Name{"加藤", "かとう"}, Name{"吉田", "よしだ"}, Name{"山田", "やまだ"},
    Name{"佐々木", "ささき"}, Name{"山口", "やまぐち"}, Name{"松本", "まつもと"}, Name{"井上", "いのうえ"},
    Name{"木村", "きむら"}, Name{"林", "はやし"}, Name{"斎藤", "さいとう"}, Name{"清水", "しみず"},
    Name{"山崎", "やまざき"}, Name{"森", "もり"}, Name{"池田", "いけだ"}, Name{"橋本", "はしもと"},
    Name{"阿部", "あべ"}, Name{"石川", "いしかわ"}, Name{"山下", "やました"}, Name{"中島", "なかじま"},
    Name{"石井", "いしい"}, Name{"小川", "おがわ"}, Name{"前田", "まえだ"}, Name{"岡田", "おかだ"},
    Name{"長谷川", "はせがわ"}, Name{"藤田", "ふじた"}, Name{"後藤", "ごとう"}, Name{"近藤", "こんどう"},
    Name{"村上", "むらかみ"}, Name{"遠藤", "えんどう"}, Name{"青木", "あおき"}, Name{"坂本", "さかもと"},
    Name{"福田", "ふくだ"}, Name{"太田", "おおた"}, Name{"西村", "にしむら"}, Name{"藤井", "ふじい"},
    Name{"金子", "かねこ"}, Name{"岡本", "おかもと"}, Name{"藤原", "ふじわら"}, Name{"中野", "なかの"},
    Name{"三浦", "みうら"}, Name{"原田", "はらだ"}, Name{"中川", "なかがわ"}, Name{"松田", "まつだ"},
    Name{"竹内", "たけうち"}, Name{"小野", "おの"}, Name{"田村", "たむら"}, Name{"中山", "なかやま"},
    Name{"和田", "わだ"}, Name{"石田", "いしだ"}, Name{"森田", "もりた"}, Name{"上田", "うえだ"},
    Name{"原", "はら"}, Name{"内田", "うちだ"}, Name{"柴田", "しばた"}, Name{"酒井", "さかい"},
    Name{"工藤", "くどう"}, Name{"横山", "よこやま"}, Name{"宮崎", "みやざき"}, Name{"宮本", "みやもと"},
    Name{"安藤", "あんどう"}, Name{"大野", "おおの"}, Name{"丸山", "まるやま"}, Name{"今井", "いまい"},
    Name{"高田", "たかだ"}, Name{"河野", "こうの"}, Name{"藤本", "ふじもと"}, Name{"武田", "たけだ"},
    Name{"村田", "むらた"}, Name{"上野", "うえの"}, Name{"杉山", "すぎやま"}, Name{"増田", "ますだ"},
    Name{"菅原", "すがわら"}, Name{"平野", "ひらの"}, Name{"大塚", "おおつか"}, Name{"千葉", "ちば"},
    Name{"久保", "くぼ"}, Name{"松井", "まつい"}, Name{"小島", "こじま"}, Name{"岩崎", "いわさき"},
    Name{"桜井", "さくらい"}, Name{"野口", "のぐち"}, Name{"松尾", "まつお"}, Name{"野村", "のむら"},
    Name{"木下", "きのした"}, Name{"菊地", "きくち"}, Name{"佐野", "さの"}, Name{"大西", "おおにし"},
    Name{"杉本", "すぎもと"}, Name{"新井", "あらい"}, Name{"浜田", "はまだ"}, Name{"東", "ひがし"},
};

constexpr std::array kBoyNames = {
    Name{"太郎", "たろう"}, Name{"大翔", "ひろと"}, Name{"蓮", "れん"}, Name{"悠真", "ゆうま"},
    Name{"湊", "みなと"}, Name{"陽翔", "はると"}, Name{"樹", "いつき"}, Name{"悠人", "ゆうと"},
    Name{"大和", "やまと"}, Name{"蒼", "あおい"}, Name{"翔太", "しょうた"}, Name{"健太", "けんた"},
    Name{"拓海", "たくみ"}, Name{"颯太", "そうた"}, Name{"陸", "りく"}, Name{"海斗", "かいと"},
    Name{"翼", "つばさ"}, Name{"優斗", "ゆうと"}, Name{"颯", "はやて"}, Name{"隼人", "はやと"},
    Name{"智也", "ともや"}, Name{"大輝", "だいき"}, Name{"航", "わたる"}, Name{"涼介", "りょうすけ"},
    Name{"直樹", "なおき"}, Name{"一輝", "かずき"}, Name{"亮", "りょう"}, Name{"晴", "はる"},
    Name{"慎之介", "しんのすけ"}, Name{"龍之介", "りゅうのすけ"}, Name{"光", "ひかる"}, Name{"誠", "まこと"},
    Name{"康介", "こうすけ"}, Name{"駿", "しゅん"}, Name{"圭吾", "けいご"}, Name{"奏太", "かなた"},
    Name{"瑛太", "えいた"}, Name{"和也", "かずや"}, Name{"祐介", "ゆうすけ"}, Name{"伸也", "しんや"},
};

constexpr std::array kGirlNames = {
    Name{"陽葵", "ひまり"}, Name{"凛", "りん"}, Name{"結菜", "ゆいな"}, Name{"葵", "あおい"},
    Name{"結愛", "ゆあ"}, Name{"莉子", "りこ"}, Name{"芽依", "めい"}, Name{"紬", "つむぎ"},
    Name{"美咲", "みさき"}, Name{"彩花", "あやか"}, Name{"さくら", "さくら"}, Name{"花子", "はなこ"},
    Name{"愛", "あい"}, Name{"優奈", "ゆうな"}, Name{"七海", "ななみ"}, Name{"美月", "みづき"},
    Name{"千尋", "ちひろ"}, Name{"真央", "まお"}, Name{"楓", "かえで"}, Name{"遥", "はるか"},
    Name{"菜々子", "ななこ"}, Name{"杏", "あん"}, Name{"心春", "こはる"}, Name{"結衣", "ゆい"},
    Name{"舞", "まい"}, Name{"彩乃", "あやの"}, Name{"奈央", "なお"}, Name{"美羽", "みう"},
    Name{"琴音", "ことね"}, Name{"詩織", "しおり"}, Name{"明日香", "あすか"}, Name{"茜", "あかね"},
    Name{"沙織", "さおり"}, Name{"真由", "まゆ"}, Name{"恵", "めぐみ"}, Name{"未来", "みく"},
    Name{"里奈", "りな"}, Name{"日菜", "ひな"}, Name{"咲良", "さくら"}, Name{"美緒", "みお"},
};

struct Town {
    const char* address;
    const char* postalCode;
};

constexpr std::array kTowns = {
    Town{"東京都町田市原町田", "194-0013"}, Town{"東京都町田市中町", "194-0021"},
    Town{"東京都町田市森野", "194-0022"}, Town{"東京都町田市旭町", "194-0023"},
    Town{"東京都町田市金森", "194-0012"}, Town{"東京都町田市成瀬", "194-0043"},
    Town{"東京都町田市南成瀬", "194-0045"}, Town{"東京都町田市鶴間", "194-0004"},
    Town{"神奈川県相模原市南区相模大野", "252-0303"}, Town{"神奈川県相模原市南区上鶴間", "252-0302"},
    Town{"神奈川県相模原市中央区淵野辺", "252-0206"}, Town{"神奈川県大和市中央林間", "242-0007"},
};

constexpr std::array kBuildings = {"コーポ桜", "グリーンハイツ", "メゾン森野", "パークサイド成瀬", "サンライズ大野"};

// Grade 4 (小4) to 12 (高3) by the number of school years since the first of elementary school.
enum class Level { Elementary, Junior, Senior };

Level levelOf(int schoolYear)
{
    return schoolYear <= 6 ? Level::Elementary : schoolYear <= 9 ? Level::Junior : Level::Senior;
}

// マスタ学年: ID 1..9 = 小4..高3.
constexpr std::array kGrades = {"小4", "小5", "小6", "中1", "中2", "中3", "高1", "高2", "高3"};
constexpr int kFirstSchoolYear = 4;
int gradeId(int schoolYear) { return schoolYear - kFirstSchoolYear + 1; }

// マスタ科目 in ID order.
enum Subject { 国語 = 1, 算数, 数学, 英語, 理科, 社会, 現代文, 古文, 物理, 化学, 英会話 };
constexpr std::array kSubjectNames = {"国語", "算数", "数学", "英語", "理科", "社会", "現代文", "古文", "物理", "化学", "英会話"};

const std::vector<int>& subjectsOf(Level level)
{
    static const std::vector<int> elementary{国語, 算数, 理科, 社会};
    static const std::vector<int> junior{英語, 数学, 国語, 理科, 社会};
    static const std::vector<int> senior{英語, 数学, 現代文, 古文, 物理, 化学};
    return level == Level::Elementary ? elementary : level == Level::Junior ? junior : senior;
}

QStringList unitsOf(int subject, Level level)
{
    auto list = [](const char* text) { return u(text).split(QLatin1Char(',')); };
    switch (subject) {
    case 国語:
        return level == Level::Elementary
            ? list("漢字の読み書き,物語文の読解,説明文の読解,詩の鑑賞,ことわざ・慣用句,敬語,文の組み立て,作文の書き方")
            : list("漢字・語彙,小説の読解,論説文の読解,文法（品詞）,詩・短歌・俳句,古典入門,作文,総復習");
    case 算数:
        return list("大きな数,小数のかけ算とわり算,分数のたし算とひき算,割合と百分率,面積,体積,速さ,比と比例,図形の角");
    case 数学:
        return level == Level::Junior
            ? list("正負の数,文字と式,一次方程式,連立方程式,一次関数,図形の証明,二次方程式,関数y=ax²,相似な図形,三平方の定理")
            : list("数と式,二次関数,図形と計量,場合の数と確率,三角関数,指数関数・対数関数,微分法,積分法,数列,ベクトル");
    case 英語:
        return level == Level::Junior
            ? list("be動詞,一般動詞,過去形,未来の表現,比較,不定詞,動名詞,受け身,現在完了,関係代名詞")
            : list("時制,助動詞,仮定法,分詞構文,関係詞,長文読解,英作文,リスニング演習");
    case 理科:
        return level == Level::Elementary
            ? list("電気のはたらき,植物のつくり,天気の変化,ものの燃え方,てこのはたらき,月と星,水溶液の性質")
            : list("植物の世界,身のまわりの物質,光と音,電流と磁界,化学変化と原子,天気とその変化,運動とエネルギー,地球と宇宙");
    case 社会:
        return level == Level::Elementary
            ? list("日本の地形と気候,農業と水産業,工業生産,縄文から平安,鎌倉から江戸,明治以降の日本,政治のしくみ")
            : list("世界の地理,日本の地理,古代の日本,中世の日本,近世の日本,近代の日本と世界,現代の日本,公民（政治）,公民（経済）");
    case 現代文:
        return list("評論の読解,小説の読解,随筆,漢字・語彙,記述問題対策,要約演習");
    case 古文:
        return list("用言の活用,助動詞,敬語,説話,物語,和歌,漢文の句法");
    case 物理:
        return list("運動の表し方,運動の法則,仕事とエネルギー,熱,波動,電気,磁気");
    default:
        return list("物質の構成,化学結合,物質量,酸と塩基,酸化還元,有機化合物,高分子化合物");
    }
}

// マスタ講座クラス in ID order; the last one is no longer offered.
enum CourseClass { 基礎 = 1, 標準, 発展, 選抜, 受験対策, 個別指導 };
constexpr std::array kClassNames = {"基礎", "標準", "発展", "選抜", "受験対策", "個別指導", "特進（旧）"};

// マスタ時限: two afternoon periods for Saturdays, four from late afternoon.
constexpr std::array kPeriods = {"1限 13:00～14:20", "2限 14:30～15:50", "3限 16:00～17:20",
                                 "4限 17:30～18:50", "5限 19:00～20:20", "6限 20:30～21:50"};

// The periods a level is taught in, on weekdays and on Saturdays.
std::vector<int> periodsOf(Level level, bool saturday)
{
    switch (level) {
    case Level::Elementary: return saturday ? std::vector<int>{1, 2} : std::vector<int>{3, 4};
    case Level::Junior: return saturday ? std::vector<int>{2, 3, 4} : std::vector<int>{4, 5};
    default: return saturday ? std::vector<int>{3, 4, 5} : std::vector<int>{5, 6};
    }
}

struct SchoolEntry {
    const char* name;
    Level level;
};

// マスタ学校 in ID order; the last one closed when two schools merged.
constexpr std::array kSchools = {
    SchoolEntry{"町田第一小学校", Level::Elementary}, SchoolEntry{"原町田小学校", Level::Elementary},
    SchoolEntry{"森野小学校", Level::Elementary}, SchoolEntry{"鶴間小学校", Level::Elementary},
    SchoolEntry{"成瀬台小学校", Level::Elementary}, SchoolEntry{"相模大野小学校", Level::Elementary},
    SchoolEntry{"町田第一中学校", Level::Junior}, SchoolEntry{"町田第二中学校", Level::Junior},
    SchoolEntry{"成瀬台中学校", Level::Junior}, SchoolEntry{"鶴間中学校", Level::Junior},
    SchoolEntry{"相模大野中学校", Level::Junior}, SchoolEntry{"私立若葉学園中学校", Level::Junior},
    SchoolEntry{"都立町田北高等学校", Level::Senior}, SchoolEntry{"都立成瀬高等学校", Level::Senior},
    SchoolEntry{"県立相模原東高等学校", Level::Senior}, SchoolEntry{"私立若葉学園高等学校", Level::Senior},
    SchoolEntry{"私立明和高等学校", Level::Senior}, SchoolEntry{"南成瀬中学校（統合）", Level::Junior},
};
constexpr int kClosedSchoolId = static_cast<int>(kSchools.size());

// ---------------------------------------------------------------- the plan of one school

struct Plan {
    int students;
    int rooms;
    int instructors;       // besides the retired one and the one who took over
    int coursesPerGrade;
    bool examCourses;      // a further exam course for 中3
};

Plan planOf(DemoSize size)
{
    if (size == DemoSize::Large)
        return Plan{3000, 36, 46, 69, false};
    return Plan{60, 4, 7, 1, true};
}

struct Student {
    int number = 0;
    int schoolYear = 0;  // 4..12
    int sex = 1;
    QString kanji, kana;
    QDate birth, entry;
    std::optional<QDate> left;   // left the school (logically deleted)
    int school = 0;
    QString phone, postalCode, address, remarks, updated;
    QVariant mobile;
    double ability = 3.0;        // centre of the marks
    double diligence = 0.9;      // chance of handing in homework
    double attendance = 0.95;    // chance of coming

    bool activeOn(const QDate& day) const { return entry <= day && (!left || day <= *left); }
};

struct Room {
    QString name;
    int capacity;
};

struct Instructor {
    QString name;
    std::array<int, 2> subjects{};
};

struct Course {
    int schoolYear = 0;
    int subject = 0;
    int courseClass = 0;
    int weekday = 0;   // 1 = Monday ... 6 = Saturday
    int period = 0;
    int room = 0;      // マスタ教室.教室ID
    int instructor = 0;
    int capacity = 0;
    QStringList units;
    std::vector<int> roster;  // indexes into the students, in student-number order
    int lessonsInYear = 0;
    int lessonsHeld = 0;
};

QString dateText(const QDate& d) { return funcDateText(d); }

QString timeText(Rng& rng)
{
    return QStringLiteral("%1:%2:%3").arg(rng.between(10, 21), 2, 10, QLatin1Char('0'))
        .arg(rng.between(0, 59), 2, 10, QLatin1Char('0')).arg(rng.between(0, 59), 2, 10, QLatin1Char('0'));
}

QDate randomDay(Rng& rng, const QDate& from, const QDate& to)
{
    if (to <= from)
        return from;
    return from.addDays(rng.between(0, static_cast<int>(from.daysTo(to))));
}

// Days without lessons besides Sundays: New Year, national holidays on fixed
// dates, Golden Week and the summer break around the Bon festival.
bool isHoliday(const QDate& d)
{
    static const std::array<std::pair<int, int>, 19> days{{
        {1, 1}, {1, 2}, {1, 3}, {2, 11}, {2, 23}, {4, 29}, {5, 3}, {5, 4}, {5, 5},
        {8, 11}, {8, 13}, {8, 14}, {8, 15}, {8, 16}, {11, 3}, {11, 23}, {12, 29}, {12, 30}, {12, 31}}};
    return std::find(days.begin(), days.end(), std::make_pair(d.month(), d.day())) != days.end();
}

bool isSchoolDay(const QDate& d) { return d.dayOfWeek() != Qt::Sunday && !isHoliday(d); }

// ---------------------------------------------------------------- photographs

// A drawn likeness for the photograph of a student: head, hair and clothes in
// colours that follow from the student number alone, so the pictures are the
// same in every run and independent of the school's random sequence.
QImage funcDemoPortrait(int number, int sex)
{
    static const std::array<QColor, 6> backgrounds{QColor(0xcf, 0xe3, 0xf0), QColor(0xe8, 0xdc, 0xc8), QColor(0xd8, 0xe8, 0xd0),
                                                   QColor(0xe6, 0xd6, 0xe8), QColor(0xf0, 0xe4, 0xc8), QColor(0xd4, 0xdc, 0xe4)};
    static const std::array<QColor, 5> clothes{QColor(0x1f, 0x3a, 0x5f), QColor(0x2e, 0x2e, 0x38), QColor(0x6b, 0x2d, 0x2d),
                                               QColor(0x2f, 0x55, 0x3f), QColor(0x4a, 0x4a, 0x70)};
    static const std::array<QColor, 3> hairs{QColor(0x1c, 0x16, 0x12), QColor(0x3a, 0x28, 0x1e), QColor(0x24, 0x1e, 0x1e)};
    static const std::array<QColor, 3> skins{QColor(0xf3, 0xd2, 0xb5), QColor(0xea, 0xc4, 0xa2), QColor(0xf6, 0xdc, 0xc4)};
    const auto of = [number](const auto& colours, int salt) {
        return colours[static_cast<size_t>((number * 7 + salt) % static_cast<int>(colours.size()))];
    };
    QImage image(240, 320, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, 320);
    back.setColorAt(0, of(backgrounds, 0).lighter(108));
    back.setColorAt(1, of(backgrounds, 0).darker(108));
    p.fillRect(image.rect(), back);
    p.setPen(Qt::NoPen);

    const QColor hair = of(hairs, 1);
    const QColor skin = of(skins, 2);
    if (sex == 2) {   // long hair falls behind the shoulders
        p.setBrush(hair);
        p.drawRoundedRect(QRectF(52, 70, 136, 190), 60, 60);
    }
    p.setBrush(of(clothes, 3));
    p.drawEllipse(QRectF(20, 246, 200, 150));
    p.setBrush(skin.darker(106));
    p.drawRect(QRectF(102, 200, 36, 56));
    p.setBrush(skin);
    p.drawEllipse(QRectF(64, 84, 112, 136));
    // The hair over the forehead.
    QPainterPath top;
    top.moveTo(60, 150);
    top.cubicTo(52, 60, 188, 60, 180, 150);
    top.cubicTo(170, 112, 140, 104, 120, 106 + (number % 3) * 4);
    top.cubicTo(96, 104, 72, 112, 60, 150);
    p.setBrush(hair);
    p.drawPath(top);
    // Eyes, brows and a smile.
    p.setBrush(QColor(0x2a, 0x20, 0x1c));
    p.drawEllipse(QRectF(94, 146, 10, 12));
    p.drawEllipse(QRectF(136, 146, 10, 12));
    p.setPen(QPen(hair, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(90, 136), QPointF(108, 134));
    p.drawLine(QPointF(132, 134), QPointF(150, 136));
    p.setPen(QPen(QColor(0xb0, 0x5a, 0x50), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(104, 168, 32, 22), 200 * 16, 140 * 16);
    p.end();
    return image;
}

// Every step-th student still at school gets a photograph, Picture/N.jpg beside the
// database. A file already there is somebody's photograph and is left alone.
int funcWriteDemoPictures(const QString& databasePath, const std::vector<std::pair<int, int>>& students, int step)
{
    const QString folder = QFileInfo(databasePath).absolutePath() + QStringLiteral("/Picture");
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot make the picture folder");
    int written = 0;
    for (const auto& [number, sex] : students) {
        if (number % step != 1)
            continue;
        const QString file = folder + QStringLiteral("/%1.jpg").arg(number);
        if (QFile::exists(file))
            continue;
        if (!funcDemoPortrait(number, sex).save(file, "JPG", 85))
            throw std::runtime_error("cannot write a demonstration photograph");
        ++written;
    }
    return written;
}

class SchoolWriter {
public:
    SchoolWriter(DemoSize size, const QDate& today)
        : m_plan(planOf(size)), m_rng(20260401u), m_today(today),
          m_yearStart(today.month() >= 4 ? today.year() : today.year() - 1, 4, 1),
          m_yearEnd(m_yearStart.addYears(1).addDays(-1))
    {
    }

    DemoSummary write()
    {
        makeStudents();
        makeRooms();
        makeInstructors();
        makeCourses();
        writeMasters();
        writeStudents();
        writeClasses();
        writeLessons();
        writeNotices();
        return m_summary;
    }

    // Make-ups as an office has them: credits for the latest absences with notice,
    // about half of them booked. After the rows are stored: booking takes a
    // transaction of its own.
    void writeMakeups()
    {
        const QDateTime now(m_today, QTime(18, 0));
        {
            Transaction rows(gDatabase);
            for (const auto& [lesson, stuNo] : m_noticed)
                Makeup::funcAttendanceStored(lesson, stuNo, kPresent, kAbsentWithNotice, now);
            rows.commit();
        }
        for (const auto& [lesson, stuNo] : m_noticed) {
            const std::optional<MakeupCredit> credit = Makeup::creditFor(lesson, stuNo);
            if (!credit || !m_rng.chance(0.5))
                continue;
            for (const MakeupOffer& offer : Makeup::bookingList(credit->id, m_today))
                if (!offer.full()) {
                    Makeup::book(credit->id, offer.kouzaID, now);
                    break;
                }
        }
    }

    // The students still at school: number and sex.
    std::vector<std::pair<int, int>> presentStudents() const
    {
        std::vector<std::pair<int, int>> present;
        for (const Student& s : m_students)
            if (!s.left)
                present.emplace_back(s.number, s.sex);
        return present;
    }

private:
    // ------------------------------------------------------------ people and places

    Student makeStudent()
    {
        static const std::array<int, 9> weights{7, 8, 10, 12, 13, 16, 11, 11, 12};
        Student s;
        int roll = m_rng.between(1, 100);
        s.schoolYear = kFirstSchoolYear;
        for (size_t i = 0; i < weights.size() && roll > weights[i]; ++i) {
            roll -= weights[i];
            ++s.schoolYear;
        }
        s.sex = m_rng.chance(0.5) ? 1 : 2;
        const Name& family = m_rng.pick(kSurnames);
        const Name& given = s.sex == 1 ? m_rng.pick(kBoyNames) : m_rng.pick(kGirlNames);
        s.kanji = u(family.kanji) + QChar(0x3000) + u(given.kanji);
        s.kana = funcHalfWidthKana(u(family.kana) + QLatin1Char(' ') + u(given.kana));

        // Born between 2 April and 1 April of the next year, as the school year counts.
        const int y = m_yearStart.year();
        s.birth = randomDay(m_rng, QDate(y - 6 - s.schoolYear, 4, 2), QDate(y - 5 - s.schoolYear, 4, 1));

        // Most came before this school year, some during it.
        if (m_rng.chance(0.82)) {
            const int back = 365 * std::min(3, s.schoolYear - 3);
            s.entry = m_yearStart.addDays(-m_rng.between(1, back));
        } else {
            s.entry = randomDay(m_rng, m_yearStart, m_today);
        }
        s.ability = 1.6 + 2.8 * m_rng.unit();
        s.diligence = 0.55 + 0.43 * m_rng.unit();
        s.attendance = 0.85 + 0.14 * m_rng.unit();

        const Level level = levelOf(s.schoolYear);
        std::vector<int> schools;
        for (size_t i = 0; i + 1 < kSchools.size(); ++i)
            if (kSchools[i].level == level)
                schools.push_back(static_cast<int>(i) + 1);
        const int schoolRoll = m_rng.between(1, 100);
        s.school = schoolRoll <= 4 ? 0 : (level == Level::Junior && schoolRoll <= 7) ? kClosedSchoolId : m_rng.pick(schools);

        const Town& town = m_rng.pick(kTowns);
        s.postalCode = u(town.postalCode);
        s.address = u(town.address) + (m_rng.chance(0.6)
            ? QStringLiteral("%1丁目%2番%3号").arg(m_rng.between(1, 5)).arg(m_rng.between(1, 30)).arg(m_rng.between(1, 20))
            : QStringLiteral("%1-%2-%3").arg(m_rng.between(1, 5)).arg(m_rng.between(1, 30)).arg(m_rng.between(1, 20)));
        if (m_rng.chance(0.25))
            s.address += QChar(0x3000) + u(m_rng.pick(kBuildings)) + QStringLiteral(" %1号室").arg(m_rng.between(1, 4) * 100 + m_rng.between(1, 8));
        s.phone = m_rng.chance(0.9)
            ? QStringLiteral("042-7%1-%2").arg(m_rng.between(10, 99)).arg(m_rng.between(0, 9999), 4, 10, QLatin1Char('0'))
            : QString();
        if (m_rng.chance(level == Level::Elementary ? 0.6 : 0.85))
            s.mobile = QStringLiteral("0%1-%2-%3").arg(m_rng.pick(std::array{90, 80, 70}))
                           .arg(m_rng.between(1000, 9999)).arg(m_rng.between(0, 9999), 4, 10, QLatin1Char('0'));
        s.remarks = remarksFor(s);
        return s;
    }

    QString remarksFor(const Student& s)
    {
        if (!m_rng.chance(0.25))
            return QString();
        switch (m_rng.between(0, 9)) {
        case 0: return u("兄も以前に通塾");
        case 1: return u("部活動（サッカー部）のため土曜は欠席がち");
        case 2: return u("志望校：") + u(kSchools[static_cast<size_t>(m_rng.between(12, 16))].name);
        case 3: return QStringLiteral("英検%1級 取得済み").arg(u(m_rng.pick(std::array{"5", "4", "3", "準2"})));
        case 4: return u("保護者への連絡は母の携帯電話へ");
        case 5: return u("送迎あり（父）。21時以降は迎え待ち");
        case 6: return u("食物アレルギー（卵）あり");
        case 7: return QStringLiteral("学校の定期テスト 数学%1点（平均%2点・上位%3%）")
                     .arg(m_rng.between(40, 98)).arg(m_rng.between(50, 65)).arg(m_rng.between(5, 60));
        case 8: return s.schoolYear >= 7 ? QStringLiteral("'%1 夏期講習から継続。数学は基礎から丁寧に").arg((m_yearStart.year() - 1) % 100, 2, 10, QLatin1Char('0')) : u("読書好き");
        default:
            return u("入塾時の面談で、算数・数学の文章題に苦手意識があると保護者から相談あり。"
                     "学校の宿題に時間がかかるため、塾の宿題は量を調整して出すこと。"
                     "月に一度、保護者へ学習状況を電話で報告する約束をしている。");
        }
    }

    void makeStudents()
    {
        for (int i = 0; i < m_plan.students; ++i)
            m_students.push_back(makeStudent());
        // A few left during the year; they stay in the register, marked deleted.
        const int leavers = std::max(2, m_plan.students * 3 / 100);
        for (int i = 0; i < leavers; ++i) {
            Student& s = m_students[static_cast<size_t>(m_rng.between(0, m_plan.students - 1))];
            if (s.left)
                continue;
            const QDate from = std::max(s.entry, m_yearStart).addDays(20);
            s.left = from < m_today ? randomDay(m_rng, from, m_today) : m_today;
            s.remarks = funcDateText(*s.left) + u(" 退塾（") + u(m_rng.pick(std::array{"転居のため", "部活動との両立が難しいため", "他塾へ移るため"})) + u("）");
        }
        // Numbers are given in the order the students came.
        std::stable_sort(m_students.begin(), m_students.end(), [](const Student& a, const Student& b) { return a.entry < b.entry; });
        for (size_t i = 0; i < m_students.size(); ++i) {
            Student& s = m_students[i];
            s.number = static_cast<int>(i) + 1;
            const QDate until = s.left ? *s.left : m_today;
            s.updated = funcDateText(s.left ? *s.left : randomDay(m_rng, std::min(s.entry, until), until)) + QLatin1Char(' ') + timeText(m_rng);
            m_byYear[static_cast<size_t>(s.schoolYear - kFirstSchoolYear)].push_back(static_cast<int>(i));
        }
    }

    void makeRooms()
    {
        if (m_plan.rooms <= 4) {
            m_rooms = {{u("101教室"), 14}, {u("102教室"), 14}, {u("201教室"), 20}, {u("個別指導室"), 4}};
        } else {
            const std::array buildings{"本館", "新館", "駅前校"};
            for (int i = 0; static_cast<int>(m_rooms.size()) < m_plan.rooms; ++i) {
                const int building = i / 12, floor = i % 12 / 4 + 1, number = i % 4 + 1;
                m_rooms.push_back({u(buildings[static_cast<size_t>(building % 3)]) + QStringLiteral(" %1%2").arg(floor).arg(number, 2, 10, QLatin1Char('0')),
                                   i % 12 == 11 ? 6 : m_rng.between(14, 24)});
            }
        }
    }

    QString personName()
    {
        const bool man = m_rng.chance(0.55);
        return u(m_rng.pick(kSurnames).kanji) + QChar(0x3000) + u((man ? m_rng.pick(kBoyNames) : m_rng.pick(kGirlNames)).kanji);
    }

    void makeInstructors()
    {
        QStringList used;
        // The ones teaching all year, then the one who retired and the one who took over.
        for (int i = 0; i < m_plan.instructors + 2; ++i) {
            QString name;
            do {
                name = personName();
            } while (used.contains(name));
            used << name;
            Instructor t;
            t.name = name;
            t.subjects = {m_rng.between(国語, 化学), m_rng.between(国語, 化学)};
            m_instructors.push_back(t);
        }
        m_retired = m_plan.instructors + 1;
        m_successor = m_plan.instructors + 2;
        const int days = static_cast<int>(m_yearStart.daysTo(m_today));
        m_handover = m_yearStart.addDays(days / 2);
    }

    int classFor(int schoolYear)
    {
        const bool examYear = schoolYear == 6 || schoolYear == 9 || schoolYear == 12;
        const int roll = m_rng.between(1, 100);
        if (roll <= 20) return 基礎;
        if (roll <= 60) return 標準;
        if (roll <= 77) return 発展;
        if (roll <= 82) return 選抜;
        if (roll <= 90) return examYear ? 受験対策 : 標準;
        return 個別指導;
    }

    void makeCourses()
    {
        std::vector<Course> wanted;
        for (int year = kFirstSchoolYear; year <= 12; ++year) {
            const auto& subjects = subjectsOf(levelOf(year));
            for (int k = 0; k < m_plan.coursesPerGrade; ++k) {
                Course c;
                c.schoolYear = year;
                c.subject = m_plan.coursesPerGrade == 1 ? m_rng.pick(subjects) : subjects[static_cast<size_t>(k) % subjects.size()];
                c.courseClass = m_plan.coursesPerGrade == 1 ? m_rng.pick(std::array{基礎, 標準, 標準, 発展}) : classFor(year);
                wanted.push_back(c);
            }
            if (m_plan.examCourses && year == 9) {
                Course c;
                c.schoolYear = year;
                c.subject = 数学;
                c.courseClass = 受験対策;
                wanted.push_back(c);
            }
        }
        // Each course gets a weekly slot with a free room and a free instructor.
        const size_t slotCount = 7 * kPeriods.size();
        std::vector<std::vector<bool>> roomBusy(slotCount, std::vector<bool>(m_rooms.size() + 1, false));
        std::vector<std::vector<bool>> teacherBusy(slotCount, std::vector<bool>(m_instructors.size() + 1, false));
        for (Course& c : wanted) {
            std::vector<std::pair<int, int>> candidates;
            for (int weekday = 1; weekday <= 6; ++weekday)
                for (int period : periodsOf(levelOf(c.schoolYear), weekday == 6))
                    candidates.emplace_back(weekday, period);
            m_rng.shuffle(candidates);
            for (const auto& [weekday, period] : candidates) {
                const size_t slot = static_cast<size_t>(weekday) * kPeriods.size() + static_cast<size_t>(period - 1);
                std::vector<int> rooms, teachers, specialists;
                for (int r = 1; r <= static_cast<int>(m_rooms.size()); ++r)
                    if (!roomBusy[slot][static_cast<size_t>(r)])
                        rooms.push_back(r);
                for (int t = 1; t <= m_plan.instructors + 1; ++t) {  // the successor only takes over
                    if (teacherBusy[slot][static_cast<size_t>(t)])
                        continue;
                    teachers.push_back(t);
                    const auto& own = m_instructors[static_cast<size_t>(t - 1)].subjects;
                    if (own[0] == c.subject || own[1] == c.subject)
                        specialists.push_back(t);
                }
                if (rooms.empty() || teachers.empty())
                    continue;
                c.weekday = weekday;
                c.period = period;
                c.room = m_rng.pick(rooms);
                c.instructor = specialists.empty() ? m_rng.pick(teachers) : m_rng.pick(specialists);
                roomBusy[slot][static_cast<size_t>(c.room)] = true;
                teacherBusy[slot][static_cast<size_t>(c.instructor)] = true;
                break;
            }
            if (c.weekday == 0)
                continue;  // the timetable is full for this one
            const int roomSize = m_rooms[static_cast<size_t>(c.room - 1)].capacity;
            const int wish = c.courseClass == 個別指導 ? m_rng.between(1, 3)
                : c.courseClass == 選抜 ? m_rng.between(8, 12)
                : m_plan.coursesPerGrade == 1 ? m_rng.between(6, 12) : m_rng.between(10, 20);
            c.capacity = std::min(wish, roomSize);
            c.units = unitsOf(c.subject, levelOf(c.schoolYear));

            std::vector<int> pool = m_byYear[static_cast<size_t>(c.schoolYear - kFirstSchoolYear)];
            const int size = c.courseClass == 個別指導 ? c.capacity
                : std::max(1, static_cast<int>(c.capacity * (0.7 + 0.3 * m_rng.unit()) + 0.5));
            m_rng.shuffle(pool);
            pool.resize(std::min(pool.size(), static_cast<size_t>(size)));
            std::sort(pool.begin(), pool.end());
            c.roster = pool;
            m_courses.push_back(std::move(c));
        }
        std::stable_sort(m_courses.begin(), m_courses.end(), [](const Course& a, const Course& b) {
            return std::tie(a.weekday, a.period, a.room) < std::tie(b.weekday, b.period, b.room);
        });
        for (QDate d = m_yearStart; d <= m_yearEnd; d = d.addDays(1))
            if (isSchoolDay(d))
                for (Course& c : m_courses)
                    if (c.weekday == d.dayOfWeek())
                        ++c.lessonsInYear;
    }

    // ------------------------------------------------------------ writing

    void writeMaster(const QString& table, const QStringList& names, int firstDeleted)
    {
        Statement st = gDatabase.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (?, ?, ?)"));
        for (int i = 0; i < names.size(); ++i) {
            st.bind(1, i + 1);
            st.bind(2, names[i]);
            st.bind(3, firstDeleted > 0 && i + 1 >= firstDeleted ? 1 : 0);
            st.exec();
        }
    }

    template <class Range>
    static QStringList texts(const Range& range)
    {
        QStringList out;
        for (const char* t : range)
            out << u(t);
        return out;
    }

    void writeMasters()
    {
        QStringList grades = texts(kGrades);
        grades << u("小3");  // no longer taught
        writeMaster(QStringLiteral("マスタ学年"), grades, grades.size());
        writeMaster(QStringLiteral("マスタ科目"), texts(kSubjectNames), 英会話);
        writeMaster(QStringLiteral("マスタ講座クラス"), texts(kClassNames), static_cast<int>(kClassNames.size()));
        QStringList teachers;
        for (const Instructor& t : m_instructors)
            teachers << t.name;
        Statement st = gDatabase.prepare(QStringLiteral("INSERT INTO マスタ講師 VALUES (?, ?, ?)"));
        for (int i = 0; i < teachers.size(); ++i) {
            st.bind(1, i + 1);
            st.bind(2, teachers[i]);
            st.bind(3, i + 1 == m_retired ? 1 : 0);
            st.exec();
        }
        QStringList rooms;
        for (const Room& r : m_rooms)
            rooms << r.name;
        rooms << u("旧別館 教室");  // closed
        writeMaster(QStringLiteral("マスタ教室"), rooms, rooms.size());
        writeMaster(QStringLiteral("マスタ時限"), texts(kPeriods), 0);
        QStringList schools;
        for (const SchoolEntry& s : kSchools)
            schools << u(s.name);
        writeMaster(QStringLiteral("マスタ学校"), schools, kClosedSchoolId);
    }

    void writeStudents()
    {
        Statement st = gDatabase.prepare(QStringLiteral(
            "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 電話, 郵便番号, 住所, 携帯電話, 備考, 入塾日, 生年月日,"
            " 性別, 所属校ID, 更新日時, 削除フラグ) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const Student& s : m_students) {
            const QVariant values[] = {s.number, s.kana, s.kanji, s.phone, s.postalCode, s.address, s.mobile, s.remarks,
                                       dateText(s.entry), dateText(s.birth), s.sex, s.school, s.updated, s.left ? 1 : 0};
            for (int i = 0; i < 14; ++i)
                st.bind(i + 1, values[i]);
            st.exec();
            ++m_summary.students;
            if (s.left)
                ++m_summary.deletedStudents;
        }
    }

    // Each course is a regular class with its roster as members: lessons to come
    // are planned from them, and an absence from them earns a make-up.
    void writeClasses()
    {
        Statement cls = gDatabase.prepare(QStringLiteral(
            "INSERT INTO 通常クラス (通常クラスID, 学年ID, 科目ID, 講座クラスID, 曜日, 時限ID, 講師ID, 教室ID, 定員数)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Statement member = gDatabase.prepare(QStringLiteral("INSERT INTO クラス生徒 (通常クラスID, 生徒番号, 開始日, 終了日) VALUES (?, ?, ?, ?)"));
        for (std::size_t i = 0; i < m_courses.size(); ++i) {
            const Course& c = m_courses[i];
            const int id = static_cast<int>(i) + 1;
            const int teacher = c.instructor == m_retired && m_today >= m_handover ? m_successor : c.instructor;
            const QVariant values[] = {id, gradeId(c.schoolYear), c.subject, c.courseClass, QString::number(c.weekday),
                                       c.period, teacher, c.room, c.capacity};
            for (int v = 0; v < 9; ++v)
                cls.bind(v + 1, values[v]);
            cls.exec();
            for (int index : c.roster) {
                const Student& st = m_students[static_cast<size_t>(index)];
                member.bind(1, id);
                member.bind(2, st.number);
                member.bind(3, dateText(std::max(m_yearStart, st.entry)));
                member.bind(4, st.left ? QVariant(dateText(*st.left)) : QVariant());
                member.exec();
            }
        }
    }

    QString lessonContent(const QString& unit)
    {
        const int page = m_rng.between(10, 180);
        switch (m_rng.between(0, 4)) {
        case 0: return unit + u("の導入と基本問題");
        case 1: return unit + QStringLiteral("の演習（教科書p.%1～p.%2）").arg(page).arg(page + m_rng.between(2, 6));
        case 2: return unit + u("の確認テストと解説");
        case 3: return u("前回の復習と") + unit + u("の応用問題");
        default: return unit + u("のまとめ。間違えやすい問題を重点的に");
        }
    }

    QString homework(int subject)
    {
        const int p = m_rng.between(4, 120);
        switch (m_rng.between(0, 5)) {
        case 0: return QStringLiteral("ワーク p.%1～p.%2").arg(p).arg(p + m_rng.between(1, 4));
        case 1: return QStringLiteral("プリント No.%1").arg(m_rng.between(1, 40));
        case 2: return subject == 英語 ? u("単語テストの準備（30語）") : subject == 国語 ? u("漢字練習 1ページ") : u("問題集の解き直し");
        case 3: return u("なし");
        default: return QStringLiteral("問題集 p.%1 の%2題").arg(p).arg(m_rng.between(3, 12));
        }
    }

    QVariant lessonComment()
    {
        if (!m_rng.chance(0.2))
            return QString();
        switch (m_rng.between(0, 4)) {
        case 0: return QStringLiteral("小テスト平均 %1.%2点").arg(m_rng.between(5, 9)).arg(m_rng.between(0, 9));
        case 1: return u("全体的に理解が早い");
        case 2: return u("進度がやや遅れた。次回補う");
        case 3: return QStringLiteral("小テストの正答率 %1%").arg(m_rng.between(40, 95));
        default: return u("模試前のため演習中心");
        }
    }

    QString presentComment(int subject)
    {
        switch (m_rng.between(0, 6)) {
        case 0: return u("計算ミスに注意");
        case 1: return u("よく集中していた");
        case 2: return u("質問が多く意欲的");
        case 3: return u("遅刻（10分）");
        case 4: return u("前回の内容が定着している");
        case 5: return subject == 英語 ? u("\"Let's ～\" と 'Shall we ～?' の使い分けを復習") : u("解き方の説明が上手になった");
        default: return u("宿題の丸つけができていない");
        }
    }

    int mark(double centre)
    {
        const int m = static_cast<int>(centre + 1.2 * m_rng.wobble() + 0.5);
        return std::clamp(m, 1, 5);
    }

    void writeLessons()
    {
        Statement lesson = gDatabase.prepare(QStringLiteral(
            "INSERT INTO 毎講座履歴 (毎講座ID, 講座日, 曜日ID, 時限ID, 学年ID, 科目ID, 講座クラスID, 講師ID, 教室ID,"
            " 定員数, 受講人数, 単元, 講座内容, 宿題, コメント, 通常クラスID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Statement seat = gDatabase.prepare(QStringLiteral(
            "INSERT INTO 講座出席 (毎講座ID, 生徒番号, 出席フラグ, 項目1, 項目2, 項目3, 項目4, コメント, 宿題, 更新日時, 欠席連絡)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        int id = 0;
        std::vector<int> present;
        for (QDate day = m_yearStart; day <= m_yearEnd; day = day.addDays(1)) {
            if (!isSchoolDay(day))
                continue;
            const bool held = day <= m_today;
            const QString dayText = dateText(day);
            for (std::size_t ci = 0; ci < m_courses.size(); ++ci) {
                Course& c = m_courses[ci];
                if (c.weekday != day.dayOfWeek())
                    continue;
                present.clear();
                for (int index : c.roster)
                    if (m_students[static_cast<size_t>(index)].activeOn(day))
                        present.push_back(index);
                const QString unit = c.units[static_cast<int>(static_cast<long long>(c.lessonsHeld) * c.units.size() / std::max(1, c.lessonsInYear))];
                ++c.lessonsHeld;
                const int teacher = c.instructor == m_retired && day >= m_handover ? m_successor : c.instructor;
                const QVariant values[] = {
                    ++id, dayText, day.dayOfWeek(), c.period, gradeId(c.schoolYear), c.subject, c.courseClass, teacher,
                    c.room, c.capacity, static_cast<int>(present.size()), unit,
                    held ? QVariant(lessonContent(unit)) : QVariant(), held ? QVariant(homework(c.subject)) : QVariant(),
                    held ? lessonComment() : QVariant(), static_cast<int>(ci) + 1};
                for (int i = 0; i < 16; ++i)
                    lesson.bind(i + 1, values[i]);
                lesson.exec();
                ++m_summary.lessons;
                for (int index : present)
                    writeSeat(seat, id, m_students[static_cast<size_t>(index)], c, day, held);
            }
        }
    }

    void writeSeat(Statement& seat, int lessonId, const Student& s, const Course& c, const QDate& day, bool held)
    {
        int came = 0, handedIn = 0;
        std::array<int, 3> marks{0, 0, 0};
        QString comment;
        QDate stamped = m_today;  // lessons to come: registered today, nothing entered yet
        if (held) {
            came = m_rng.chance(s.attendance) ? 1 : 0;
            if (came) {
                handedIn = m_rng.chance(s.diligence) ? 1 : 0;
                marks = {mark(s.ability), mark(s.ability - 0.2 + 0.6 * s.diligence), mark(s.ability + 0.3)};
                if (m_rng.chance(0.07))
                    comment = presentComment(c.subject);
            } else if (m_rng.chance(0.5)) {
                comment = u(m_rng.pick(std::array{"体調不良のため欠席", "学校行事のため欠席", "部活動の大会のため欠席", "連絡なし"}));
            }
            stamped = m_rng.chance(0.2) ? std::min(day.addDays(1), m_today) : day;
        }
        // An absence with a reason was reported; the latest ones are waiting for their make-ups.
        const bool notice = held && !came && !comment.isEmpty() && comment != u("連絡なし");
        if (notice && day >= m_today.addDays(-14))
            m_noticed.emplace_back(lessonId, s.number);
        const QVariant values[] = {lessonId, s.number, came, marks[0], marks[1], marks[2], 0, comment, handedIn, dateText(stamped),
                                   notice ? 1 : 0};
        for (int i = 0; i < 11; ++i)
            seat.bind(i + 1, values[i]);
        seat.exec();
        ++m_summary.attendance;
    }

    void writeNotices()
    {
        // The board shows eight bytes of the writer: staff sign with their family name.
        const auto surname = [this](size_t instructor) { return m_instructors[instructor].name.section(QChar(0x3000), 0, 0); };
        const QString head = surname(0);
        const QString office = u("事務");
        const QDate t = m_today;
        struct Notice {
            int from, to, importance;
            QString writer, text;
        };
        const QString longText = u(
            "保護者会のお知らせ。次回の保護者会は土曜日の午後に本館2階で行います。"
            "各学年の担当講師は、担当生徒の出席状況・宿題の提出状況・評価の推移を出席簿からまとめ、"
            "前日までに教室長へ提出してください。面談を希望するご家庭には個別の時間枠を設けます。"
            "受付は講師室の予定表に記入のこと。駐車場は台数が限られているため、公共交通機関での来校を案内してください。"
            "当日の資料（学年別の年間予定、模試の日程、講習の案内）は事務で印刷します。"
            "不明な点は事務までお問い合わせください。");
        const std::vector<Notice> notices{
            {-2, 3, 1, office, u("ビルの設備点検のため、") + QStringLiteral("%1").arg(t.addDays(3).toString(QStringLiteral("M/d")))
                                    + u(" 17:00～17:30 はエレベーターが使えません。生徒に周知してください。")},
            {-5, 10, 2, head, u("定期テスト対策講座の申込締切が近づいています。未提出の家庭に声かけをお願いします。")},
            {-1, 14, 2, head, longText},
            {-10, 20, 3, surname(1), u("中3 三者面談の日程表を講師室の棚に置きました。")},
            {0, 30, 4, office, u("新しい問題集の見本が届いています（英語・数学）。自由に手に取ってください。")},
            {-3, 5, 3, office, u("コピー機の用紙は各自補充をお願いします。A4の残りが少なくなっています。")},
            {-60, -40, 3, head, u("講習の時間割を掲示しました。申込状況は事務に確認してください。")},
            {-20, -19, 1, office, u("大雨警報のため、本日の授業は18時で終了します。保護者へ一斉連絡済み。")},
            {-90, -30, 4, surname(2), u("自習室の利用ルールを改訂しました（飲食は休憩スペースのみ）。")},
            {7, 21, 3, office, u("年末年始の休業日と講習の日程は近日中にお知らせします。")},
        };
        Statement st = gDatabase.prepare(QStringLiteral("INSERT INTO 連絡事項 (連絡事項ID, 開始日, 終了日, 記号, 記入者, コメント) VALUES (?, ?, ?, ?, ?, ?)"));
        int id = 0;
        for (const Notice& n : notices) {
            st.bind(1, ++id);
            st.bind(2, dateText(t.addDays(n.from)));
            st.bind(3, dateText(t.addDays(n.to)));
            st.bind(4, n.importance);
            st.bind(5, n.writer);
            st.bind(6, n.text);
            st.exec();
            ++m_summary.notices;
        }
    }

    Plan m_plan;
    Rng m_rng;
    QDate m_today, m_yearStart, m_yearEnd, m_handover;
    DemoSummary m_summary;
    std::vector<Student> m_students;
    std::array<std::vector<int>, 9> m_byYear;
    std::vector<Room> m_rooms;
    std::vector<Instructor> m_instructors;
    int m_retired = 0, m_successor = 0;
    std::vector<Course> m_courses;
    std::vector<std::pair<int, int>> m_noticed;   // lesson and student of the latest absences with notice
};

} // namespace

namespace {
// Fills the open gDatabase in one transaction and closes it; the photographs go
// beside the database file when one is given.
bool fillSchool(DemoSize size, const QDate& today, const QString& path, QString* reason, DemoSummary* summary)
{
    try {
        DemoSummary written;
        SchoolWriter writer(size, today);
        {
            Transaction rows(gDatabase);
            written = writer.write();
            SchoolSettings::setValue(SchoolSettings::kSchoolName, QStringLiteral("楓学習塾 町田校"));
            rows.commit();
        }
        writer.writeMakeups();
        // A server plans its statements from what it knows of the tables: it learns the new rows now.
        if (gDatabase.isServer())
            gDatabase.execute(QStringLiteral("ANALYZE"));
        gDatabase.close();
        if (!path.isEmpty())
            written.pictures = funcWriteDemoPictures(path, writer.presentStudents(), size == DemoSize::Small ? 2 : 25);
        if (summary)
            *summary = written;
        return true;
    } catch (const std::exception& e) {
        gDatabase.close();
        if (reason)
            *reason = QString::fromUtf8(e.what());
        return false;
    }
}
} // namespace

bool funcCreateDemoSchool(const QString& path, DemoSize size, const QDate& today, QString* reason, DemoSummary* summary)
{
    if (!today.isValid()) {
        if (reason)
            *reason = QStringLiteral("基準日が正しくありません");
        return false;
    }
    if (!funcCreateDatabase(path, reason))
        return false;
    if (!gDatabase.open(path, true)) {
        if (reason)
            *reason = QStringLiteral("%1 を開けませんでした").arg(path);
        return false;
    }
    if (!fillSchool(size, today, path, reason, summary)) {
        QFile::remove(path);
        return false;
    }
    return true;
}

bool funcCreateServerDemoSchool(const QString& connection, DemoSize size, const QDate& today, QString* reason,
                                DemoSummary* summary)
{
    if (!today.isValid()) {
        if (reason)
            *reason = QStringLiteral("基準日が正しくありません");
        return false;
    }
    if (!funcCreateServerDatabase(connection, reason) || !gDatabase.openServer(connection, reason))
        return false;
    // Photographs are files of each PC's program folder, not rows: none are made here.
    return fillSchool(size, today, QString(), reason, summary);
}
