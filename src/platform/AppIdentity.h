#pragma once

namespace lullwick {

// The application's reverse-DNS id: desktop entry, autostart entry and icon name.
inline constexpr const char* appId = "org.lullwick.Lullwick";

} // namespace lullwick
