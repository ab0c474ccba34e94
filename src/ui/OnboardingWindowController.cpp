#include "OnboardingWindowController.h"

#include "OnboardingView.h"
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

void OnboardingWindowController::show(int startPage) {
    const int page = std::clamp(startPage, 0, OnboardingView::pageCount - 1);
    if (!m_window)
        createWindow();
    // Whatever page was on screen is dropped: every show starts afresh at its start page.
    delete m_view;
    m_view = new OnboardingView(m_state, page, m_pictures);
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
        QRect frame(QPoint(), OnboardingView::fixedSize);
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
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

bool OnboardingWindowController::eventFilter(QObject* watched, QEvent* event) {
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
