#pragma once
// The grid's tooltip (ToolTips.cpp): one common-controls tooltip window with
// one tool per box, made when the mouse first moves over a box. It reaches
// the grid through ToolTipGrid; the text is asked for each time the tip
// shows (TTN_GETDISPINFOW, which the grid passes on to Notify).
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

class PictureBox;

// What the tooltip needs of the grid.
class ToolTipGrid {
public:
    // The window that owns the tip and gets its notifications.
    virtual HWND Owner() const = 0;
    virtual UINT Dpi() const = 0;
    // The box that shows `role` (layout::kBoxRoles).
    virtual PictureBox& Picture(int role) = 0;
    // The role box `box` (a window) shows; 0 when it is none of the boxes.
    virtual int RoleOfBox(HWND box) const = 0;
    // The tip of the box of `role`.
    virtual std::wstring BoxToolTip(int role) const = 0;

protected:
    ~ToolTipGrid() = default;
};

class GridToolTip {
public:
    explicit GridToolTip(ToolTipGrid& grid) : grid_(grid) {}
    ~GridToolTip() { Destroy(); }
    GridToolTip(const GridToolTip&) = delete;
    GridToolTip& operator=(const GridToolTip&) = delete;

    // The tooltip window, made now if the mouse has not yet made it;
    // nullptr when it cannot be made.
    HWND Window() {
        Ensure();
        return toolTip_;
    }
    // A box's mouse message, passed on to the tip (TTM_RELAYEVENT).
    void Relay(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    // The system's tooltip size for the grid's DPI, in the editor's Chinese face.
    void UpdateFont();
    // WM_NOTIFY of the owner; true when it was the tip's and was answered.
    bool Notify(NMHDR& header);
    void Destroy();

private:
    void Ensure();
    void Create();

    ToolTipGrid& grid_;
    UniqueFont font_;
    HWND toolTip_ = nullptr;    // owned; destroyed with the control
    bool tried_ = false;        // made, or found not to be makeable
    std::wstring text_;         // the text last handed to the tooltip
};

}  // namespace shubiao
