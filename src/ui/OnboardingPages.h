#pragma once

class QString;
class QWidget;

namespace lullwick {

class AppState;

// A new widget for the setup assistant's page number page (0…4; anything above is the
// last page). pictures: the folder of the welcome picture.
QWidget* createOnboardingPage(int page, AppState& state, const QString& pictures, QWidget* parent);

} // namespace lullwick
