// Small routines shared by the whole program: value conversions, the program
// folder, file tests and Shift-JIS byte widths.
#pragma once

#include <QString>
#include <QVariant>


// Text becomes a number whether its digits were typed half- or full-width (１２).
int funcToLong(const QVariant& value);
QString funcToString(const QVariant& value);
// Full-width digits, signs and blanks as their half-width forms; other text unchanged.
QString funcHalfWidthDigits(const QString& text);
// Hiragana and full-width katakana as the half-width katakana the register stores
// ("やまだ たろう" -> "ﾔﾏﾀﾞ ﾀﾛｳ", ガ as the two characters ｶﾞ), small letters
// written large as the reading's key filter requires ("しょうた" -> "ｼﾖｳﾀ");
// other text unchanged.
QString funcHalfWidthKana(const QString& text);

// The program folder, always ending in a separator.
QString funcAppPath();
// Tests run the program on a folder of their own; an empty path restores the real one.
void setAppPathForTests(const QString& folder);
// The program folder chosen at start when it is not the executable's own (the data
// folder of an installed program, or one given by the user); tests' folders still win.
void setAppPath(const QString& folder);
// Where an installed program keeps the files it ships (the template, the guide):
// share/kaedemaru beside the bin folder of the executable. Ends in a separator.
QString funcShareFolder(const QString& executableFolder);
// A fixed file of the program folder; one missing there is taken from the shipped
// files of the installed program when they hold it.
QString funcProgramFile(const QString& name);


bool funcFileExists(const QString& path);
bool funcFolderExists(const QString& path);
// Copies a whole file. The target is replaced only once the copy is complete, so a
// failed copy leaves it as it was. Throws std::runtime_error on failure.
// privateFile: the copy is readable by its owner only (a backup of students' data).
void subCopyWholeFile(const QString& from, const QString& to, bool privateFile = false);

// Widths are counted in bytes of the Shift-JIS (code page 932) form.
QByteArray funcToSjis(const QString& text);
QString funcFromSjis(const QByteArray& bytes);
int funcByteLen(const QString& text);
bool funcIsLeadByte(const QString& text, int bytePos);
QString funcPadByte(const QString& text, int width);

// Key codes are those of the ANSI code page: half-width kana are 161..223.
int funcKeyAscii(QChar ch);
void subKeyFilter(short kind, short& keyAscii);
// Text as a box with the key filter of that kind (1 digits, 2 half-width kana)
// takes it, typed or pasted: full-width digits and kana converted first, then
// what the filter swallows left out. The import checks its values by it too.
QString funcKeyFilterText(short kind, const QString& text);

// Text put between single quotes in SQL: quotes doubled so the text stays text.
QString funcSqlQuote(const QString& text);

// Date texts as stored and shown: "yyyy/mm/dd" and "yyyy/mm/dd hh:nn:ss".
QString funcDateText(const QDate& date);
QString funcDateTimeText(const QDateTime& dateTime);
QDate funcTextDate(const QString& text);
