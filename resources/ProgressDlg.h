#pragma once

#include "toolkit/TimerTable.h"
#include "toolkit/UiThreadCall.h"

// Qt
#include <QDialog>

// std
#include <functional>

class QProgressBar;

namespace vorlend {

// The modal progress dialog of the radio operations (dialog 129): a caption set by the caller
// and a progress bar (control 1000) filling the dialog. The user cannot close it: it has no
// close box, and Escape and Alt+F4 do nothing; only EndDialog ends it.
//
// The bar operations and EndDialog may be called from any thread: from another thread they
// are queued to the dialog's thread and run in order. Everything else is for the dialog's
// thread.
class CProgressDlg : public QDialog
{
    Q_OBJECT

public:
    // Sizes of the template in dialog units at the 8-point dialog font.
    static constexpr QSize kTemplateSize{273, 41};
    static constexpr QRect kBarRect{7, 7, 259, 27};

    explicit CProgressDlg(QWidget* owner = nullptr);
    ~CProgressDlg() override;

    void SetTitle(const QString& title);

    void SetRange(int minimum, int maximum);
    void SetPos(int position);
    // The amount StepIt adds (1 unless set).
    void SetStep(int step);
    void StepIt();
    [[nodiscard]] int GetPos() const;
    [[nodiscard]] QProgressBar* GetProgressBar() const { return m_bar; }

    // Runs the dialog modally; returns the result given to EndDialog.
    int DoModal();
    // Ends the modal run with the result.
    void EndDialog(int result);

    // A repeating timer that calls OnTimer(id) (and the timer handler) until killed or the
    // dialog ends.
    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);

    // Called once when the dialog is shown, before the user sees it.
    void SetInitHandler(std::function<void()> handler) { m_onInit = std::move(handler); }
    void SetTimerHandler(std::function<void(unsigned id)> handler)
    {
        m_onTimer = std::move(handler);
    }

protected:
    virtual void OnInitDialog();
    virtual void OnTimer(unsigned id);

    void reject() override;
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QProgressBar* m_bar;
    int m_step = 1;
    bool m_initialised = false;
    bool m_ending = false;
    DuiLib::CTimerTable m_timers;
    CUiThreadCall m_calls; // the bar operations and EndDialog from other threads
    std::function<void()> m_onInit;
    std::function<void(unsigned)> m_onTimer;
};

} // namespace vorlend
