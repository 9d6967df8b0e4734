#include "scheme/WriterLock.h"

#include <utility>

namespace shubiao {

namespace {
std::wstring& LockNameOverride() {
    static std::wstring name;
    return name;
}
}  // namespace

const wchar_t* WriterLockName() {
    const std::wstring& name = LockNameOverride();
    return name.empty() ? kWriterLockName : name.c_str();
}

void SetWriterLockName(std::wstring name) { LockNameOverride() = std::move(name); }

WriterLock::WriterLock(DWORD milliseconds, bool pumpMessages, const wchar_t* name) {
    mutex_.reset(CreateMutexW(nullptr, FALSE, name));
    if (!mutex_) {
        error_ = GetLastError();
        return;
    }
    HANDLE handle = mutex_.get();
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD waited = pumpMessages ? MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT)
                                          : WaitForSingleObject(handle, left);
        // An abandoned mutex is ours now: its writer ended in the middle, and
        // each write leaves every role whole or as it was.
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0) {
            state_ = State::Held;
            return;
        }
        if (waited == WAIT_TIMEOUT) {
            state_ = State::TimedOut;
            return;
        }
        if (pumpMessages && waited == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                    state_ = State::TimedOut;
                    return;
                }
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            continue;
        }
        error_ = GetLastError();
        state_ = State::Failed;
        return;
    }
}

WriterLock::~WriterLock() {
    if (state_ == State::Held) ReleaseMutex(mutex_.get());
}

}  // namespace shubiao
