// Students from the office's own ledger: which column is which, each row read
// and checked (values, duplicates in the file and against the register), and the
// rows the preview counted as 取り込む stored in one transaction.
#pragma once

#include "ImportSource.h"
#include "SeitoStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace StudentImport {

// What a column of the file is read as.
enum class Field { Skip, Name, Kana, Phone, Mobile, Postal, Address, Birth, Entry, Sex, School, Remarks, GuardianName, Relation,
                   GuardianPhone, GuardianMail };
// Every field in the order the preview offers them (Skip last).
const std::vector<Field>& allFields();
// "生徒氏名" ...; "取り込まない" for Skip.
QString fieldCaption(Field field);
// The field a header names by one of its usual names (生徒番号 and anything unknown: Skip).
Field fieldOfHeader(const QString& header);
// Each column as its header names it; a field named twice is read from its first column only.
std::vector<Field> defaultMapping(const QStringList& header);
// Why the column may not be read as the field: another column is read as it
// (「備考には既に「備考」列を割り当てています。」); empty when it may. A field is
// read from one column, so no column's data is left out unseen.
QString funcMappingRefusal(const QStringList& header, const std::vector<Field>& mapping, int column, Field field);
// For a column left out because its header's field is read from another column, why; else empty.
QString funcColumnNote(const QStringList& header, const std::vector<Field>& mapping, int column);
// 生徒氏名 and 氏名カナ are both read from some column.
bool mapsNames(const std::vector<Field>& mapping);

// A row names at least two of the fields by their usual names.
bool funcIsHeader(const QStringList& texts);
// The file with its header found as funcIsHeader knows it. Throws ImportSource::SourceError.
ImportSource::SourceTable funcRead(const QString& path, int sheet = 0,
                                   ImportSource::TextEncoding encoding = ImportSource::TextEncoding::Auto);

enum class RowState { Take, Duplicate, Error, Update };
QString stateCaption(RowState state);   // 取り込む, 重複, エラー, 更新

// What becomes of a duplicate: left out, added all the same, or (a student of the
// register) updated with the file's non-empty values.
enum class Choice { Leave, Add, Update };

struct Problem {
    int line = 0;       // the spreadsheet's row number
    QString column;     // the column's header
    QString value;
    QString why;
};

struct PreviewRow {
    int line = 0;
    Seito seito;
    QString newSchool;          // a school name not in マスタ学校
    QString school;             // the school's name as the row stores it
    RowState found = RowState::Take;
    Choice choice = Choice::Leave;   // the user's, for a duplicate
    std::optional<Seito> registered; // the register's student a duplicate is, as read
    QList<Problem> problems;    // errors and the duplicate's reason

    RowState state() const
    {
        if (found != RowState::Duplicate || choice == Choice::Leave)
            return found;
        return choice == Choice::Add ? RowState::Take : RowState::Update;
    }
    bool mayUpdate() const { return found == RowState::Duplicate && registered.has_value(); }
};

// The register's student as an update leaves it: the file's non-empty values over the stored ones.
Seito funcUpdated(const PreviewRow& row);

struct Preview {
    std::vector<PreviewRow> rows;
    QStringList newSchools;     // names not in マスタ学校, in order of first use
    int lastNumber = 0;         // the highest 生徒番号 of the register when previewed
    QHash<int, QString> schoolNames;   // マスタ学校 by ID
    int count(RowState state) const;
};

// The fields the mapping reads, in the order of allFields().
std::vector<Field> mappedFields(const std::vector<Field>& mapping);
// A field's value as read from the file and stored, as text ("" when none).
QString funcStoredText(const PreviewRow& row, Field field);
// A field's value as the preview shows it; for a row to be
// updated, "old → new" where the update changes it.
QString funcFieldText(const Preview& preview, const PreviewRow& row, Field field);
// Whether the value stored differs from the file's text (full-width digits, readings
// turned half-width, era dates): the preview marks it. Date cells of a workbook show
// as dates there already.
bool funcChangesValue(const ImportSource::SourceCell& cell, Field field, const QString& stored);

// Tells the progress (rows done of all); false cancels the preview.
using Progress = std::function<bool(int done, int total)>;

// Reads every row; nullopt when cancelled. Reads the register and the schools.
// Throws std::invalid_argument when a field is mapped from two columns.
std::optional<Preview> funcPreview(const ImportSource::SourceTable& table, const std::vector<Field>& mapping,
                                   const Progress& progress = {});

struct Stored {
    QList<int> numbers;         // the students' numbers, in the order of the rows
    int updated = 0;            // students of the register updated
    int updatesGone = 0;        // students to update that were deleted meanwhile
    int schoolsAdded = 0;
    int duplicatesMeanwhile = 0;   // rows another import registered after the preview
};

// Another PC is importing: imports run one at a time.
class ImportBusy : public std::runtime_error {
public:
    ImportBusy() : std::runtime_error(kImportBusyText.toStdString()) {}
    static inline const QString kImportBusyText = QStringLiteral("他のパソコンで取り込み中です。");
};

// Stores the rows counted as 取り込む, with new numbers, and writes the rows counted as
// 更新 into their students (only the fields the update changes, into the rows as they
// were read: where another PC changed a field meanwhile the user is asked), in one transaction (first
// the new schools into マスタ学校 when addSchools, else those rows get no school).
// Imports take a lock for the whole store and check the register again under it,
// so two imports of one ledger store it once. Throws ImportBusy when another
// import holds the lock beyond a short wait, and on any failure; then nothing is stored.
Stored funcStore(const Preview& preview, bool addSchools);

// The embedded database copied to Backup/ beside it under a name with the time;
// empty in the server mode. Throws std::runtime_error when it cannot be written.
QString funcBackupDatabase();

// The rows neither taken nor updated (errors and duplicates), as the file had them with a column
// 理由, written as a workbook the office can correct and import again. Throws std::runtime_error.
void subWriteProblemRows(const ImportSource::SourceTable& table, const std::vector<Field>& mapping, const Preview& preview,
                         const QString& path);

// One line per problem ("12行目 電話「312345678」: ..."), as the tool prints them.
QString funcProblemLine(const Problem& problem);
QString funcCountsLine(const Preview& preview);

} // namespace StudentImport
