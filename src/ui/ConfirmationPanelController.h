#pragma once

#include "app/ConfirmationPanel.h"

#include <QObject>
#include <memory>

namespace lullwick {

class ConfirmationView;
class FloatingPanel;
class MascotPictures;
class Timers;

// Owns the confirmation panel while it is on screen.
class ConfirmationPanelController : public QObject, public ConfirmationPanel {
    Q_OBJECT

public:
    ConfirmationPanelController(MascotPictures& pictures, Timers& timers,
                                QObject* parent = nullptr);
    ~ConfirmationPanelController() override;

    void show(bool videoPlaying, std::function<void()> onSleep,
              std::function<void()> onCancel) override;
    void close() override;
    bool isShowing() const override { return m_panel != nullptr; }

    FloatingPanel* panel() const { return m_panel.get(); }
    ConfirmationView* view() const { return m_view; }

private:
    MascotPictures& m_pictures;
    Timers& m_timers;
    std::unique_ptr<FloatingPanel> m_panel;
    ConfirmationView* m_view = nullptr;
};

} // namespace lullwick
