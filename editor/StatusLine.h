#pragma once
// StatusLine: a short line at the foot of the editor that says what an
// action did ("已应用 5 个鼠标指针") and goes away by itself, with a button
// that opens a folder when the action made one. Nothing to click away: the
// line replaces a message box for what went well. Screen readers hear it: the
// text is a static control (its accessible name is its text), marked as a
// polite live region, and every new text raises the live region's event.
#include <windows.h>

#include <string>

#include "editor/Desktop.h"

namespace shubiao {

class StatusLine {
public:
    // Control ids of the line's text and its button, children of the parent.
    static constexpr int kTextId = 320;
    static constexpr int kOpenId = 321;
    static constexpr UINT kShownMilliseconds = 8000;
    static constexpr const wchar_t* kOpenCaption = L"打开文件夹";

    explicit StatusLine(Desktop& desktop) : desktop_(desktop) {}
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;
    ~StatusLine();

    // Makes the text and the button, hidden, as children of `parent`, after
    // its other children in the tab order.
    void Create(HWND parent);
    // Places the text and the button (pixels of the parent) in `font`.
    void Place(const RECT& text, const RECT& button, HFONT font);

    // Shows `text` for kShownMilliseconds; with a `folder`, the button beside
    // it opens that folder in Explorer (through Desktop::StartProgram).
    void Show(const std::wstring& text, const std::wstring& folder = {});
    void Hide();

    // The parent's WM_COMMAND: true when it came from the button.
    bool Command(WPARAM wParam, LPARAM lParam);
    // The parent's WM_CTLCOLORSTATIC for the text: its brush, else nullptr.
    HBRUSH Colours(HWND control, HDC dc) const;

    bool Shown() const { return text_ != nullptr && IsWindowVisible(text_) != FALSE; }
    const std::wstring& Text() const { return shown_; }
    const std::wstring& Folder() const { return folder_; }
    HWND TextWindow() const { return text_; }
    HWND OpenButton() const { return open_; }
    // How long a text stays; tests shorten it.
    void SetDuration(UINT milliseconds) { duration_ = milliseconds; }

private:
    static void CALLBACK Expire(HWND window, UINT message, UINT_PTR id, DWORD time);

    Desktop& desktop_;
    HWND text_ = nullptr;
    HWND open_ = nullptr;
    std::wstring shown_;
    std::wstring folder_;
    UINT duration_ = kShownMilliseconds;
    bool live_ = false;  // marked as a live region (at its first Show)
};

}  // namespace shubiao
