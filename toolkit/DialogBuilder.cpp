#include "DialogBuilder.h"

#include "ButtonUI.h"
#include "ComboUI.h"
#include "ContainerUI.h"
#include "LabelUI.h"
#include "PaintManager.h"

// Qt
#include <QFont>
#include <QXmlStreamReader>

namespace DuiLib {

namespace {

bool Is(const QString& a, const char* b)
{
    return EqualsNoCase(a, QLatin1String(b));
}

QSize ParseSize(const QString& text)
{
    const QMargins m = ParseMargins(text);
    return {m.left(), m.top()};
}

std::optional<LayoutElement> ReadElement(QXmlStreamReader& xml)
{
    LayoutElement element;
    element.className = xml.name().toString();
    for (const QXmlStreamAttribute& a : xml.attributes())
        element.attributes.append({a.name().toString(), a.value().toString()});
    while (xml.readNextStartElement()) {
        std::optional<LayoutElement> child = ReadElement(xml);
        if (!child)
            return std::nullopt;
        element.children.append(std::move(*child));
    }
    if (xml.hasError())
        return std::nullopt;
    return element;
}

} // namespace

std::optional<LayoutElement> CDialogBuilder::ParseXml(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    std::optional<LayoutElement> root;
    if (reader.readNextStartElement())
        root = ReadElement(reader);
    if (!root || reader.hasError()) {
        if (error != nullptr) {
            *error = reader.hasError() ? QStringLiteral("line %1: %2")
                                             .arg(reader.lineNumber())
                                             .arg(reader.errorString())
                                       : QStringLiteral("no element");
        }
        return std::nullopt;
    }
    return root;
}

AttributeList CDialogBuilder::ParseAttributeList(const QString& text)
{
    AttributeList list;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text[i].isSpace())
            ++i;
        const qsizetype nameStart = i;
        while (i < n && text[i] != QLatin1Char('=') && !text[i].isSpace())
            ++i;
        const QString name = text.mid(nameStart, i - nameStart);
        while (i < n && text[i].isSpace())
            ++i;
        if (name.isEmpty() || i >= n || text[i] != QLatin1Char('='))
            break;
        ++i;
        while (i < n && text[i].isSpace())
            ++i;
        if (i >= n || text[i] != QLatin1Char('"'))
            break;
        const qsizetype valueStart = ++i;
        while (i < n && text[i] != QLatin1Char('"'))
            ++i;
        if (i >= n)
            break; // an unterminated value is dropped
        list.append({name, text.mid(valueStart, i - valueStart)});
        ++i;
    }
    return list;
}

QWidget* CDialogBuilder::Create(const QByteArray& xml, CPaintManagerUI* manager, QWidget* parent,
                                IDialogBuilderCallback* callback)
{
    m_manager = manager;
    m_callback = callback;
    m_window = {};
    m_error.clear();

    const std::optional<LayoutElement> root = ParseXml(xml, &m_error);
    if (!root)
        return nullptr;
    if (!Is(root->className, "Window")) {
        m_error = QStringLiteral("the layout's root is <%1>, not <Window>").arg(root->className);
        return nullptr;
    }
    m_window.size = ParseSize(root->attribute(QStringLiteral("size")));
    m_window.minInfo = ParseSize(root->attribute(QStringLiteral("mininfo")));
    m_window.caption = ParseMargins(root->attribute(QStringLiteral("caption")));
    m_window.sizeBox = ParseMargins(root->attribute(QStringLiteral("sizebox")));

    // Fonts and defaults first: they apply to every control, wherever it stands.
    int nextFont = 0;
    for (const LayoutElement& e : root->children) {
        if (Is(e.className, "Font")) {
            QFont font(e.attribute(QStringLiteral("name"), QStringLiteral("Arial")));
            font.setPixelSize(
                std::max(1, e.attribute(QStringLiteral("size"), QStringLiteral("12")).toInt()));
            font.setBold(ParseBool(e.attribute(QStringLiteral("bold"))));
            font.setItalic(ParseBool(e.attribute(QStringLiteral("italic"))));
            font.setUnderline(ParseBool(e.attribute(QStringLiteral("underline"))));
            const QString id = e.attribute(QStringLiteral("id"));
            const int index = id.isEmpty() ? nextFont : id.toInt();
            nextFont = index + 1;
            manager->SetFont(index, font);
            if (ParseBool(e.attribute(QStringLiteral("default"))))
                manager->SetFont(-1, font);
        } else if (Is(e.className, "Default")) {
            const QString name = e.attribute(QStringLiteral("name"));
            if (!name.isEmpty())
                manager->SetDefaultAttributeList(
                    name, ParseAttributeList(e.attribute(QStringLiteral("value"))));
        }
    }
    QWidget* rootControl = nullptr;
    for (const LayoutElement& e : root->children) {
        if (Is(e.className, "Font") || Is(e.className, "Default"))
            continue;
        rootControl = Build(e, parent);
        if (rootControl != nullptr)
            break;
    }
    if (rootControl == nullptr)
        m_error = QStringLiteral("the layout holds no control");
    // The root's frame colour is the skin's accent.
    else if (const auto* frame = qobject_cast<const CControlUI*>(rootControl);
             frame != nullptr && frame->GetBorderColor().isValid() &&
             frame->GetBorderColor().alpha() != 0)
        manager->SetAccentColor(frame->GetBorderColor());
    return rootControl;
}

LayoutElement CDialogBuilder::WithDefaults(const LayoutElement& element) const
{
    LayoutElement merged;
    merged.className = element.className;
    if (const AttributeList* defaults = m_manager->GetDefaultAttributeList(element.className))
        merged.attributes = *defaults;
    merged.attributes.append(element.attributes);
    for (const LayoutElement& child : element.children)
        merged.children.append(WithDefaults(child));
    return merged;
}

QWidget* CDialogBuilder::Build(const LayoutElement& element, QWidget* parent)
{
    const QString& cls = element.className;
    QWidget* widget = nullptr;
    CContainerUI* container = nullptr;
    CComboUI* combo = nullptr;
    bool own = true;
    if (Is(cls, "VerticalLayout")) {
        widget = container = new CVerticalLayoutUI(parent);
    } else if (Is(cls, "HorizontalLayout")) {
        widget = container = new CHorizontalLayoutUI(parent);
    } else if (Is(cls, "Control")) {
        widget = new CControlUI(parent);
    } else if (Is(cls, "Label")) {
        widget = new CLabelUI(parent);
    } else if (Is(cls, "Button")) {
        widget = new CButtonUI(parent);
    } else if (Is(cls, "Combo")) {
        widget = combo = new CComboUI(parent);
    } else if (m_callback != nullptr) {
        widget = m_callback->CreateControl(cls, parent);
        own = false;
        if (widget != nullptr && widget->parentWidget() != parent)
            widget->setParent(parent);
    }
    if (widget == nullptr) {
        qWarning("layout: no control of class \"%s\"; element skipped", qPrintable(cls));
        return nullptr;
    }

    auto* control = dynamic_cast<IControlUI*>(widget);
    if (control != nullptr)
        m_manager->ApplyDefaultAttributes(control);
    for (const auto& [name, value] : element.attributes) {
        if (!own || control == nullptr)
            SetCommonAttribute(widget, name, value);
        if (control != nullptr)
            control->SetAttribute(name, value);
    }

    if (container != nullptr) {
        for (const LayoutElement& child : element.children) {
            if (QWidget* made = Build(child, container))
                container->Add(made);
        }
    } else if (combo != nullptr) {
        FillCombo(combo, element);
    } else if (control != nullptr) {
        for (const LayoutElement& child : element.children) {
            if (!control->AddLayoutChild(WithDefaults(child)))
                qWarning("layout: <%s> takes no <%s>; skipped", qPrintable(cls),
                         qPrintable(child.className));
        }
    }
    return widget;
}

void CDialogBuilder::FillCombo(CComboUI* combo, const LayoutElement& element)
{
    int selected = -1;
    for (const LayoutElement& child : element.children) {
        if (!Is(child.className, "ListLabelElement")) {
            qWarning("layout: a combo holds <ListLabelElement>s, not <%s>",
                     qPrintable(child.className));
            continue;
        }
        const LayoutElement item = WithDefaults(child);
        QString text;
        for (const auto& [name, value] : item.attributes) {
            if (EqualsNoCase(name, QStringLiteral("text")))
                text = value;
            else if (EqualsNoCase(name, QStringLiteral("height")))
                combo->SetItemHeight(value.toInt());
            else if (EqualsNoCase(name, QStringLiteral("selected")) && ParseBool(value))
                selected = combo->GetCount();
        }
        combo->AddItem(text);
    }
    if (selected >= 0)
        combo->SelectItem(selected);
}

} // namespace DuiLib
