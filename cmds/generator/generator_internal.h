// The gathering of one writer call's output, shared by the command writers.
#ifndef CMDS_GENERATOR_GENERATOR_INTERNAL_H
#define CMDS_GENERATOR_GENERATOR_INTERNAL_H

#include <exception>
#include <ios>

#include "cmds/generator/generator.h"

namespace cmds {

// Opened at the start of every public writer. The outermost one decides whether to gather and
// hands the gathered bytes to the stream when the writer returns, also when it leaves by an
// exception, so the stream receives the same bytes as if each piece had been written at once.
class CGenerator::Batch {
public:
    explicit Batch(CGenerator& generator)
        : generator_(generator), uncaught_(std::uncaught_exceptions()) {
        if (generator_.batchDepth_++ == 0) {
            const std::ostream& out = generator_.out_;
            generator_.batching_ =
                out.good() && out.tie() == nullptr && (out.flags() & std::ios_base::unitbuf) == 0;
        }
    }

    // A normal return hands the bytes over here, where an error of the stream may be thrown.
    ~Batch() noexcept(false) {
        if (--generator_.batchDepth_ == 0) {
            generator_.batching_ = false;
            generator_.Flush(std::uncaught_exceptions() > uncaught_);
        }
    }

    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    CGenerator& generator_;
    const int uncaught_;
};

}  // namespace cmds

#endif
