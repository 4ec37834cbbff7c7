#include "FormsCommon.h"

#include "CommonBase.h"
#include "DaoCommon.h"
#include "ErrorLog.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QListWidget>

void Set_Combo(QComboBox* box, const QString& tableName)
{
    guarded(QStringLiteral("MainCommon.bas - Set_Combo"), [&] {
        const QString subject = tableName.mid(3);
        const QString nameColumn = subject + QStringLiteral("名");
        const QString idColumn = subject + QStringLiteral("ID");
        // In ID order in either engine (a server keeps rows in no order of their own).
        Recordset rs = gDatabase.openRecordset(QStringLiteral(" SELECT * FROM ") + tableName + QStringLiteral(" WHERE 削除フラグ = 0 ")
                                                   + QStringLiteral(" ORDER BY ") + idColumn,
                                               dbOpenDynaset, dbReadOnly);
        box->clear();
        box->addItem(QString(), 0);
        while (!rs.eof()) {
            // A row without a name still gets its entry, so its ID stays selectable.
            box->addItem(funcToString(rs.field(nameColumn)), funcToLong(rs.field(idColumn)));
            rs.moveNext();
        }
        rs.close();
        box->setCurrentIndex(-1);
    });
}

int funcCboIndex(const QComboBox* box, int itemData)
{
    if (!box)
        return -1;
    for (int i = 0; i < box->count(); ++i)
        if (funcToLong(box->itemData(i)) == itemData)
            return i;
    return -1;
}

int funcCboIndex(const QListWidget* list, int itemData)
{
    if (!list)
        return -1;
    for (int i = 0; i < list->count(); ++i)
        if (funcToLong(list->item(i)->data(Qt::UserRole)) == itemData)
            return i;
    return -1;
}

void subDatePicker(QDateEdit* picker)
{
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    // Room for the whole date beside the pop-up button, whatever the font.
    picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 48);
}

WaitCursor::WaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}
