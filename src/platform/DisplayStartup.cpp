#include "DisplayStartup.h"

#include <QString>
#include <cstdio>
#include <unistd.h>

namespace lullwick {
namespace {

bool usesX11() {
    return qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("xcb"));
}

// A message handler is a bare function: it finds its start through this.
QuietDisplayStart* g_start = nullptr;

} // namespace

bool chooseDisplayPlatform() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (usesX11() && qEnvironmentVariable("DISPLAY").isEmpty()) {
        std::fprintf(stderr, "Lullwick: no display (DISPLAY is not set); the tray "
                             "application needs a running desktop session.\n");
        return false;
    }
    return true;
}

QuietDisplayStart::QuietDisplayStart() : m_display(usesX11() ? qgetenv("DISPLAY") : QByteArray()) {
    Q_ASSERT(!g_start);
    g_start = this;
    m_previous = qInstallMessageHandler(&QuietDisplayStart::handle);
    m_active = true;
}

void QuietDisplayStart::end() {
    if (!m_active)
        return;
    qInstallMessageHandler(m_previous);
    g_start = nullptr;
    m_active = false;
}

void QuietDisplayStart::handle(QtMsgType type, const QMessageLogContext& context,
                               const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "Lullwick: cannot connect to the display \"%s\"; the tray application "
                     "needs a running desktop session.\n",
                     g_start->m_display.constData());
        std::fflush(stderr);
        _exit(1);
    }
    if (QByteArray(context.category ? context.category : "").startsWith("qt.qpa"))
        return;
    if (g_start->m_previous)
        g_start->m_previous(type, context, text);
}

} // namespace lullwick
