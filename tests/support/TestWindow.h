#pragma once

#include "toolkit/WindowImplBase.h"

// Qt
#include <QAbstractScrollArea>
#include <QList>
#include <QPair>
#include <QStringList>

namespace vorlend::test {

// Stands in for the channel grid: keeps what the builder gave it, paints the header items it
// was given and empty rows, with the skin's scroll bars.
class CGridPlaceholder : public QAbstractScrollArea, public DuiLib::IControlUI
{
public:
    explicit CGridPlaceholder(QWidget* parent);

    [[nodiscard]] QString GetClass() const override { return QStringLiteral("ChannelList"); }
    void SetAttribute(const QString& name, const QString& value) override;
    bool AddLayoutChild(const DuiLib::LayoutElement& element) override;

    DuiLib::AttributeList attributes;
    QList<DuiLib::LayoutElement> layoutChildren;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// A window on the built-in skin that records what the base tells it.
class CTestWindow : public DuiLib::WindowImplBase
{
public:
    // An archive to load instead of the built-in one (a null array: the built-in one).
    explicit CTestWindow(const QByteArray& archive = QByteArray(), bool makeGrid = true);

    QStringList factoryRequests;
    CGridPlaceholder* grid = nullptr;
    int initCount = 0;
    QList<QPair<QString, QString>> notifications; // type, sender name
    QList<int> keys;
    QList<bool> activations;
    QList<QPair<unsigned, quintptr>> messages;
    bool handleF11 = true;
    int finalCount = 0;

    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

protected:
    [[nodiscard]] QString GetWindowClassName() const override { return QStringLiteral("CTest"); }
    [[nodiscard]] QString GetSkinFolder() const override { return {}; }
    [[nodiscard]] QString GetSkinFile() const override { return QStringLiteral("Skin.xml"); }
    [[nodiscard]] DuiLib::UILIB_RESOURCETYPE GetResourceType() const override
    {
        return DuiLib::UILIB_ZIPRESOURCE;
    }
    [[nodiscard]] QString GetResourceID() const override { return QStringLiteral("135"); }
    [[nodiscard]] QByteArray GetZIPFileResource() const override;
    void InitWindow() override { ++initCount; }
    void OnFinalMessage() override { ++finalCount; }
    bool OnKeyDown(int key) override;
    void OnNcActivate(bool active) override { activations.append(active); }
    qintptr HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                bool& handled) override;

private:
    QByteArray m_archive;
    bool m_makeGrid;
};

} // namespace vorlend::test
