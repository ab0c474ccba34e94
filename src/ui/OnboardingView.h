#pragma once

#include "app/SetupPage.h"

#include <QMargins>
#include <QSize>
#include <QWidget>

class QPushButton;
class QVBoxLayout;

namespace lullwick {

class AppState;
class PageDots;

// The setup assistant's pager: the page in view above a footer of page dots with "Back"
// and one forward button. Every page is built afresh each time it comes into view.
class OnboardingView : public QWidget {
    Q_OBJECT

public:
    // The window's size where the screen has room for it; only its height ever gives way.
    static constexpr QSize fixedSize{560, 620};
    // Around the page: left, top, right, bottom.
    static constexpr QMargins contentMargins{40, 28, 40, 0};

    // pictures: the folder of the welcome picture.
    OnboardingView(AppState& state, SetupPage page, QString pictures, QWidget* parent = nullptr);

    SetupPage page() const { return m_page; }
    QWidget* pageWidget() const { return m_pageWidget; }

    // What the forward button and Return do: the next page, or "Finish" on the last one.
    void forward();
    void back();

signals:
    // "Finish" was chosen: the window should close.
    void finishRequested();

private:
    void showPage(SetupPage page);

    AppState& m_state;
    QString m_pictures;
    SetupPage m_page = SetupPage::welcome;
    QVBoxLayout* m_content;
    QWidget* m_pageWidget = nullptr;
    PageDots* m_dots;
    QPushButton* m_back;
    QPushButton* m_forward;
};

} // namespace lullwick
