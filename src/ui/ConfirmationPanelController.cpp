#include "ConfirmationPanelController.h"

#include "ConfirmationView.h"
#include "FloatingPanel.h"
#include "Placement.h"
#include "ScreenChoice.h"
#include "app/Timers.h"

#include <QPointer>

namespace lullwick {

ConfirmationPanelController::ConfirmationPanelController(MascotPictures& pictures, Timers& timers,
                                                         QObject* parent)
    : QObject(parent), m_pictures(pictures), m_timers(timers) {}

ConfirmationPanelController::~ConfirmationPanelController() = default;

void ConfirmationPanelController::show(bool videoPlaying, std::function<void()> onSleep,
                                       std::function<void()> onCancel) {
    close();
    // The card is gone before the caller's action runs, even if we are gone too by then.
    const QPointer<ConfirmationPanelController> self(this);
    auto wrap = [self](std::function<void()> action) {
        return [self, action = std::move(action)] {
            if (self)
                self->close();
            if (action)
                action();
        };
    };
    auto* view = new ConfirmationView(m_pictures, m_timers, videoPlaying, wrap(std::move(onSleep)),
                                      wrap(std::move(onCancel)));
    auto panel = std::make_unique<FloatingPanel>(view, 22.0, FloatingPanel::Focus::takesKeyboard);
    panel->setObjectName(QStringLiteral("confirmationPanel"));
    panel->setWindowTitle(tr("Lullwick: Sleep?"));
    if (const std::optional<QRect> visible = workingArea()) {
        // Centred across; the card's lower edge 55 % of the available height above its bottom.
        // On a screen too short for that, the card keeps inside it.
        const QSize card = panel->cardSize();
        panel->placeCard(
            placeInside(*visible, card,
                        QPoint(visible->x() + (visible->width() - card.width()) / 2,
                               visible->y() + visible->height() * 45 / 100 - card.height())));
    }
    // With no screen known the window system centres it, as it does any new window.
    m_panel = std::move(panel);
    m_view = view;
    m_panel->present();
}

void ConfirmationPanelController::close() {
    if (!m_panel)
        return;
    m_view->tickTimer()->stop();
    m_panel->hide();
    // The action that closes us may be running inside the view: delete it after it returns.
    m_panel.release()->deleteLater();
    m_view = nullptr;
}

} // namespace lullwick
