#include "MicrophonePage.h"

#include "PageParts.h"
#include "app/AppState.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lullwick {
namespace {

const QColor red{0xd7, 0x3a, 0x3a};

} // namespace

MicrophonePage::MicrophonePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("microphonePage"));
    QVBoxLayout* stack = pageParts::pageStack(this, 16);
    stack->addWidget(pageParts::pageIcon(QStringLiteral("mic.fill"), this), 0, Qt::AlignHCenter);
    stack->addWidget(pageParts::pageTitle(tr("Microphone Access"), this));
    stack->addWidget(
        pageParts::pageSubtitle(tr("Lullwick needs the microphone to hear your claps."), this));
    stack->addWidget(pageParts::infoBox(
        {{QStringLiteral("lock.shield.fill"),
          tr("Audio is analyzed live, in memory — nothing is ever recorded or stored.")},
         {QStringLiteral("microphone.circle.fill"),
          tr("Your desktop may show a microphone indicator whenever Lullwick is listening "
             "— that's normal.")},
         {QStringLiteral("clock.fill"), tr("On the next steps you can set listening hours, so "
                                           "the mic isn't on all the time.")}},
        12, this));

    m_enabled = new QWidget(this);
    m_enabled->setObjectName(QStringLiteral("microphoneEnabled"));
    auto* enabledRow = new QHBoxLayout(m_enabled);
    enabledRow->setContentsMargins(0, 0, 0, 0);
    enabledRow->addWidget(pageParts::symbolLabel(QStringLiteral("checkmark.circle.fill"), 20,
                                                 pageParts::green, m_enabled));
    auto* enabledText = new QLabel(tr("Microphone enabled"), m_enabled);
    QFont headline = enabledText->font();
    headline.setBold(true);
    enabledText->setFont(headline);
    QPalette greenText = enabledText->palette();
    greenText.setColor(QPalette::WindowText, pageParts::green);
    enabledText->setPalette(greenText);
    enabledRow->addWidget(enabledText);
    stack->addWidget(m_enabled, 0, Qt::AlignHCenter);

    m_enable = new QPushButton(tr("Enable Microphone…"), this);
    m_enable->setObjectName(QStringLiteral("enableMicrophone"));
    m_enable->setDefault(true);
    m_enable->setMinimumHeight(36);
    stack->addWidget(m_enable, 0, Qt::AlignHCenter);

    m_denied = new QWidget(this);
    m_denied->setObjectName(QStringLiteral("microphoneDenied"));
    auto* deniedColumn = new QVBoxLayout(m_denied);
    deniedColumn->setContentsMargins(0, 0, 0, 0);
    deniedColumn->setSpacing(8);
    auto* deniedText = new QLabel(tr("Microphone access was denied."), m_denied);
    QPalette redText = deniedText->palette();
    redText.setColor(QPalette::WindowText, red);
    deniedText->setPalette(redText);
    deniedColumn->addWidget(deniedText, 0, Qt::AlignHCenter);
    // Linux has no privacy page for the microphone: Lullwick's own question stands for it.
    auto* settings = new QPushButton(tr("Open System Settings…"), m_denied);
    settings->setObjectName(QStringLiteral("openSystemSettings"));
    deniedColumn->addWidget(settings, 0, Qt::AlignHCenter);
    stack->addWidget(m_denied, 0, Qt::AlignHCenter);
    stack->addStretch(1);

    connect(m_enable, &QPushButton::clicked, this, [this] { m_state.requestMicAccess(); });
    connect(settings, &QPushButton::clicked, this, [this] { m_state.requestMicAccess(); });
    connect(&m_state, &AppState::micStatusChanged, this, &MicrophonePage::update);
    // A page comes into view as a new widget: this is its appearance.
    m_state.refreshMicStatus();
    update();
}

void MicrophonePage::update() {
    const MicStatus status = m_state.micStatus();
    m_enabled->setVisible(status == MicStatus::authorized);
    m_enable->setVisible(status == MicStatus::notDetermined);
    m_denied->setVisible(m_state.micDenied());
    // The page's one action takes the keyboard: Space asks, Return still goes on.
    if (status == MicStatus::notDetermined)
        m_enable->setFocus();
}

} // namespace lullwick
