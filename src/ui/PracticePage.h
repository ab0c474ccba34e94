#pragma once

#include <QWidget>
#include <memory>

class QLabel;

namespace lullwick {

class AppState;
class ClapArea;
class MascotPictures;

// Page 4: the user tries the double clap. While the page exists the state object is in
// practice mode: the microphone is open, claps are counted, and nothing leads to sleep.
class PracticePage : public QWidget {
    Q_OBJECT

public:
    // pictures: the mascot's folder.
    PracticePage(AppState& state, const QString& pictures, QWidget* parent = nullptr);
    ~PracticePage() override;

    ClapArea* clapArea() const { return m_clapArea; }
    QLabel* title() const { return m_title; }
    QLabel* status() const { return m_status; }
    QWidget* warning() const { return m_warning; }
    QLabel* hint() const { return m_hint; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showState();
    void countClap();

    AppState& m_state;
    std::unique_ptr<MascotPictures> m_pictures;
    QWidget* m_clapPlace;
    ClapArea* m_clapArea;
    QLabel* m_title;
    QLabel* m_status;
    QWidget* m_warning;
    QLabel* m_hint;
    qint64 m_claps = 0;
};

} // namespace lullwick
