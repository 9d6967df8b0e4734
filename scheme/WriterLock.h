#pragma once
// One writer of the pointers at a time: every write of either program (the
// window's Apply and Restore, the console's verbs) holds a named mutex in
// the Global\ namespace, since %windir%\Cursors and HKLM's list are shared by
// every user and session of the machine.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

inline constexpr const wchar_t* kWriterLockName = L"Global\\ShuBiao.PointerWriter";
// How long either program waits for another writer before it gives up.
inline constexpr DWORD kWriterLockWaitMilliseconds = 10000;

// The name every WriterLock takes unless given one: kWriterLockName in the
// shipped programs. The test builds (the tests and ShuBiaoCmdTest.exe) set
// a name of their own with SetWriterLockName, so that test runs side by side
// never wait for each other or for a real writer.
const wchar_t* WriterLockName();
void SetWriterLockName(std::wstring name);

// What a write changes: the user's own things (the user's pointers, the
// user's list, an export) or the machine's (%windir%\Cursors\<scheme>\ and
// HKLM's list). Every action says which it needs of the lock it is given.
enum class WriteScope { User, Machine };

class WriterLock {
public:
    enum class State {
        Held,      // this object holds the lock
        TimedOut,  // another writer held it for the whole wait
        Failed,    // the mutex could not be made or waited on
    };

    // Waits up to `milliseconds` for the lock. With `pumpMessages` the wait
    // handles this thread's messages meanwhile (the window program's wait,
    // which must not freeze its windows).
    explicit WriterLock(DWORD milliseconds, bool pumpMessages = false, const wchar_t* name = WriterLockName());
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    State state() const { return state_; }
    bool held() const { return state_ == State::Held; }
    DWORD error() const { return error_; }  // Failed: Windows' error
    // The proof an action asks for: held, for `scope`. One mutex serves both
    // scopes for now, so a held lock covers either.
    bool Covers(WriteScope scope) const {
        (void)scope;
        return held();
    }

private:
    UniqueHandle mutex_;
    State state_ = State::Failed;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace shubiao
