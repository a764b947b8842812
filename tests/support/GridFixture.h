#pragma once

#include "toolkit/UIBase.h"

// Qt
#include <QList>
#include <QString>
#include <QWidget>

class CChannelList;
class CComboEditUI;
class CFreqEditUI;
namespace DuiLib {
class CComboUI;
class CPaintManagerUI;
} // namespace DuiLib

// Records every notification the window would see.
class CNotifyLog : public DuiLib::INotifyUI
{
public:
    void Notify(DuiLib::TNotifyUI& msg) override { messages.append(msg); }
    [[nodiscard]] int Count(const QString& type, const QWidget* sender = nullptr) const;
    void Clear() { messages.clear(); }

    QList<DuiLib::TNotifyUI> messages;
};

// A window as the program builds it, in small: a root with a paint manager, the skin's fonts,
// class defaults and stand-in images, and a grid with the eight header columns, 16 rows filled
// with the default texts and the seven column editors.
class CGridFixture
{
public:
    // gridHeight below the rows' total height makes the body scroll.
    explicit CGridFixture(int gridHeight = 401);
    ~CGridFixture();
    CGridFixture(const CGridFixture&) = delete;
    CGridFixture& operator=(const CGridFixture&) = delete;

    // Shows the window and waits until it is active, so that focus moves as it would.
    bool ShowActive();

    // The centre of a cell in body coordinates.
    [[nodiscard]] QPoint CellCentre(int row, int column) const;
    void ClickCell(int row, int column);
    [[nodiscard]] QString Cell(int row, int column) const;

    QWidget root;
    DuiLib::CPaintManagerUI* manager = nullptr;
    CChannelList* list = nullptr;
    CFreqEditUI* rxFreq = nullptr;
    CFreqEditUI* txFreq = nullptr;
    CComboEditUI* rxCode = nullptr;
    CComboEditUI* txCode = nullptr;
    DuiLib::CComboUI* power = nullptr;
    DuiLib::CComboUI* width = nullptr;
    DuiLib::CComboUI* scan = nullptr;
    CNotifyLog log;
};

// A click as the window delivers it: to the topmost widget under the point (given in base's
// coordinates), which gets the focus first if it takes focus by clicks.
void ClickAt(QWidget* base, QPoint point, Qt::MouseButton button = Qt::LeftButton);

// Stand-in images of the skin, drawn in code, served by file name.
[[nodiscard]] QByteArray TestSkinImage(const QString& fileName);
// Puts the skin's fonts, the class defaults and the image loader on a manager.
void SetUpTestSkin(DuiLib::CPaintManagerUI* manager);
