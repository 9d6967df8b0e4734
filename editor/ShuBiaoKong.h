#pragma once
// ShuBiaoKong, the cursor editor control: one preview box per cursor role
// with its caption, the buttons, the hover latch, two timers and a link line.
//
// Glossary. The control and its children keep their romanised Chinese names;
// each is: name, Chinese, what it does.
//   ShuBiaoKong              鼠标控件      the cursor editor control itself
//   ChuShiShuBiao            初始鼠标      public: forget every choice and load the pointers in force
//   ShuaXinYuLan             刷新预览      cover the grid, forget the files, load again
//   JiaZaiFangAn             加载方案      load the scheme: fill the roles without a file, draw every preview
//   YingYongFangAn           应用方案      apply: copy the changed roles' files, set the pointers and settings
//   HuanYuan_ShuBiaoZhiZhen  还原鼠标指针  public: restore the Windows default pointers (asks first)
//   HuiFuMoRen               恢复默认      delete the settings, open Mouse Properties, load again
//   CheXiaoGengGai           撤销更改      public: back to the pointers before the last change (asks first;
//                                          Ctrl+Z in the window (MainWindow::PreTranslate) or
//                                          the grid, the context menu's 撤销上次更改)
//   AnXiaHuiChe              按下回车      hide a window found by its title and press Enter in it
//   PaiLieKongJian           排列控件      lay the preview boxes and captions out in a grid
//   ChuShi_SB                初始 button   "刷 新" Refresh (_SB: 按钮 button)
//   YingYong_SB              应用 button   "应用" Apply
//   HuanYuan_SB              还原 button   "还 原" Restore
//   DaoChu__SB               导出 button   "导出方案" Export scheme
//   DaoRu__SB                导入 button   "导入方案" Import scheme
//   Picture1..15, Picture16  图片框        the grid's preview boxes; Picture16 is the container of the grid
//   ShuoMing_ShuBiao         说明          the captions under the boxes
//   XianShi                  显示          the cover laid over the grid while it loads
//   Text1                    (text box)    the hover latch: "0" armed, "1" a pointer was loaded
//                                          (a hidden edit control: the latch is its text, as the
//                                          program has always kept it, and tests read it there)
//   Timer1, Timer2           (timers)      wait for Mouse Properties and confirm it after a restore
//   ShuBianXZ                鼠标选择      the shared file dialog
//   LianJie                  链接          the link line under the grid
//   RoleCursorFile, RoleChanged            per role: the file held, and whether it was chosen since the last load
//   FangAnKu                 方案库        the scheme library: Windows' two lists of named schemes, in a dialog
//                                          (LibraryActions::FangAnKu_Click)
//   ShiYongFangAn            使用方案      take a scheme of the library as the grid's pending choices
//   LingCunFangAn            另存方案      save the grid's pointers as a scheme of the user's list (另存为方案)
//   ShiYongMoRen             使用默认值    a pending choice of Windows' default for one role
//   DaKaiWeiZhi              打开文件位置  Explorer with a role's file selected
//                                          (these four: LibraryActions, reached through Library())
//   YouJianCaiDan            右键菜单      the grid's context menu (ContextMenu::YouJianCaiDan)
//
// Roles and boxes are two things: a role is a row of the role table (the
// model's, numbered from 1), a box is a cell of the grid (layout::kBoxRoles
// says which role each box shows). The public methods speak of roles.
//
// The control itself (ShuBiaoKong's members) is split by feature:
//   ShuBiaoKong.cpp  construction, children, message dispatch, painting
//   Layout.cpp       PaiLieKongJian and placing the children for the DPI
//   Loading.cpp      ChuShiShuBiao, Refresh, ShuaXinYuLan, JiaZaiFangAn, previews
//   Animation.cpp    the animated previews' timer
//   Choosing.cpp     picking a file per box, finding the box under a point, the hover preview
//   Applying.cpp     Apply
//   Pending.cpp      the question before pending choices would be lost
//   Restoring.cpp    Restore
//   Undoing.cpp      撤销上次更改
//   Automation.cpp   the two timers that confirm the Mouse Properties dialog
//   Transfer.cpp     export and the registry query method
// Its parts are classes of their own, each with its own state, reaching the
// control only through an interface of what it needs (EditorParts.h,
// GridToolTip.h, GridKeys.h), which the control implements:
//   BoxGrid.h/.cpp   BoxGrid, the boxes and what is kept per box, found by role or number
//   GridKeys.cpp     GridKeyboard, the grid for the keyboard and screen readers (KeyboardGrid)
//   ToolTips.cpp     GridToolTip, the grid's tooltip (ToolTipGrid)
//   StatusLine.cpp   StatusLine, the line at the foot that confirms an action and goes by itself
//   Backdrop.cpp     Backdrop, what the control paints under its children: the skin's
//                    picture at the DPI, the font, the link caption
//   ContextMenu.cpp  ContextMenu, the grid's context menu (BoxGridView)
//   Library.cpp      LibraryActions, the scheme library: use, save, Windows' default for a
//                    role, the scheme in force, the pack held whole (SchemeHolder)
//   Importing.cpp    ImportFlow, import of folders, packs and .inf files (SchemeHolder)
//   LibraryDialog.cpp the 方案库 dialog (SchemeHolder, for its owner and the writer lock)
//   NameDialog.cpp   the 另存为方案 name dialog (Desktop::AskSchemeName)
//   PackChooser.cpp  the chooser among several packs (Desktop::ChoosePack)
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "editor/Backdrop.h"
#include "editor/BoxGrid.h"
#include "editor/CommonDialog.h"
#include "editor/ContextMenu.h"
#include "editor/Desktop.h"
#include "editor/EditorParts.h"
#include "editor/GridKeys.h"
#include "editor/GridToolTip.h"
#include "editor/ImportFlow.h"
#include "editor/Layout.h"
#include "editor/LibraryActions.h"
#include "editor/PictureBox.h"
#include "editor/PointerCache.h"
#include "scheme/Profiler.h"
#include "editor/PreviewCache.h"
#include "editor/SizeFilling.h"
#include "editor/StatusLine.h"
#include "scheme/CursorRole.h"
#include "scheme/ImportPlan.h"
#include "scheme/PackFolder.h"
#include "scheme/RegistryQuery.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/WorkingScheme.h"
#include "scheme/WriterLock.h"
#include "scheme/ZipPack.h"
#include "win/Raii.h"
#include "win/Window.h"

namespace shubiao {

// A line for the user about roles the grid has no box for (their names
// given), which Apply applies with the others.
std::wstring UnseenRolesNote(const std::vector<std::wstring>& names);

// What Apply of `scheme` will do that `boxes` do not show: the roles it
// returns to Windows' default, then the changed roles without a box.
std::wstring ApplyNotes(const WorkingScheme& scheme, const BoxGrid& boxes);

// After 还原: the window of `control` active again, the focus back on `focus`
// when it is still one of that window's visible children.
void TakeBackFocus(HWND control, HWND focus);

class ShuBiaoKong : public Window, private SchemeHolder, private BoxGridView, private ToolTipGrid,
                    private KeyboardGrid {
public:
    // Control ids of the buttons, the hidden text box and the boxes.
    enum ChildId : int {
        kChuShiId = 101,
        kYingYongId = 102,
        kHuanYuanId = 103,
        kDaoChuId = 104,
        kDaoRuId = 105,
        kText1Id = 106,
        kPictureIdBase = 200,  // PictureN, the grid's box N (1..kBoxCount), has id kPictureIdBase + N
        kPicture16Id = kPictureIdBase + layout::kBoxCount + 1,
        kXianShiId = 300,
    };
    // One button: its id, caption, place (twips) and click handler. The
    // table's order is the tab order.
    struct ButtonEntry {
        ChildId id;
        const wchar_t* caption;
        layout::TwipsRect rect;
        void (ShuBiaoKong::*onClick)();
    };
    static std::span<const ButtonEntry> Buttons();
    // Where a child other than a button lies, in twips relative to its
    // parent (the boxes lie in Picture16). The one table of these places:
    // read when the children are made and again on a DPI change. Its order
    // is the creation order, which is the tab and z order.
    struct ChildPlacement {
        int id;
        layout::TwipsRect rect;
    };
    std::vector<ChildPlacement> Placements() const;

    static constexpr UINT_PTR kTimer1Id = 1;
    static constexpr UINT_PTR kTimer2Id = 2;
    static constexpr UINT_PTR kAnimationTimerId = 3;
    static constexpr const wchar_t* kClassName = L"ShuBiaoKong";

    explicit ShuBiaoKong(Desktop& desktop);
    ~ShuBiaoKong() override;

    // Creates the control as a child of `parent` at the given twips rectangle
    // and constructs it (background pictures, link caption, layout). Throws
    // UserError when the background picture cannot be loaded.
    void Create(HWND parent, int leftTwips, int topTwips, int widthTwips, int heightTwips);

    // --- Public methods for a host ---
    void HuanYuan_ShuBiaoZhiZhen();
    void CheXiaoGengGai() override;
    RegistryVariant QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName);
    void ChuShiShuBiao();
    // The host's window is about to close: true when it may, after asking
    // what becomes of pending choices.
    bool QueryClose() { return SettlePending(PendingLoss::Close, scheme_.PendingCount()); }

    // --- Event handlers (the window's events call these) ---
    void ChuShi_SB_Click();
    void YingYong_SB_Click();
    void HuanYuan_SB_Click();
    void DaoChu__SB_Click();
    void DaoRu__SB_Click();
    // PictureN_Click and PictureN_MouseMove, for the role box N shows; a role
    // without a box throws std::out_of_range.
    void Picture_Click(int role) override;
    void Picture_MouseMove(int role);
    void Picture16_MouseMove();
    void Timer1_Timer();
    void Timer2_Timer();
    // The animation timer's tick: the animated previews move on.
    void AnimationTick();
    // Starts or stops the animation timer as the grid can be seen or not;
    // the host calls it when its window is shown, hidden, minimised or restored.
    void UpdateAnimation();
    bool Animating() const { return animating_; }
    // The frame box `role` shows; -1 when it shows none.
    int FrameShown(int role) const { return boxes_.Of(role).playing.frame; }
    // The colour of the mark on pending choices (the skin's button border).
    void SetMarkColour(COLORREF colour) { markColour_ = colour; }
    // For the benchmark: told the end of each step of a load, a hover and an
    // Apply (nullptr: nobody).
    void SetProfiler(Profiler* profiler) { profiler_ = profiler; }
    // How long Apply and Restore wait for another ShuBiao that is changing
    // the pointers (scheme/WriterLock.h) before they give up; tests shorten it.
    void SetWriterLockWait(DWORD milliseconds) { writerLockWait_ = milliseconds; }
    // True while Apply or Restore waits for the writer lock.
    bool WaitingForWriterLock() const { return waitingForLock_; }

    // Imports a folder or an .inf file as the import button does with the
    // folder it is given (drag and drop, the command line).
    void ImportPath(const std::wstring& path);
    // Takes `file` for `role` as a pick in the file dialog does.
    void ChooseFile(int role, const std::wstring& file);
    // The role whose box lies under this point of the screen; 0 for none.
    int RoleAt(POINT screen) const override;
    // The role box `box` (a window) shows; 0 when it is none of the boxes.
    int RoleOfBox(HWND box) const override;

    // The line at the foot that confirms what an action did (StatusLine.h).
    StatusLine& Status() { return status_; }

    // The scheme library's actions (LibraryActions.h): 使用, 另存为方案,
    // 方案库, 使用默认值, 打开文件位置.
    LibraryActions& Library() { return library_; }

    // Re-lays the children out for a new DPI (after WM_DPICHANGED of the host)
    // and scales the background pictures to it. Throws UserError when the
    // pictures cannot be scaled; they then stay as they were.
    void SetDpi(UINT dpi);
    UINT Dpi() const override { return dpi_; }

    // --- Read-only views, for the host and for tests ---
    const WorkingScheme& Scheme() const override { return scheme_; }
    // The box that shows `role`; std::out_of_range for a role without one.
    PictureBox& Picture(int role) override { return boxes_.Of(role).picture; }
    PictureBox& Picture16() override { return container_; }
    PictureBox& XianShi() { return xianShi_; }
    // The child with control id `id` (ChildId, or a box's kPictureIdBase + N).
    HWND Child(int id) const;
    HWND Text1() const { return text1_; }
    // Whether the timer kTimer1Id or kTimer2Id is on.
    bool TimerEnabled(UINT_PTR id) const { return (id == kTimer1Id ? timer1_ : timer2_).enabled; }
    CommonDialog& ShuBianXZ() { return shuBianXZ_; }
    // The caption of box `role`, in pixels relative to Picture16's client area.
    RECT CaptionRect(int role) const;
    // What the control paints under its children: Skin\General.jpg at the
    // DPI, the font, the link caption (LianJie) and its place.
    const Backdrop& Surface() const { return backdrop_; }
    // How many files the preview cache holds.
    size_t PreviewCacheSize() const { return previews_.size(); }
    // Why box `role` shows no preview, in plain Chinese; empty when it shows one.
    const std::wstring& PreviewProblem(int role) const { return boxes_.Of(role).previewProblem; }

    // 实际大小: every box shows its pointer at the size Windows draws it on
    // the editor's display (PointerPixelsShown), cut to the box with its hot
    // spot in view; off, at the icon size as always. For this session only.
    bool ActualSize() const override { return actualSize_; }
    void SetActualSize(bool on) override;
    // The pixels Windows draws the pointer at on the editor's display: its
    // DPI and the pointer-size setting as read at the last load.
    std::uint32_t PointerPixelsShown() const;

    // The tooltip of the box of `role`: the role's name, " — ", then
    // what the box shows: why a pending choice shows no preview or was not
    // applied, "默认" for the installed fallback, else the file's path; on
    // a second line, where the context menu's scheme library is.
    std::wstring BoxToolTip(int role) const override;
    // The grid's tooltip window, made now if the mouse has not yet made it;
    // nullptr when it cannot be made.
    HWND ToolTip() { return toolTips_.Window(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override { toolTips_.Destroy(); }

private:
    struct Timer {
        UINT_PTR id;
        UINT interval;
        bool enabled = false;
        // Starts or stops it as a timer of `owner`.
        void SetEnabled(HWND owner, bool on);
    };

    // Construction and layout.
    void UserControl_Initialize();
    void CreateChildren();
    void PaiLieKongJian();
    void PlaceChildren();
    int Px(int twips) const;
    void PaintCaptions(HDC dc);

    // Loading and previews.
    void ShuaXinYuLan();
    void SetXianShiVisible(bool visible);
    void JiaZaiFangAn();
    void DrawPreview(BoxView& view, const std::wstring& path);
    void RedrawBox(BoxView& view);
    void ScheduleAnimation(ULONGLONG now);

    // What the editor's parts reach of it (EditorParts.h).
    HWND Owner() const override { return hwnd(); }
    void TakeScheme(WorkingScheme scheme) override;

    // Apply, restore, automation.
    // The writer lock, waited for with the busy cursor while the thread keeps
    // answering its messages; nullptr, after telling the user, when another
    // writer kept it for the whole wait.
    std::unique_ptr<WriterLock> TakeWriterLock() override;
    bool SettlePending(PendingLoss loss, int count) override;
    void Confirm(const std::wstring& text, const std::wstring& folder) override { status_.Show(text, folder); }
    void YingYongFangAn();
    void HuiFuMoRen(const WriterLock& lock);
    std::wstring AnXiaHuiChe(const std::wstring& title);

    Desktop& desktop_;
    WorkingScheme scheme_;
    LibraryActions library_{*this, desktop_};
    ImportFlow import_{*this, desktop_, library_};
    ContextMenu contextMenu_{*this, library_, desktop_};
    CommonDialog shuBianXZ_;

    BoxGrid boxes_;  // Picture1..PictureN, in box order
    PictureBox container_;                          // Picture16
    PictureBox xianShi_{GetSysColor(COLOR_WINDOW)};
    HWND text1_ = nullptr;
    // Timer1 polls for the Mouse Properties dialog every millisecond, Timer2
    // for its confirmation every 100 ms.
    Timer timer1_{kTimer1Id, 1};
    Timer timer2_{kTimer2Id, 100};
    ULONGLONG restoreStarted_ = 0;  // Desktop::Milliseconds() when Timer1 went on
    HWND restoreFocus_ = nullptr;   // the focus when 还原 was pressed, given back after it

    // The background picture (kept as decoded, so that a DPI change scales
    // it again without reading the file), the font and the link caption.
    Backdrop backdrop_;
    UniqueCursor handCursor_;
    UINT dpi_ = 96;

    PointerCache pointers_;            // the hover previews' pointers
    HCURSOR shownPointer_ = nullptr;   // the one now set as class cursor (kept by pointers_)
    int hoverRole_ = 0;                // role and file of the hover preview last loaded
    std::wstring hoverFile_;
    HCURSOR applyCursor_ = nullptr;    // last cursor handed to SetSystemCursor

    // The previews' cursors by file and icon size, so that a load does not
    // read unchanged files again; released with the control.
    PreviewCache previews_;

    ULONGLONG animationEpoch_ = 0;  // every animation's time counts from here
    bool animating_ = false;
    COLORREF markColour_ = GetSysColor(COLOR_3DDKSHADOW);
    bool actualSize_ = false;
    std::optional<std::uint32_t> cursorBaseSize_;  // the pointer-size setting, read at each load
    Profiler* profiler_ = nullptr;
    DWORD writerLockWait_ = kWriterLockWaitMilliseconds;
    bool waitingForLock_ = false;

    StatusLine status_{desktop_};
    GridToolTip toolTips_{*this};
    GridKeyboard gridKeys_{boxes_, *this, toolTips_};  // the grid for the keyboard and screen readers
};

}  // namespace shubiao
