#include "editor/DialogTemplate.h"

namespace shubiao {

DialogTemplate::DialogTemplate(const wchar_t* title, short width, short height, DWORD style) {
    Dword(style | DS_SETFONT | DS_CENTER);
    Dword(0);
    countAt_ = words_.size();
    words_.push_back(0);  // items, counted by Add
    for (const short v : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the dialog class
    Text(title);
    words_.push_back(9);
    Text(L"MS Shell Dlg");
}

void DialogTemplate::Text(const wchar_t* s) {
    for (; *s != L'\0'; ++s) words_.push_back(static_cast<WORD>(*s));
    words_.push_back(0);
}

void DialogTemplate::Dword(DWORD v) {
    words_.push_back(LOWORD(v));
    words_.push_back(HIWORD(v));
}

void DialogTemplate::Add(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
                         const wchar_t* caption, const wchar_t* className) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (const short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(id);
    if (atom == 0) {
        Text(className);
    } else {
        words_.push_back(0xFFFF);
        words_.push_back(atom);
    }
    Text(caption);
    words_.push_back(0);  // no creation data
    ++words_[countAt_];
}

HWND DialogTemplate::Create(HWND owner, DLGPROC procedure, LPARAM parameter) {
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words_.data()),
                                      owner, procedure, parameter);
}

INT_PTR DialogTemplate::Run(HWND owner, DLGPROC procedure, LPARAM parameter) {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(words_.data()),
                                   owner, procedure, parameter);
}

ButtonRow PlaceButtonRow(HWND dialog, std::initializer_list<int> ids, int margin, SIZE button, int gap) {
    ButtonRow row;
    GetClientRect(dialog, &row.client);
    row.top = row.client.bottom - margin - button.cy;
    int x = row.client.right - margin;
    for (const int id : ids) {
        x -= button.cx;
        MoveWindow(GetDlgItem(dialog, id), x, row.top, button.cx, button.cy, TRUE);
        x -= gap;
    }
    row.left = x + gap;
    return row;
}

}  // namespace shubiao
