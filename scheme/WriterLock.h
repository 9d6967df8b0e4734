#pragma once
// One writer of the pointers at a time, and a lock only those it protects can
// hold. Every write of either program (the window's Apply and Restore, the
// console's verbs) holds the lock of its scope:
//   User     the user's own things (the user's pointers, the user's list, the
//            user's store, an export): an exclusive lock file in the user's
//            roaming store. The profile's permissions keep other users out of
//            it, so only this user's other ShuBiao can block these writes.
//   Machine  the machine's (%SystemRoot%\Cursors\<scheme>\ and HKLM's list,
//            `ShuBiaoCmd install`): a mutex in a private namespace whose
//            boundary is the Administrators group, so only an administrator
//            can make or open it; where kernel32 lacks those functions or they
//            fail (Wine 8), the named mutex in the Global\ namespace.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

// A private namespace and a boundary descriptor, closed by the functions
// kernel32 exports for them (loaded at run time: scheme/WriterLock.cpp).
struct PrivateNamespaceTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle);
};
struct BoundaryDescriptorTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle);
};

inline constexpr const wchar_t* kWriterLockName = L"Global\\ShuBiao.PointerWriter";
// How long either program waits for another writer before it gives up.
inline constexpr DWORD kWriterLockWaitMilliseconds = 10000;
// The user's lock file, in the roaming store (scheme/Store.h).
inline constexpr const wchar_t* kWriterLockFile = L"Writer.lock";

// The name the Machine lock's mutex takes: kWriterLockName in the shipped
// programs. The test builds (the tests and ShuBiaoCmdTest.exe) set a name of
// their own with SetWriterLockName, so that test runs side by side never
// wait for each other or for a real writer. (The User lock's file follows the
// store, which the tests set with SetStoreFolders.)
const wchar_t* WriterLockName();
void SetWriterLockName(std::wstring name);

// What a write changes: the user's own things or the machine's. Every action
// says which it needs of the lock it is given.
enum class WriteScope { User, Machine };

class WriterLock {
public:
    enum class State {
        Held,      // this object holds the lock
        TimedOut,  // another writer held it for the whole wait
        Failed,    // the lock could not be made or waited on (`error`)
    };

    // Waits up to `milliseconds` for the lock of `scope`. With `pumpMessages`
    // the wait handles this thread's messages meanwhile (the window program's
    // wait, which must not freeze its windows).
    explicit WriterLock(DWORD milliseconds, bool pumpMessages = false, WriteScope scope = WriteScope::User);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    State state() const { return state_; }
    bool held() const { return state_ == State::Held; }
    DWORD error() const { return error_; }  // Failed: Windows' error
    WriteScope scope() const { return scope_; }
    // User: the lock file (empty when Windows could not say where the store
    // is). Machine: the mutex's name as made.
    const std::wstring& where() const { return where_; }
    // Machine: whether the mutex lies in the Administrators' private
    // namespace (false: the Global\ fallback).
    bool privateNamespace() const { return static_cast<bool>(namespace_); }
    // The proof an action asks for: held, for `scope`. A User lock does not
    // cover the machine's writes, nor a Machine lock the user's.
    bool Covers(WriteScope scope) const { return held() && scope == scope_; }

private:
    void WaitForFile(DWORD milliseconds, bool pumpMessages);
    void WaitForMutex(DWORD milliseconds, bool pumpMessages);
    void OpenPrivateNamespace();

    WriteScope scope_;
    std::wstring where_;
    UniqueFile file_;
    // Closed in this order: the mutex, then the namespace, then its boundary.
    Unique<HANDLE, BoundaryDescriptorTraits> boundary_;
    Unique<HANDLE, PrivateNamespaceTraits> namespace_;
    UniqueHandle mutex_;
    State state_ = State::Failed;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace shubiao
