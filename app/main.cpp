// Entry point: one copy per user, the user's locale and decimal separator, the main window.

#include "MainDlg.h"
#ifdef _WIN32
#include "SingleInstanceWin32.h"
#else
#include "SingleInstance.h"
#endif
#include "LocalTime.h"
#include "Texts.h"
#include "resources/SkinResources.h"

// Qt
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlend"));
    // No display name: Qt would append it to every caption, message boxes included.
    QGuiApplication::setDesktopFileName(QStringLiteral("vorlend"));

    // Qt's own dialogs (file dialogs, their overwrite question) in the user's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

#ifdef _WIN32
    if (!ClaimSingleInstance())
        return 0;
#else
    CSingleInstance instance(QString::fromLatin1(Texts::kInstanceKey));
    if (!instance.TryBecomePrimary())
        return 0;
#endif

    AdoptUserLocale();

    vorlend::RegisterBuiltinResources();
    auto* window = new CMainDlg;
    window->setAttribute(Qt::WA_DeleteOnClose);
#ifndef _WIN32
    instance.SetActivationHandler([window] {
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
#endif
    window->Create(QString::fromUtf8(Texts::kWindowTitle));
    window->CenterWindow();
    window->show();
    QApplication::exec();
    return 0;
}
