#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lullwick {

class MascotPictures;
class MascotView;
class Timer;
class Timers;

// The countdown card: ten seconds, then sleep (normal mode) or cancel (a video is playing).
// At most one of its two actions is ever called, and that one once.
class ConfirmationView : public QWidget {
    Q_OBJECT

public:
    static constexpr qint64 countdownSeconds = 10;

    ConfirmationView(MascotPictures& pictures, Timers& timers, bool videoPlaying,
                     std::function<void()> sleep, std::function<void()> cancel,
                     QWidget* parent = nullptr);

    qint64 remaining() const { return m_remaining; }
    bool isFinished() const { return m_finished; }
    bool videoPlaying() const { return m_videoPlaying; }

    // Calls action unless an action was called already.
    void finish(const std::function<void()>& action);

    QLabel* message() const { return m_message; }
    QProgressBar* progress() const { return m_progress; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* confirmButton() const { return m_confirmButton; }
    MascotView* mascot() const { return m_mascot; }
    Timer* tickTimer() const { return m_tick; }

    // One second passes.
    void tick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    bool m_videoPlaying;
    std::function<void()> m_sleep;
    std::function<void()> m_cancel;
    qint64 m_remaining = countdownSeconds;
    bool m_finished = false;

    MascotView* m_mascot;
    QLabel* m_message;
    QProgressBar* m_progress;
    QPushButton* m_cancelButton;
    QPushButton* m_confirmButton;
    Timer* m_tick;
};

} // namespace lullwick
