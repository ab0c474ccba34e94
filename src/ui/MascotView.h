#pragma once

#include "FloatingZs.h"
#include "MascotPose.h"

#include <QPointer>
#include <QWidget>

namespace lullwick {

class AnimationClock;
class MascotPictures;

// The mascot in one pose, breathing: its height swells from 0.97 to 1.03 and back, about
// the bottom edge, every 2.8 s; optionally with floating Zs at its picture's top-right corner.
// The Zs live beside the mascot, in its parent, so that they may rise above it.
class MascotView : public QWidget {
    Q_OBJECT

public:
    MascotView(MascotPictures& pictures, MascotPose pose, bool showZs, int side,
               QWidget* parent = nullptr);

    static constexpr int breathMs = 1400; // each way
    // The vertical scale, elapsed milliseconds after the mascot came on screen.
    static qreal breathScaleAt(int elapsed);

    MascotPose pose() const { return m_pose; }
    void setPose(MascotPose pose);
    bool showZs() const { return m_zs != nullptr; }
    void setShowZs(bool show);
    FloatingZs* floatingZs() const { return m_zs; }

    qreal breathScale() const { return breathScaleAt(m_elapsed); }
    bool isBreathing() const;
    AnimationClock* clock() const { return m_clock; }
    // True while the picture is missing and the indigo cat stands in for it.
    bool showsFallback() const { return m_fallback; }
    // The room to leave above the mascot, centred across a card of that width and corner
    // radius, so that the Zs' ink never leaves the card.
    int zsHeadroom(int cardWidth, qreal radius) const;

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the picture, or the cat standing in for it, is drawn, unscaled.
    QRectF pictureRect(const std::optional<QPixmap>& picture) const;
    void placeZs();

    MascotPictures& m_pictures;
    MascotPose m_pose;
    int m_side;
    int m_elapsed = 0;
    bool m_fallback = false;
    QPointer<FloatingZs> m_zs;
    AnimationClock* m_clock;
};

} // namespace lullwick
