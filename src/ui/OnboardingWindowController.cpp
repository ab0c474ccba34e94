#include "OnboardingWindowController.h"

#include "OnboardingView.h"
#include "Placement.h"
#include "WindowActivation.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace lullwick {

OnboardingWindowController::OnboardingWindowController(AppState& state, QString pictures,
                                                       QObject* parent)
    : QObject(parent), m_state(state), m_pictures(std::move(pictures)) {}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::show(SetupPage startPage) {
    if (!m_window)
        createWindow();
    // Whatever page was on screen is dropped: every show starts afresh at its start page.
    delete m_view;
    m_view = new OnboardingView(m_state, startPage, m_pictures);
    connect(m_view, &OnboardingView::finishRequested, m_window.get(), &QWidget::close);
    m_layout->addWidget(m_view);
    m_window->show();
    bringToFront(*m_window);
}

void OnboardingWindowController::createWindow() {
    // The window manager's title bar stays: without it a Linux window can be neither moved
    // nor closed the usual way. It carries only a close button.
    m_window =
        std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_window->setObjectName(QStringLiteral("setupAssistant"));
    m_window->setWindowTitle(tr("Lullwick Setup"));
    m_layout = new QVBoxLayout(m_window.get());
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_window->setFixedSize(OnboardingView::fixedSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(), OnboardingView::fixedSize);
        frame.moveCenter(area.center());
        // Its frame is not known before the window manager has framed it: see fitIntoScreen.
        m_window->setFixedHeight(std::min(frame.height(), area.height()));
        m_window->move(placeInside(area, m_window->size(), frame.topLeft()));
    }
    m_window->installEventFilter(this);

    // A plain window has no default button: Return and Enter reach the forward button here.
    // Escape is left alone, so that a stray key never ends the setup.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), m_window.get());
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_view)
                m_view->forward();
        });
    }
}

void OnboardingWindowController::fitIntoScreen() {
    const QRect frame = m_window->frameGeometry();
    const QScreen* screen = m_window->screen();
    if (m_fitted || !screen || frame == m_window->geometry())
        return; // fitted already, or not framed yet
    m_fitted = true;
    // The title bar and the footer stay on a screen too short for the window, and the
    // title bar never goes above it: the window then moves or gives up height.
    const QRect area = screen->availableGeometry();
    // On a scaled screen the frame's edges come rounded to whole device-independent pixels:
    // one more for each of the top and the bottom edge keeps the rounding inside.
    const int rounding = qFuzzyCompare(screen->devicePixelRatio(), 1.0) ? 0 : 2;
    const int overflow = frame.height() + rounding - area.height();
    if (overflow > 0)
        m_window->setFixedHeight(m_window->height() - overflow);
    const QSize fitted(frame.width(), frame.height() + rounding - std::max(overflow, 0));
    const QPoint topLeft = placeInside(area, fitted, frame.topLeft());
    if (topLeft != frame.topLeft())
        m_window->move(topLeft);
}

bool OnboardingWindowController::eventFilter(QObject* watched, QEvent* event) {
    // The window manager frames the window after it first comes on screen and then moves it.
    if (watched == m_window.get() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Show))
        fitIntoScreen();
    if (watched == m_window.get() && event->type() == QEvent::Close && m_window->isVisible()) {
        // After the window has finished closing, not from inside its close.
        const QPointer<OnboardingWindowController> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self && self->m_onClose)
                    self->m_onClose();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lullwick
