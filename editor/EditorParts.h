#pragma once
// What the editor's parts (the scheme library, the import, the context menu,
// the 方案库 dialog) reach of the editor. Each part holds one of these
// interfaces, never the editor itself; ShuBiaoKong implements them, tests
// substitute their own.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "scheme/CursorRole.h"
#include "scheme/WorkingScheme.h"
#include "scheme/WriterLock.h"

namespace shubiao {

class PictureBox;

// What is about to replace or forget the grid's pending choices.
enum class PendingLoss { Close, Refresh, Import };

// The grid's scheme, for the parts that read it and change it whole.
class SchemeHolder {
public:
    // The window the part's prompts belong to.
    virtual HWND Owner() const = 0;
    virtual const WorkingScheme& Scheme() const = 0;
    // `scheme` becomes the grid's and is loaded (JiaZaiFangAn).
    virtual void TakeScheme(WorkingScheme scheme) = 0;
    // The writer lock, waited for as Apply waits; nullptr, after telling the
    // user, when another writer kept it for the whole wait.
    virtual std::unique_ptr<WriterLock> TakeWriterLock() = 0;
    // Before `loss` replaces or forgets `count` pending choices: asks the
    // user to apply them, drop them or cancel. True when the step may go on
    // (nothing pending, dropped, or applied without a role left pending).
    virtual bool SettlePending(PendingLoss loss, int count) = 0;
    // Says without a click what an action did (StatusLine::Show): `text`,
    // and with a `folder` a way to open it.
    virtual void Confirm(const std::wstring& text, const std::wstring& folder) = 0;

protected:
    ~SchemeHolder() = default;
};

// The grid's boxes, for the context menu.
class BoxGridView {
public:
    virtual HWND Owner() const = 0;
    // The role whose box lies under this point of the screen; 0 for none.
    virtual int RoleAt(POINT screen) const = 0;
    // The role box `box` (a window) shows; 0 when it is none of the boxes.
    virtual int RoleOfBox(HWND box) const = 0;
    // The container of the boxes.
    virtual PictureBox& Picture16() = 0;
    // The file dialog for `role`, as a click on its box opens it.
    virtual void Picture_Click(int role) = 0;
    // 实际大小: the boxes show the pointers at the size Windows draws them.
    virtual bool ActualSize() const = 0;
    virtual void SetActualSize(bool on) = 0;
    // 撤销上次更改, asking first.
    virtual void CheXiaoGengGai() = 0;

protected:
    ~BoxGridView() = default;
};

// What a grid holds, per role: the file and whether it is Windows' default.
using Holding = std::array<std::pair<std::wstring, bool>, kRoleCount>;
Holding HeldBy(const WorkingScheme& scheme);

}  // namespace shubiao
