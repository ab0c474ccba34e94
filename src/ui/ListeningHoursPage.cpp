#include "ListeningHoursPage.h"

#include "PageParts.h"
#include "ScheduleWindowRow.h"
#include "app/AppState.h"

#include <QCheckBox>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace lullwick {
namespace {

QLabel* secondaryText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    pageParts::makeCallout(label);
    return label;
}

} // namespace

ListeningHoursPage::ListeningHoursPage(AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("schedulePage"));
    QVBoxLayout* stack = pageParts::pageStack(this, 16);
    stack->addWidget(pageParts::pageIcon(QStringLiteral("clock.badge.checkmark"), this), 0,
                     Qt::AlignHCenter);
    stack->addWidget(pageParts::pageTitle(tr("Listening Hours"), this));
    stack->addWidget(pageParts::pageSubtitle(
        tr("Keep the mic off except when you actually use Lullwick —\naround bedtime, a "
           "lunch break, whenever suits you."),
        this));

    QWidget* box = pageParts::filledBox(QStringLiteral("scheduleBox"), this);
    auto* boxStack = new QVBoxLayout(box);
    boxStack->setContentsMargins(18, 18, 18, 18);
    boxStack->setSpacing(12);
    m_scheduleSwitch = new QCheckBox(tr("Listen only during scheduled hours"), box);
    m_scheduleSwitch->setObjectName(QStringLiteral("scheduleEnabled"));
    boxStack->addWidget(m_scheduleSwitch, 0, Qt::AlignHCenter);

    m_list = new QWidget(box);
    m_list->setObjectName(QStringLiteral("windowList"));
    auto* listStack = new QVBoxLayout(m_list);
    listStack->setContentsMargins(0, 0, 0, 0);
    listStack->setSpacing(8);
    m_emptyHint = secondaryText(tr("No hours yet — add a window below."), m_list);
    m_emptyHint->setObjectName(QStringLiteral("emptyHint"));
    dim(m_emptyHint);
    listStack->addWidget(m_emptyHint);

    m_scroll = new QScrollArea(m_list);
    m_scroll->setObjectName(QStringLiteral("windowScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* rows = new QWidget(m_scroll);
    m_rowStack = new QVBoxLayout(rows);
    m_rowStack->setContentsMargins(0, 0, 0, 0);
    m_rowStack->setSpacing(8);
    m_scroll->setWidget(rows);
    rows->installEventFilter(this);
    // The box's fill shows through; the scroll area would paint the window colour over it.
    m_scroll->viewport()->setAutoFillBackground(false);
    rows->setAutoFillBackground(false);
    listStack->addWidget(m_scroll);

    auto* add =
        new QPushButton(pageParts::symbol(QStringLiteral("plus.circle.fill"), pageParts::indigo),
                        tr("Add Hours"), m_list);
    add->setObjectName(QStringLiteral("addHours"));
    add->setFlat(true);
    add->setAutoDefault(false);
    dim(add);
    listStack->addWidget(add, 0, Qt::AlignLeft);
    boxStack->addWidget(m_list);
    stack->addWidget(box);

    auto* notes = new QVBoxLayout;
    notes->setSpacing(10);
    const QList<pageParts::InfoLine> lines{
        {QStringLiteral("moon.stars.fill"),
         tr("Windows can cross midnight (9:00 PM – 7:00 AM) and you can add several — "
            "e.g. a lunch nap from 12:00 to 2:00 PM.")},
        {QStringLiteral("mic.slash.fill"),
         tr("Outside these hours the microphone is completely off and the tray icon becomes a "
            "moon.")}};
    for (const pageParts::InfoLine& line : lines) {
        auto* note = new QHBoxLayout;
        note->setSpacing(8);
        note->addWidget(pageParts::symbolLabel(line.symbol, 14,
                                               palette().color(QPalette::PlaceholderText), this),
                        0, Qt::AlignTop);
        note->addWidget(secondaryText(line.text, this), 1);
        notes->addLayout(note);
    }
    stack->addLayout(notes);
    stack->addStretch(1);

    connect(m_scheduleSwitch, &QCheckBox::toggled, this,
            [this](bool on) { m_state.setScheduleEnabled(on); });
    connect(add, &QPushButton::clicked, this, [this] { m_state.addScheduleWindow(); });
    connect(&m_state, &AppState::scheduleEnabledChanged, this,
            &ListeningHoursPage::showScheduleEnabled);
    connect(&m_state, &AppState::scheduleWindowsChanged, this, &ListeningHoursPage::showWindows);
    showScheduleEnabled();
    showWindows();
}

// Each part of the list is dimmed on its own: an opacity effect inside another one is not
// drawn at all.
void ListeningHoursPage::dim(QWidget* widget) {
    auto* effect = new QGraphicsOpacityEffect(widget);
    widget->setGraphicsEffect(effect);
    m_listDimming.append(effect);
}

void ListeningHoursPage::showScheduleEnabled() {
    const bool on = m_state.scheduleEnabled();
    const QSignalBlocker blocker(m_scheduleSwitch);
    m_scheduleSwitch->setChecked(on);
    m_list->setEnabled(on);
    m_listOpacity = on ? 1.0 : offOpacity;
    for (QGraphicsOpacityEffect* effect : std::as_const(m_listDimming))
        effect->setOpacity(m_listOpacity);
    for (ScheduleWindowRow* row : std::as_const(m_rows))
        row->setListOpacity(m_listOpacity);
}

void ListeningHoursPage::showWindows() {
    const ScheduleWindows& windows = m_state.scheduleWindows();
    bool sameRows = m_rows.size() == windows.size();
    for (qsizetype i = 0; sameRows && i < windows.size(); ++i)
        sameRows = m_rows[i]->id() == windows[i].id;
    if (sameRows) {
        // An edit: the rows stay, so a picker being typed into keeps its focus.
        for (qsizetype i = 0; i < windows.size(); ++i)
            m_rows[i]->setWindow(windows[i]);
    } else {
        // Later, not now: the click that removed a window may still be inside its row.
        for (ScheduleWindowRow* row : std::as_const(m_rows)) {
            row->hide();
            m_rowStack->removeWidget(row);
            row->deleteLater();
        }
        m_rows.clear();
        for (const ScheduleWindow& window : windows) {
            auto* row = new ScheduleWindowRow(m_state, window, m_scroll->widget());
            row->setListOpacity(m_listOpacity);
            m_rowStack->addWidget(row);
            // Now, not on the layout's later turn: the height below counts it.
            row->show();
            m_rows.append(row);
        }
    }
    m_emptyHint->setVisible(windows.isEmpty());
    fitScrollArea();
}

bool ListeningHoursPage::eventFilter(QObject* watched, QEvent* event) {
    // New rows know their height once they are polished, on a later turn.
    if (watched == m_scroll->widget() && event->type() == QEvent::LayoutRequest)
        fitScrollArea();
    return QWidget::eventFilter(watched, event);
}

void ListeningHoursPage::fitScrollArea() {
    // As high as its rows, up to the limit; beyond it they scroll and the page stays put.
    m_scroll->setFixedHeight(std::min(maxListHeight, m_scroll->widget()->sizeHint().height()));
}

} // namespace lullwick
