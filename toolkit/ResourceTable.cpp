#include "ResourceTable.h"

// Qt
#include <QHash>
#include <QMutex>

namespace DuiLib {

namespace {

// Guards the table: registration normally happens once, but readers may run on any thread.
QMutex& TableLock()
{
    static QMutex lock;
    return lock;
}

QHash<QString, QByteArray>& Table()
{
    static QHash<QString, QByteArray> table;
    return table;
}

QString Key(const QString& type, int id)
{
    return type.toUpper() + QLatin1Char('#') + QString::number(id);
}

} // namespace

void CResourceTable::Register(const QString& type, int id, const QByteArray& bytes)
{
    const QMutexLocker locker(&TableLock());
    Table().insert(Key(type, id), bytes);
}

QByteArray CResourceTable::Find(const QString& type, int id)
{
    const QMutexLocker locker(&TableLock());
    return Table().value(Key(type, id));
}

void CResourceTable::Clear()
{
    const QMutexLocker locker(&TableLock());
    Table().clear();
}

} // namespace DuiLib
