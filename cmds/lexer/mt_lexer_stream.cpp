#include "cmds/lexer/mt_lexer_stream.h"

#include <algorithm>
#include <cstddef>

#include "cmds/lexer/get_area_internal.h"
#include "cmds/lexer/sync_internal.h"
#include "cmds/tokens/raise_internal.h"

namespace cmds {

namespace {

// How long a reader waits for data, and the time-out passed when taking the lock.
constexpr std::uint32_t kDefaultWaitMilliseconds = 120000;

// Holds the stream's lock for one operation and releases it on every way out.
class FeedLock {
public:
    explicit FeedLock(detail::CSyncBase& lock) : lock_(lock) {
        if (lock_.Lock(kDefaultWaitMilliseconds) == -1) {
            detail::ThrowDeadlockError();
        }
    }
    ~FeedLock() { lock_.Unlock(1, 0); }

    FeedLock(const FeedLock&) = delete;
    FeedLock& operator=(const FeedLock&) = delete;

private:
    detail::CSyncBase& lock_;
};

}  // namespace

CMtLexerStream::CMtLexerStream() : CMtLexerStream(kDefaultWaitMilliseconds) {}

CMtLexerStream::CMtLexerStream(std::uint32_t waitMilliseconds)
    : CLexerStream(ownedStream),
      waitMilliseconds_(waitMilliseconds),
      sync_(std::make_unique<detail::FeedSync>()) {}

CMtLexerStream::~CMtLexerStream() = default;

void CMtLexerStream::InsertToStream(const char* data, std::uint32_t length) {
    FeedLock lock(sync_->section);
    ownedStream.write(data, static_cast<std::streamsize>(length));
    // Counted in unsigned arithmetic so that the signed count wraps instead of overflowing.
    pending_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(pending_) + length);
    sync_->dataEvent.Set();
}

void CMtLexerStream::Abort() {
    FeedLock lock(sync_->section);
    aborted_ = true;
}

void CMtLexerStream::GetData(std::string& out) {
    FeedLock lock(sync_->section);
    out = ownedStream.str();
}

int CMtLexerStream::GetNextChar() {
    // The wait happens outside the lock so that feeders can insert meanwhile.
    if (sync_->dataEvent.Lock(waitMilliseconds_) == -1) {
        detail::ThrowDeadlockError();
    }
    FeedLock lock(sync_->section);
    if (aborted_) {
        detail::ThrowCancelError();
    }
    const int c = CLexerStream::GetNextChar();
    --pending_;
    // Reset together with the count, under the lock, so an insertion cannot slip between.
    if (pending_ == 0) {
        sync_->dataEvent.Reset();
    }
    return c;
}

void CMtLexerStream::PutBackChar(int c) {
    FeedLock lock(sync_->section);
    if (aborted_) {
        detail::ThrowCancelError();
    }
    CLexerStream::PutBackChar(c);
    ++pending_;
    if (pending_ != 0) {
        sync_->dataEvent.Set();
    }
}

// While characters are pending the data event is set, so a reader that finds some under the lock
// is where one that had waited for the event and then taken the lock would be.
bool CMtLexerStream::LendRun(const char*& begin, const char*& end) {
    if (sync_->section.Lock(kDefaultWaitMilliseconds) == -1) {
        return false;
    }
    if (!aborted_ && pending_ > 0 && ownedStream.good() &&
        detail::GetArea::Ready(*ownedStream.rdbuf(), begin, end)) {
        end = begin + std::min<std::ptrdiff_t>(end - begin, pending_);
        return true;
    }
    sync_->section.Unlock(1, 0);
    return false;
}

// The run never goes past the pending count, so the count reaches 0 at most at its last
// character, where reading one character at a time would have reset the event too.
void CMtLexerStream::ReturnRun(const char* begin, const char* next) {
    detail::GetArea::Advance(*ownedStream.rdbuf(), next);
    pending_ -= static_cast<std::int32_t>(next - begin);
    if (pending_ == 0) {
        sync_->dataEvent.Reset();
    }
    sync_->section.Unlock(1, 0);
}

bool CMtLexerStream::LocksWhileLent() const {
    return true;
}

bool CMtLexerStream::IsEof() {
    FeedLock lock(sync_->section);
    return aborted_ || CLexerStream::IsEof();
}

bool CMtLexerStream::Bad() {
    FeedLock lock(sync_->section);
    return CLexerStream::Bad();
}

int CMtLexerStream::GetPos() {
    FeedLock lock(sync_->section);
    return CLexerStream::GetPos();
}

void CMtLexerStream::SetPos(int pos) {
    FeedLock lock(sync_->section);
    CLexerStream::SetPos(pos);
}

}  // namespace cmds
