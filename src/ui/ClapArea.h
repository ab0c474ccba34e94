#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace lullwick {

class AnimationClock;
class MascotPictures;
class MascotView;

// The practice page's clap area: a pulse ring under a disk, and the clap symbol or, once a
// double clap was heard, the alert mascot in the middle. It is laid over its place on the
// page with room for the ring to grow past the disk.
class ClapArea : public QWidget {
    Q_OBJECT

public:
    static constexpr int disk = 140;
    static constexpr int mascotSide = 104;
    static constexpr int pulseMs = 600;
    static constexpr qreal pulseEndScale = 1.7;
    static constexpr qreal pulseStartOpacity = 0.9;
    // Room on each side of the disk for the ring at its largest, and its stroke.
    static constexpr int margin = int(disk * (pulseEndScale - 1) / 2) + 3;

    ClapArea(MascotPictures& pictures, QWidget* parent = nullptr);

    // The ring jumps back onto the disk, nearly opaque, then grows and fades out.
    void pulse();
    void setDetected(bool detected);

    qreal pulseScale() const { return m_pulseScale; }
    qreal pulseOpacity() const { return m_pulseOpacity; }
    AnimationClock* pulseClock() const { return m_clock; }
    // The mascot once a double clap was shown, else null.
    MascotView* mascot() const { return m_mascot; }
    bool isDetected() const { return m_detected; }

    QSize sizeHint() const override { return {disk + 2 * margin, disk + 2 * margin}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPulseAt(int elapsed);
    void placeCentre();

    MascotPictures& m_pictures;
    AnimationClock* m_clock;
    qreal m_pulseScale = 1.0;
    qreal m_pulseOpacity = 0.0;
    bool m_detected = false;
    QLabel* m_symbol;
    QPointer<MascotView> m_mascot;
};

} // namespace lullwick
