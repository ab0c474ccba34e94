#pragma once

#include "FloatingZs.h"
#include "MascotPose.h"

#include <QPointer>
#include <QWidget>

class QAbstractAnimation;

namespace lullwick {

class MascotPictures;

// The mascot in one pose, breathing: its height swells from 0.97 to 1.03 and back, about
// the bottom edge, every 2.8 s; optionally with floating Zs at its top-right corner.
class MascotView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal breathScale READ breathScale WRITE setBreathScale)

public:
    MascotView(MascotPictures& pictures, MascotPose pose, bool showZs, int side,
               QWidget* parent = nullptr);

    MascotPose pose() const { return m_pose; }
    void setPose(MascotPose pose);
    bool showZs() const { return m_zs != nullptr; }
    void setShowZs(bool show);
    FloatingZs* floatingZs() const { return m_zs; }

    qreal breathScale() const { return m_scale; }
    bool isBreathing() const { return m_breathing != nullptr; }
    // True while the picture is missing and the indigo cat stands in for it.
    bool showsFallback() const { return m_fallback; }

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setBreathScale(qreal scale);
    void placeZs();

    MascotPictures& m_pictures;
    MascotPose m_pose;
    int m_side;
    qreal m_scale = 0.97;
    bool m_fallback = false;
    QPointer<FloatingZs> m_zs;
    QAbstractAnimation* m_breathing = nullptr;
};

} // namespace lullwick
