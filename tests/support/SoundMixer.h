#pragma once

// A client of the private sound server that moves record streams as a mixer does (pavucontrol,
// GNOME's sound settings): it stays connected while the move is carried out. pactl cannot: it
// leaves as soon as the server acknowledged, and PipeWire's pulse server (0.3.65) then and
// again drops the move it had acknowledged, with the connection it was to make it through.

#include <QDeadlineTimer>
#include <QString>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

namespace lullwick::test {

class SoundMixer {
public:
    SoundMixer() : m_loop(pa_mainloop_new()) {
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Lullwick test mixer");
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        iterateUntil([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
    }
    ~SoundMixer() {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_mainloop_free(m_loop);
    }
    Q_DISABLE_COPY(SoundMixer)

    // Asks the server to move a record stream to a source; whether it acknowledged the move.
    bool moveSourceOutput(const QString& stream, const QString& source) {
        if (pa_context_get_state(m_context) != PA_CONTEXT_READY)
            return false;
        struct Answer {
            bool given = false, success = false;
        } answer;
        pa_operation* operation = pa_context_move_source_output_by_name(
            m_context, stream.toUInt(), source.toUtf8().constData(),
            [](pa_context*, int success, void* data) {
                *static_cast<Answer*>(data) = {true, success != 0};
            },
            &answer);
        if (operation == nullptr)
            return false;
        iterateUntil([&] { return answer.given; });
        // Not called back once cancelled: the answer may go.
        if (!answer.given)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return answer.success;
    }

private:
    template <typename Done> void iterateUntil(Done&& done) {
        const QDeadlineTimer deadline(5000);
        while (!done() && !deadline.hasExpired()) {
            if (pa_mainloop_prepare(m_loop, 100 * 1000) < 0 || pa_mainloop_poll(m_loop) < 0 ||
                pa_mainloop_dispatch(m_loop) < 0) {
                return;
            }
        }
    }

    pa_mainloop* m_loop;
    pa_context* m_context;
};

} // namespace lullwick::test
