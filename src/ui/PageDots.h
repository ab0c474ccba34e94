#pragma once

#include <QWidget>

namespace lullwick {

// A row of small circles, one per page; the current page's is drawn in the text colour.
class PageDots : public QWidget {
    Q_OBJECT

public:
    static constexpr int diameter = 7;
    static constexpr int spacing = 6;

    explicit PageDots(int count, QWidget* parent = nullptr);

    void setCurrent(int index);
    QSize sizeHint() const override;

    // Where the centre of dot index is, in this widget.
    QPoint dotCentre(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_count;
    int m_current = 0;
};

} // namespace lullwick
