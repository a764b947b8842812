#include "WindowImplBase.h"

#include "ButtonUI.h"
#include "ContainerUI.h"
#include "PaintManager.h"
#include "ResourceTable.h"
#include "ZipArchive.h"

// Qt
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

// std
#include <cstdlib>

namespace DuiLib {

namespace {

WindowImplBase::FailureHandler& FailureHandlerSlot()
{
    static WindowImplBase::FailureHandler handler;
    return handler;
}

} // namespace

void WindowImplBase::SetLayoutFailureHandler(FailureHandler handler)
{
    FailureHandlerSlot() = std::move(handler);
}

WindowImplBase::WindowImplBase(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_pm(new CPaintManagerUI(this)),
      m_calls(this)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    qApp->installEventFilter(this);
    m_basePump.AddNotifyEntry(QStringLiteral("click"), {},
                              [this](TNotifyUI& msg) { OnClick(msg); });
}

WindowImplBase::~WindowImplBase()
{
    qApp->removeEventFilter(this);
    m_pm->RemoveNotifier(this);
}

bool WindowImplBase::Create(const QString& title)
{
    setWindowTitle(title);
    setProperty("windowClassName", GetWindowClassName());

    const QByteArray archiveBytes = LoadSkinArchive();
    const UILIB_RESOURCETYPE kind = GetResourceType();
    if (kind != UILIB_FILE && archiveBytes.isEmpty())
        return false; // no skin at all: a bare window, as the program was given nothing to show

    if (kind == UILIB_FILE) {
        QString folder = GetSkinFolder();
        if (QDir::isRelativePath(folder))
            folder = QDir(QCoreApplication::applicationDirPath()).filePath(folder);
        m_pm->SetResourceLoader([folder](const QString& name) {
            QFile file(QDir(folder).filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        });
    } else {
        const auto archive = std::make_shared<CZipArchive>(archiveBytes);
        m_pm->SetResourceLoader(
            [archive](const QString& name) { return archive->Read(name).value_or(QByteArray()); });
    }

    const QByteArray xml = m_pm->LoadResource(GetSkinFile());
    CDialogBuilder builder;
    QWidget* root = xml.isEmpty() ? nullptr : builder.Create(xml, m_pm, this, this);
    if (root == nullptr) {
        qWarning(
            "skin: cannot build \"%s\": %s", qPrintable(GetSkinFile()),
            qPrintable(xml.isEmpty() ? QStringLiteral("missing or damaged") : builder.GetError()));
        Fail();
        return false;
    }
    m_info = builder.GetWindowInfo();
    m_root = dynamic_cast<CControlUI*>(root);
    auto* frame = new CBoxLayoutUI(Qt::Vertical, this);
    frame->addWidget(root);

    if (!m_info.minInfo.isEmpty())
        setMinimumSize(m_info.minInfo);
    if (!m_info.size.isEmpty())
        resize(m_info.size.expandedTo(minimumSize()));
    UpdateCaptionButtons();
    // The window itself holds the focus at first, as no control of the layout has it: keys go
    // to OnKeyDown and no combo reacts to them.
    setFocus(Qt::OtherFocusReason);
    m_pm->AddNotifier(this);
    InitWindow();
    return true;
}

void WindowImplBase::Fail()
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

QByteArray WindowImplBase::LoadSkinArchive() const
{
    switch (GetResourceType()) {
    case UILIB_FILE:
        return {};
    case UILIB_ZIP: {
        QString folder = GetSkinFolder();
        if (QDir::isRelativePath(folder))
            folder = QDir(QCoreApplication::applicationDirPath()).filePath(folder);
        QFile file(QDir(folder).filePath(GetZIPFileName()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    case UILIB_RESOURCE:
    case UILIB_ZIPRESOURCE:
        break;
    }
    return GetZIPFileResource();
}

QByteArray WindowImplBase::GetZIPFileResource() const
{
    bool ok = false;
    const int id = GetResourceID().toInt(&ok);
    return ok ? CResourceTable::Find(QStringLiteral("ZIPRES"), id) : QByteArray();
}

void WindowImplBase::CenterWindow()
{
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr)
        return;
    const QRect area = where->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

void WindowImplBase::Close(int result)
{
    m_closeResult = result;
    close();
}

QWidget* WindowImplBase::FindControlWidget(const QString& name) const
{
    return m_pm->FindControl(name);
}

void WindowImplBase::PostMessage(unsigned msg, quintptr wParam, qintptr lParam)
{
    m_calls.Post([this, msg, wParam, lParam] { Dispatch(msg, wParam, lParam); });
}

qintptr WindowImplBase::SendMessage(unsigned msg, quintptr wParam, qintptr lParam)
{
    qintptr result = 0;
    m_calls.Send([&] { result = Dispatch(msg, wParam, lParam); });
    return result;
}

qintptr WindowImplBase::Dispatch(unsigned msg, quintptr wParam, qintptr lParam)
{
    bool handled = false;
    return HandleCustomMessage(msg, wParam, lParam, handled);
}

void WindowImplBase::SetTimer(unsigned id, int milliseconds)
{
    m_timers.Set(this, id, milliseconds);
}

void WindowImplBase::KillTimer(unsigned id)
{
    m_timers.Kill(this, id);
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    if (!NotifyPump(msg))
        m_basePump.NotifyPump(msg);
}

QWidget* WindowImplBase::CreateControl(const QString& className, QWidget* parent)
{
    (void)className;
    (void)parent;
    return nullptr;
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    if (msg.sName == QLatin1String("closebtn"))
        Close(1);
    else if (msg.sName == QLatin1String("minbtn"))
        showMinimized();
    else if (msg.sName == QLatin1String("maxbtn"))
        showMaximized();
    else if (msg.sName == QLatin1String("restorebtn"))
        showNormal();
}

bool WindowImplBase::OnKeyDown(int key)
{
    (void)key;
    return false;
}

void WindowImplBase::OnNcActivate(bool active)
{
    (void)active;
}

qintptr WindowImplBase::HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                            bool& handled)
{
    (void)msg;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

void WindowImplBase::timerEvent(QTimerEvent* event)
{
    if (const auto id = m_timers.IdOf(event->timerId()))
        Dispatch(UIMSG_TIMER, *id, 0);
    else
        QWidget::timerEvent(event);
}

void WindowImplBase::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        UpdateCaptionButtons();
    else if (event->type() == QEvent::ActivationChange)
        OnNcActivate(isActiveWindow());
    QWidget::changeEvent(event);
}

void WindowImplBase::closeEvent(QCloseEvent* event)
{
    event->accept();
    OnFinalMessage();
}

void WindowImplBase::UpdateCaptionButtons()
{
    const bool maximised = isMaximized();
    if (QWidget* max = FindControlWidget(QStringLiteral("maxbtn")))
        max->setVisible(!maximised);
    if (QWidget* restore = FindControlWidget(QStringLiteral("restorebtn")))
        restore->setVisible(maximised);
}

Qt::Edges WindowImplBase::SizeBoxEdges(const QPoint& pos) const
{
    Qt::Edges edges;
    if (isMaximized() || isFullScreen())
        return edges;
    const QMargins& box = m_info.sizeBox;
    if (pos.x() < box.left())
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - box.right())
        edges |= Qt::RightEdge;
    if (pos.y() < box.top())
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - box.bottom())
        edges |= Qt::BottomEdge;
    return edges;
}

bool WindowImplBase::IsCaptionPoint(const QPoint& pos, QWidget* target) const
{
    const QMargins& c = m_info.caption;
    const bool inCaption = pos.y() < c.bottom() && pos.y() >= 0 && pos.x() >= c.left() &&
                           pos.x() < width() - c.right();
    if (!inCaption)
        return false;
    // Buttons, combos and foreign controls keep their clicks; plain controls, labels and
    // layouts are part of the title bar.
    for (QWidget* w = target; w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<CButtonUI*>(w) != nullptr || qobject_cast<CControlUI*>(w) == nullptr)
            return false;
    }
    return true;
}

bool WindowImplBase::eventFilter(QObject* watched, QEvent* event)
{
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != this)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Delivered to the focus widget first, then to its parents: look at it once.
        QWidget* focus = QApplication::focusWidget();
        if (target == focus || (focus == nullptr && target == this)) {
            if (OnKeyDown(static_cast<QKeyEvent*>(event)->key()))
                return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (FilterMouse(target, event))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool WindowImplBase::FilterMouse(QWidget* target, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    const QPoint pos = mapFromGlobal(global);

    if (m_dragMove || m_dragEdges) {
        if (event->type() == QEvent::MouseButtonRelease) {
            m_dragMove = false;
            m_dragEdges = {};
            return true;
        }
        if (event->type() != QEvent::MouseMove)
            return true;
        const QPoint delta = global - m_dragStart;
        QRect g = m_dragGeometry;
        if (m_dragMove) {
            move(g.topLeft() + delta);
            return true;
        }
        const QSize least = minimumSize();
        if (m_dragEdges & Qt::LeftEdge)
            g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - least.width()));
        if (m_dragEdges & Qt::RightEdge)
            g.setRight(std::max(g.right() + delta.x(), g.left() - 1 + least.width()));
        if (m_dragEdges & Qt::TopEdge)
            g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - least.height()));
        if (m_dragEdges & Qt::BottomEdge)
            g.setBottom(std::max(g.bottom() + delta.y(), g.top() - 1 + least.height()));
        setGeometry(g);
        return true;
    }

    const Qt::Edges edges = SizeBoxEdges(pos);
    if (event->type() == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        if (shape == Qt::ArrowCursor)
            unsetCursor();
        else
            setCursor(shape);
        return false;
    }
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (edges || !IsCaptionPoint(pos, target))
            return false;
        if (isMaximized())
            showNormal();
        else
            showMaximized();
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    if (edges) {
        QWindow* handle = windowHandle();
        if (handle == nullptr || !handle->startSystemResize(edges)) {
            m_dragEdges = edges;
            m_dragStart = global;
            m_dragGeometry = geometry();
        }
        return true;
    }
    if (IsCaptionPoint(pos, target)) {
        QWindow* handle = windowHandle();
        if (handle == nullptr || !handle->startSystemMove()) {
            m_dragMove = true;
            m_dragStart = global;
            m_dragGeometry = geometry();
        }
        return true;
    }
    return false;
}

} // namespace DuiLib
