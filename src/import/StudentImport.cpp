#include "StudentImport.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ImportValues.h"
#include "MainCommon.h"
#include "Migration.h"
#include "Workbook.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace StudentImport {

namespace {
// The lock imports hold while they store, and how long a second import waits for it.
constexpr int kImportLock = 1262568773;
constexpr std::chrono::milliseconds kImportWait{10000};


using ImportSource::SourceCell;
using ImportSource::SourceTable;

// A school's name as the master window takes it.
constexpr int kSchoolNameWidth = 25;

struct FieldNames {
    Field field;
    const char* caption;
    std::vector<const char*> headers;   // usual names, compared folded and upper-cased
};
const std::vector<FieldNames>& fieldNames()
{
    static const std::vector<FieldNames> names{
        {Field::Name, "生徒氏名", {"生徒氏名", "氏名", "名前", "生徒名"}},
        {Field::Kana, "氏名カナ", {"氏名カナ", "フリガナ", "ふりがな", "カナ", "かな", "よみがな", "ヨミガナ"}},
        {Field::Phone, "電話", {"電話", "電話番号", "TEL", "自宅電話", "自宅電話番号"}},
        {Field::Mobile, "携帯電話", {"携帯電話", "携帯", "携帯番号", "携帯電話番号"}},
        {Field::Postal, "郵便番号", {"郵便番号", "〒"}},
        {Field::Address, "住所", {"住所"}},
        {Field::Birth, "生年月日", {"生年月日", "誕生日"}},
        {Field::Entry, "入塾日", {"入塾日", "入会日"}},
        {Field::Sex, "性別", {"性別"}},
        {Field::School, "所属校", {"所属校", "学校", "学校名"}},
        {Field::Remarks, "備考", {"備考", "メモ"}},
        {Field::GuardianName, "保護者氏名", {"保護者氏名", "保護者", "保護者名", "父母"}},
        {Field::Relation, "続柄", {"続柄"}},
        {Field::GuardianPhone, "保護者電話", {"保護者電話", "緊急連絡先"}},
        {Field::GuardianMail, "保護者メール", {"保護者メール", "メールアドレス", "メール"}},
        {Field::Skip, "取り込まない", {}},
    };
    return names;
}

QString withoutBlanks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

// The same student, as the office recognises one: same name and birth date, or
// same reading and telephone.
QString nameKey(const Seito& s)
{
    if (s.name.trimmed().isEmpty() || !s.birth.isValid())
        return {};
    return withoutBlanks(ImportValues::folded(s.name)) + u'|' + funcDateText(s.birth);
}

QString readingKey(const Seito& s)
{
    QString digits;
    for (QChar c : s.phone)
        if (c.isDigit())
            digits += c;
    const QString kana = withoutBlanks(funcHalfWidthKana(s.kana));
    if (kana.isEmpty() || digits.isEmpty())
        return {};
    return kana + u'|' + digits;
}

// What is known before the first row: the register's students and the schools.
struct Known {
    QHash<QString, int> registerByName, registerByReading;   // key -> student number
    QHash<QString, int> fileByName, fileByReading;           // key -> row number
    QHash<QString, int> schools;                             // folded name -> ID
    QHash<int, QString> schoolNames;                         // ID -> name
    QDate today;
    int lastNumber = 0;

    // The register's students numbered above after only (all by default).
    explicit Known(int after = 0)
    {
        // Only what the keys are made of: a preview runs again at every change of the mapping.
        Recordset live = gDatabase.openRecordset(QStringLiteral(" SELECT 生徒番号, 生徒氏名, 生年月日, 氏名カナ, 電話 FROM 生徒台帳"
                                                                " WHERE 削除フラグ = 0 AND 生徒番号 > ")
                                                     + QString::number(after),
                                                 dbOpenDynaset, dbReadOnly);
        for (; !live.eof(); live.moveNext()) {
            Seito s;
            s.no = funcToLong(live.field(0));
            s.name = funcToString(live.field(1));
            s.birth = funcTextDate(funcToString(live.field(2)));
            s.kana = funcToString(live.field(3));
            s.phone = funcToString(live.field(4));
            lastNumber = std::max(lastNumber, s.no);
            if (const QString k = nameKey(s); !k.isEmpty())
                registerByName.insert(k, s.no);
            if (const QString k = readingKey(s); !k.isEmpty())
                registerByReading.insert(k, s.no);
        }
        Recordset rs = gDatabase.openRecordset(QStringLiteral(" SELECT 学校ID, 学校名 FROM マスタ学校 WHERE 削除フラグ = 0 ORDER BY 学校ID"),
                                               dbOpenDynaset, dbReadOnly);
        for (; !rs.eof(); rs.moveNext()) {
            const QString name = ImportValues::folded(funcToString(rs.field(1)));
            if (!schools.contains(name))
                schools.insert(name, funcToLong(rs.field(0)));
            schoolNames.insert(funcToLong(rs.field(0)), funcToString(rs.field(1)));
        }
        rs.close();
        today = gDatabase.today();
    }
};

// A guardian's mail address as the student window takes it.
ImportValues::Read<QString> mail(const SourceCell& cell)
{
    ImportValues::Read<QString> read = ImportValues::text(cell, SeitoWidth::guardianMail);
    if (read.value && !funcIsMailAddress(*read.value))
        return {std::nullopt, QStringLiteral("「@」を1つだけ含み、空白を含まないメールアドレスにしてください")};
    return read;
}

class RowReader {
public:
    RowReader(const SourceTable& table, const std::vector<Field>& mapping, Known& known, Preview& preview)
        : m_table(table), m_mapping(mapping), m_known(known), m_preview(preview)
    {
    }

    PreviewRow read(std::size_t index)
    {
        PreviewRow row;
        row.line = m_table.lines[index];
        const ImportSource::SourceRow& cells = m_table.rows[index];
        for (std::size_t c = 0; c < m_mapping.size() && c < cells.size(); ++c)
            take(row, m_mapping[c], m_table.header.value(static_cast<int>(c)), cells[c]);
        // A line of a text file with more cells than its header has its columns shifted.
        QStringList extra;
        for (std::size_t c = static_cast<std::size_t>(m_table.header.size()); c < cells.size(); ++c)
            if (!cells[c].text.trimmed().isEmpty())
                extra << cells[c].text.trimmed();
        if (!extra.isEmpty())
            problem(row, QStringLiteral("%1列目").arg(m_table.header.size() + 1), extra.join(QLatin1Char(',')),
                    QStringLiteral("列の数が見出しより多い"));
        require(row, Field::Name, row.seito.name);
        require(row, Field::Kana, row.seito.kana);
        if (row.seito.birth.isValid() && row.seito.birth > m_known.today)
            problem(row, columnOf(Field::Birth), funcDateText(row.seito.birth), QStringLiteral("生年月日が今日より後です"));
        if (!row.problems.isEmpty())
            row.found = RowState::Error;
        else
            findDuplicate(row);
        return row;
    }

private:
    void problem(PreviewRow& row, const QString& column, const QString& value, const QString& why)
    {
        row.problems.append(Problem{row.line, column, value, why});
    }

    QString columnOf(Field field) const
    {
        for (std::size_t c = 0; c < m_mapping.size(); ++c)
            if (m_mapping[c] == field)
                return m_table.header.value(static_cast<int>(c));
        return fieldCaption(field);
    }

    // A value missing is a problem unless its cell was refused already: one reason per problem.
    void require(PreviewRow& row, Field field, const QString& value)
    {
        const QString column = columnOf(field);
        const bool refused = std::any_of(row.problems.begin(), row.problems.end(),
                                         [&](const Problem& p) { return p.column == column; });
        if (value.trimmed().isEmpty() && !refused)
            problem(row, column, {}, fieldCaption(field) + QStringLiteral("がありません"));
    }

    // The first column of a field that holds something gives its value.
    template <typename T, typename Store>
    void keep(PreviewRow& row, const QString& header, const SourceCell& cell, const ImportValues::Read<T>& read, Store store)
    {
        if (!read.error.isEmpty())
            problem(row, header, cell.text, read.error);
        else if (read.value)
            store(*read.value);
    }

    void take(PreviewRow& row, Field field, const QString& header, const SourceCell& cell)
    {
        using namespace ImportValues;
        Seito& s = row.seito;
        const auto setText = [&](QString Seito::*member, const Read<QString>& read) {
            if ((s.*member).isEmpty())
                keep(row, header, cell, read, [&](const QString& v) { s.*member = v; });
        };
        const auto setDate = [&](QDate Seito::*member) {
            if (!(s.*member).isValid())
                keep(row, header, cell, date(cell), [&](const QDate& v) { s.*member = v; });
        };
        switch (field) {
        case Field::Skip: break;
        case Field::Name: setText(&Seito::name, text(cell, SeitoWidth::name)); break;
        case Field::Kana: setText(&Seito::kana, reading(cell, SeitoWidth::kana)); break;
        case Field::Phone: setText(&Seito::phone, phone(cell, SeitoWidth::phone)); break;
        case Field::Mobile: setText(&Seito::mobile, phone(cell, SeitoWidth::mobile)); break;
        case Field::Postal: setText(&Seito::postal, postcode(cell, SeitoWidth::postal)); break;
        case Field::Address: setText(&Seito::address, text(cell, SeitoWidth::address)); break;
        case Field::Remarks: setText(&Seito::remarks, text(cell, SeitoWidth::remarks)); break;
        case Field::GuardianName: setText(&Seito::guardianName, text(cell, SeitoWidth::guardianName)); break;
        case Field::Relation: setText(&Seito::relation, text(cell, SeitoWidth::relation)); break;
        case Field::GuardianPhone: setText(&Seito::guardianPhone, phone(cell, SeitoWidth::phone)); break;
        case Field::GuardianMail: setText(&Seito::guardianMail, mail(cell)); break;
        case Field::Birth: setDate(&Seito::birth); break;
        case Field::Entry: setDate(&Seito::entry); break;
        case Field::Sex:
            if (s.sex == 0)
                keep(row, header, cell, sex(cell), [&](int v) { s.sex = v; });
            break;
        case Field::School:
            if (!s.schoolID && row.newSchool.isEmpty())
                keep(row, header, cell, text(cell, kSchoolNameWidth), [&](const QString& name) { school(row, name); });
            break;
        }
    }

    void school(PreviewRow& row, const QString& name)
    {
        if (const auto found = m_known.schools.constFind(ImportValues::folded(name)); found != m_known.schools.constEnd()) {
            row.seito.schoolID = *found;
            row.school = m_known.schoolNames.value(*found);
            return;
        }
        row.newSchool = name;
        row.school = name;
        if (!m_preview.newSchools.contains(name))
            m_preview.newSchools << name;
    }

    void findDuplicate(PreviewRow& row)
    {
        const QString byName = nameKey(row.seito);
        const QString byReading = readingKey(row.seito);
        const QString nameWhat = QStringLiteral("生徒氏名・生年月日");
        const QString readingWhat = QStringLiteral("氏名カナ・電話");
        const auto same = [&](const QHash<QString, int>& where, const QString& key) -> std::optional<int> {
            if (key.isEmpty())
                return std::nullopt;
            const auto it = where.constFind(key);
            return it == where.constEnd() ? std::nullopt : std::optional<int>(*it);
        };
        if (const auto no = same(m_known.registerByName, byName)) {
            duplicate(row, Field::Name, row.seito.name, QStringLiteral("登録済みの生徒（生徒番号 %1）と%2が同じです").arg(*no).arg(nameWhat));
            registered(row, *no);
        } else if (const auto no = same(m_known.registerByReading, byReading)) {
            duplicate(row, Field::Kana, row.seito.kana, QStringLiteral("登録済みの生徒（生徒番号 %1）と%2が同じです").arg(*no).arg(readingWhat));
            registered(row, *no);
        } else if (const auto line = same(m_known.fileByName, byName))
            duplicate(row, Field::Name, row.seito.name, QStringLiteral("%1行目と%2が同じです").arg(*line).arg(nameWhat));
        else if (const auto line = same(m_known.fileByReading, byReading))
            duplicate(row, Field::Kana, row.seito.kana, QStringLiteral("%1行目と%2が同じです").arg(*line).arg(readingWhat));
        if (!byName.isEmpty() && !m_known.fileByName.contains(byName))
            m_known.fileByName.insert(byName, row.line);
        if (!byReading.isEmpty() && !m_known.fileByReading.contains(byReading))
            m_known.fileByReading.insert(byReading, row.line);
    }

    // The register's student a row is: only the number until the preview is read whole.
    static void registered(PreviewRow& row, int no)
    {
        row.registered.emplace();
        row.registered->no = no;
    }

    void duplicate(PreviewRow& row, Field field, const QString& value, const QString& why)
    {
        row.found = RowState::Duplicate;
        problem(row, columnOf(field), value, why);
    }

    const SourceTable& m_table;
    const std::vector<Field>& m_mapping;
    Known& m_known;
    Preview& m_preview;
};

int addSchool(const QString& name)
{
    const int id = funcGetMaxID(QStringLiteral("マスタ学校"), QStringLiteral("学校ID")) + 1;
    Recordset rs = gDatabase.openRecordset(QStringLiteral("マスタ学校"), dbOpenTable);
    rs.addNew();
    rs.setField(QStringLiteral("学校ID"), id);
    rs.setField(QStringLiteral("学校名"), name);
    rs.setField(QStringLiteral("削除フラグ"), 0);
    if (!rs.update())
        throw std::runtime_error("the new school was not stored");
    rs.close();
    return id;
}

} // namespace

const std::vector<Field>& allFields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> out;
        for (const FieldNames& names : fieldNames())
            out.push_back(names.field);
        return out;
    }();
    return fields;
}

QString fieldCaption(Field field)
{
    for (const FieldNames& names : fieldNames())
        if (names.field == field)
            return QString::fromUtf8(names.caption);
    return {};
}

Field fieldOfHeader(const QString& header)
{
    const QString h = withoutBlanks(ImportValues::folded(header)).toUpper();
    for (const FieldNames& names : fieldNames())
        for (const char* name : names.headers)
            if (h == QString::fromUtf8(name))
                return names.field;
    return Field::Skip;
}

std::vector<Field> defaultMapping(const QStringList& header)
{
    // A field is read from one column: the first that names it.
    std::vector<Field> mapping;
    for (const QString& h : header) {
        const Field field = fieldOfHeader(h);
        mapping.push_back(std::find(mapping.begin(), mapping.end(), field) == mapping.end() ? field : Field::Skip);
    }
    return mapping;
}

QString funcMappingRefusal(const QStringList& header, const std::vector<Field>& mapping, int column, Field field)
{
    if (field == Field::Skip)
        return {};
    for (std::size_t c = 0; c < mapping.size(); ++c)
        if (mapping[c] == field && static_cast<int>(c) != column)
            return QStringLiteral("%1には既に「%2」列を割り当てています。").arg(fieldCaption(field), header.value(static_cast<int>(c)));
    return {};
}

QString funcColumnNote(const QStringList& header, const std::vector<Field>& mapping, int column)
{
    const Field named = fieldOfHeader(header.value(column));
    if (mapping.at(static_cast<std::size_t>(column)) != Field::Skip || named == Field::Skip)
        return {};
    const QString refusal = funcMappingRefusal(header, mapping, column, named);
    return refusal.isEmpty() ? QString() : refusal + QStringLiteral("この列は取り込みません。");
}

bool mapsNames(const std::vector<Field>& mapping)
{
    return std::find(mapping.begin(), mapping.end(), Field::Name) != mapping.end()
        && std::find(mapping.begin(), mapping.end(), Field::Kana) != mapping.end();
}

bool funcIsHeader(const QStringList& texts)
{
    return std::count_if(texts.begin(), texts.end(), [](const QString& t) { return fieldOfHeader(t) != Field::Skip; }) >= 2;
}

SourceTable funcRead(const QString& path, int sheet, ImportSource::TextEncoding encoding)
{
    return ImportSource::read(path, sheet, encoding, funcIsHeader);
}

QString stateCaption(RowState state)
{
    switch (state) {
    case RowState::Take: return QStringLiteral("取り込む");
    case RowState::Duplicate: return QStringLiteral("重複");
    case RowState::Error: return QStringLiteral("エラー");
    case RowState::Update: return QStringLiteral("更新");
    }
    return {};
}

int Preview::count(RowState state) const
{
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const PreviewRow& r) { return r.state() == state; }));
}

std::optional<Preview> funcPreview(const SourceTable& table, const std::vector<Field>& mapping, const Progress& progress)
{
    for (std::size_t c = 0; c < mapping.size(); ++c)
        if (!funcMappingRefusal(table.header, mapping, static_cast<int>(c), mapping[c]).isEmpty())
            throw std::invalid_argument("a field is mapped from two columns");
    Preview preview;
    Known known;
    preview.lastNumber = known.lastNumber;
    preview.schoolNames = known.schoolNames;
    RowReader reader(table, mapping, known, preview);
    const int total = static_cast<int>(table.rows.size());
    preview.rows.reserve(table.rows.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 200 == 0 && !progress(i, total))
            return std::nullopt;
        preview.rows.push_back(reader.read(static_cast<std::size_t>(i)));
    }
    // The students the rows repeat, read whole in one go; one deleted meanwhile is no longer one to update.
    QList<int> numbers;
    for (const PreviewRow& row : preview.rows)
        if (row.registered)
            numbers << row.registered->no;
    QHash<int, Seito> students;
    for (Seito& s : SeitoStore::loadMany(numbers))
        students.insert(s.no, std::move(s));
    for (PreviewRow& row : preview.rows)
        if (row.registered) {
            if (const auto found = students.constFind(row.registered->no); found != students.constEnd())
                row.registered = *found;
            else
                row.registered.reset();
        }
    return preview;
}

Stored funcStore(const Preview& preview, bool addSchools)
{
    Stored stored;
    std::optional<Transaction> transaction;
    try {
        transaction.emplace(gDatabase);
    } catch (const DaoError&) {
        // The file's write lock is held elsewhere for longer than the engine waits: another import.
        if (gDatabase.isServer())
            throw;
        throw ImportBusy();
    }
    if (!gDatabase.holdLock(kImportLock, kImportWait))
        throw ImportBusy();
    // The students registered since the preview (another import that has committed)
    // are duplicates now, and a school added meanwhile is used, not added again.
    const Known now(preview.lastNumber);
    QHash<QString, int> added;
    // A school the row names that マスタ学校 lacked when previewed.
    const auto newSchoolOf = [&](const PreviewRow& row) -> std::optional<int> {
        const QString folded = ImportValues::folded(row.newSchool);
        if (now.schools.contains(folded))
            return now.schools.value(folded);
        if (!addSchools)
            return std::nullopt;
        if (!added.contains(folded))
            added.insert(folded, addSchool(row.newSchool));
        return added.value(folded);
    };
    std::vector<Seito> students;
    for (const PreviewRow& row : preview.rows) {
        if (row.state() != RowState::Take)
            continue;
        const QString byName = nameKey(row.seito);
        const QString byReading = readingKey(row.seito);
        if ((!byName.isEmpty() && now.registerByName.contains(byName))
            || (!byReading.isEmpty() && now.registerByReading.contains(byReading))) {
            ++stored.duplicatesMeanwhile;
            continue;
        }
        Seito s = row.seito;
        if (!row.newSchool.isEmpty())
            s.schoolID = newSchoolOf(row);
        students.push_back(s);
    }
    stored.numbers = SeitoStore::addAll(students);
    for (const PreviewRow& row : preview.rows) {
        if (row.state() != RowState::Update)
            continue;
        Seito s = funcUpdated(row);
        if (!row.newSchool.isEmpty())
            if (const auto id = newSchoolOf(row))
                s.schoolID = id;
        // Written as the student window writes an edit: into the row as it was read.
        if (SeitoStore::save(s, Syori::Edit, &*row.registered))
            ++stored.updated;
        else
            ++stored.updatesGone;
    }
    stored.schoolsAdded = static_cast<int>(added.size());
    transaction->commit();
    return stored;
}

Seito funcUpdated(const PreviewRow& row)
{
    Seito s = *row.registered;
    const Seito& file = row.seito;
    for (QString Seito::*member : {&Seito::name, &Seito::kana, &Seito::phone, &Seito::mobile, &Seito::postal, &Seito::address,
                                   &Seito::remarks, &Seito::guardianName, &Seito::relation, &Seito::guardianPhone,
                                   &Seito::guardianMail})
        if (!(file.*member).isEmpty())
            s.*member = file.*member;
    for (QDate Seito::*member : {&Seito::birth, &Seito::entry})
        if ((file.*member).isValid())
            s.*member = file.*member;
    if (file.sex != 0)
        s.sex = file.sex;
    if (file.schoolID)
        s.schoolID = file.schoolID;
    return s;
}

std::vector<Field> mappedFields(const std::vector<Field>& mapping)
{
    std::vector<Field> fields;
    for (Field f : allFields())
        if (f != Field::Skip && std::find(mapping.begin(), mapping.end(), f) != mapping.end())
            fields.push_back(f);
    return fields;
}

namespace {
QString valueText(const Seito& s, const QString& school, Field field)
{
    switch (field) {
    case Field::Name: return s.name;
    case Field::Kana: return s.kana;
    case Field::Phone: return s.phone;
    case Field::Mobile: return s.mobile;
    case Field::Postal: return s.postal;
    case Field::Address: return s.address;
    case Field::Remarks: return s.remarks;
    case Field::GuardianName: return s.guardianName;
    case Field::Relation: return s.relation;
    case Field::GuardianPhone: return s.guardianPhone;
    case Field::GuardianMail: return s.guardianMail;
    case Field::Birth: return funcDateText(s.birth);
    case Field::Entry: return funcDateText(s.entry);
    case Field::Sex: return s.sex == 1 ? QStringLiteral("男") : s.sex == 2 ? QStringLiteral("女") : QString();
    case Field::School: return school;
    case Field::Skip: break;
    }
    return {};
}
} // namespace

QString funcStoredText(const PreviewRow& row, Field field)
{
    return valueText(row.seito, row.school, field);
}

QString funcFieldText(const Preview& preview, const PreviewRow& row, Field field)
{
    const QString text = funcStoredText(row, field);
    if (row.state() != RowState::Update)
        return text;
    const Seito& before = *row.registered;
    const QString old = valueText(before, before.schoolID ? preview.schoolNames.value(*before.schoolID) : QString(), field);
    // The file's empty cells leave the stored values.
    if (text.isEmpty() || text == old)
        return old;
    return old + QStringLiteral(" → ") + text;
}

bool funcChangesValue(const SourceCell& cell, Field field, const QString& stored)
{
    if (stored.isEmpty() || (cell.number && (field == Field::Birth || field == Field::Entry)))
        return false;
    return stored != cell.text.trimmed();
}

QString funcBackupDatabase()
{
    if (gDatabase.isServer())
        return {};
    const QFileInfo database(gDatabase.path());
    return funcBackupFileCopy(database.absoluteFilePath(), database.absoluteDir().filePath(QStringLiteral("Backup")));
}

void subWriteProblemRows(const SourceTable& table, const std::vector<Field>& mapping, const Preview& preview, const QString& path)
{
    wb::Workbook book;
    wb::Sheet& sheet = book.addSheet(QStringLiteral("取り込めなかった行"));
    wb::CellFormat bold;
    bold.bold = true;
    const int width = static_cast<int>(table.header.size());
    for (int c = 0; c < width; ++c) {
        sheet.setText(1, c + 1, table.header[c]);
        sheet.setFormat(1, c + 1, bold);
        sheet.setColumnWidth(c + 1, 14);
    }
    // 理由 is no column of the register, so the file imports again as it is.
    sheet.setText(1, width + 1, QStringLiteral("理由"));
    sheet.setFormat(1, width + 1, bold);
    sheet.setColumnWidth(width + 1, 60);
    int out = 2;
    for (std::size_t i = 0; i < preview.rows.size(); ++i) {
        const PreviewRow& row = preview.rows[i];
        if (row.state() == RowState::Take || row.state() == RowState::Update)
            continue;
        const ImportSource::SourceRow& cells = table.rows[i];
        for (int c = 0; c < width && c < static_cast<int>(cells.size()); ++c) {
            const SourceCell& cell = cells[static_cast<std::size_t>(c)];
            const Field field = static_cast<std::size_t>(c) < mapping.size() ? mapping[static_cast<std::size_t>(c)] : Field::Skip;
            const bool isDate = field == Field::Birth || field == Field::Entry;
            // Date cells go back as the dates they showed; other numbers stay numbers.
            if (cell.number && isDate)
                sheet.setText(out, c + 1, funcDateText(ImportValues::date(cell).value.value_or(QDate())));
            else if (cell.number)
                sheet.setNumber(out, c + 1, *cell.number);
            else if (!cell.text.isEmpty())
                sheet.setText(out, c + 1, cell.text);
        }
        QStringList reasons;
        for (const Problem& p : row.problems)
            reasons << funcProblemLine(p);
        sheet.setText(out, width + 1, reasons.join(QStringLiteral(" ／ ")));
        ++out;
    }
    book.write(path);
}

QString funcProblemLine(const Problem& p)
{
    const QString value = p.value.isEmpty() ? QString() : QStringLiteral("「%1」").arg(p.value);
    return QStringLiteral("%1行目 %2%3: %4").arg(p.line).arg(p.column, value, p.why);
}

QString funcCountsLine(const Preview& preview)
{
    QString line = QStringLiteral("取り込む %1件、重複 %2件、エラー %3件")
                       .arg(preview.count(RowState::Take))
                       .arg(preview.count(RowState::Duplicate))
                       .arg(preview.count(RowState::Error));
    if (const int updates = preview.count(RowState::Update); updates > 0)
        line += QStringLiteral("、更新 %1件").arg(updates);
    return line;
}

} // namespace StudentImport
