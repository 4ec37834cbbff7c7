// The photograph of the student open in the student detail. Changes take effect
// only when the student is saved; a cancel puts the files back as they were.
// While a student is being edited, a backup beside the photograph keeps it as it
// was before the first import.
#pragma once

#include "Syori.h"

#include <QByteArray>
#include <QString>

QString funcPicturePath(int studentNo);
QString funcPictureBackupPath(int studentNo);

class StudentPhoto {
public:
    // The opening of a student under studentNo (for a copy, of sourceNo's fields):
    // a backup left by a program that ended with the window open goes back in
    // place; a new number's leftover files go, and a copy gets the source's photograph.
    void open(Syori mode, int studentNo, int sourceNo);
    // Stores the picture as the student's photograph (backing up the one there first).
    void import(const QByteArray& bytes);
    // The user removed the photograph: its file goes when the student is saved.
    void markRemoved() { m_removed = true; }
    bool imported() const { return m_imported; }
    bool removed() const { return m_removed; }
    // The student was saved: a removed photograph goes, the backup too.
    void save();
    // The student was not saved: the files as they were at the opening.
    void cancel();

private:
    Syori m_mode = Syori::Add;
    int m_no = 0;
    bool m_created = false;    // this opening made the photograph file (copy or import)
    bool m_removed = false;
    bool m_imported = false;   // an import happened in this opening: the backup is taken
};
