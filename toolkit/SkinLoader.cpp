#include "SkinLoader.h"

#include "PaintManager.h"
#include "ResourceTable.h"
#include "ZipArchive.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>

// std
#include <cstdlib>
#include <memory>

namespace DuiLib {

namespace {

CSkinLoader::FailureHandler& FailureHandlerSlot()
{
    static CSkinLoader::FailureHandler handler;
    return handler;
}

} // namespace

void CSkinLoader::SetFailureHandler(FailureHandler handler)
{
    FailureHandlerSlot() = std::move(handler);
}

QString CSkinLoader::SkinFolderPath(const QString& folder)
{
    if (QDir::isRelativePath(folder))
        return QDir(QCoreApplication::applicationDirPath()).filePath(folder);
    return folder;
}

QByteArray CSkinLoader::ReadZipFile(const QString& folder, const QString& zipFile)
{
    QFile file(QDir(SkinFolderPath(folder)).filePath(zipFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray CSkinLoader::BuiltinArchive(const QString& resourceId)
{
    bool ok = false;
    const int id = resourceId.toInt(&ok);
    return ok ? CResourceTable::Find(QStringLiteral("ZIPRES"), id) : QByteArray();
}

bool CSkinLoader::AttachResources(CPaintManagerUI* manager, UILIB_RESOURCETYPE kind,
                                  const QString& folder, const QByteArray& archive)
{
    if (kind == UILIB_FILE) {
        const QString path = SkinFolderPath(folder);
        manager->SetResourceLoader([path](const QString& name) {
            QFile file(QDir(path).filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        });
        return true;
    }
    if (archive.isEmpty())
        return false;
    const auto zip = std::make_shared<CZipArchive>(archive);
    manager->SetResourceLoader(
        [zip](const QString& name) { return zip->Read(name).value_or(QByteArray()); });
    return true;
}

QWidget* CSkinLoader::Build(CPaintManagerUI* manager, const QString& skinFile, QWidget* parent,
                            IDialogBuilderCallback* factory, WindowInfo& info)
{
    const QByteArray xml = manager->LoadResource(skinFile);
    CDialogBuilder builder;
    QWidget* root = xml.isEmpty() ? nullptr : builder.Create(xml, manager, parent, factory);
    if (root == nullptr) {
        qWarning(
            "skin: cannot build \"%s\": %s", qPrintable(skinFile),
            qPrintable(xml.isEmpty() ? QStringLiteral("missing or damaged") : builder.GetError()));
        Fail();
        return nullptr;
    }
    info = builder.GetWindowInfo();
    return root;
}

void CSkinLoader::Fail()
{
    const QString text = QStringLiteral("加载资源文件失败");
    const QString caption = QStringLiteral("Duilib");
    if (const FailureHandler& handler = FailureHandlerSlot()) {
        handler(text, caption);
        return;
    }
    QMessageBox::critical(nullptr, caption, text);
    std::exit(1);
}

} // namespace DuiLib
