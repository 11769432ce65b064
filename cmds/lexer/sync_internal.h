// Lock objects of the feed stream: a manual-reset event with a timed wait and a mutual-exclusion
// lock, behind one small interface.
#ifndef CMDS_LEXER_SYNC_INTERNAL_H
#define CMDS_LEXER_SYNC_INTERNAL_H

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace cmds::detail {

// Lock returns 0 once acquired and -1 when `timeout` milliseconds passed first.
class CSyncBase {
public:
    CSyncBase() = default;
    CSyncBase(const CSyncBase&) = delete;
    CSyncBase& operator=(const CSyncBase&) = delete;
    virtual ~CSyncBase() = default;

    virtual int Lock(std::uint32_t timeout) = 0;
    // The arguments exist for the interface's sake; no implementation uses them.
    virtual int Unlock(long, long) = 0;
};

// Manual-reset event: stays signalled until Reset, and a signal wakes every waiter.
class CSyncEvent final : public CSyncBase {
public:
    explicit CSyncEvent(bool signalled) : signalled_(signalled) {}

    // Waits until the event is signalled; does not consume the signal.
    int Lock(std::uint32_t timeout) override;
    // Sets the event.
    int Unlock(long, long) override;

    bool Set();
    bool Reset();

private:
    std::mutex mutex_;
    std::condition_variable signal_;
    bool signalled_;
};

// Mutual exclusion without time-out: Lock ignores `timeout` and always returns 0.
class CSyncSection final : public CSyncBase {
public:
    int Lock(std::uint32_t timeout) override;
    int Unlock(long, long) override;

private:
    std::mutex mutex_;
};

// The feed stream's lock and its data event.
class FeedSync {
public:
    CSyncSection section;
    CSyncEvent dataEvent{false};
};

}  // namespace cmds::detail

#endif
