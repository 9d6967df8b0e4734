#pragma once
// A dialog template built in memory (DLGTEMPLATE and its items, each item
// aligned to a DWORD as the format asks), in dialog units, with the shell's
// dialog font; and the hook through which tests reach the dialogs made so.
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace shubiao {

class DialogTemplate {
public:
    // Predefined classes by atom.
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kEdit = 0x0081;
    static constexpr WORD kStatic = 0x0082;

    DialogTemplate(const wchar_t* title, short width, short height, DWORD style);
    // A control of a predefined class (`atom`) or, with atom 0, of `className`.
    void Add(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* caption,
             const wchar_t* className = nullptr);
    // DialogBoxIndirectParamW on the template as it is now.
    INT_PTR Run(HWND owner, DLGPROC procedure, LPARAM parameter);
    // CreateDialogIndirectParamW: the dialog modeless, its messages the caller's loop's.
    HWND Create(HWND owner, DLGPROC procedure, LPARAM parameter);

private:
    void Text(const wchar_t* s);
    void Dword(DWORD v);

    std::vector<WORD> words_;
    size_t countAt_ = 0;  // where the item count lies
};

// Places the buttons `ids` side by side along the foot of `dialog`'s client
// area, right to left from `margin` in from its lower right corner, `gap`
// pixels apart.
struct ButtonRow {
    RECT client{};  // the dialog's client area
    int top = 0;    // the buttons' top
    int left = 0;   // the left edge of the last button placed
};
ButtonRow PlaceButtonRow(HWND dialog, std::initializer_list<int> ids, int margin, SIZE button, int gap);

// A dialog's procedure calls ProbeDialog at the end of WM_INITDIALOG and
// RunProbe for every message it does not handle (true: it was the probe's).
inline constexpr UINT kProbeMessage = WM_APP + 0x5B;
void ProbeDialog(HWND dialog);
bool RunProbe(HWND dialog, UINT message);

}  // namespace shubiao
