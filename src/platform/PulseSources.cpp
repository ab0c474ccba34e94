#include "PulseSources.h"

#include <algorithm>
#include <pulse/pulseaudio.h>

namespace lullwick {
namespace {

bool isMonitor(const pa_source_info& info) {
    return info.monitor_of_sink != PA_INVALID_INDEX;
}

void subscribe(pa_context* context, pa_subscription_mask_t mask) {
    if (pa_operation* operation = pa_context_subscribe(context, mask, nullptr, nullptr))
        pa_operation_unref(operation);
}

} // namespace

struct PulseSources::Callbacks {
    static PulseSources& self(void* data) { return *static_cast<PulseSources*>(data); }

    static void serverRead(pa_context*, const pa_server_info* info, void* data) {
        PulseSources& sources = self(data);
        if (info != nullptr && info->default_source_name != nullptr)
            sources.m_defaultName = info->default_source_name;
        sources.m_queryDone = true;
        sources.m_connection.wake();
    }

    static void sourceListed(pa_context*, const pa_source_info* info, int eol, void* data) {
        PulseSources& sources = self(data);
        if (eol != 0 || info == nullptr) {
            sources.m_queryDone = true;
            sources.m_connection.wake();
            return;
        }
        if (!isMonitor(*info))
            sources.m_microphones.push_back(info->index);
        if (info->name != nullptr && sources.m_defaultName == info->name) {
            sources.m_default =
                Source{info->name,        info->description ? info->description : info->name,
                       info->index,       isMonitor(*info),
                       info->sample_spec, info->channel_map};
        }
    }

    // Volume, mute, suspend and our own stream arrive as source "change" events; they are
    // not configuration changes and are not even asked for details.
    static void event(pa_context* context, pa_subscription_event_type_t event, std::uint32_t index,
                      void* data) {
        const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        PulseSources& sources = self(data);
        if (sources.m_onPlaybackEvent && (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT ||
                                          facility == PA_SUBSCRIPTION_EVENT_SERVER))
            sources.m_onPlaybackEvent(event);
        pa_operation* operation = nullptr;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER && type == PA_SUBSCRIPTION_EVENT_CHANGE)
            operation = pa_context_get_server_info(context, serverChanged, data);
        else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && type == PA_SUBSCRIPTION_EVENT_NEW)
            operation = pa_context_get_source_info_by_index(context, index, sourceAdded, data);
        else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && type == PA_SUBSCRIPTION_EVENT_REMOVE)
            sourceRemoved(self(data), index);
        if (operation != nullptr)
            pa_operation_unref(operation);
    }

    static void serverChanged(pa_context*, const pa_server_info* info, void* data) {
        PulseSources& sources = self(data);
        if (info == nullptr)
            return;
        const std::string name = info->default_source_name ? info->default_source_name : "";
        if (name != sources.m_defaultName) {
            sources.m_defaultName = name;
            sources.m_onChange();
        }
    }

    static void sourceAdded(pa_context*, const pa_source_info* info, int eol, void* data) {
        PulseSources& sources = self(data);
        if (eol != 0 || info == nullptr || isMonitor(*info))
            return;
        sources.m_microphones.push_back(info->index);
        sources.m_onChange();
    }

    static void sourceRemoved(PulseSources& sources, std::uint32_t index) {
        auto& microphones = sources.m_microphones;
        const auto it = std::find(microphones.begin(), microphones.end(), index);
        if (it == microphones.end())
            return;
        microphones.erase(it);
        sources.m_onChange();
    }
};

PulseSources::PulseSources(PulseConnection& connection, std::function<void()> onChange)
    : m_connection(connection), m_onChange(std::move(onChange)) {}

void PulseSources::followPlaybackLocked(std::function<void(std::uint32_t event)> onEvent) {
    m_onPlaybackEvent = std::move(onEvent);
    subscribe(m_connection.context(),
              static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER |
                                                  PA_SUBSCRIPTION_MASK_SOURCE |
                                                  PA_SUBSCRIPTION_MASK_SINK_INPUT));
}

std::optional<DetectorError> PulseSources::readLocked(PulseConnection::Deadline deadline) {
    pa_context* context = m_connection.context();
    // Subscribed before anything is read, so that no change in between goes unnoticed.
    pa_context_set_subscribe_callback(context, Callbacks::event, this);
    subscribe(context, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER |
                                                           PA_SUBSCRIPTION_MASK_SOURCE));

    m_queryDone = false;
    if (auto error = m_connection.finishLocked(
            pa_context_get_server_info(context, Callbacks::serverRead, this), m_queryDone,
            deadline))
        return error;
    if (m_defaultName.empty())
        return std::nullopt;
    m_queryDone = false;
    m_microphones.clear();
    return m_connection.finishLocked(
        pa_context_get_source_info_list(context, Callbacks::sourceListed, this), m_queryDone,
        deadline);
}

} // namespace lullwick
