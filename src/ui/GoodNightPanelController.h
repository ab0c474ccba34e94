#pragma once

#include "app/GoodNightPanel.h"

#include <QObject>
#include <memory>

namespace lullwick {

class FloatingPanel;
class MascotPictures;

// Owns the good-night panel while it is on screen.
class GoodNightPanelController : public QObject, public GoodNightPanel {
    Q_OBJECT

signals:
    // A card put up by show() has been drawn on the display for the first time.
    void shown();

public:
    explicit GoodNightPanelController(MascotPictures& pictures, QObject* parent = nullptr);
    ~GoodNightPanelController() override;

    void show() override;
    void close() override;

    FloatingPanel* panel() const { return m_panel.get(); }

private:
    MascotPictures& m_pictures;
    std::unique_ptr<FloatingPanel> m_panel;
};

} // namespace lullwick
