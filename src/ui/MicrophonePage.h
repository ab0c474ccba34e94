#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lullwick {

class AppState;

// Page 1: what the microphone is for, and the permission in one of three states.
class MicrophonePage : public QWidget {
    Q_OBJECT

public:
    explicit MicrophonePage(AppState& state, QWidget* parent = nullptr);

private:
    void update();

    AppState& m_state;
    QWidget* m_enabled;
    QPushButton* m_enable;
    QWidget* m_denied;
};

} // namespace lullwick
