#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QGraphicsOpacityEffect;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace lullwick {

class AppState;
class ScheduleWindowRow;

// Page 3: the only editor of the listening hours. It shows the state object's windows as
// they are and keeps no list of its own.
class ListeningHoursPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int maxListHeight = 132;
    static constexpr qreal offOpacity = 0.5;

    explicit ListeningHoursPage(AppState& state, QWidget* parent = nullptr);

    // One row per window, in list order.
    const QList<ScheduleWindowRow*>& rows() const { return m_rows; }
    QWidget* windowList() const { return m_list; }
    qreal windowListOpacity() const { return m_listOpacity; }
    QScrollArea* scrollArea() const { return m_scroll; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitScrollArea();
    void showScheduleEnabled();
    void showWindows();
    void dim(QWidget* widget);

    AppState& m_state;
    QCheckBox* m_scheduleSwitch;
    QWidget* m_list;
    // The hint and the button; the rows dim themselves.
    QList<QGraphicsOpacityEffect*> m_listDimming;
    qreal m_listOpacity = 1.0;
    QLabel* m_emptyHint;
    QScrollArea* m_scroll;
    QVBoxLayout* m_rowStack;
    QList<ScheduleWindowRow*> m_rows;
};

} // namespace lullwick
