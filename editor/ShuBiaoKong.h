#pragma once
// ShuBiaoKong, the cursor editor control: fifteen preview boxes with their
// captions, five buttons, the hover latch, two timers and a link line.
//
// The implementation is split by feature:
//   ShuBiaoKong.cpp  construction, children, message dispatch, painting
//   Layout.cpp       PaiLieKongJian and placing the children for the DPI
//   Loading.cpp      ChuShiShuBiao, Refresh, ShuaXinYuLan, JiaZaiFangAn, previews
//   Choosing.cpp     picking a file per box, the hover preview
//   Applying.cpp     Apply
//   Restoring.cpp    Restore
//   Automation.cpp   the two timers that confirm the Mouse Properties dialog
//   Transfer.cpp     export, import and the registry query method
#include <windows.h>

#include <array>
#include <string>

#include "editor/CommonDialog.h"
#include "editor/Desktop.h"
#include "editor/PictureBox.h"
#include "editor/PreviewCache.h"
#include "editor/Window.h"
#include "scheme/Raii.h"
#include "scheme/RegistryQuery.h"
#include "scheme/WorkingScheme.h"

namespace shubiao {

class ShuBiaoKong : public Window {
public:
    // Control ids of the buttons and the hidden text box.
    enum ChildId : int {
        kChuShiId = 101,
        kYingYongId = 102,
        kHuanYuanId = 103,
        kDaoChuId = 104,
        kDaoRuId = 105,
        kText1Id = 106,
        kPictureIdBase = 200,  // PictureN has id kPictureIdBase + N
        kXianShiId = 300,
    };
    static constexpr UINT_PTR kTimer1Id = 1;
    static constexpr UINT_PTR kTimer2Id = 2;
    static constexpr UINT kTimer1Interval = 1;
    static constexpr UINT kTimer2Interval = 100;
    static constexpr const wchar_t* kClassName = L"ShuBiaoKong";
    static constexpr const wchar_t* kPromptTitle = L"温馨提示";

    explicit ShuBiaoKong(Desktop& desktop);
    ~ShuBiaoKong() override;

    // Creates the control as a child of `parent` at the given twips rectangle
    // and constructs it (background pictures, link caption, layout). Throws
    // UserError when the background picture cannot be loaded.
    void Create(HWND parent, int leftTwips, int topTwips, int widthTwips, int heightTwips);

    // --- Public methods for a host ---
    void HuanYuan_ShuBiaoZhiZhen();
    RegistryVariant QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName);
    void ChuShiShuBiao();

    // --- Event handlers (the window's events call these; tests may too) ---
    void ChuShi_SB_Click();
    void YingYong_SB_Click();
    void HuanYuan_SB_Click();
    void DaoChu__SB_Click();
    void DaoRu__SB_Click();
    void Picture_Click(int role);      // PictureN_Click, N = 1..15
    void Picture_MouseMove(int role);  // PictureN_MouseMove, N = 1..15
    void Picture16_MouseMove();
    void Timer1_Timer();
    void Timer2_Timer();

    // Re-lays the children out for a new DPI (after WM_DPICHANGED of the host).
    void SetDpi(UINT dpi);
    UINT Dpi() const { return dpi_; }

    // --- Read-only views, for the host and for tests ---
    const WorkingScheme& Scheme() const { return scheme_; }
    PictureBox& Picture(int n) { return pictures_.at(static_cast<size_t>(n - 1)); }  // 1..16
    PictureBox& XianShi() { return xianShi_; }
    HWND Button(ChildId id) const { return GetDlgItem(hwnd(), id); }
    HWND Text1() const { return text1_; }
    bool Timer1Enabled() const { return timer1_.enabled; }
    bool Timer2Enabled() const { return timer2_.enabled; }
    CommonDialog& ShuBianXZ() { return shuBianXZ_; }
    // Caption N-1 of box N, in pixels relative to Picture16's client area.
    RECT CaptionRect(int index) const;
    const std::wstring& LianJieCaption() const { return lianJieCaption_; }
    RECT LianJieRect() const;  // pixels, relative to the control
    HFONT Font() const { return font_.get(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Timer {
        UINT_PTR id;
        UINT interval;
        bool enabled = false;
    };

    // Construction and layout.
    void UserControl_Initialize();
    void CreateChildren();
    void PaiLieKongJian();
    void PlaceChildren();
    void UpdateFont();
    int Px(int twips) const;
    void PaintControl();
    void PaintCaptions(HDC dc);

    // Loading and previews.
    void ShuaXinYuLan();
    void SetXianShiVisible(bool visible);
    void JiaZaiFangAn();
    void DrawPreview(int role, const std::wstring& path);

    // Apply, restore, automation.
    void YingYongFangAn();
    void HuiFuMoRen();
    std::wstring AnXiaHuiChe(const std::wstring& title);
    void SetTimerEnabled(Timer& timer, bool enabled);

    Desktop& desktop_;
    WorkingScheme scheme_;
    CommonDialog shuBianXZ_;

    std::array<PictureBox, 16> pictures_;
    PictureBox xianShi_{GetSysColor(COLOR_WINDOW)};
    HWND text1_ = nullptr;
    Timer timer1_{kTimer1Id, kTimer1Interval};
    Timer timer2_{kTimer2Id, kTimer2Interval};

    // Layout in twips, set by PaiLieKongJian: boxes 1..15 relative to
    // Picture16, captions 0..14 likewise.
    std::array<POINT, 15> boxTwips_{};
    std::array<POINT, 15> captionTwips_{};

    UniqueBitmap background_;  // the control's own background picture
    std::wstring lianJieCaption_;
    UniqueCursor handCursor_;
    UniqueFont font_;
    UINT dpi_ = 96;

    UniqueCursor previewCursor_;       // the hover preview now set as class cursor
    HCURSOR applyCursor_ = nullptr;    // last cursor handed to SetSystemCursor

    // --- Preview cache (Loading.cpp) ---
    // The previews' cursors by file and icon size, so that a load does not
    // read unchanged files again; released with the control.
    PreviewCache previews_;

public:
    // For tests: how many files the preview cache holds.
    size_t PreviewCacheSize() const { return previews_.size(); }
};

}  // namespace shubiao
