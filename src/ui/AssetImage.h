#pragma once

#include <QWidget>

namespace lullwick {

// A picture from the application's resources folder, read from its file every time it is
// drawn, filling the widget and cut to it; when the file is missing or unreadable, the
// fallback symbol in indigo on a light indigo ground.
class AssetImage : public QWidget {
    Q_OBJECT

public:
    // folder: where the pictures are; name: the picture's base name (".png" is added).
    AssetImage(QString folder, QString name, QString fallbackSymbol, QWidget* parent = nullptr);

    // Whether the last drawing showed the picture (false: the fallback).
    bool showedPicture() const { return m_showedPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_path;
    QString m_fallbackSymbol;
    bool m_showedPicture = false;
};

} // namespace lullwick
