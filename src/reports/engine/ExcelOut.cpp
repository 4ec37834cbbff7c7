#include "ExcelOut.h"

#include <QProgressDialog>

ReportProgress::ReportProgress(const QString&, int total) : m_total(total) {}
ReportProgress::~ReportProgress() = default;
void ReportProgress::setValue(int) {}

ExcelOut::ExcelOut() = default;
ExcelOut::~ExcelOut() = default;
bool ExcelOut::funcPrintStart() { return false; }
void ExcelOut::subPrintEnd() {}
void ExcelOut::subShtChg(int, const QString&) {}
void ExcelOut::subPgBreak(int) {}
void ExcelOut::subPgDelete() {}
