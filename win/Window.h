#pragma once
// Small base for our windows: the object pointer is stored on WM_NCCREATE and
// every message goes to the object's HandleMessage. An exception that leaves
// a handler is caught here and shown to the user.
#include <windows.h>

#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers a window class whose procedure dispatches to Window objects.
    static void RegisterWindowClass(const wchar_t* className, HCURSOR cursor, HBRUSH background, UINT style = 0);
    // Creates the window for this object; throws on failure.
    void CreateFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY; the handle is gone by then.
    virtual void OnFinalDestroy() {}

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace shubiao
