// The program's main window for tests with real X input: built and shown as the program does it
// (embedded skin, the user's locale, real message boxes and file dialogs, the ports of
// VORLEND_SERIAL_PORTS), plus a line protocol on stdin/stdout through which a test asks where
// things are on the screen and what the window shows. The input itself comes from the X server
// (xdotool), never from here. Not the single-instance rule: tests run side by side.
//
// Requests, one a line; every answer is one line, "error <why>" when the request cannot be met:
//   rect NAME          "x y w h" in screen pixels of the layout control NAME ("cboPF1", ...)
//   text NAME          the text the control shows (a combo's text, a label's or button's text)
//   cell ROW COL       "x y w h" of a grid cell (rows and columns from 0)
//   celltext ROW COL   the cell's text
//   popup              "x y w h" of the open pop-up window (a combo's list), or "none"
//   popupitem N        "x y w h" of row N of the open combo list, or "none"
//   popuptext N        the text of row N of the open combo list
//   focus              the object name and class of the focused widget, or "none"
//   modal              the title of the open modal window (a message box), or "none"
//   pixel X Y          the colour "#rrggbb" of one pixel of the screen
//   grab PATH [x y w h [zoom]]  saves the screen (or the part), pop-up windows included, as a
//                      PNG, enlarged zoom times for a closer look; "ok"
//   quit               ends the program

#include "app/LocalTime.h"
#include "app/MainDlg.h"
#include "app/Texts.h"
#include "controls/ChannelList.h"
#include "controls/ListChannelElement.h"
#include "resources/SkinResources.h"
#include "toolkit/ButtonUI.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>

// std
#include <cstdio>
#include <iostream>
#include <string>

// system
#include <unistd.h>

namespace {

QString RectText(const QRect& r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString ScreenRect(const QWidget* widget, const QRect& local)
{
    return RectText(QRect(widget->mapToGlobal(local.topLeft()), local.size()));
}

class CHost
{
public:
    explicit CHost(CMainDlg* window) : m_window(window) {}

    QString Answer(const QString& line)
    {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            return QStringLiteral("error empty request");
        const QString& verb = words[0];
        if (m_window == nullptr)
            return QStringLiteral("error no window");
        if (verb == QLatin1String("rect") && words.size() == 2) {
            QWidget* control = Find(words[1]);
            if (control == nullptr || !control->isVisible())
                return QStringLiteral("error no visible control ") + words[1];
            return ScreenRect(control, control->rect());
        }
        if (verb == QLatin1String("text") && words.size() == 2)
            return Text(Find(words[1]));
        if ((verb == QLatin1String("cell") || verb == QLatin1String("celltext")) &&
            words.size() == 3) {
            auto* grid = qobject_cast<CChannelList*>(Find(QStringLiteral("channelList")));
            const int row = words[1].toInt();
            const int column = words[2].toInt();
            if (grid == nullptr || grid->GetItemAt(row) == nullptr)
                return QStringLiteral("error no such row");
            if (verb == QLatin1String("celltext"))
                return grid->GetItemAt(row)->GetText(column);
            return ScreenRect(grid->GetBody(), grid->GetCellRect(row, column));
        }
        if (verb == QLatin1String("popup")) {
            const QWidget* popup = QApplication::activePopupWidget();
            return popup != nullptr ? ScreenRect(popup, popup->rect()) : QStringLiteral("none");
        }
        if (verb == QLatin1String("popupitem") && words.size() == 2)
            return PopupItem(words[1].toInt(), false);
        if (verb == QLatin1String("popuptext") && words.size() == 2)
            return PopupItem(words[1].toInt(), true);
        if (verb == QLatin1String("focus")) {
            const QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr)
                return QStringLiteral("none");
            return focus->objectName() + QLatin1Char(' ') +
                   QString::fromLatin1(focus->metaObject()->className());
        }
        if (verb == QLatin1String("modal")) {
            const QWidget* modal = QApplication::activeModalWidget();
            return modal != nullptr ? modal->windowTitle() : QStringLiteral("none");
        }
        if (verb == QLatin1String("pixel") && words.size() == 3) {
            QScreen* screen = QGuiApplication::primaryScreen();
            if (screen == nullptr)
                return QStringLiteral("error no screen");
            const QImage dot =
                screen->grabWindow(0, words[1].toInt(), words[2].toInt(), 1, 1).toImage();
            return dot.isNull() ? QStringLiteral("error no pixel")
                                : dot.pixelColor(0, 0).name(QColor::HexRgb);
        }
        if (verb == QLatin1String("grab") && (words.size() == 2 || words.size() >= 6)) {
            QScreen* screen = QGuiApplication::primaryScreen();
            if (screen == nullptr)
                return QStringLiteral("error no screen");
            QPixmap shot = words.size() == 2
                               ? screen->grabWindow(0)
                               : screen->grabWindow(0, words[2].toInt(), words[3].toInt(),
                                                    words[4].toInt(), words[5].toInt());
            if (words.size() == 7)
                shot = shot.scaled(shot.size() * std::clamp(words[6].toInt(), 1, 8));
            return shot.save(words[1]) ? QStringLiteral("ok")
                                       : QStringLiteral("error cannot save ") + words[1];
        }
        if (verb == QLatin1String("quit")) {
            QApplication::quit();
            return QStringLiteral("ok");
        }
        return QStringLiteral("error unknown request");
    }

private:
    QWidget* Find(const QString& name) const
    {
        return m_window->GetPaintManager()->FindControl(name);
    }

    static QString Text(const QWidget* control)
    {
        if (const auto* combo = qobject_cast<const DuiLib::CComboUI*>(control))
            return combo->GetText();
        if (const auto* label = qobject_cast<const DuiLib::CLabelUI*>(control))
            return label->GetText();
        return QStringLiteral("error no text");
    }

    static QString PopupItem(int row, bool text)
    {
        // The open list belongs to the combo whose view sits in the pop-up window.
        QWidget* popup = QApplication::activePopupWidget();
        const auto* view = popup != nullptr ? popup->findChild<QAbstractItemView*>() : nullptr;
        if (view == nullptr || view->model() == nullptr || row < 0 ||
            row >= view->model()->rowCount())
            return QStringLiteral("none");
        const QModelIndex index = view->model()->index(row, 0);
        if (text)
            return index.data().toString();
        const QRect item = view->visualRect(index);
        if (!view->viewport()->rect().intersects(item))
            return QStringLiteral("none");
        return ScreenRect(view->viewport(), item);
    }

    QPointer<CMainDlg> m_window;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorlend"));
    // The user's numbers and times, as the program takes them.
    AdoptUserLocale();

    vorlend::RegisterBuiltinResources();
    auto* window = new CMainDlg;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Create(QString::fromUtf8(Texts::kWindowTitle));
    window->CenterWindow();
    window->show();

    CHost host(window);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // The test went away: so does the program.
            input.setEnabled(false);
            QApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const QString line = QString::fromUtf8(pending.data(), static_cast<qsizetype>(end));
            pending.erase(0, end + 1);
            std::cout << host.Answer(line.trimmed()).toStdString() << std::endl;
        }
    });
    std::cout << "ready" << std::endl;
    return QApplication::exec();
}
