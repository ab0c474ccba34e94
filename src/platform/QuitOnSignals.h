#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace lullwick {

// Ends the event loop with status 0 on SIGINT or SIGTERM, so that whatever runs is shut down
// in order (capture stopped, tray icon removed) instead of the process dying mid-way.
class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

    // False when the signals could not be watched; they then keep their default action.
    bool isWatching() const { return m_notifier != nullptr; }

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace lullwick
