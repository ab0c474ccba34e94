#pragma once

#include <QWidget>

namespace lullwick {

// Two letters, "z" and "Z", rising and fading over and over; the large one half a second
// behind.
class FloatingZs : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal smallProgress MEMBER m_small WRITE setSmallProgress)
    Q_PROPERTY(qreal largeProgress MEMBER m_large WRITE setLargeProgress)

public:
    explicit FloatingZs(QWidget* parent = nullptr);

    // Offsets (negative y is up) and opacities of the two letters now.
    QPointF smallOffset() const;
    QPointF largeOffset() const;
    qreal smallOpacity() const;
    qreal largeOpacity() const;

    QSize sizeHint() const override { return {40, 40}; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setSmallProgress(qreal value);
    void setLargeProgress(qreal value);

    qreal m_small = 0; // 0 at rest, 1 at the end of a rise
    qreal m_large = 0;
    bool m_started = false;
};

} // namespace lullwick
