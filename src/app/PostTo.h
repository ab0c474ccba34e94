#pragma once

#include <QCoreApplication>
#include <QPointer>

namespace lullwick {

// Runs work(*target) on the GUI thread if target still exists then. Callable from any thread:
// the weak reference is only dereferenced on the GUI thread.
template <typename Target, typename Work> void postTo(const QPointer<Target>& target, Work work) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [target, work = std::move(work)] {
            if (target)
                work(*target);
        },
        Qt::QueuedConnection);
}

} // namespace lullwick
