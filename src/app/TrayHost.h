#pragma once

#include <QObject>
#include <chrono>

namespace lullwick {

// Whether the desktop shows tray icons. Qt picks the kind of tray icon once per process, so
// the icon is made only once a host is there (or the wait is given up).
class TrayHost : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~TrayHost() override = default;

    // Starts waiting without blocking, for at most limit; ready is emitted once.
    virtual void waitForHost(std::chrono::milliseconds limit) = 0;

signals:
    // found: a host appeared in time (false: the wait was given up).
    void ready(bool found);
};

} // namespace lullwick
