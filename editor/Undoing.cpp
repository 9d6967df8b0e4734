// 撤销上次更改: back to the pointers in force before ShuBiao's last change
// (scheme/History.h does the work). Asked first, naming when the state to
// come back was in force; done under the writer lock as Apply is; the grid
// then shows what is in force, and the user is told what was done.
#include <memory>
#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/History.h"

namespace shubiao {
namespace {

// What an undo did, in plain Chinese.
std::wstring UndoText(const UndoOutcome& outcome) {
    const std::wstring when = LocalTimeText(outcome.time);
    std::wstring text;
    switch (outcome.kind) {
    case UndoOutcome::Kind::Undone:
        text = L"已撤销上次更改，鼠标指针已恢复为 " + when + L" 时的样子。";
        break;
    case UndoOutcome::Kind::Partly:
        if (outcome.notWritten.empty()) {
            text = L"已撤销上次更改，鼠标指针已恢复为 " + when + L" 时的样子。";
        } else {
            text = L"已撤销上次更改，鼠标指针已恢复为 " + when + L" 时的样子，但以下指针的设置无法写入，保持不变：\n";
        }
        for (const auto& [role, status] : outcome.notWritten) {
            text += L"\n“" + Role(role).Name() + L"”：" + ErrorText(static_cast<DWORD>(status));
        }
        if (outcome.schemeNotWritten != ERROR_SUCCESS) {
            text += L"\n\n方案名称未能恢复：" + ErrorText(static_cast<DWORD>(outcome.schemeNotWritten));
        }
        break;
    case UndoOutcome::Kind::NothingToUndo:
        return L"没有可以撤销的更改。";
    case UndoOutcome::Kind::History:
        return L"无法撤销上次更改：" + DescribeHistoryProblem(outcome.history) + L"\n没有做任何更改。";
    case UndoOutcome::Kind::FilesLost:
        text = L"无法撤销上次更改：以下鼠标指针在 " + when + L" 时的文件已丢失或损坏，没有做任何更改。\n";
        for (const auto& [role, why] : outcome.lost) text += L"\n“" + Role(role).Name() + L"”：" + why;
        return text;
    case UndoOutcome::Kind::NotPlaced:
        return L"无法撤销上次更改：无法把留存的文件放回“" + outcome.placement.path + L"”（" +
               ErrorText(outcome.placement.error) + L"），没有做任何更改。";
    case UndoOutcome::Kind::Refused:
        return L"无法撤销上次更改：系统拒绝写入，没有做任何更改。";
    }
    if (!outcome.history.ok()) text += L"\n\n更改记录未能保存：" + DescribeHistoryProblem(outcome.history);
    return text;
}

}  // namespace

void ShuBiaoKong::CheXiaoGengGai() {
    if (waitingForLock_) return;
    const UndoPreview preview = PeekUndo();
    if (!preview.problem.ok()) {
        desktop_.MessageBox(hwnd(), L"无法撤销上次更改：" + DescribeHistoryProblem(preview.problem), kMessageTitle,
                            MB_OK | MB_ICONWARNING);
        return;
    }
    if (!preview.possible) {
        desktop_.MessageBox(hwnd(), L"没有可以撤销的更改。", kMessageTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::wstring prompt =
        L"是否撤销上次更改？\n\n鼠标指针将恢复为 " + LocalTimeText(preview.time) + L" 时的样子。";
    if (desktop_.MessageBox(hwnd(), prompt, kMessageTitle, MB_OKCANCEL) != IDOK) return;
    const std::unique_ptr<WriterLock> lock = TakeWriterLock();
    if (!lock) return;
    const UndoOutcome outcome = UndoLastChange(*lock, desktop_);
    const bool done = outcome.kind == UndoOutcome::Kind::Undone || outcome.kind == UndoOutcome::Kind::Partly;
    if (done) ChuShiShuBiao();
    desktop_.MessageBox(hwnd(), UndoText(outcome), kMessageTitle,
                        MB_OK | (outcome.kind == UndoOutcome::Kind::Undone ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace shubiao
