#pragma once

#include <QWidget>

class QRadioButton;

namespace lullwick {

class AppState;

// Page 2: how a double clap leads to sleep, and when Lullwick asks first.
class BehaviorPage : public QWidget {
    Q_OBJECT

public:
    explicit BehaviorPage(AppState& state, QWidget* parent = nullptr);

private:
    void update();

    AppState& m_state;
    QRadioButton* m_always;
    QRadioButton* m_whenVideo;
};

} // namespace lullwick
