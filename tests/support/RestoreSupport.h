#pragma once
// Helpers for the restore and the Mouse Properties automation tests: seeing
// the moment a program is started and the moment a window gets a message, and
// stand-in windows for the Mouse Properties dialog and its confirmation.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace shubiao::test {

// Calls `onMessage` whenever `window` receives `message` (sent or
// dispatched), before the window's own procedure handles it. Put back the
// window's procedure when it goes.
class MessageSpy {
public:
    using Callback = std::function<void(WPARAM, LPARAM)>;
    MessageSpy(HWND window, UINT message, Callback onMessage);
    ~MessageSpy();
    MessageSpy(const MessageSpy&) = delete;
    MessageSpy& operator=(const MessageSpy&) = delete;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    UINT message_;
    Callback onMessage_;
    WNDPROC original_ = nullptr;
};

// A visible top-level window with a given title that stands in for the
// Mouse Properties dialog or its confirmation: it records the lParam of
// every WM_KEYDOWN of the Enter key it gets.
class KeyTarget : public Window {
public:
    explicit KeyTarget(const std::wstring& title);

    std::vector<LPARAM> enterDowns;
    // Other key messages (key-ups, characters, other keys) that reached it.
    int otherKeyMessages = 0;

    // Dispatches the key messages posted to this window and nothing else, so
    // that no timer of the editor ticks meanwhile.
    void DeliverPostedKeys();
    bool Visible() const { return IsWindowVisible(hwnd()) != FALSE; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace shubiao::test
