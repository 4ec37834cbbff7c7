// Reading a written workbook back the way a user's application would see it:
// the cells through liborcus, the package parts (charts, page setup) from the
// zip container itself.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class XlsxFile {
public:
    explicit XlsxFile(const QString& path);
    ~XlsxFile();

    QStringList sheetNames() const;
    // 1-based; "" for an empty cell, numbers in their shortest form.
    QString text(const QString& sheet, int row, int col) const;
    bool isNumber(const QString& sheet, int row, int col) const;
    // The merged range whose top-left cell this is, as "A1:D1"; "" when none.
    QString mergeFrom(const QString& sheet, int row, int col) const;

    QStringList parts() const;                    // names inside the zip
    QByteArray part(const QString& name) const;   // "" when absent

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
