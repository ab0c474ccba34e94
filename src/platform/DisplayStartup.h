#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace lullwick {

// Chooses X11 unless the user chose a platform: plain Wayland cannot place or raise the
// floating panels; XWayland can. False, with one line on stderr, when X11 it is and no
// display is named.
bool chooseDisplayPlatform();

// While the platform plugin starts, Qt reports a missing display as a page of warnings and an
// abort. From construction to end(), the plugin's messages are dropped and a fatal one ends
// the process with one line naming the display, and status 1. Spans the construction of the
// application object; one at a time.
class QuietDisplayStart {
public:
    QuietDisplayStart();
    ~QuietDisplayStart() { end(); }
    QuietDisplayStart(const QuietDisplayStart&) = delete;
    QuietDisplayStart& operator=(const QuietDisplayStart&) = delete;

    // Qt's handling of messages again.
    void end();

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QByteArray m_display;
    QtMessageHandler m_previous = nullptr;
    bool m_active = false;
};

} // namespace lullwick
