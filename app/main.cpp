// Entry point: one copy per user, the user's locale and decimal separator, the main window.

#include "LocalTime.h"
#include "MainDlg.h"
#include "SingleInstance.h"
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

    CSingleInstance instance(QString::fromLatin1(Texts::kInstanceKey),
                             QString::fromUtf8(Texts::kWindowTitle));
    if (!instance.TryBecomePrimary())
        return 0;

    AdoptUserLocale();

    vorlend::RegisterBuiltinResources();
    auto* window = new CMainDlg;
    window->setAttribute(Qt::WA_DeleteOnClose);
    instance.SetActivationHandler([window] {
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
    window->Create(QString::fromUtf8(Texts::kWindowTitle));
    window->CenterWindow();
    window->show();
    QApplication::exec();
    return 0;
}
