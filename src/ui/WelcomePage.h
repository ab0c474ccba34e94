#pragma once

#include <QWidget>

namespace lullwick {

// Page 0: the hero picture and the greeting.
class WelcomePage : public QWidget {
    Q_OBJECT

public:
    // pictures: the folder holding onboarding-hero.png.
    WelcomePage(const QString& pictures, QWidget* parent = nullptr);
};

} // namespace lullwick
