#include "resources/SkinResources.h"

#include "resources/resource.h"
#include "toolkit/ResourceTable.h"

// Qt
#include <QPixmap>

// std
#include <cstddef>

namespace vorlend {

namespace embedded {
extern const unsigned char kSkinArchive[];
extern const std::size_t kSkinArchiveSize;
extern const unsigned char kEmblem[];
extern const std::size_t kEmblemSize;
extern const unsigned char kIcon[];
extern const std::size_t kIconSize;
} // namespace embedded

namespace {

QByteArray Wrap(const unsigned char* data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace

QByteArray SkinArchive()
{
    return Wrap(embedded::kSkinArchive, embedded::kSkinArchiveSize);
}

QByteArray EmblemBitmap()
{
    return Wrap(embedded::kEmblem, embedded::kEmblemSize);
}

QByteArray WindowIconImage()
{
    return Wrap(embedded::kIcon, embedded::kIconSize);
}

QIcon WindowIcon()
{
    QPixmap pixmap;
    pixmap.loadFromData(WindowIconImage(), "PNG");
    return QIcon(pixmap);
}

void RegisterBuiltinResources()
{
    DuiLib::CResourceTable::Register(QStringLiteral("ZIPRES"), IDR_ZIPRES, SkinArchive());
    DuiLib::CResourceTable::Register(QStringLiteral("BITMAP"), IDB_EMBLEM, EmblemBitmap());
    DuiLib::CResourceTable::Register(QStringLiteral("ICON"), IDI_VORLEND, WindowIconImage());
}

} // namespace vorlend
