#include "ConfirmationView.h"

#include "Contrast.h"
#include "MascotView.h"
#include "app/Timers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lullwick {
namespace {

const QColor indigo(0x58, 0x56, 0xD6);
const QColor orange(0xFF, 0x95, 0x00);

} // namespace

ConfirmationView::ConfirmationView(MascotPictures& pictures, Timers& timers, bool videoPlaying,
                                   std::function<void()> sleep, std::function<void()> cancel,
                                   QWidget* parent)
    : QWidget(parent), m_videoPlaying(videoPlaying), m_sleep(std::move(sleep)),
      m_cancel(std::move(cancel)) {
    setObjectName(QStringLiteral("confirmationView"));
    setFocusPolicy(Qt::StrongFocus);
    setFixedWidth(320);

    m_mascot = new MascotView(pictures, videoPlaying ? MascotPose::skeptical : MascotPose::sleepy,
                              false, 104, this);
    auto* column = new QVBoxLayout(this);
    // 4 above the mascot, or what the Zs need to rise without leaving the card.
    column->setContentsMargins(22, std::max(22 + 4, m_mascot->zsHeadroom(320, 22)), 22, 22);
    column->setSpacing(14);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    const QString titleText = tr("Clap-clap detected");
    auto* title = new QLabel(titleText, this);
    title->setObjectName(QStringLiteral("title"));
    // The toolkit's title-3 and callout styles: 15 and 12 where body text is 13.
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 15 / 13);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    QFont callout = m_message->font();
    callout.setPointSizeF(callout.pointSizeF() * 12 / 13);
    m_message->setFont(callout);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    QPalette dimmed = m_message->palette();
    QColor secondary = dimmed.color(QPalette::WindowText);
    secondary.setAlphaF(0.65f);
    dimmed.setColor(QPalette::WindowText, secondary);
    m_message->setPalette(dimmed);
    text->addWidget(title);
    text->addWidget(m_message);
    column->addLayout(text);
    setAccessibleName(titleText);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, int(countdownSeconds));
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(6);
    QPalette tint = m_progress->palette();
    tint.setColor(QPalette::Highlight, videoPlaying ? orange : indigo);
    m_progress->setPalette(tint);
    column->addWidget(m_progress);

    auto* buttons = new QBoxLayout(QBoxLayout::LeftToRight);
    buttons->setSpacing(10);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_confirmButton = new QPushButton(videoPlaying ? tr("Sleep Anyway") : tr("Sleep Now"), this);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    m_confirmButton->setDefault(true);
    // A filled button in the desktop's accent, darkened or lightened only as far as its text
    // needs to be read. Drawn by a style sheet: styles tint a button's colour their own way.
    const QPalette colours = m_confirmButton->palette();
    const QColor accentText = colours.color(QPalette::HighlightedText);
    const QColor face = legibleBehind(accentText, colours.color(QPalette::Highlight), 5.0);
    const QColor pressed = accentText.lightness() > 127 ? face.darker(112) : face.lighter(112);
    m_confirmButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3;"
                       " border-radius: 5px; padding: 3px 14px; }"
                       " QPushButton:pressed { background-color: %3; }"
                       " QPushButton:focus { border: 2px solid %2; }")
            .arg(face.name(), accentText.name(), pressed.name()));
    m_confirmButton->setMinimumHeight(m_cancelButton->sizeHint().height());
    // Tab reaches both buttons; Return and Escape still go to the card, since a button
    // outside a dialog passes them on.
    setTabOrder(m_cancelButton, m_confirmButton);
    const int inside = 320 - 2 * 22;
    if (m_cancelButton->sizeHint().width() + buttons->spacing() +
            m_confirmButton->sizeHint().width() <=
        inside) {
        // Each button as wide as its text, the pair centred.
        buttons->addStretch();
        buttons->addWidget(m_cancelButton);
        buttons->addWidget(m_confirmButton);
        buttons->addStretch();
    } else {
        // Longer words than the row holds: one above the other, as wide as the card, the
        // confirm button on top.
        buttons->setDirection(QBoxLayout::TopToBottom);
        buttons->setSpacing(8);
        buttons->addWidget(m_confirmButton);
        buttons->addWidget(m_cancelButton);
    }
    column->addLayout(buttons);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] { finish(m_cancel); });
    connect(m_confirmButton, &QPushButton::clicked, this, [this] { finish(m_sleep); });

    m_tick = timers.create(Timers::Mode::repeating, this);
    connect(m_tick, &Timer::timeout, this, &ConfirmationView::tick);
    m_tick->start(std::chrono::seconds(1));
    refresh();
}

void ConfirmationView::finish(const std::function<void()>& action) {
    if (m_finished)
        return;
    m_finished = true;
    m_tick->stop();
    if (action)
        action();
}

void ConfirmationView::tick() {
    if (m_finished)
        return;
    --m_remaining;
    refresh();
    if (m_remaining <= 0)
        finish(m_videoPlaying ? m_cancel : m_sleep);
}

void ConfirmationView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(m_sleep);
        return;
    case Qt::Key_Escape:
        finish(m_cancel);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ConfirmationView::refresh() {
    // %n is plain digits, never grouped; the count picks the language's plural form.
    const int seconds = int(m_remaining);
    if (m_videoPlaying) {
        m_message->setText(
            tr("A video is playing — ignoring in %ns unless you confirm.", nullptr, seconds));
    } else {
        m_message->setText(tr("Going to sleep in %ns…", nullptr, seconds));
        m_mascot->setPose(m_remaining >= 5 ? MascotPose::sleepy : MascotPose::asleep);
        m_mascot->setShowZs(m_remaining <= 4);
    }
    m_progress->setValue(int(std::max<qint64>(0, m_remaining)));
    // What a screen reader reads as the card's description, and announces as it changes.
    setAccessibleDescription(m_message->text());
    if (window() != this)
        window()->setAccessibleDescription(m_message->text());
}

} // namespace lullwick
