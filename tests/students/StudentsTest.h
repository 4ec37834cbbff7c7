// Students and schools for the tests of the student windows.
#pragma once

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ProgramFolder.h"
#include "WindowTest.h"
#include "frm生徒情報一覧.h"

#include <QStringList>
#include <QTest>

#include <functional>

struct StudentRow {
    int no = 0;
    QString kana{}, name{}, phone{}, postal{}, address{}, mobile{}, remarks{};
    QString entry = QStringLiteral("2024/04/01");
    QString birth = QStringLiteral("2012/05/06");
    int sex = 1;
    int school = 0;
    int deleted = 0;
};

inline void insertStudent(const StudentRow& s)
{
    Statement st = gDatabase.prepare(QStringLiteral(
        "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 電話, 郵便番号, 住所, 携帯電話, 備考, 入塾日, 生年月日,"
        " 性別, 所属校ID, 更新日時, 削除フラグ) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '2024/04/01 10:00:00', ?)"));
    const QVariant values[] = {s.no, s.kana, s.name, s.phone, s.postal, s.address, s.mobile, s.remarks,
                               s.entry, s.birth, s.sex, s.school, s.deleted};
    for (int i = 0; i < 13; ++i)
        st.bind(i + 1, values[i]);
    st.exec();
}

inline void insertSchools(ProgramFolder& pf)
{
    pf.exec(QStringLiteral("INSERT INTO マスタ学校 VALUES (1, '町田第一中学校', 0), (2, '原町田小学校', 0), (3, '廃校', 1)"));
}

// The stored fields of a student, "|" between them, in the order of StudentRow.
inline QString storedStudent(int no)
{
    Recordset rs = gDatabase.openRecordset(
        QStringLiteral("SELECT 氏名カナ, 生徒氏名, 電話, 郵便番号, 住所, 携帯電話, 備考, 入塾日, 生年月日, 性別, 所属校ID, 削除フラグ"
                       " FROM 生徒台帳 WHERE 生徒番号 = ") + QString::number(no), dbOpenDynaset, dbReadOnly);
    if (rs.eof())
        return {};
    QStringList fields;
    for (int i = 0; i < rs.fieldCount(); ++i)
        fields << funcToString(rs.field(i));
    return fields.join(QLatin1Char('|'));
}

// Runs checks on the student list while it is open, after it was opened as the menu opens it.
inline void withOpenList(const std::function<void(frm生徒情報一覧&)>& checks)
{
    frm生徒情報一覧 window;
    window.setPropNoSearch(true);
    NextModal step([&](QDialog*) { checks(window); });
    window.exec();
    QVERIFY(step.fired());
}
