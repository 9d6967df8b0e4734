#include "scheme/WriterLock.h"

#include <sddl.h>

#include <memory>
#include <utility>

#include "scheme/FileOps.h"
#include "scheme/Store.h"
#include "win/Dll.h"

namespace shubiao {

namespace {
std::wstring& LockNameOverride() {
    static std::wstring name;
    return name;
}

// How often a wait for the lock file looks again.
constexpr DWORD kFileRetryMilliseconds = 20;

// The private namespace of the Machine lock and its boundary.
constexpr const wchar_t* kBoundaryName = L"ShuBiao.Administrators";
constexpr const wchar_t* kNamespaceAlias = L"ShuBiao";

// Handles this thread's messages during a wait; false on WM_QUIT (posted
// again for the message loop, and the wait given up).
bool PumpWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// A function of kernel32 that older systems (and Wine) may lack.
template <typename F>
F* Kernel32(const char* name) {
    return SystemFunction<F>(L"kernel32.dll", name);
}

DWORD Left(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

const wchar_t* WriterLockName() {
    const std::wstring& name = LockNameOverride();
    return name.empty() ? kWriterLockName : name.c_str();
}

void SetWriterLockName(std::wstring name) { LockNameOverride() = std::move(name); }

WriterLock::WriterLock(DWORD milliseconds, bool pumpMessages, WriteScope scope) : scope_(scope) {
    if (scope == WriteScope::User) {
        WaitForFile(milliseconds, pumpMessages);
    } else {
        WaitForMutex(milliseconds, pumpMessages);
    }
}

// The lock file is opened with no sharing at all: while this handle is open
// every other open of it fails with ERROR_SHARING_VIOLATION, in this process
// and in any other, and Windows closes the handle when a holder ends, however
// it ends. The file lies in the user's own profile, which the profile's
// permissions keep other users out of, so no other user can hold it; it is
// kept (an empty file) rather than deleted on close, so that a holder's close
// never leaves a delete pending that the next writer would take for a
// refusal.
void WriterLock::WaitForFile(DWORD milliseconds, bool pumpMessages) {
    const std::wstring store = RoamingStoreFolder();
    if (store.empty()) {
        error_ = ERROR_PATH_NOT_FOUND;
        return;
    }
    where_ = store + kWriterLockFile;
    if (const DWORD made = EnsureFolderPath(store); made != ERROR_SUCCESS) {
        error_ = made;
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        file_.reset(CreateFileW(where_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_) {
            state_ = State::Held;
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            error_ = error;
            return;
        }
        const DWORD left = Left(deadline);
        if (left == 0) {
            state_ = State::TimedOut;
            return;
        }
        const DWORD step = left < kFileRetryMilliseconds ? left : kFileRetryMilliseconds;
        if (!pumpMessages) {
            Sleep(step);
            continue;
        }
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, step, QS_ALLINPUT) == WAIT_OBJECT_0 &&
            !PumpWaitingMessages()) {
            state_ = State::TimedOut;
            return;
        }
    }
}

// What stops a standard user from squatting on the Machine lock: the mutex
// lies in a private namespace whose boundary descriptor holds the
// Administrators SID. Windows creates or opens such a namespace only for a
// token that holds every SID of its boundary, an elevated administrator's,
// and the namespace itself grants access to Administrators only; so a
// standard user can neither make the namespace first nor make or open the
// mutex in it. Where kernel32 lacks these functions (Wine 8: the boundary
// descriptor is a stub returning NULL and the rest are missing) or they
// fail, the lock falls back to the Global\ mutex, which install, the only
// Machine writer, takes after its administrator check.
void WriterLock::OpenPrivateNamespace() {
    const auto create = Kernel32<decltype(::CreateBoundaryDescriptorW)>("CreateBoundaryDescriptorW");
    const auto addSid = Kernel32<decltype(::AddSIDToBoundaryDescriptor)>("AddSIDToBoundaryDescriptor");
    const auto createNamespace = Kernel32<decltype(::CreatePrivateNamespaceW)>("CreatePrivateNamespaceW");
    const auto openNamespace = Kernel32<decltype(::OpenPrivateNamespaceW)>("OpenPrivateNamespaceW");
    // Without the functions that close them, nothing is made.
    if (!create || !addSid || !createNamespace || !openNamespace ||
        !Kernel32<decltype(::ClosePrivateNamespace)>("ClosePrivateNamespace") ||
        !Kernel32<decltype(::DeleteBoundaryDescriptor)>("DeleteBoundaryDescriptor")) {
        return;
    }
    boundary_.reset(create(kBoundaryName, 0));
    if (!boundary_) return;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize)) return;
    HANDLE boundary = boundary_.release();  // the call may give back another descriptor
    const BOOL added = addSid(&boundary, sid);
    boundary_.reset(boundary);
    if (!added) return;
    // The namespace grants everything to Administrators and nothing to others.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)", SDDL_REVISION_1, &descriptor,
                                                             nullptr)) {
        const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, &LocalFree);
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
        namespace_.reset(createNamespace(&attributes, boundary_.get(), kNamespaceAlias));
        if (!namespace_ && GetLastError() == ERROR_ALREADY_EXISTS) {
            namespace_.reset(openNamespace(boundary_.get(), kNamespaceAlias));
        }
    }
}

void WriterLock::WaitForMutex(DWORD milliseconds, bool pumpMessages) {
    OpenPrivateNamespace();
    if (namespace_) {
        // The mutex's own name after the namespace's alias: "ShuBiao\ShuBiao.PointerWriter".
        const std::wstring name = WriterLockName();
        where_ = std::wstring(kNamespaceAlias) + L"\\" + name.substr(name.find_last_of(L'\\') + 1);
        mutex_.reset(CreateMutexW(nullptr, FALSE, where_.c_str()));
    }
    if (!mutex_) {
        where_ = WriterLockName();
        mutex_.reset(CreateMutexW(nullptr, FALSE, where_.c_str()));
    }
    if (!mutex_) {
        error_ = GetLastError();
        return;
    }
    HANDLE handle = mutex_.get();
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const DWORD left = Left(deadline);
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
            if (!PumpWaitingMessages()) {
                state_ = State::TimedOut;
                return;
            }
            continue;
        }
        error_ = GetLastError();
        state_ = State::Failed;
        return;
    }
}

WriterLock::~WriterLock() {
    if (mutex_ && state_ == State::Held) ReleaseMutex(mutex_.get());
}

void PrivateNamespaceTraits::close(HANDLE handle) {
    if (const auto close = Kernel32<decltype(::ClosePrivateNamespace)>("ClosePrivateNamespace")) close(handle, 0);
}

void BoundaryDescriptorTraits::close(HANDLE handle) {
    if (const auto remove = Kernel32<decltype(::DeleteBoundaryDescriptor)>("DeleteBoundaryDescriptor")) remove(handle);
}

}  // namespace shubiao
