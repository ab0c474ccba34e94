#pragma once

#include <QWidget>

class QLabel;

namespace lullwick {

class MascotPictures;
class MascotView;

// The "Good night!" card: the sleeping mascot with Zs above the words.
class GoodNightView : public QWidget {
    Q_OBJECT

public:
    explicit GoodNightView(MascotPictures& pictures, QWidget* parent = nullptr);

    MascotView* mascot() const { return m_mascot; }
    QLabel* label() const { return m_label; }

private:
    MascotView* m_mascot;
    QLabel* m_label;
};

} // namespace lullwick
