#include "GoodNightPanelController.h"

#include "FloatingPanel.h"
#include "GoodNightView.h"
#include "Placement.h"
#include "ScreenChoice.h"

namespace lullwick {

GoodNightPanelController::GoodNightPanelController(MascotPictures& pictures, QObject* parent)
    : QObject(parent), m_pictures(pictures) {}

GoodNightPanelController::~GoodNightPanelController() = default;

void GoodNightPanelController::show() {
    close();
    auto panel = std::make_unique<FloatingPanel>(new GoodNightView(m_pictures), 24.0,
                                                 FloatingPanel::Focus::never);
    panel->setObjectName(QStringLiteral("goodNightPanel"));
    // Never shown as a title; names the window for accessibility and window tools.
    panel->setWindowTitle(tr("Lullwick: Good night"));
    if (const std::optional<QRect> visible = workingArea()) {
        // The card's lower edge on the middle line of the available area, centred across.
        // On a screen too short for that, the card keeps inside it.
        const QSize card = panel->cardSize();
        panel->placeCard(placeInside(*visible, card,
                                     QPoint(visible->x() + (visible->width() - card.width()) / 2,
                                            visible->y() + visible->height() / 2 - card.height())));
    }
    connect(panel.get(), &FloatingPanel::firstPainted, this, &GoodNightPanelController::shown);
    m_panel = std::move(panel);
    m_panel->present();
}

void GoodNightPanelController::close() {
    if (!m_panel)
        return;
    m_panel->hide();
    m_panel.reset();
}

} // namespace lullwick
