#include "FloatingPanel.h"

#include "X11Desktop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace lullwick {
namespace {

constexpr int shadowMargin = 14;

QColor cardColor(const QPalette& palette, bool translucent) {
    QColor color = palette.color(QPalette::Window);
    // The thin translucent material: the desktop shows through a little.
    color.setAlphaF(translucent ? 0.90f : 1.0f);
    return color;
}

} // namespace

bool FloatingPanel::compositorRunning() {
    // Other platforms composite, or draw offscreen.
    return X11Desktop::compositorRunning().value_or(true);
}

FloatingPanel::FloatingPanel(QWidget* content, qreal radius, Focus focus)
    : QWidget(nullptr), m_content(content), m_radius(radius), m_focus(focus),
      m_translucent(compositorRunning()), m_shadow(m_translucent ? shadowMargin : 0) {
    // Bypassing the window manager keeps the card above every window, full-screen ones
    // included, on every workspace, out of the taskbar and of window cycling.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint;
    if (focus == Focus::never)
        flags |= Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
    setWindowFlags(flags);
    setAttribute(Qt::WA_ShowWithoutActivating, focus == Focus::never);
    setAttribute(Qt::WA_TranslucentBackground, m_translucent);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(m_shadow, m_shadow, m_shadow, m_shadow);
    layout->addWidget(content);
    // Sized once: a fixed width wins, and wrapped text gets the height that width needs.
    m_cardSize = content->sizeHint().expandedTo(content->minimumSizeHint());
    if (content->minimumWidth() == content->maximumWidth())
        m_cardSize.setWidth(content->minimumWidth());
    if (content->hasHeightForWidth())
        m_cardSize.setHeight(content->heightForWidth(m_cardSize.width()));
    content->setFixedSize(m_cardSize);
    setFixedSize(m_cardSize + QSize(2 * m_shadow, 2 * m_shadow));

    if (!m_translucent)
        setMask(cardRegion());
    // A screen reader meets the card as a window named and described as its content is.
    setAccessibleName(content->accessibleName());
    setAccessibleDescription(content->accessibleDescription());
}

QRegion FloatingPanel::cardRegion() const {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(m_shadow, m_shadow), QSizeF(m_cardSize)), m_radius,
                         m_radius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

void FloatingPanel::placeCard(QPoint topLeft) {
    move(topLeft - QPoint(m_shadow, m_shadow));
}

void FloatingPanel::present() {
    show();
    raise();
    // Clicks on the shadow go to the windows below; an input shape leaves the drawing alone.
    if (m_shadow > 0 && m_focus == Focus::takesKeyboard)
        X11Desktop::setInputShape(quint32(winId()), cardRegion());
    if (m_focus == Focus::takesKeyboard) {
        // Without a window manager in charge of this window, Qt sets the input focus itself,
        // and on unmapping it would fall to the root window: remember whose it was.
        m_previousFocus = X11Desktop::inputFocus();
        activateWindow();
        m_content->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void FloatingPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Unmapping has already sent the focus to the root; if the user put it elsewhere since,
    // it stays there.
    const quint32 focus = X11Desktop::inputFocus();
    if (m_previousFocus && (focus == 0 || focus == quint32(winId()) || X11Desktop::isRoot(focus)))
        X11Desktop::giveFocusTo(m_previousFocus);
    m_previousFocus = 0;
}

void FloatingPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card(QPointF(m_shadow, m_shadow), QSizeF(m_cardSize));

    // A soft shadow: widening rounded outlines of falling opacity.
    for (int i = m_shadow; i > 0; --i) {
        const qreal alpha =
            0.10 * (1.0 - qreal(i) / (m_shadow + 1)) * (1.0 - qreal(i) / (m_shadow + 1));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, int(255 * alpha)));
        painter.drawRoundedRect(card.adjusted(-i, -i + 3, i, i + 3), m_radius + i, m_radius + i);
    }

    painter.setBrush(cardColor(palette(), m_translucent));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(card, m_radius, m_radius);
    // A 1-point white border at 12 % opacity, inside the card's edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 31), 1.0));
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), m_radius - 0.5, m_radius - 0.5);

    if (!m_painted) {
        m_painted = true;
        // The backing store is flushed to the display once painting returns.
        QMetaObject::invokeMethod(this, &FloatingPanel::firstPainted, Qt::QueuedConnection);
    }
}

} // namespace lullwick
