#pragma once

#include "UIBase.h"

// Qt
#include <QByteArray>
#include <QMargins>
#include <QSize>

// std
#include <optional>

namespace DuiLib {

class CPaintManagerUI;

// What the layout's <Window> element says about the window itself.
struct WindowInfo
{
    QSize size;       // initial size
    QSize minInfo;    // smallest size
    QMargins caption; // "0,0,0,35": the top 35 pixels are the title bar
    QMargins sizeBox; // width of the resize band at each edge
};

// Makes a window's control tree from a layout ("Skin.xml").
//
// Grammar: <Window size mininfo caption sizebox> holding <Font id name size bold italic
// underline default>, <Default name value> (value: attributes written name="value" ...,
// applied to every control of that class before its own attributes) and one root control.
// Controls: Control, Label, Button, Combo (with <ListLabelElement text height selected>
// items), VerticalLayout and HorizontalLayout (holding controls). Attribute names compare
// without regard to case.
//
// Any other element class is asked of the window's factory (IDialogBuilderCallback::
// CreateControl(className, parent)). For a control the factory made, in this order:
//  1. CPaintManagerUI::ApplyDefaultAttributes (the <Default> of its GetClass(), if any);
//  2. for each attribute of the element, in document order: the builder applies the common
//     attributes itself (name, width, height, min/max sizes, padding, visible, enabled,
//     tooltip: see SetCommonAttribute), then passes every attribute, common ones included, to
//     IControlUI::SetAttribute (unknown ones are to be ignored);
//  3. each nested element (such as <ListHeader> with its <ListHeaderItem>s) is given to
//     IControlUI::AddLayoutChild, with the <Default> attributes of its class, and of the
//     classes of its own nested elements, put before the element's own attributes: applying
//     the attributes in order gives the right values.
// The factory's widget is placed by the layout that holds the element. Elements of classes
// nobody makes are skipped.
class CDialogBuilder
{
public:
    // Builds the tree below parent; fonts and defaults go into the manager. Returns the root
    // control, or nullptr when the text is not a layout (GetError() says why).
    QWidget* Create(const QByteArray& xml, CPaintManagerUI* manager, QWidget* parent,
                    IDialogBuilderCallback* callback = nullptr);

    [[nodiscard]] const WindowInfo& GetWindowInfo() const { return m_window; }
    [[nodiscard]] QString GetError() const { return m_error; }

    // The element tree of an XML text; nothing when it is not well-formed.
    [[nodiscard]] static std::optional<LayoutElement> ParseXml(const QByteArray& xml,
                                                               QString* error = nullptr);
    // Attributes written as in the layout: name="value" name2="value2" ... (values may hold
    // single quotes, as image descriptions do).
    [[nodiscard]] static AttributeList ParseAttributeList(const QString& text);

private:
    QWidget* Build(const LayoutElement& element, QWidget* parent);
    void FillCombo(class CComboUI* combo, const LayoutElement& element);
    [[nodiscard]] LayoutElement WithDefaults(const LayoutElement& element) const;

    CPaintManagerUI* m_manager = nullptr;
    IDialogBuilderCallback* m_callback = nullptr;
    WindowInfo m_window;
    QString m_error;
};

} // namespace DuiLib
