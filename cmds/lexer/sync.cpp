#include "cmds/lexer/sync_internal.h"

#include <chrono>

namespace cmds::detail {

int CSyncEvent::Lock(std::uint32_t timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool signalled =
        signal_.wait_for(lock, std::chrono::milliseconds(timeout), [this] { return signalled_; });
    return signalled ? 0 : -1;
}

int CSyncEvent::Unlock(long, long) {
    Set();
    return 0;
}

bool CSyncEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    signal_.notify_all();
    return true;
}

bool CSyncEvent::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
    return true;
}

int CSyncSection::Lock(std::uint32_t) {
    mutex_.lock();
    return 0;
}

int CSyncSection::Unlock(long, long) {
    mutex_.unlock();
    return 0;
}

}  // namespace cmds::detail
