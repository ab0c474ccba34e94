#include "Timers.h"

namespace lullwick {

void Timers::singleShot(std::chrono::milliseconds delay, QObject* context,
                        std::function<void()> work) {
    // Owned by context, so it dies with it and never fires into a destroyed object.
    Timer* timer = create(Mode::singleShot, context);
    QObject::connect(timer, &Timer::timeout, context, [timer, work = std::move(work)] {
        timer->deleteLater();
        work();
    });
    timer->start(delay);
}

} // namespace lullwick
