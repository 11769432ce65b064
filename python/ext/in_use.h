// One caller at a time for objects whose C++ side takes one: a call made while another is in
// progress, from a second thread while the first released the GIL or from a callback of the first,
// is refused with RuntimeError.
#ifndef CMDS_PYTHON_IN_USE_H
#define CMDS_PYTHON_IN_USE_H

#include <stdexcept>

namespace cmds_python {

class InUse {
public:
    InUse(bool& busy, const char* refusal) : busy_(busy) {
        if (busy_) {
            throw std::runtime_error(refusal);
        }
        busy_ = true;
    }
    ~InUse() { busy_ = false; }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;

private:
    bool& busy_;
};

}  // namespace cmds_python

#endif
