#include "editor/ShuBiaoKong.h"

#include "editor/ImageFile.h"
#include "editor/Layout.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kLianJieText = L"Velmora   http://www.velmora.cn";

// The link line's pointer: a 32x32 monochrome hand, hot spot (5, 0).
UniqueCursor MakeHandCursor() {
    // Rows of the hand, '#' black outline, '.' white, ' ' transparent.
    static const char* const kRows[] = {
        "     ##         ",
        "    #..#        ",
        "    #..#        ",
        "    #..#        ",
        "    #..###      ",
        "    #..#..###   ",
        "    #..#..#..## ",
        " ## #..#..#..#.#",
        "#..##........#.#",
        "#...#..........#",
        " #.............#",
        " #.............#",
        "  #............#",
        "  #...........# ",
        "   #..........# ",
        "   #.........#  ",
        "    #........#  ",
        "    #........#  ",
        "    ##########  ",
    };
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    std::fill(std::begin(andMask), std::end(andMask), BYTE{0xFF});
    std::fill(std::begin(xorMask), std::end(xorMask), BYTE{0x00});
    for (int y = 0; y < static_cast<int>(std::size(kRows)); ++y) {
        for (int x = 0; kRows[y][x] != '\0'; ++x) {
            const char c = kRows[y][x];
            if (c == ' ') continue;
            const int byte = y * 4 + x / 8;
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            andMask[byte] &= static_cast<BYTE>(~bit);
            if (c == '.') xorMask[byte] |= bit;  // white; '#' stays black
        }
    }
    return UniqueCursor(CreateCursor(GetModuleHandleW(nullptr), 5, 0, 32, 32, andMask, xorMask));
}

}  // namespace

ShuBiaoKong::ShuBiaoKong(Desktop& desktop) : desktop_(desktop), shuBianXZ_(desktop) {}

ShuBiaoKong::~ShuBiaoKong() {
    if (hwnd() != nullptr) {
        KillTimer(hwnd(), kTimer1Id);
        KillTimer(hwnd(), kTimer2Id);
    }
    // A preview cursor may still be the class cursor of the picture boxes:
    // put the arrow back before it is destroyed.
    if (previewCursor_ && pictures_[0].hwnd() != nullptr) {
        SetClassLongPtrW(pictures_[0].hwnd(), GCLP_HCURSOR,
                         reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    }
}

void ShuBiaoKong::Create(HWND parent, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    RegisterWindowClass(kClassName, LoadCursorW(nullptr, IDC_ARROW), nullptr);
    dpi_ = parent != nullptr ? GetDpiForWindow(parent) : 96;
    if (dpi_ == 0) dpi_ = 96;
    CreateFor(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Px(leftTwips),
              Px(topTwips), Px(widthTwips), Px(heightTwips), parent, nullptr);
    UpdateFont();
    CreateChildren();
    UserControl_Initialize();
}

void ShuBiaoKong::CreateChildren() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto button = [&](ChildId id, const wchar_t* caption) {
        HWND h = CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0,
                                 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (h == nullptr) throw std::runtime_error("cannot create a button");
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    };
    // Creation order is the tab order: Refresh, Apply, Restore first; Export
    // and Import near the end. XianShi is created before Picture16 so that it
    // lies in front of it.
    button(kChuShiId, L"刷 新");
    button(kYingYongId, L"应用");
    button(kHuanYuanId, L"还 原");
    text1_ = CreateWindowExW(0, L"EDIT", L"0", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kText1Id)), instance, nullptr);
    if (text1_ == nullptr) throw std::runtime_error("cannot create the latch text box");
    xianShi_.Create(hwnd(), 0, 0, 1, 1, true, kXianShiId);
    xianShi_.SetFixedCursor(LoadCursorW(nullptr, IDC_ARROW));
    PictureBox& picture16 = Picture(16);
    picture16.Create(hwnd(), 0, 0, 1, 1, true, kPictureIdBase + 16);
    picture16.onMouseMove = [this] { Picture16_MouseMove(); };
    picture16.onPaintOverlay = [this](HDC dc) { PaintCaptions(dc); };
    for (int n = 1; n <= kRoleCount; ++n) {
        PictureBox& box = Picture(n);
        box.Create(picture16.hwnd(), 0, 0, 1, 1, true, kPictureIdBase + n);
        box.onClick = [this, n] { Picture_Click(n); };
        box.onMouseMove = [this, n] { Picture_MouseMove(n); };
    }
    button(kDaoChuId, L"导出方案");
    button(kDaoRuId, L"导入方案");
}

void ShuBiaoKong::UserControl_Initialize() {
    const std::wstring picture = AppFolder() + L"\\Skin\\General.jpg";
    background_ = LoadPictureFile(picture);
    // Picture16 owns a picture of its own: a copy of the one decoded image.
    UniqueBitmap copy = CopyPicture(background_.get());
    Picture(16).SetPicture(copy ? std::move(copy) : LoadPictureFile(picture));
    lianJieCaption_ = kLianJieText;
    handCursor_ = MakeHandCursor();
    PaiLieKongJian();
    PlaceChildren();
}

RECT ShuBiaoKong::LianJieRect() const {
    RECT r{Px(layout::kLianJieLeft), Px(layout::kLianJieTop), 0, 0};
    HDC dc = GetDC(hwnd());
    SIZE size{};
    {
        SelectGuard select(dc, font_.get());
        GetTextExtentPoint32W(dc, lianJieCaption_.c_str(), static_cast<int>(lianJieCaption_.size()), &size);
    }
    ReleaseDC(hwnd(), dc);
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    return r;
}

void ShuBiaoKong::PaintControl() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client{};
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (background_) {
        BITMAP bm{};
        GetObjectW(background_.get(), sizeof(bm), &bm);
        UniqueMemDC source(CreateCompatibleDC(dc));
        SelectGuard select(source.get(), background_.get());
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    SelectGuard font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutW(dc, Px(layout::kLianJieLeft), Px(layout::kLianJieTop), lianJieCaption_.c_str(),
             static_cast<int>(lianJieCaption_.size()));
    EndPaint(hwnd(), &ps);
}

void ShuBiaoKong::PaintCaptions(HDC dc) {
    SelectGuard font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (int i = 0; i < kRoleCount; ++i) {
        const std::wstring_view caption = Role(i + 1).caption;
        const RECT r = CaptionRect(i);
        // Each character at its place in the caption's geometry, whatever
        // the face's own widths.
        std::vector<int> advances = layout::CaptionAdvances(caption, dpi_);
        ExtTextOutW(dc, r.left, r.top, 0, nullptr, caption.data(), static_cast<UINT>(caption.size()),
                    advances.data());
    }
}

void ShuBiaoKong::SetTimerEnabled(Timer& timer, bool enabled) {
    timer.enabled = enabled;
    if (enabled) {
        SetTimer(hwnd(), timer.id, timer.interval, nullptr);
    } else {
        KillTimer(hwnd(), timer.id);
    }
}

LRESULT ShuBiaoKong::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintControl();
        return 0;
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wParam) != hwnd() || LOWORD(lParam) != HTCLIENT) break;
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd(), &at);
        const RECT link = LianJieRect();
        SetCursor(PtInRect(&link, at) && handCursor_ ? handCursor_.get() : LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case kChuShiId:
            ChuShi_SB_Click();
            return 0;
        case kYingYongId:
            YingYong_SB_Click();
            return 0;
        case kHuanYuanId:
            HuanYuan_SB_Click();
            return 0;
        case kDaoChuId:
            DaoChu__SB_Click();
            return 0;
        case kDaoRuId:
            DaoRu__SB_Click();
            return 0;
        default:
            break;
        }
        break;
    case WM_TIMER:
        if (wParam == kTimer1Id && timer1_.enabled) {
            Timer1_Timer();
            return 0;
        }
        if (wParam == kTimer2Id && timer2_.enabled) {
            Timer2_Timer();
            return 0;
        }
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace shubiao
