#include "ScheduleWindowRow.h"

#include "PageParts.h"
#include "app/AppState.h"
#include "core/Schedule.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QToolButton>
#include <algorithm>

namespace lullwick {

ScheduleWindowRow::ScheduleWindowRow(AppState& state, const ScheduleWindow& window, QWidget* parent)
    : QWidget(parent), m_state(state), m_id(window.id) {
    setObjectName(QStringLiteral("scheduleWindowRow"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    m_enabled = new QCheckBox(this);
    m_enabled->setObjectName(QStringLiteral("windowEnabled"));
    m_enabled->setAccessibleName(tr("Listen during these hours"));
    row->addWidget(m_enabled);
    m_start = picker();
    m_start->setObjectName(QStringLiteral("start"));
    row->addWidget(m_start);
    auto* to = new QLabel(tr("to"), this);
    to->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(to);
    m_end = picker();
    m_end->setObjectName(QStringLiteral("end"));
    row->addWidget(m_end);
    row->addStretch(1);

    m_remove = new QToolButton(this);
    m_remove->setObjectName(QStringLiteral("remove"));
    m_remove->setAutoRaise(true);
    // The secondary colour is see-through text; a drawing takes it solid, over the window.
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    const QColor ground = palette().color(QPalette::Window);
    const float a = secondary.alphaF();
    const QColor solid = QColor::fromRgbF(secondary.redF() * a + ground.redF() * (1 - a),
                                          secondary.greenF() * a + ground.greenF() * (1 - a),
                                          secondary.blueF() * a + ground.blueF() * (1 - a));
    m_remove->setIcon(pageParts::symbol(QStringLiteral("minus.circle.fill"), solid));
    m_remove->setToolTip(tr("Remove these hours"));
    m_remove->setAccessibleName(tr("Remove these hours"));
    row->addWidget(m_remove);

    m_dimming = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(m_dimming);
    setWindow(window);

    connect(m_enabled, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](ScheduleWindow& w) { w.isEnabled = on; }); });
    connect(m_start, &QTimeEdit::timeChanged, this, [this](QTime time) {
        edit([time](ScheduleWindow& w) { w.startMinutes = minuteOfDay(time); });
    });
    connect(m_end, &QTimeEdit::timeChanged, this, [this](QTime time) {
        edit([time](ScheduleWindow& w) { w.endMinutes = minuteOfDay(time); });
    });
    connect(m_remove, &QToolButton::clicked, this, [this] { m_state.removeScheduleWindow(m_id); });
}

QTimeEdit* ScheduleWindowRow::picker() {
    auto* edit = new QTimeEdit(this);
    edit->setDisplayFormat(timeFormat(QLocale::system()));
    // The day is a circle here (windows cross midnight): 23 steps on to 0, 00 back to 59.
    edit->setWrapping(true);
    return edit;
}

void ScheduleWindowRow::setWindow(const ScheduleWindow& window) {
    const QSignalBlocker enabled(m_enabled);
    const QSignalBlocker start(m_start);
    const QSignalBlocker end(m_end);
    m_enabled->setChecked(window.isEnabled);
    m_start->setTime(timeOfMinute(window.startMinutes));
    m_end->setTime(timeOfMinute(window.endMinutes));
    m_opacity = window.isEnabled ? 1.0 : disabledOpacity;
    m_dimming->setOpacity(m_opacity * m_listOpacity);
}

void ScheduleWindowRow::setListOpacity(qreal opacity) {
    m_listOpacity = opacity;
    m_dimming->setOpacity(m_opacity * m_listOpacity);
}

QString ScheduleWindowRow::timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // The seconds field and the separator before it: "HH:mm:ss" and "h:mm:ss AP" lose ":ss".
    static const QRegularExpression seconds(QStringLiteral("[^A-Za-z']*\\bs{1,2}\\b"));
    format.remove(seconds);
    return format.trimmed();
}

template <typename Change> void ScheduleWindowRow::edit(Change change) {
    ScheduleWindows windows = m_state.scheduleWindows();
    const auto window = std::find_if(windows.begin(), windows.end(),
                                     [this](const ScheduleWindow& w) { return w.id == m_id; });
    // Removed meanwhile, by another row or another view: nothing left to change.
    if (window == windows.end())
        return;
    change(*window);
    m_state.setScheduleWindows(windows);
}

} // namespace lullwick
