// A small school for the planning tests: masters, four students and a regular
// class 1 (中1 数学 A, 1限, 月・木) without members.
#pragma once

#include "ProgramFolder.h"

#include <QStringList>

inline const QStringList kPlanningSchool = {
    "INSERT INTO マスタ学年 VALUES (1, '中1', 0), (2, '中2', 0)",
    "INSERT INTO マスタ科目 VALUES (1, '数学', 0), (2, '英語', 0)",
    "INSERT INTO マスタ講座クラス VALUES (1, 'A', 0), (2, 'B''s', 0)",
    "INSERT INTO マスタ講師 VALUES (1, '山田', 0)",
    "INSERT INTO マスタ時限 VALUES (1, '1限', 0), (2, '2限', 0)",
    "INSERT INTO マスタ教室 VALUES (1, '101', 0)",
    "INSERT INTO 生徒台帳 (生徒番号, 氏名カナ, 生徒氏名, 削除フラグ) VALUES (1, 'ｱｵｷ', '青木', 0), (2, 'ｲﾄｳ', '伊藤', 0),"
    " (3, 'ｳｴﾀﾞ', '上田', 0), (4, 'ｴﾉﾓﾄ', '榎本', 0)",
    "INSERT INTO 通常クラス (通常クラスID, 学年ID, 科目ID, 講座クラスID, 曜日, 時限ID, 講師ID, 教室ID, 定員数, 削除フラグ, 更新回数)"
    " VALUES (1, 1, 1, 1, '1,4', 1, 1, 1, 10, 0, 0)",
};

struct PlanningSchool {
    ProgramFolder pf;
    PlanningSchool()
    {
        for (const QString& sql : kPlanningSchool)
            pf.exec(sql);
    }
};
