#include "PracticePage.h"

#include "ClapArea.h"
#include "MascotPictures.h"
#include "MascotView.h"
#include "PageParts.h"
#include "app/AppState.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lullwick {

PracticePage::PracticePage(AppState& state, const QString& pictures, QWidget* parent)
    : QWidget(parent), m_state(state), m_pictures(std::make_unique<MascotPictures>(pictures)) {
    setObjectName(QStringLiteral("testPage"));
    QVBoxLayout* stack = pageParts::pageStack(this, 18);
    stack->addSpacing(8);
    // The area is laid over its place, not into it: the ring grows beyond the disk, over
    // its neighbours, as a scaled drawing does.
    m_clapPlace = new QWidget(this);
    m_clapPlace->setFixedHeight(ClapArea::disk);
    stack->addWidget(m_clapPlace);
    m_clapArea = new ClapArea(*m_pictures, this);
    m_clapArea->lower();
    m_clapPlace->installEventFilter(this);

    m_title = pageParts::pageTitle(QString(), this);
    m_title->setObjectName(QStringLiteral("title"));
    stack->addWidget(m_title);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_status->setAlignment(Qt::AlignHCenter);
    m_status->setWordWrap(true);
    stack->addWidget(m_status);
    m_warning = new QWidget(this);
    m_warning->setObjectName(QStringLiteral("microphoneWarning"));
    auto* warningRow = new QHBoxLayout(m_warning);
    warningRow->setContentsMargins(0, 0, 0, 0);
    warningRow->addWidget(pageParts::symbolLabel(QStringLiteral("exclamationmark.triangle.fill"),
                                                 16, pageParts::orange, m_warning));
    auto* warningText =
        new QLabel(tr("Enable the microphone on the earlier step to try this."), m_warning);
    QPalette orangeText = warningText->palette();
    orangeText.setColor(QPalette::WindowText, pageParts::orange);
    warningText->setPalette(orangeText);
    warningRow->addWidget(warningText);
    stack->addWidget(m_warning, 0, Qt::AlignHCenter);

    m_hint = new QLabel(tr("Not triggering? Clap louder and sharper, or raise Sensitivity later "
                           "from the tray icon."),
                        this);
    m_hint->setObjectName(QStringLiteral("hint"));
    m_hint->setAlignment(Qt::AlignHCenter);
    m_hint->setWordWrap(true);
    pageParts::makeCallout(m_hint);
    // The tertiary colour: fainter than the secondary, which is already see-through.
    QPalette faint = m_hint->palette();
    QColor tertiary = faint.color(QPalette::PlaceholderText);
    tertiary.setAlphaF(tertiary.alphaF() * 0.75f);
    faint.setColor(QPalette::WindowText, tertiary);
    m_hint->setPalette(faint);
    stack->addWidget(m_hint);
    stack->addStretch(1);

    // A page comes into view as a new widget: this is its appearance.
    m_state.beginClapTest();
    m_claps = m_state.testClapCount();
    connect(&m_state, &AppState::testClapCountChanged, this, &PracticePage::countClap);
    connect(&m_state, &AppState::testDoubleClapCountChanged, this, &PracticePage::showState);
    connect(&m_state, &AppState::micStatusChanged, this, &PracticePage::showState);
    showState();
}

// Leaving the page, to another page or with the window, ends practice; closing the window
// also ends it through the state object.
PracticePage::~PracticePage() {
    m_state.endClapTest();
}

bool PracticePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_clapPlace &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        QRect area(QPoint(), m_clapArea->sizeHint());
        area.moveCenter(m_clapPlace->geometry().center());
        m_clapArea->setGeometry(area);
    }
    return QWidget::eventFilter(watched, event);
}

void PracticePage::countClap() {
    // Every assignment is announced, also an unchanged one; only a new count pulses.
    if (m_state.testClapCount() == m_claps)
        return;
    m_claps = m_state.testClapCount();
    m_clapArea->pulse();
}

void PracticePage::showState() {
    const qint64 doubles = m_state.testDoubleClapCount();
    const bool detected = doubles > 0;
    const bool microphone = m_state.micStatus() == MicStatus::authorized;
    m_clapArea->setDetected(detected);
    m_title->setText(detected ? tr("Double clap detected!") : tr("Try it — clap twice now"));
    m_status->setText(
        detected ? tr("Detected %n× — you're all set. Click Finish.", nullptr, int(doubles))
                 : tr("Practice claps here never put your computer to sleep."));
    m_status->setVisible(microphone);
    m_warning->setVisible(!microphone);
    m_hint->setVisible(!detected);
}

} // namespace lullwick
