#include "Mascot.h"

#include "FloatingPanel.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace lullwick {
namespace {

constexpr std::array allPoses{MascotPose::alert, MascotPose::sleepy, MascotPose::asleep,
                              MascotPose::skeptical};
const QColor indigo(0x58, 0x56, 0xD6);
constexpr int fallbackSymbolSize = 44;

QColor secondaryTextColor(const QWidget* widget) {
    QColor color = widget->palette().color(QPalette::WindowText);
    color.setAlphaF(0.55f);
    return color;
}

} // namespace

QString rawValue(MascotPose pose) {
    switch (pose) {
    case MascotPose::alert:
        return QStringLiteral("mascot-alert");
    case MascotPose::sleepy:
        return QStringLiteral("mascot-sleepy");
    case MascotPose::asleep:
        return QStringLiteral("mascot-asleep");
    case MascotPose::skeptical:
        return QStringLiteral("mascot-skeptical");
    }
    return {};
}

std::optional<MascotPose> mascotPoseFromRaw(const QString& raw) {
    for (MascotPose pose : allPoses)
        if (rawValue(pose) == raw)
            return pose;
    return std::nullopt;
}

MascotPictures::MascotPictures(QString folder) : m_folder(std::move(folder)) {}

QString MascotPictures::defaultFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/lullwick"));
}

std::optional<QPixmap> MascotPictures::image(MascotPose pose) {
    if (const auto it = m_cache.constFind(pose); it != m_cache.constEnd())
        return *it;
    const QString path = m_folder + u'/' + rawValue(pose) + QStringLiteral(".png");
    if (!QFileInfo::exists(path))
        return std::nullopt;
    ++m_reads;
    // QImage, not QPixmap::load: that one may answer from Qt's own pixmap cache.
    QImage image;
    if (!image.load(path))
        return std::nullopt;
    const QPixmap picture = QPixmap::fromImage(std::move(image));
    m_cache.insert(pose, picture);
    return picture;
}

FloatingZs::FloatingZs(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeHint());
}

QPointF FloatingZs::smallOffset() const {
    return {0.0, -16.0 * m_small};
}
QPointF FloatingZs::largeOffset() const {
    return {12.0, -8.0 - 20.0 * m_large};
}
qreal FloatingZs::smallOpacity() const {
    return 0.9 * (1.0 - m_small);
}
qreal FloatingZs::largeOpacity() const {
    return 0.7 * (1.0 - m_large);
}

void FloatingZs::setSmallProgress(qreal value) {
    m_small = value;
    update();
}

void FloatingZs::setLargeProgress(qreal value) {
    m_large = value;
    update();
}

void FloatingZs::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    auto rise = [this](const QByteArray& property) {
        auto* animation = new QPropertyAnimation(this, property, this);
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
        animation->setDuration(1600);
        animation->setEasingCurve(QEasingCurve::OutQuad);
        animation->setLoopCount(-1);
        return animation;
    };
    rise("smallProgress")->start();
    QPropertyAnimation* large = rise("largeProgress");
    QTimer::singleShot(500, large, [large] { large->start(); });
}

void FloatingZs::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor color = secondaryTextColor(this);
    auto drawLetter = [&](const QString& letter, int pixelSize, QPointF offset, qreal opacity) {
        QFont font = this->font();
        font.setPixelSize(pixelSize);
        font.setBold(true);
        painter.setFont(font);
        painter.setOpacity(opacity);
        painter.setPen(color);
        painter.drawText(QRectF(rect()).translated(offset), Qt::AlignCenter, letter);
    };
    drawLetter(QStringLiteral("z"), 13, smallOffset(), smallOpacity());
    drawLetter(QStringLiteral("Z"), 17, largeOffset(), largeOpacity());
}

MascotView::MascotView(MascotPictures& pictures, MascotPose pose, bool showZs, int side,
                       QWidget* parent)
    : QWidget(parent), m_pictures(pictures), m_pose(pose), m_side(side) {
    setFixedSize(side, side);
    setShowZs(showZs);
}

void MascotView::setPose(MascotPose pose) {
    m_pose = pose;
    update();
}

void MascotView::setShowZs(bool show) {
    if (show == showZs())
        return;
    if (!show) {
        delete m_zs;
        return;
    }
    // The letters rise above the picture's corner: they live beside the mascot, not inside
    // it, so that they are not clipped to its square.
    m_zs = new FloatingZs(parentWidget() ? parentWidget() : this);
    placeZs();
    m_zs->setVisible(isVisible());
    m_zs->raise();
}

void MascotView::placeZs() {
    if (!m_zs)
        return;
    QPoint topRight(width(), 0);
    if (m_zs->parentWidget() != this)
        topRight = mapTo(m_zs->parentWidget(), topRight);
    m_zs->move(topRight + QPoint(8 - m_zs->width(), -10));
}

void MascotView::setBreathScale(qreal scale) {
    m_scale = scale;
    update();
}

void MascotView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeZs();
    if (m_zs)
        m_zs->show();
    if (m_breathing)
        return;
    auto* group = new QSequentialAnimationGroup(this);
    for (auto [from, to] : {std::pair{0.97, 1.03}, std::pair{1.03, 0.97}}) {
        auto* half = new QPropertyAnimation(this, "breathScale", group);
        half->setStartValue(from);
        half->setEndValue(to);
        half->setDuration(1400);
        half->setEasingCurve(QEasingCurve::InOutSine);
        group->addAnimation(half);
    }
    group->setLoopCount(-1);
    group->start();
    m_breathing = group;
}

void MascotView::paintEvent(QPaintEvent*) {
    // Layout may have moved us since the letters were placed.
    placeZs();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    // Breathe about the middle of the bottom edge, so the base stays put.
    painter.translate(width() / 2.0, height());
    painter.scale(1.0, m_scale);
    painter.translate(-width() / 2.0, -height());

    const std::optional<QPixmap> picture = m_pictures.image(m_pose);
    m_fallback = !picture;
    if (picture) {
        QSizeF size = picture->deviceIndependentSize();
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - size.width()) / 2, height() - size.height()), size);
        painter.drawPixmap(target, *picture, QRectF(picture->rect()));
        return;
    }
    const QRectF symbol(
        QPointF((width() - fallbackSymbolSize) / 2.0, (height() - fallbackSymbolSize) / 2.0),
        QSizeF(fallbackSymbolSize, fallbackSymbolSize));
    QIcon(QStringLiteral(":/icons/cat.fill.svg")).paint(&painter, symbol.toRect());
}

GoodNightView::GoodNightView(MascotPictures& pictures, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(10);
    m_mascot = new MascotView(pictures, MascotPose::asleep, true, 120, this);
    m_label = new QLabel(tr("Good night!"), this);
    m_label->setObjectName(QStringLiteral("goodNightLabel"));
    QFont headline = m_label->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.1);
    m_label->setFont(headline);
    m_label->setAlignment(Qt::AlignCenter);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);
    column->addWidget(m_label, 0, Qt::AlignHCenter);
}

GoodNightPanelController::GoodNightPanelController(MascotPictures& pictures, QObject* parent)
    : QObject(parent), m_pictures(pictures) {}

GoodNightPanelController::~GoodNightPanelController() = default;

void GoodNightPanelController::show() {
    close();
    auto panel = std::make_unique<FloatingPanel>(new GoodNightView(m_pictures), 24.0,
                                                 FloatingPanel::Focus::never);
    panel->setObjectName(QStringLiteral("goodNightPanel"));
    // Never shown as a title; names the window for accessibility and window tools.
    panel->setWindowTitle(QStringLiteral("Lullwick: Good night"));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The card's lower edge on the middle line of the available area, centred across.
        const QRect visible = screen->availableGeometry();
        const QSize card = panel->cardSize();
        panel->placeCard(QPoint(visible.x() + (visible.width() - card.width()) / 2,
                                visible.y() + visible.height() / 2 - card.height()));
    }
    connect(panel.get(), &FloatingPanel::firstPainted, this, &GoodNightPanelController::shown);
    m_panel = std::move(panel);
    m_panel->present();
}

void GoodNightPanelController::close() {
    if (!m_panel)
        return;
    m_panel->hide();
    m_panel.reset();
}

} // namespace lullwick
