-- The database of 楓丸くん: every table, key, index and saved query, and the
-- master rows the program needs from its first start.
-- Dates are text "yyyy/mm/dd", date-times "yyyy/mm/dd hh:nn:ss", so that they
-- sort and compare as text. The key column of 生徒台帳, 毎講座履歴 and 連絡事項
-- is the table's primary key; the program reaches it as the index "PrimaryKey".
-- 更新回数 counts the changes of a row: a PC writes into a row only as it read it,
-- so that another PC's save made meanwhile is never overwritten unseen.

CREATE TABLE 生徒台帳 (
    生徒番号   INTEGER PRIMARY KEY,
    氏名カナ   TEXT,
    生徒氏名   TEXT,
    電話       TEXT,
    郵便番号   TEXT,
    住所       TEXT,
    携帯電話   TEXT,
    備考       TEXT,
    入塾日     TEXT,
    生年月日   TEXT,
    性別       INTEGER,
    所属校ID   INTEGER,
    更新日時   TEXT,
    削除フラグ INTEGER NOT NULL DEFAULT 0,
    更新回数   INTEGER NOT NULL DEFAULT 0,
    -- The grade follows from 生年月日; 学年補正 moves it by whole years (-1, 0, +1).
    学年補正   INTEGER NOT NULL DEFAULT 0,
    -- Without a birth date: the grade chosen by hand (its name) in the school year 手動学年度.
    手動学年   TEXT,
    手動学年度 INTEGER,
    保護者氏名 TEXT,
    続柄       TEXT,
    保護者電話 TEXT,
    保護者メール TEXT,
    -- 0 在籍, 1 休塾 (from 状態日付), 2 退塾 (on 状態日付).
    在籍状態   INTEGER NOT NULL DEFAULT 0,
    状態日付   TEXT,
    退塾理由   TEXT
);
CREATE INDEX 生徒台帳_氏名カナ ON 生徒台帳 (削除フラグ, 氏名カナ);

CREATE TABLE 毎講座履歴 (
    毎講座ID     INTEGER PRIMARY KEY,
    講座日       TEXT,
    曜日ID       INTEGER,
    時限ID       INTEGER,
    学年ID       INTEGER,
    科目ID       INTEGER,
    講座クラスID INTEGER,
    講師ID       INTEGER,
    教室ID       INTEGER,
    定員数       INTEGER,
    受講人数     INTEGER,
    単元         TEXT,
    講座内容     TEXT,
    宿題         TEXT,
    コメント     TEXT,
    更新回数     INTEGER NOT NULL DEFAULT 0,
    -- The regular class the lesson was planned for; 0 or none for a lesson of its own.
    通常クラスID INTEGER
);
CREATE INDEX 毎講座履歴_講座日 ON 毎講座履歴 (講座日, 時限ID);

CREATE TABLE 講座出席 (
    毎講座ID   INTEGER,
    生徒番号   INTEGER,
    出席フラグ INTEGER,
    項目1      INTEGER,
    項目2      INTEGER,
    項目3      INTEGER,
    項目4      INTEGER,
    コメント   TEXT,
    宿題       INTEGER,
    更新日時   TEXT,
    更新回数   INTEGER NOT NULL DEFAULT 0,
    -- 1: absent with notice (出席フラグ 0); an absence stored without it had none.
    欠席連絡   INTEGER NOT NULL DEFAULT 0,
    -- The make-up credit (振替) the student takes this lesson for; none for a regular taker.
    振替ID     INTEGER
);
CREATE INDEX 講座出席_毎講座ID ON 講座出席 (毎講座ID, 生徒番号);
CREATE INDEX 講座出席_生徒番号 ON 講座出席 (生徒番号);

CREATE TABLE 連絡事項 (
    連絡事項ID INTEGER PRIMARY KEY,
    開始日     TEXT,
    終了日     TEXT,
    記号       INTEGER,
    記入者     TEXT,
    コメント   TEXT
);
CREATE INDEX 連絡事項_終了日 ON 連絡事項 (終了日);

CREATE TABLE マスタ所属グループ (
    グループID INTEGER,
    マスタID   INTEGER,
    マスタ名   TEXT,
    マスタ説明 TEXT
);

CREATE TABLE マスタ学年     (学年ID INTEGER PRIMARY KEY, 学年名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ科目     (科目ID INTEGER PRIMARY KEY, 科目名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ講座クラス (講座クラスID INTEGER PRIMARY KEY, 講座クラス名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ講師     (講師ID INTEGER PRIMARY KEY, 講師名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ教室     (教室ID INTEGER PRIMARY KEY, 教室名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ時限     (時限ID INTEGER PRIMARY KEY, 時限名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ曜日     (曜日ID INTEGER PRIMARY KEY, 曜日名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ学校     (学校ID INTEGER PRIMARY KEY, 学校名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ性別     (性別ID INTEGER PRIMARY KEY, 性別名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ重要度   (重要度ID INTEGER PRIMARY KEY, 重要度名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);
CREATE TABLE マスタ評価項目 (評価項目ID INTEGER PRIMARY KEY, 評価項目名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);

-- The school's own settings (学校名, …), one row a name: the same on every PC of the school.
CREATE TABLE 設定 (設定名 TEXT PRIMARY KEY, 値 TEXT);
-- Stock phrases for the comments on students: {名前} becomes the student's given
-- name with さん, {科目} the lesson's subject, when a phrase is put into a comment.
CREATE TABLE マスタ定型文   (定型文ID INTEGER PRIMARY KEY, 定型文名 TEXT, 削除フラグ INTEGER NOT NULL DEFAULT 0);

-- The mail server the monthly reports go out through: one row (設定ID 1). The
-- password is kept only when the user asks so, and then sealed with a key that
-- lives outside the database (see src/mail/MailSettings.h).
CREATE TABLE メール設定 (
    設定ID         INTEGER PRIMARY KEY,
    ホスト         TEXT,
    ポート         INTEGER,
    STARTTLS       INTEGER NOT NULL DEFAULT 1,
    ユーザー       TEXT,
    差出人         TEXT,
    パスワード暗号 TEXT,
    更新回数       INTEGER NOT NULL DEFAULT 0
);

-- One row per student's file in a message the server accepted.
CREATE TABLE メール送信履歴 (
    送信ID     INTEGER PRIMARY KEY,
    生徒番号   INTEGER,
    宛先       TEXT,
    対象月     TEXT,
    ファイル名 TEXT,
    SHA256     TEXT,
    送信日時   TEXT,
    応答       TEXT
);
CREATE INDEX メール送信履歴_対象月 ON メール送信履歴 (対象月, 生徒番号);
-- Days the school is closed: a range of one year ("yyyy/mm/dd") or of every year
-- ("mm/dd"; a range across New Year ends in the next year).
CREATE TABLE マスタ休校日 (
    休校日ID   INTEGER PRIMARY KEY,
    休校日名   TEXT,
    開始日     TEXT,
    終了日     TEXT,
    削除フラグ INTEGER NOT NULL DEFAULT 0
);
-- The national holidays the school teaches on, by name; every other holiday is 休み.
CREATE TABLE 祝日授業 (
    祝日名   TEXT PRIMARY KEY,
    授業あり INTEGER NOT NULL DEFAULT 0
);
-- The government's published holidays as the office loaded them: each year held
-- here is taken as it stands instead of the program's calculation.
CREATE TABLE 祝日一覧 (
    祝日   TEXT PRIMARY KEY,
    祝日名 TEXT
);
-- Classes that meet every week with the same members. 曜日 lists the weekdays
-- (1 月 … 7 日) separated by commas.
CREATE TABLE 通常クラス (
    通常クラスID INTEGER PRIMARY KEY,
    学年ID       INTEGER,
    科目ID       INTEGER,
    講座クラスID INTEGER,
    曜日         TEXT,
    時限ID       INTEGER,
    講師ID       INTEGER,
    教室ID       INTEGER,
    定員数       INTEGER NOT NULL DEFAULT 0,
    削除フラグ   INTEGER NOT NULL DEFAULT 0,
    更新回数     INTEGER NOT NULL DEFAULT 0
);
-- The members of a class from 開始日, up to 終了日 when there is one.
CREATE TABLE クラス生徒 (
    通常クラスID INTEGER,
    生徒番号     INTEGER,
    開始日       TEXT,
    終了日       TEXT
);
CREATE INDEX クラス生徒_通常クラスID ON クラス生徒 (通常クラスID, 生徒番号);

-- Make-up credits: an absence from 欠席講座ID may be made up from 開始日 to 期限.
-- 状態 0 未振替, 1 予定 (booked into 振替講座ID), 2 済, 3 失効, 4 取消.
CREATE TABLE 振替 (
    振替ID     INTEGER PRIMARY KEY,
    生徒番号   INTEGER,
    欠席講座ID INTEGER,
    学年ID     INTEGER,
    科目ID     INTEGER,
    欠席日     TEXT,
    開始日     TEXT,
    期限       TEXT,
    状態       INTEGER NOT NULL DEFAULT 0,
    振替講座ID INTEGER NOT NULL DEFAULT 0,
    更新回数   INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX 振替_生徒番号 ON 振替 (生徒番号, 欠席講座ID);
CREATE INDEX 振替_状態 ON 振替 (状態, 期限);
CREATE INDEX 振替_振替講座ID ON 振替 (振替講座ID, 状態);
-- Every state a credit went through, with when and who.
CREATE TABLE 振替履歴 (
    振替ID INTEGER,
    日時   TEXT,
    状態   INTEGER,
    利用者 TEXT
);
CREATE INDEX 振替履歴_振替ID ON 振替履歴 (振替ID);
-- The school's make-up rules (one row, ルールID 1). 期間種別 0 ±前後日数, 1 same and
-- next month, 2 until the end of next month; a cap of 0 is none; 休止期間 one
-- "yyyy/mm/dd-yyyy/mm/dd" a line.
CREATE TABLE 振替ルール (
    ルールID INTEGER PRIMARY KEY,
    期間種別 INTEGER NOT NULL DEFAULT 0,
    前後日数 INTEGER NOT NULL DEFAULT 14,
    月上限   INTEGER NOT NULL DEFAULT 0,
    年上限   INTEGER NOT NULL DEFAULT 0,
    同時上限 INTEGER NOT NULL DEFAULT 0,
    無断欠席 INTEGER NOT NULL DEFAULT 0,
    振替欠席 INTEGER NOT NULL DEFAULT 0,
    通常のみ INTEGER NOT NULL DEFAULT 1,
    休止期間 TEXT,
    更新回数 INTEGER NOT NULL DEFAULT 0
);

-- One row per lesson with the names of its master entries; an ID of 0 (none chosen) gives no name.
-- 講座名 joins the names that are there with one blank each.
CREATE VIEW QRY_講座内容 AS
SELECT 毎講座履歴.毎講座ID AS 毎講座ID,
       毎講座履歴.講座日 AS 講座日,
       毎講座履歴.曜日ID AS 曜日ID, マスタ曜日.曜日名 AS 曜日名,
       毎講座履歴.時限ID AS 時限ID, マスタ時限.時限名 AS 時限名,
       毎講座履歴.学年ID AS 学年ID, マスタ学年.学年名 AS 学年名,
       毎講座履歴.科目ID AS 科目ID, マスタ科目.科目名 AS 科目名,
       毎講座履歴.講座クラスID AS 講座クラスID, マスタ講座クラス.講座クラス名 AS 講座クラス名,
       毎講座履歴.講師ID AS 講師ID, マスタ講師.講師名 AS 講師名,
       毎講座履歴.教室ID AS 教室ID, マスタ教室.教室名 AS 教室名,
       毎講座履歴.定員数 AS 定員数,
       毎講座履歴.受講人数 AS 受講人数,
       毎講座履歴.単元 AS 単元,
       毎講座履歴.講座内容 AS 講座内容,
       毎講座履歴.宿題 AS 宿題,
       毎講座履歴.コメント AS コメント,
       substr(coalesce(' ' || nullif(マスタ学年.学年名, ''), '') || coalesce(' ' || nullif(マスタ科目.科目名, ''), '')
              || coalesce(' ' || nullif(マスタ講座クラス.講座クラス名, ''), ''), 2) AS 講座名
FROM 毎講座履歴
LEFT JOIN マスタ曜日 ON マスタ曜日.曜日ID = 毎講座履歴.曜日ID
LEFT JOIN マスタ時限 ON マスタ時限.時限ID = 毎講座履歴.時限ID
LEFT JOIN マスタ学年 ON マスタ学年.学年ID = 毎講座履歴.学年ID
LEFT JOIN マスタ科目 ON マスタ科目.科目ID = 毎講座履歴.科目ID
LEFT JOIN マスタ講座クラス ON マスタ講座クラス.講座クラスID = 毎講座履歴.講座クラスID
LEFT JOIN マスタ講師 ON マスタ講師.講師ID = 毎講座履歴.講師ID
LEFT JOIN マスタ教室 ON マスタ教室.教室ID = 毎講座履歴.教室ID;

-- One row per attendance row, with its lesson (as in QRY_講座内容) and the student's name.
-- Written out rather than over QRY_講座内容: joined from the attendance row to its lesson
-- by key and on to the names, a server's planner finds one student's rows by the index
-- without first making every lesson's row.
CREATE VIEW QRY_講座出席出力 AS
SELECT 毎講座履歴.毎講座ID AS 毎講座ID,
       毎講座履歴.講座日 AS 講座日,
       毎講座履歴.曜日ID AS 曜日ID, マスタ曜日.曜日名 AS 曜日名,
       毎講座履歴.時限ID AS 時限ID, マスタ時限.時限名 AS 時限名,
       substr(coalesce(' ' || nullif(マスタ学年.学年名, ''), '') || coalesce(' ' || nullif(マスタ科目.科目名, ''), '')
              || coalesce(' ' || nullif(マスタ講座クラス.講座クラス名, ''), ''), 2) AS 講座名,
       毎講座履歴.学年ID AS 学年ID, マスタ学年.学年名 AS 学年名,
       毎講座履歴.科目ID AS 科目ID, マスタ科目.科目名 AS 科目名,
       毎講座履歴.講座クラスID AS 講座クラスID, マスタ講座クラス.講座クラス名 AS 講座クラス名,
       毎講座履歴.講師ID AS 講師ID, マスタ講師.講師名 AS 講師名,
       毎講座履歴.教室ID AS 教室ID, マスタ教室.教室名 AS 教室名,
       毎講座履歴.定員数 AS 定員数,
       毎講座履歴.受講人数 AS 受講人数,
       毎講座履歴.単元 AS 単元,
       毎講座履歴.講座内容 AS 講座内容,
       毎講座履歴.宿題 AS 宿題2,
       毎講座履歴.コメント AS コメント2,
       講座出席.生徒番号 AS 生徒番号,
       生徒台帳.生徒氏名 AS 生徒氏名,
       生徒台帳.氏名カナ AS 氏名カナ,
       講座出席.出席フラグ AS 出席フラグ,
       CASE WHEN 講座出席.出席フラグ = 1 THEN '○' ELSE '' END AS 出席○,
       講座出席.宿題 AS 宿題,
       CASE WHEN 講座出席.宿題 = 1 THEN '○' ELSE '' END AS 宿題○,
       講座出席.項目1 AS 項目1,
       講座出席.項目2 AS 項目2,
       講座出席.項目3 AS 項目3,
       講座出席.項目4 AS 項目4,
       講座出席.コメント AS コメント,
       講座出席.更新日時 AS 更新日時
FROM 講座出席
INNER JOIN 毎講座履歴 ON 毎講座履歴.毎講座ID = 講座出席.毎講座ID
LEFT JOIN マスタ曜日 ON マスタ曜日.曜日ID = 毎講座履歴.曜日ID
LEFT JOIN マスタ時限 ON マスタ時限.時限ID = 毎講座履歴.時限ID
LEFT JOIN マスタ学年 ON マスタ学年.学年ID = 毎講座履歴.学年ID
LEFT JOIN マスタ科目 ON マスタ科目.科目ID = 毎講座履歴.科目ID
LEFT JOIN マスタ講座クラス ON マスタ講座クラス.講座クラスID = 毎講座履歴.講座クラスID
LEFT JOIN マスタ講師 ON マスタ講師.講師ID = 毎講座履歴.講師ID
LEFT JOIN マスタ教室 ON マスタ教室.教室ID = 毎講座履歴.教室ID
LEFT JOIN 生徒台帳 ON 生徒台帳.生徒番号 = 講座出席.生徒番号;

-- The fixed rows: weekdays and sexes are referred to by number in the program.
INSERT INTO マスタ曜日 VALUES (1, '月', 0), (2, '火', 0), (3, '水', 0), (4, '木', 0), (5, '金', 0), (6, '土', 0), (7, '日', 0);
INSERT INTO マスタ性別 VALUES (1, '男', 0), (2, '女', 0);
INSERT INTO マスタ重要度 VALUES (1, '至急', 0), (2, '重要', 0), (3, '連絡', 0), (4, '参考', 0);
INSERT INTO マスタ評価項目 VALUES (1, '理解度', 0), (2, '集中力', 0), (3, '積極性', 0);

-- The masters the staff may change, in the order the master window lists them.
INSERT INTO マスタ所属グループ VALUES
    (1, 1, 'マスタ学年', '生徒の学年です。講座の対象学年の選択肢になります。'),
    (1, 2, 'マスタ科目', '講座で教える科目です。'),
    (1, 3, 'マスタ講座クラス', '講座のクラス（レベルやコース）です。'),
    (1, 4, 'マスタ講師', '講座を担当する講師です。'),
    (1, 5, 'マスタ教室', '講座を行う教室です。'),
    (1, 6, 'マスタ時限', '講座を行う時限（時間帯）です。'),
    (2, 1, 'マスタ学校', '生徒が通っている学校です。生徒台帳の所属校の選択肢になります。'),
    (3, 1, 'マスタ重要度', '連絡事項の重要度です。この一覧で上にあるものほど掲示板の上に表示されます。'),
    (3, 2, 'マスタ評価項目', '出席簿で付ける評価の項目です（３項目まで）。日報や生徒分析シートの見出しになります。'),
    (3, 3, 'マスタ定型文', 'コメント欄でF2キーを押すと選べる定型文です。{名前}は生徒の名前（名＋さん）、{科目}は講座の科目名に置き換わります。');
