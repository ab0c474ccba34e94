#include "BehaviorPage.h"

#include "PageParts.h"
#include "app/AppState.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lullwick {

BehaviorPage::BehaviorPage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("behaviorPage"));
    QVBoxLayout* stack = pageParts::pageStack(this, 16);
    stack->addWidget(pageParts::pageIcon(QStringLiteral("moon.zzz.fill"), this), 0,
                     Qt::AlignHCenter);
    stack->addWidget(pageParts::pageTitle(tr("How It Sleeps"), this));
    stack->addWidget(
        pageParts::pageSubtitle(tr("Clap twice, sharply, about half a second apart."), this));

    m_always = new QRadioButton(tr("Always Ask Before Sleeping"), this);
    m_always->setObjectName(QStringLiteral("always"));
    m_whenVideo = new QRadioButton(tr("Ask Only While a Video Is Playing"), this);
    m_whenVideo->setObjectName(QStringLiteral("whenVideoPlaying"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_always);
    group->addButton(m_whenVideo);
    auto* choice = new QVBoxLayout;
    choice->setSpacing(6);
    choice->addWidget(m_always);
    choice->addWidget(m_whenVideo);
    stack->addLayout(choice);
    stack->setAlignment(choice, Qt::AlignHCenter);

    stack->addWidget(pageParts::infoBox(
        {{QStringLiteral("timer"),
          tr("The confirmation counts down 10 seconds, then sleeps by itself — clapping "
             "from across the room still works. Press Esc to cancel.")},
         {QStringLiteral("play.rectangle.fill"),
          tr("If a video is playing (YouTube, Netflix, VLC…), Lullwick always asks and "
             "auto-cancels instead — applause in a movie will never stop your film.")}},
        12, this));
    stack->addStretch(1);

    connect(m_always, &QRadioButton::clicked, this,
            [this] { m_state.setConfirmationMode(ConfirmationMode::always); });
    connect(m_whenVideo, &QRadioButton::clicked, this,
            [this] { m_state.setConfirmationMode(ConfirmationMode::whenVideoPlaying); });
    connect(&m_state, &AppState::confirmationModeChanged, this, &BehaviorPage::update);
    update();
}

void BehaviorPage::update() {
    m_always->setChecked(m_state.confirmationMode() == ConfirmationMode::always);
    m_whenVideo->setChecked(m_state.confirmationMode() == ConfirmationMode::whenVideoPlaying);
}

} // namespace lullwick
