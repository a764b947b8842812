#include "tests/support/TestWindow.h"

#include "toolkit/ControlUI.h"
#include "toolkit/PaintManager.h"
#include "toolkit/SkinStyle.h"

// Qt
#include <QPainter>
#include <QScrollBar>

namespace vorlend::test {

CGridPlaceholder::CGridPlaceholder(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DuiLib::ApplySkinScrollBars(this);
}

void CGridPlaceholder::SetAttribute(const QString& name, const QString& value)
{
    attributes.append({name, value});
    DuiLib::SetCommonAttribute(this, name, value);
}

bool CGridPlaceholder::AddLayoutChild(const DuiLib::LayoutElement& element)
{
    layoutChildren.append(element);
    return true;
}

void CGridPlaceholder::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    verticalScrollBar()->setRange(0, 100);
    verticalScrollBar()->setPageStep(240);
    horizontalScrollBar()->setRange(0, 60);
    horizontalScrollBar()->setPageStep(600);
}

void CGridPlaceholder::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    const DuiLib::CPaintManagerUI* manager = DuiLib::CPaintManagerUI::FromWidget(this);
    if (manager == nullptr || layoutChildren.isEmpty())
        return;
    const DuiLib::LayoutElement& header = layoutChildren.first();
    const QRect headerRect(0, 0, viewport()->width(), 24);
    manager->DrawImage(p, headerRect, header.attribute(QStringLiteral("bkimage")));
    p.setFont(manager->GetFont(0));
    int x = 0;
    for (const DuiLib::LayoutElement& item : header.children) {
        int w = item.attribute(QStringLiteral("width")).toInt();
        if (w == 0)
            w = item.attribute(QStringLiteral("minwidth")).toInt();
        const QRect cell(x, 0, w, 24);
        p.setPen(QColor(0x1E, 0x1E, 0x1E));
        p.drawText(cell, Qt::AlignCenter, item.attribute(QStringLiteral("text")));
        manager->DrawImage(p, QRect(cell.right() - 1, 2, 2, 20),
                           item.attribute(QStringLiteral("sepimage")));
        x += w;
    }
    p.setPen(DuiLib::ParseColor(QStringLiteral("#FFC6CFD8")));
    for (int y = 24 + 24; y < viewport()->height(); y += 24)
        p.drawLine(0, y - 1, viewport()->width(), y - 1);
}

CTestWindow::CTestWindow(const QByteArray& archive, bool makeGrid)
    : m_archive(archive), m_makeGrid(makeGrid)
{}

QByteArray CTestWindow::GetZIPFileResource() const
{
    return m_archive.isNull() ? DuiLib::WindowImplBase::GetZIPFileResource() : m_archive;
}

QWidget* CTestWindow::CreateControl(const QString& className, QWidget* parent)
{
    factoryRequests.append(className);
    if (m_makeGrid && className == QLatin1String("ChannelList")) {
        grid = new CGridPlaceholder(parent);
        return grid;
    }
    return nullptr;
}

void CTestWindow::Notify(DuiLib::TNotifyUI& msg)
{
    notifications.append({msg.sType, msg.sName});
    DuiLib::WindowImplBase::Notify(msg);
}

bool CTestWindow::OnKeyDown(int key)
{
    keys.append(key);
    return handleF11 && key == Qt::Key_F11;
}

qintptr CTestWindow::HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                         bool& handled)
{
    messages.append({msg, wParam});
    handled = true;
    return qintptr(wParam) + lParam;
}

} // namespace vorlend::test
