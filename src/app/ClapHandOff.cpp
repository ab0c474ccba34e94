#include "ClapHandOff.h"

#include "PostTo.h"
#include "core/ClapDetector.h"

#include <memory>

namespace lullwick {

void handClapsTo(ClapDetector& detector, QObject& receiver,
                 std::function<void(const HeardClap&)> onHeard) {
    const QPointer<QObject> target(&receiver);
    // Shared, so that a post copies a pointer rather than the handler.
    const auto handler =
        std::make_shared<const std::function<void(const HeardClap&)>>(std::move(onHeard));
    const auto post = [target, handler](bool isDouble) {
        const HeardClap heard{isDouble, std::chrono::steady_clock::now()};
        postTo(target, [handler, heard](QObject&) { (*handler)(heard); });
    };
    detector.setOnClap([post] { post(false); });
    detector.setOnDoubleClap([post] { post(true); });
}

} // namespace lullwick
