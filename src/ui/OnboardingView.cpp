#include "OnboardingView.h"

#include "OnboardingPages.h"
#include "PageDots.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace lullwick {
namespace {

constexpr SetupPage lastPage = SetupPage::practice;

SetupPage pageAfter(SetupPage page, int step) {
    return static_cast<SetupPage>(static_cast<int>(page) + step);
}

} // namespace

OnboardingView::OnboardingView(AppState& state, SetupPage page, QString pictures, QWidget* parent)
    : QWidget(parent), m_state(state), m_pictures(std::move(pictures)) {
    setObjectName(QStringLiteral("onboardingView"));
    // As tall as the window is made: on a short screen the page scrolls above the footer.
    setFixedWidth(fixedSize.width());
    setMaximumHeight(fixedSize.height());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("pageScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto* area = new QWidget(scroll);
    m_content = new QVBoxLayout(area);
    m_content->setContentsMargins(contentMargins);
    scroll->setWidget(area);
    column->addWidget(scroll, 1);
    // The scroll bar takes its width from the right padding, so the page keeps its width and
    // its text wraps as in a full-size window.
    QScrollBar* bar = scroll->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        QMargins margins = contentMargins;
        if (maximum > 0)
            margins.setRight(std::max(0, margins.right() - bar->sizeHint().width()));
        m_content->setContentsMargins(margins);
    });

    // The dots and the buttons share one cell, so the dots stay centred whatever buttons
    // are shown.
    auto* footer = new QGridLayout;
    footer->setContentsMargins(20, 20, 20, 20);
    m_dots = new PageDots(setupPageCount, this);
    footer->addWidget(m_dots, 0, 0, Qt::AlignCenter);
    auto* buttons = new QHBoxLayout;
    m_back = new QPushButton(tr("Back"), this);
    m_back->setObjectName(QStringLiteral("back"));
    m_back->setAutoDefault(false);
    m_forward = new QPushButton(this);
    m_forward->setObjectName(QStringLiteral("forward"));
    m_forward->setAutoDefault(false);
    m_forward->setDefault(true); // drawn as the prominent button
    buttons->addWidget(m_back);
    buttons->addStretch(1);
    buttons->addWidget(m_forward);
    footer->addLayout(buttons, 0, 0);
    column->addLayout(footer);

    connect(m_back, &QPushButton::clicked, this, &OnboardingView::back);
    connect(m_forward, &QPushButton::clicked, this, &OnboardingView::forward);
    showPage(page);
    // Every page has the room a full-size window gives it, scrolled where the window is shorter.
    area->setMinimumHeight(fixedSize.height() - footer->sizeHint().height());
}

void OnboardingView::forward() {
    if (m_page != lastPage)
        showPage(pageAfter(m_page, 1));
    else
        emit finishRequested();
}

void OnboardingView::back() {
    if (m_page != SetupPage::welcome)
        showPage(pageAfter(m_page, -1));
}

void OnboardingView::showPage(SetupPage page) {
    m_page = page;
    delete m_pageWidget;
    // Made in the scrolled area itself: moving it there would take the focus its page gave.
    m_pageWidget = createOnboardingPage(page, m_state, m_pictures, m_content->parentWidget());
    m_content->addWidget(m_pageWidget);
    m_dots->setCurrent(static_cast<int>(page));
    m_back->setVisible(page != SetupPage::welcome);
    m_forward->setText(page == SetupPage::welcome ? tr("Get Started")
                       : page != lastPage         ? tr("Continue")
                                                  : tr("Finish"));
}

} // namespace lullwick
