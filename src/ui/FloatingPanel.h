#pragma once

#include <QWidget>

namespace lullwick {

// A borderless card floating above every window on every workspace, with rounded corners,
// a hairline border and a shadow. With a compositor the window is translucent around the
// card; without one the card is opaque and the window is masked to its rounded shape, so
// there are never black corners.
class FloatingPanel : public QWidget {
    Q_OBJECT

public:
    enum class Focus { never, takesKeyboard };

    // content becomes the card's only child; radius is the card's corner radius.
    FloatingPanel(QWidget* content, qreal radius, Focus focus);

    // The card's size, fixed once from the content's natural size.
    QSize cardSize() const { return m_cardSize; }

    // Puts the card's top-left corner at the given global position.
    void placeCard(QPoint topLeft);

    // Shows the panel above everything; takes keyboard focus when made to.
    void present();

    bool isTranslucent() const { return m_translucent; }
    // The card's rounded rectangle, in the window's coordinates: all that takes clicks.
    QRegion cardRegion() const;

    // Whether a compositing manager runs on the display (translucency is possible).
    static bool compositorRunning();

signals:
    // The card has been drawn for the first time, and the drawing handed to the display.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* m_content;
    qreal m_radius;
    Focus m_focus;
    bool m_translucent;
    int m_shadow; // margin around the card reserved for its shadow
    QSize m_cardSize;
    bool m_painted = false;
    quint32 m_previousFocus = 0; // the X window that had the keyboard before us
};

} // namespace lullwick
