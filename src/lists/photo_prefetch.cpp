#include "lists/photo_prefetch.h"

namespace wendolarka::lists {

TPhotoPrefetch::TPhotoPrefetch(std::size_t count, std::function<TPhoto(std::size_t)> load)
    : m_load(std::move(load)), m_photos(count), m_thread([this] { run(); }) {}

TPhotoPrefetch::~TPhotoPrefetch() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void TPhotoPrefetch::run() {
    for (std::size_t i = 0; i < m_photos.size(); ++i) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || i < m_taken + kAhead; });
            if (m_stop)
                return;
        }
        TPhoto photo = m_load(i);
        {
            const std::lock_guard lock(m_mutex);
            m_photos[i] = std::move(photo);
            m_ready = i + 1;
        }
        m_changed.notify_all();
    }
}

TPhotoPrefetch::TPhoto TPhotoPrefetch::take(std::size_t i) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_ready > i; });
    TPhoto photo = std::move(m_photos[i]);
    m_photos[i] = {};
    m_taken = i + 1;
    lock.unlock();
    m_changed.notify_all();
    return photo;
}

} // namespace wendolarka::lists
