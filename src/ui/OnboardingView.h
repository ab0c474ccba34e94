#pragma once

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
    static constexpr int pageCount = 5;
    // The window's size where the screen has room for it; only its height ever gives way.
    static constexpr QSize fixedSize{560, 620};
    // Around the page: left, top, right, bottom.
    static constexpr QMargins contentMargins{40, 28, 40, 0};

    // page must be in 0…pageCount - 1; pictures: the folder of the welcome picture.
    OnboardingView(AppState& state, int page, QString pictures, QWidget* parent = nullptr);

    int page() const { return m_page; }
    QWidget* pageWidget() const { return m_pageWidget; }

    // What the forward button and Return do: the next page, or "Finish" on the last one.
    void forward();
    void back();

signals:
    // "Finish" was chosen: the window should close.
    void finishRequested();

private:
    void showPage(int page);

    AppState& m_state;
    QString m_pictures;
    int m_page = -1;
    QVBoxLayout* m_content;
    QWidget* m_pageWidget = nullptr;
    PageDots* m_dots;
    QPushButton* m_back;
    QPushButton* m_forward;
};

} // namespace lullwick
