#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace wendolarka::lists {

// Photos of a list read and checked on a second thread, a little ahead of the
// rows being written, so reading thousands of files overlaps the database's
// work. The photos come out in row order; nothing is read past what the
// writer may still take, and the thread stops when the prefetch goes.
class TPhotoPrefetch {
public:
    struct TPhoto {
        std::optional<QByteArray> bytes;
        QString warning; // why there is none, when there should have been one
    };
    // `load(i)` makes photo i; it runs on the second thread and must not throw.
    TPhotoPrefetch(std::size_t count, std::function<TPhoto(std::size_t)> load);
    ~TPhotoPrefetch();
    TPhotoPrefetch(const TPhotoPrefetch&) = delete;
    TPhotoPrefetch& operator=(const TPhotoPrefetch&) = delete;

    // Photo i, waiting for it when it is not read yet; each is taken once, in order.
    TPhoto take(std::size_t i);

    static constexpr std::size_t kAhead = 64;

private:
    void run();

    std::function<TPhoto(std::size_t)> m_load;
    std::vector<TPhoto> m_photos;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_ready = 0; // photos [0, m_ready) are read
    std::size_t m_taken = 0; // photos [0, m_taken) are taken
    bool m_stop = false;
    std::thread m_thread; // last: started when everything above is there
};

} // namespace wendolarka::lists
