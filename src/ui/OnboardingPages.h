#pragma once

#include "app/SetupPage.h"

class QString;
class QWidget;

namespace lullwick {

class AppState;

// A new widget for the setup assistant's page. pictures: the folder of the welcome picture.
QWidget* createOnboardingPage(SetupPage page, AppState& state, const QString& pictures,
                              QWidget* parent);

} // namespace lullwick
