#pragma once

#include "core/ScheduleWindow.h"

#include <QUuid>
#include <QWidget>

class QCheckBox;
class QGraphicsOpacityEffect;
class QLocale;
class QTimeEdit;
class QToolButton;

namespace lullwick {

class AppState;

// One listening window on the hours page: its switch, start, end and remove button. Every
// edit goes straight into the state object; the row keeps only the window's id.
class ScheduleWindowRow : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal disabledOpacity = 0.55;

    ScheduleWindowRow(AppState& state, const ScheduleWindow& window, QWidget* parent = nullptr);

    QUuid id() const { return m_id; }
    // Shows the window's values; the id must stay the row's.
    void setWindow(const ScheduleWindow& window);

    // The locale's short time format with any seconds dropped: the C locale's has them.
    static QString timeFormat(const QLocale& locale);

    QCheckBox* enabledSwitch() const { return m_enabled; }
    QTimeEdit* startPicker() const { return m_start; }
    QTimeEdit* endPicker() const { return m_end; }
    QToolButton* removeButton() const { return m_remove; }
    // The row's own dimming (1 or 0.55), before the list's.
    qreal opacity() const { return m_opacity; }
    // The list's opacity, under which the row is drawn: effects do not nest.
    void setListOpacity(qreal opacity);

private:
    QTimeEdit* picker();
    // Writes the window with this row's id back into the list, changed.
    template <typename Change> void edit(Change change);

    AppState& m_state;
    QUuid m_id;
    QCheckBox* m_enabled;
    QTimeEdit* m_start;
    QTimeEdit* m_end;
    QToolButton* m_remove;
    QGraphicsOpacityEffect* m_dimming;
    qreal m_opacity = 1.0;
    qreal m_listOpacity = 1.0;
};

} // namespace lullwick
