#include "DataFileIO.h"

// Qt
#include "LocalTime.h"

#include <QFile>
#include <QSaveFile>

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

QString WriteDataFile(const QString& path, const KtFileBytes& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString DefaultDataFileName()
{
    const QString name = FormatLocalTime("VORLEND_%b_%d.kt", 260);
    return name.isEmpty() ? QStringLiteral("VORLEND.kt") : name;
}
