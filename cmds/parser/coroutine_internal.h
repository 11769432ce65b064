// A body of code that runs on a stack of its own and can pause, so that the push reader can run
// the blocking reader over bytes that arrive later: the reader pauses where it needs a byte that
// has not arrived, and goes on when the host hands more over. No thread and no lock is involved;
// the body runs on the thread that resumes it.
#ifndef CMDS_PARSER_COROUTINE_INTERNAL_H
#define CMDS_PARSER_COROUTINE_INTERNAL_H

#include <cstddef>
#include <functional>
#include <memory>

namespace cmds::detail {

class Coroutine {
public:
    // The stack: large enough for the reader and for what the host's callbacks need; only the
    // pages actually touched take memory.
    static constexpr std::size_t kStackSize = std::size_t{1} << 20;

    explicit Coroutine(std::function<void()> body);
    ~Coroutine();

    Coroutine(const Coroutine&) = delete;
    Coroutine& operator=(const Coroutine&) = delete;

    // Runs the body until it pauses or ends. The body must not let an exception escape.
    void Resume();
    // From within the body: back to where Resume was called.
    void Pause();
    // Whether the body has returned.
    bool Done() const;

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace cmds::detail

#endif
