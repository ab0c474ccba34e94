#include "ConfirmationView.h"

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

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(22, 22 + 4, 22, 22);
    column->setSpacing(14);

    m_mascot = new MascotView(pictures, videoPlaying ? MascotPose::skeptical : MascotPose::sleepy,
                              false, 104, this);
    column->addWidget(m_mascot, 0, Qt::AlignHCenter);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    auto* title = new QLabel(tr("Clap-clap detected"), this);
    title->setObjectName(QStringLiteral("title"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
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

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, int(countdownSeconds));
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(6);
    QPalette tint = m_progress->palette();
    tint.setColor(QPalette::Highlight, videoPlaying ? orange : indigo);
    m_progress->setPalette(tint);
    column->addWidget(m_progress);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_confirmButton = new QPushButton(videoPlaying ? tr("Sleep Anyway") : tr("Sleep Now"), this);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    m_confirmButton->setDefault(true);
    QPalette accent = m_confirmButton->palette();
    accent.setColor(QPalette::Button, indigo);
    accent.setColor(QPalette::ButtonText, Qt::white);
    m_confirmButton->setPalette(accent);
    // The keys go to the card, not to whichever button has focus.
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    m_confirmButton->setFocusPolicy(Qt::NoFocus);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_confirmButton);
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
    const QString seconds = QString::number(m_remaining);
    if (m_videoPlaying) {
        m_message->setText(
            tr("A video is playing — ignoring in %1s unless you confirm.").arg(seconds));
    } else {
        m_message->setText(tr("Going to sleep in %1s…").arg(seconds));
        m_mascot->setPose(m_remaining >= 5 ? MascotPose::sleepy : MascotPose::asleep);
        m_mascot->setShowZs(m_remaining <= 4);
    }
    m_progress->setValue(int(std::max<qint64>(0, m_remaining)));
}

} // namespace lullwick
