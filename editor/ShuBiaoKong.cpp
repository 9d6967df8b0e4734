#include "editor/ShuBiaoKong.h"

#include <windowsx.h>

#include <cstdlib>
#include <stdexcept>

#include "editor/ImageFile.h"
#include "scheme/Folders.h"
#include "win/Errors.h"

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

std::span<const ShuBiaoKong::ButtonEntry> ShuBiaoKong::Buttons() {
    // In tab order: Refresh, Apply, Restore first; Export and Import last.
    static constexpr ButtonEntry kButtons[] = {
        {kChuShiId, L"刷 新", {4230, 630, 1365, 465}, &ShuBiaoKong::ChuShi_SB_Click},
        {kYingYongId, L"应用", {4230, 1350, 1365, 465}, &ShuBiaoKong::YingYong_SB_Click},
        {kHuanYuanId, L"还 原", {4230, 2025, 1365, 465}, &ShuBiaoKong::HuanYuan_SB_Click},
        {kDaoChuId, L"导出方案", {4230, 3420, 1365, 465}, &ShuBiaoKong::DaoChu__SB_Click},
        {kDaoRuId, L"导入方案", {4230, 2700, 1365, 465}, &ShuBiaoKong::DaoRu__SB_Click},
    };
    return kButtons;
}

std::vector<ShuBiaoKong::ChildPlacement> ShuBiaoKong::Placements() const {
    using namespace layout;
    std::vector<ChildPlacement> places{{kText1Id, kText1}, {kXianShiId, kXianShi}, {kPicture16Id, kPicture16}};
    for (int box = 1; box <= kBoxCount; ++box) {
        const POINT at = boxes_.At(box).twips;
        places.push_back({kPictureIdBase + box, TwipsRect{at.x, at.y, kBoxSize, kBoxSize}});
    }
    return places;
}

ShuBiaoKong::ShuBiaoKong(Desktop& desktop) : desktop_(desktop), shuBianXZ_(desktop) {}

int ShuBiaoKong::RoleOfBox(HWND box) const {
    return boxes_.RoleWhere([box](HWND each) { return each == box; });
}

HWND ShuBiaoKong::Child(int id) const {
    if (id == kText1Id) return text1_;
    if (id == kXianShiId) return xianShi_.hwnd();
    if (id == kPicture16Id) return container_.hwnd();
    const int box = id - kPictureIdBase;
    if (box >= 1 && box <= layout::kBoxCount) return boxes_.At(box).picture.hwnd();
    return nullptr;
}

ShuBiaoKong::~ShuBiaoKong() {
    toolTips_.Destroy();
    if (hwnd() != nullptr) {
        KillTimer(hwnd(), kTimer1Id);
        KillTimer(hwnd(), kTimer2Id);
        KillTimer(hwnd(), kAnimationTimerId);
    }
    // A preview cursor may still be the class cursor of the picture boxes:
    // put the arrow back before it is destroyed.
    if (shownPointer_ != nullptr && container_.hwnd() != nullptr) {
        SetClassLongPtrW(container_.hwnd(), GCLP_HCURSOR,
                         reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    }
}

void ShuBiaoKong::Create(HWND parent, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    animationEpoch_ = desktop_.Milliseconds();
    RegisterWindowClass(kClassName, LoadCursorW(nullptr, IDC_ARROW), nullptr);
    dpi_ = parent != nullptr ? GetDpiForWindow(parent) : 96;
    if (dpi_ == 0) dpi_ = 96;
    CreateFor(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Px(leftTwips),
              Px(topTwips), Px(widthTwips), Px(heightTwips), parent, nullptr);
    UpdateFont();
    // The layout first, so that every child is made where it stays.
    PaiLieKongJian();
    CreateChildren();
    gridKeys_.SetUp();
    UserControl_Initialize();
}

void ShuBiaoKong::CreateChildren() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Creation order is the tab order: the buttons first, in their table's
    // order, then the placement table's. XianShi is created before Picture16
    // so that it lies in front.
    for (const ButtonEntry& entry : Buttons()) {
        const layout::TwipsRect& r = entry.rect;
        HWND h = CreateWindowExW(0, L"BUTTON", entry.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                 Px(r.left), Px(r.top), Px(r.width), Px(r.height), hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
        if (h == nullptr) throw std::runtime_error("cannot create a button");
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    for (const ChildPlacement& place : Placements()) {
        const layout::TwipsRect& r = place.rect;
        const RECT at{Px(r.left), Px(r.top), Px(r.left) + Px(r.width), Px(r.top) + Px(r.height)};
        const int box = place.id - kPictureIdBase;
        if (place.id == kText1Id) {
            text1_ = CreateWindowExW(0, L"EDIT", L"0", WS_CHILD | ES_AUTOHSCROLL, at.left, at.top, at.right - at.left,
                                     at.bottom - at.top, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kText1Id)),
                                     instance, nullptr);
            if (text1_ == nullptr) throw std::runtime_error("cannot create the latch text box");
        } else if (place.id == kXianShiId) {
            xianShi_.Create({hwnd(), at, kXianShiId});
            xianShi_.SetFixedCursor(LoadCursorW(nullptr, IDC_ARROW));
        } else if (place.id == kPicture16Id) {
            container_.Create({hwnd(), at, kPicture16Id});
            // The boxes show the hover preview (their class cursor); the
            // container around them the normal arrow.
            container_.SetFixedCursor(LoadCursorW(nullptr, IDC_ARROW));
            container_.onMouseMove = [this] { Picture16_MouseMove(); };
            container_.onPaintOverlay = [this](HDC dc) { PaintCaptions(dc); };
        } else if (box >= 1 && box <= layout::kBoxCount) {
            BoxView& view = boxes_.At(box);
            const int role = view.role;
            // The boxes neither overlap nor hold children: they need no
            // clipping. The box's text is its role's name, which screen
            // readers announce.
            const std::wstring name = Role(role).Name();
            view.picture.Create({.parent = container_.hwnd(), .at = at, .id = place.id, .clips = false, .text = name.c_str()});
            view.picture.onClick = [this, role] { Picture_Click(role); };
            view.picture.onMouseMove = [this, role] { Picture_MouseMove(role); };
        }
    }
    status_.Create(hwnd());
    PlaceStatusLine();
}

void ShuBiaoKong::UserControl_Initialize() {
    background_ = LoadPictureFile(AppFolder() + L"\\Skin\\General.jpg");
    ScaleBackground();
    lianJieCaption_ = kLianJieText;
    handCursor_ = MakeHandCursor();
}

// The control and Picture16 show the decoded picture as it is at 96 DPI and
// scaled by DPI/96 at any other, so that it covers them as they grow. Picture16
// owns a picture of its own: a copy of the control's. At 96 DPI that is the
// whole picture from Picture16's origin, as the window has always shown it
// (offset from the control's by Picture16's place, so the picture's waves
// step at the grid's edge). At any other DPI the copy is the part of the
// scaled picture that lies under Picture16, so that the grid's background
// meets the control's without a seam. Both change together or, when a step
// fails, neither does.
void ShuBiaoKong::ScaleBackground() {
    UniqueBitmap scaled;
    if (dpi_ != 96 && background_) {
        BITMAP bm{};
        GetObjectW(background_.get(), sizeof(bm), &bm);
        const int dpi = static_cast<int>(dpi_);
        scaled = ScalePicture(background_.get(), static_cast<UINT>(MulDiv(bm.bmWidth, dpi, 96)),
                              static_cast<UINT>(MulDiv(std::abs(bm.bmHeight), dpi, 96)));
    }
    POINT under{};
    if (scaled) {
        RECT grid{};
        GetWindowRect(container_.hwnd(), &grid);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&grid), 2);
        under = {grid.left, grid.top};
    }
    UniqueBitmap copy = CopyPicture(scaled ? scaled.get() : background_.get(), under);
    if (!copy) throw UserError(L"内存不足，无法显示背景图片。");
    scaledBackground_ = std::move(scaled);
    container_.SetPicture(std::move(copy));
    InvalidateRect(hwnd(), nullptr, FALSE);
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
    if (HBITMAP background = BackgroundPicture()) {
        BITMAP bm{};
        GetObjectW(background, sizeof(bm), &bm);
        UniqueMemDC source(CreateCompatibleDC(dc));
        SelectGuard select(source.get(), background);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    {
        // The old font goes back into the DC before the DC is handed back.
        SelectGuard font(dc, font_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 255));
        TextOutW(dc, Px(layout::kLianJieLeft), Px(layout::kLianJieTop), lianJieCaption_.c_str(),
                 static_cast<int>(lianJieCaption_.size()));
    }
    EndPaint(hwnd(), &ps);
}

void ShuBiaoKong::PaintCaptions(HDC dc) {
    SelectGuard font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (const BoxView& view : boxes_) {
        const std::wstring_view caption = Role(view.role).caption;
        const RECT r = CaptionRect(view.role);
        // Each character at its place in the caption's geometry, whatever
        // the face's own widths.
        std::vector<int> advances = layout::CaptionAdvances(caption, dpi_);
        ExtTextOutW(dc, r.left, r.top, 0, nullptr, caption.data(), static_cast<UINT>(caption.size()),
                    advances.data());
    }
}

void ShuBiaoKong::Timer::SetEnabled(HWND owner, bool on) {
    enabled = on;
    if (on) {
        SetTimer(owner, id, interval, nullptr);
    } else {
        KillTimer(owner, id);
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
        // Busy over the whole control while Apply or Restore waits for another writer.
        if (waitingForLock_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (reinterpret_cast<HWND>(wParam) != hwnd() || LOWORD(lParam) != HTCLIENT) break;
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd(), &at);
        const RECT link = LianJieRect();
        SetCursor(PtInRect(&link, at) && handCursor_ ? handCursor_.get() : LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    }
    case WM_NOTIFY:
        if (toolTips_.Notify(*reinterpret_cast<NMHDR*>(lParam))) return 0;
        break;
    case WM_CONTEXTMENU: {
        // From a box or the container, passed up by their default handling.
        // The handle is the child's or its parent's, as the system passes it on;
        // from the keyboard the focus says which box.
        HWND from = reinterpret_cast<HWND>(wParam);
        if (from != container_.hwnd() && RoleOfBox(from) == 0) break;
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool keyboard = at.x == -1 && at.y == -1;
        contextMenu_.YouJianCaiDan(keyboard ? GetFocus() : from, at);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = status_.Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case WM_COMMAND:
        if (status_.Command(wParam, lParam)) return 0;
        if (HIWORD(wParam) != BN_CLICKED) break;
        for (const ButtonEntry& entry : Buttons()) {
            if (entry.id != LOWORD(wParam)) continue;
            (this->*entry.onClick)();
            return 0;
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
        if (wParam == kAnimationTimerId) {
            AnimationTick();
            return 0;
        }
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace shubiao
