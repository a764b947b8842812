#pragma once

#include "DialogBuilder.h"
#include "UIBase.h"

// Qt
#include <QByteArray>
#include <QString>

// std
#include <functional>

class QWidget;

namespace DuiLib {

class CPaintManagerUI;

// Where a window's skin comes from.
enum UILIB_RESOURCETYPE
{
    UILIB_FILE = 1,        // files in the skin folder on disk
    UILIB_ZIP = 2,         // a zip file on disk (GetZIPFileName)
    UILIB_RESOURCE = 3,    // not used on this platform; treated as UILIB_ZIPRESOURCE
    UILIB_ZIPRESOURCE = 4, // a zip archive among the built-in resources ("ZIPRES", id)
};

// Loads a window's skin: finds its files (a folder, a zip file or a built-in archive), makes
// them the paint manager's resources and builds the layout's control tree from them.
class CSkinLoader
{
public:
    // Shows what failed and ends the process; the default shows a message box and calls
    // std::exit(1). Tests put a handler that records and returns.
    using FailureHandler = std::function<void(const QString& text, const QString& caption)>;
    static void SetFailureHandler(FailureHandler handler);

    // The skin folder: a relative one is taken from the program's folder.
    [[nodiscard]] static QString SkinFolderPath(const QString& folder);
    // The bytes of a zip file in the skin folder (empty when unreadable).
    [[nodiscard]] static QByteArray ReadZipFile(const QString& folder, const QString& zipFile);
    // The built-in archive "ZIPRES" with the resource number given as text ("135").
    [[nodiscard]] static QByteArray BuiltinArchive(const QString& resourceId);

    // Makes the skin's files the manager's resources: the folder's files for UILIB_FILE, the
    // archive's entries otherwise. False, and nothing changes, when an archive is wanted but
    // `archive` is empty.
    static bool AttachResources(CPaintManagerUI* manager, UILIB_RESOURCETYPE kind,
                                const QString& folder, const QByteArray& archive);

    // Builds the layout file of the skin into `parent` and returns its root with the window's
    // settings in `info`. A layout that is missing or cannot be built ends the program through
    // the failure handler with "加载资源文件失败", caption "Duilib" (nullptr when the handler
    // returns).
    static QWidget* Build(CPaintManagerUI* manager, const QString& skinFile, QWidget* parent,
                          IDialogBuilderCallback* factory, WindowInfo& info);

private:
    static void Fail();
};

} // namespace DuiLib
