#include "StudentPhoto.h"

#include "CommonBase.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <stdexcept>

namespace {
void removeFile(const QString& path)
{
    if (QFile::exists(path) && !QFile::remove(path))
        throw std::runtime_error(QStringLiteral("ファイル %1 を削除できません").arg(path).toStdString());
}

void copyFile(const QString& from, const QString& to)
{
    removeFile(to);
    if (!QFile::copy(from, to))
        throw std::runtime_error(QStringLiteral("ファイル %1 を %2 にコピーできません").arg(from, to).toStdString());
}

// Written beside the target and renamed into place: a write that fails (a full
// disk) leaves the file that was there whole.
void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(QStringLiteral("ファイル %1 に書き込めません").arg(path).toStdString());
}
} // namespace

QString funcPicturePath(int studentNo)
{
    return funcAppPath() + QStringLiteral("Picture/") + QString::number(studentNo) + QStringLiteral(".jpg");
}

QString funcPictureBackupPath(int studentNo)
{
    return funcAppPath() + QStringLiteral("Picture/") + QString::number(studentNo) + QStringLiteral("_BK.jpg");
}

void StudentPhoto::open(Syori mode, int studentNo, int sourceNo)
{
    m_mode = mode;
    m_no = studentNo;
    const QString picture = funcPicturePath(m_no);
    const QString backup = funcPictureBackupPath(m_no);
    if (m_mode == Syori::Edit) {
        // A backup outlives its opening only when the program ended with the
        // window open: the photograph beside it was never saved, the backup is
        // the student's own. It goes back in place; it is never deleted.
        if (QFile::exists(backup)) {
            removeFile(picture);
            if (!QFile::rename(backup, picture))
                throw std::runtime_error("cannot restore the photograph backup");
        }
        return;
    }
    // The new number belongs to no student yet: files under it are left from
    // students removed from the register and must not become this student's.
    removeFile(picture);
    removeFile(backup);
    if (m_mode == Syori::Copy && QFile::exists(funcPicturePath(sourceNo))) {
        copyFile(funcPicturePath(sourceNo), picture);
        m_created = true;
    }
}

void StudentPhoto::import(const QByteArray& bytes)
{
    const QString folder = funcAppPath() + QStringLiteral("Picture");
    if (!funcFolderExists(folder) && !QDir().mkpath(folder))
        throw std::runtime_error("cannot create the picture folder");
    const QString picture = funcPicturePath(m_no);
    // The backup keeps the photograph as it was before the first import.
    if (QFile::exists(picture) && !m_imported)
        copyFile(picture, funcPictureBackupPath(m_no));
    writeFile(picture, bytes);
    m_imported = true;
    m_created = true;
    m_removed = false;
}

void StudentPhoto::save()
{
    if (m_removed)
        removeFile(funcPicturePath(m_no));
    removeFile(funcPictureBackupPath(m_no));
}

void StudentPhoto::cancel()
{
    const QString picture = funcPicturePath(m_no);
    const QString backup = funcPictureBackupPath(m_no);
    if (m_mode != Syori::Edit) {
        // A student that was never saved keeps no photograph under its number.
        removeFile(picture);
        removeFile(backup);
        return;
    }
    if (m_created) {
        removeFile(picture);
        if (QFile::exists(backup))
            copyFile(backup, picture);
    }
    removeFile(backup);
}
