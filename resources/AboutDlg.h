#pragma once

// Qt
#include <QDialog>

class QLabel;
class QPushButton;

namespace vorlend {

// The about box (dialog 136): the emblem, two lines of text and the "закрыть" button. It ends
// with 1 (IDOK) from the button or Enter, with 2 (IDCANCEL) from Escape or the close box.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    // Sizes of the template in dialog units at the 9-point dialog font.
    static constexpr QSize kTemplateSize{232, 80};
    static constexpr QRect kEmblemRect{16, 6, 40, 40};
    static constexpr QRect kLine1Rect{67, 13, 157, 8};
    static constexpr QRect kLine2Rect{67, 27, 137, 8};
    static constexpr QRect kButtonRect{155, 55, 53, 14};

    explicit CAboutDlg(QWidget* owner = nullptr);

    // Runs the box modally; returns 1 or 2.
    int DoModal();

    [[nodiscard]] QPushButton* GetCloseButton() const { return m_close; }

public Q_SLOTS:
    void reject() override;

private:
    QLabel* m_emblem;
    QPushButton* m_close;
};

} // namespace vorlend
