#pragma once

// Qt
#include <QByteArray>
#include <QString>

namespace DuiLib {

// The program's built-in resources by type and number ("ZIPRES" 135, "BITMAP" 138, ...), the
// stand-in for resources linked into a Windows executable. The program registers its embedded
// data once at start-up, before it creates windows; the bytes must outlive every reader.
class CResourceTable
{
public:
    static void Register(const QString& type, int id, const QByteArray& bytes);
    // Empty when nothing is registered under the type (compared without regard to case) and id.
    [[nodiscard]] static QByteArray Find(const QString& type, int id);
    static void Clear();
};

} // namespace DuiLib
