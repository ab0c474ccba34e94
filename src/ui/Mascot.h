#pragma once

#include "app/AppViews.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <optional>

class QAbstractAnimation;
class QLabel;

namespace lullwick {

class FloatingPanel;

enum class MascotPose { alert, sleepy, asleep, skeptical };

// The pose's raw value, which is also its picture's base name.
QString rawValue(MascotPose pose);
// Exact match only: "mascot-sleepy" is sleepy; "Mascot-sleepy" and "sleepy" are nothing.
std::optional<MascotPose> mascotPoseFromRaw(const QString& raw);

// The mascot's pictures, read from a folder of PNG files on first use. A picture that
// loaded is never read again; a missing or unreadable one is looked for again next time.
class MascotPictures {
public:
    explicit MascotPictures(QString folder);

    // Where the installed pictures are: share/lullwick beside the program's bin folder
    // (the build tree has the same layout).
    static QString defaultFolder();

    std::optional<QPixmap> image(MascotPose pose);

    // How many times a picture file was read, for every pose together.
    int reads() const { return m_reads; }

private:
    QString m_folder;
    QHash<MascotPose, QPixmap> m_cache;
    int m_reads = 0;
};

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

// The "Good night!" card: the sleeping mascot with Zs above the words.
class GoodNightView : public QWidget {
    Q_OBJECT

public:
    explicit GoodNightView(MascotPictures& pictures, QWidget* parent = nullptr);

    MascotView* mascot() const { return m_mascot; }
    QLabel* label() const { return m_label; }

private:
    MascotView* m_mascot;
    QLabel* m_label;
};

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
