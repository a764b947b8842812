#include "DataFileIO.h"

#include "LocalTime.h"
#include "Texts.h"

// Qt
#include <QFile>
#include <QSaveFile>

// std
#include <cerrno>
#include <cstring>

// system
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The file's bytes on the disk before it replaces the old one, so a power cut cannot leave
// an empty file in its place. Returns why that failed, or nothing.
QString SyncToDisk(QFileDevice& file)
{
    const int fd = file.handle();
    if (fd < 0)
        return {}; // nothing the C runtime can sync; the commit still checks what it can
#ifdef _WIN32
    const bool synced = _commit(fd) == 0;
#else
    const bool synced = ::fsync(fd) == 0;
#endif
    return synced ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

DataFileRead ReadDataFile(const QString& path)
{
    DataFileRead result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray data = file.read(kKtFileSize);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    switch (DecodeKtFile({bytes, static_cast<std::size_t>(data.size())}, result.image)) {
    case KtDecodeStatus::Ok:
        result.status = DataFileRead::Status::Ok;
        break;
    case KtDecodeStatus::WrongIdentification:
        result.status = DataFileRead::Status::WrongIdentification;
        break;
    case KtDecodeStatus::WrongChecksum:
        result.status = DataFileRead::Status::WrongChecksum;
        break;
    }
    return result;
}

QString WriteFileSafely(const QString& path, const char* data, qint64 size)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // commit() replaces the target even when its own final flush fails (a full disk leaves a
    // truncated file), so the bytes are flushed and synced here, where a failure is seen.
    if (file.write(data, size) != size || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (const QString error = SyncToDisk(file); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

WholeFileRead ReadWholeFile(const QString& path, qint64 maxSize)
{
    WholeFileRead result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    result.bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError)
        result.error = file.errorString();
    else if (result.bytes.size() > maxSize)
        result.error = QString::fromUtf8(Texts::kFileTooLarge);
    return result;
}

QString DefaultDataFileName()
{
    const QString name = FormatLocalTime("VORLEND_%b_%d.kt", 260);
    return name.isEmpty() ? QStringLiteral("VORLEND.kt") : name;
}
