// Pending choices are applied or dropped on purpose: closing the window,
// 刷 新 and an import that would replace them first ask the user.
#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"

namespace shubiao {
namespace {

std::wstring PendingQuestion(PendingLoss loss, int count) {
    const std::wstring step = loss == PendingLoss::Close     ? L"关闭窗口"
                              : loss == PendingLoss::Refresh ? L"刷新"
                                                             : L"导入";
    std::wstring text = L"有 " + std::to_wstring(count) + L" 个鼠标指针尚未应用，";
    text += loss == PendingLoss::Import ? L"导入会替换它们。" : step + L"会放弃它们。";
    text += L"\n\n要先应用它们吗？\n选“是”：先应用，再" + step + L"；\n选“否”：不应用，直接" + step +
            L"；\n选“取消”：返回，什么也不改变。";
    return text;
}

}  // namespace

bool ShuBiaoKong::SettlePending(PendingLoss loss, int count) {
    if (count == 0) return true;
    if (waitingForLock_) return false;
    switch (desktop_.MessageBox(hwnd(), PendingQuestion(loss, count) + ApplyNotes(scheme_, boxes_), kMessageTitle,
                                MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        YingYongFangAn();
        // A role Apply could not place stays pending, and so does the step:
        // the user has been told why, and the choice is kept.
        return scheme_.PendingCount() == 0;
    case IDNO:
        return true;
    default:
        return false;
    }
}

void ShuBiaoKong::ChuShi_SB_Click() {
    if (!SettlePending(PendingLoss::Refresh, scheme_.PendingCount())) return;
    ChuShiShuBiao();
}

}  // namespace shubiao
