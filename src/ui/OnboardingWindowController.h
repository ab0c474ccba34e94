#pragma once

#include "OnboardingView.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QVBoxLayout;
class QWidget;

namespace lullwick {

class AppState;

// Owns the setup assistant's one window: made at the first show, then reused where the user
// left it, with a fresh pager at every show. Each close, by "Finish" or by the title bar,
// calls onClose once, on a later turn of the event loop.
class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    // pictures: the folder of the welcome picture.
    OnboardingWindowController(AppState& state, QString pictures, QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    // Opens the window, or brings it back, on startPage, in front of every other window and
    // with the keyboard focus.
    void show(SetupPage startPage);

    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }

    // The window once it was first shown, else null; kept after it is closed.
    QWidget* window() const { return m_window.get(); }
    // The pager of the last show, else null.
    OnboardingView* view() const { return m_view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWindow();
    // Once the window manager has framed the window, keeps the frame inside the screen.
    void fitIntoScreen();

    AppState& m_state;
    QString m_pictures;
    std::unique_ptr<QWidget> m_window; // a top-level window is ours to delete
    QVBoxLayout* m_layout = nullptr;
    QPointer<OnboardingView> m_view;
    std::function<void()> m_onClose;
    bool m_fitted = false;
};

} // namespace lullwick
