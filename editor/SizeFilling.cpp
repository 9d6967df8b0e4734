#include "editor/SizeFilling.h"

#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

#include "editor/DialogTemplate.h"
#include "scheme/CursorSettings.h"

namespace shubiao {
namespace {

constexpr std::wstring_view kSettingsKey = L"HKEY_CURRENT_USER\\Software\\ShuBiao";
constexpr std::wstring_view kFillSizesValue = L"FillSizes";

std::wstring ProgressText(int done, int total) {
    return L"正在补齐尺寸… " + std::to_wstring(done) + L"/" + std::to_wstring(total);
}

// The progress window: one line of text and 取消 (Escape and Enter as well).
class FillProgressWindow final : public Desktop::FillProgress {
public:
    static constexpr WORD kTextId = 100;

    FillProgressWindow(HWND owner, int total) {
        DialogTemplate t(L"补齐尺寸", 160, 46, DS_MODALFRAME | WS_POPUP | WS_CAPTION | DS_CENTER);
        t.Add(SS_LEFT, 7, 7, 146, 10, kTextId, DialogTemplate::kStatic, ProgressText(0, total).c_str());
        t.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 103, 25, 50, 14, IDCANCEL, DialogTemplate::kButton, L"取消");
        dialog_ = t.Create(owner, &FillProgressWindow::Procedure, reinterpret_cast<LPARAM>(this));
        if (dialog_ != nullptr) ShowWindow(dialog_, SW_SHOW);
    }
    ~FillProgressWindow() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
    }
    FillProgressWindow(const FillProgressWindow&) = delete;
    FillProgressWindow& operator=(const FillProgressWindow&) = delete;

    void Update(int done, int total) override {
        if (dialog_ != nullptr) SetDlgItemTextW(dialog_, kTextId, ProgressText(done, total).c_str());
    }
    bool Cancelled() const override { return cancelled_; }
    HWND Window() const override { return dialog_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<FillProgressWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        if ((message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) ||
            (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)) {
            self->cancelled_ = true;
            EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
            return TRUE;
        }
        return FALSE;
    }

    HWND dialog_ = nullptr;
    bool cancelled_ = false;
};

// The top-level window takes no input while a fill runs, and takes it back
// after, as a modal dialog's owner does.
class InputHeld {
public:
    explicit InputHeld(HWND owner) : root_(owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr) {
        if (root_ != nullptr && IsWindowEnabled(root_)) {
            EnableWindow(root_, FALSE);
            held_ = true;
        }
    }
    ~InputHeld() {
        if (held_) EnableWindow(root_, TRUE);
    }
    InputHeld(const InputHeld&) = delete;
    InputHeld& operator=(const InputHeld&) = delete;

private:
    HWND root_;
    bool held_ = false;
};

}  // namespace

BackgroundFill::BackgroundFill(std::vector<std::vector<std::uint8_t>> originals)
    : originals_(std::move(originals)), filled_(originals_.size()),
      finishedEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!finishedEvent_) return;
    try {
        thread_ = std::jthread([this] { FillAll(); });
    } catch (const std::system_error&) {
        // No thread: not started; the caller fills as it writes.
    }
}

BackgroundFill::~BackgroundFill() { cancelled_.store(true); }

// A file that several roles share is filled once.
void BackgroundFill::FillAll() {
    for (size_t i = 0; i < originals_.size() && !cancelled_.load(); ++i) {
        size_t same = 0;
        while (same < i && originals_[same] != originals_[i]) ++same;
        filled_[i] = same < i ? filled_[same] : FillSizes(originals_[i]);
        done_.store(static_cast<int>(i + 1));
    }
    finished_.store(true);
    SetEvent(finishedEvent_.get());
}

SizeFill BackgroundFill::Take() {
    SizeFill fill;
    if (!finished_.load() || cancelled_.load()) return fill;
    for (size_t i = 0; i < originals_.size(); ++i) fill.Add(std::move(originals_[i]), std::move(filled_[i]));
    return fill;
}

bool SizeFilling::On() const {
    std::wstring text;
    return registry::KeyReader(kSettingsKey).Read(kFillSizesValue, text) == ERROR_SUCCESS && text == L"1";
}

void SizeFilling::SetOn(bool on) { registry::KeyWriter(kSettingsKey).WriteDword(kFillSizesValue, on ? 1 : 0); }

std::wstring SizeFilling::Explanation() {
    return L"补齐尺寸已打开：“应用”和“另存为方案”放置的副本将含有 32、48、64、96、128 像素，"
           L"缺少的大小由文件中最大的图像缩放而成；您自己的指针文件从不更改。";
}

// The files are filled on a thread of their own (BackgroundFill); this
// thread answers the window's messages meanwhile, wakes when the work ends or
// a message comes (or every 50 ms, for the progress), and looks at 取消.
std::optional<SizeFill> SizeFilling::Fill(HWND owner, std::vector<std::vector<std::uint8_t>> originals) {
    const InputHeld held(owner);
    const int total = static_cast<int>(originals.size());
    BackgroundFill work(std::move(originals));
    if (!work.Started()) return SizeFill{};  // no thread: the action fills the files itself
    const ULONGLONG started = desktop_.Milliseconds();
    std::unique_ptr<Desktop::FillProgress> progress;
    for (;;) {
        const bool finished = work.Finished();
        if (!progress && desktop_.Milliseconds() - started >= progressDelay_) {
            progress = desktop_.ShowFillProgress(owner, total);
        }
        if (progress) {
            progress->Update(work.Done(), total);
            if (progress->Cancelled()) return std::nullopt;  // `work` cancels and joins as it goes
        }
        if (finished) break;
        HANDLE ended = work.FinishedEvent();
        MsgWaitForMultipleObjectsEx(1, &ended, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
                return std::nullopt;
            }
            if (progress && progress->Window() != nullptr && IsDialogMessageW(progress->Window(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (progress && progress->Cancelled()) return std::nullopt;
    }
    return work.Take();
}

std::unique_ptr<Desktop::FillProgress> ShowFillProgressWindow(HWND owner, int total) {
    return std::make_unique<FillProgressWindow>(owner, total);
}

}  // namespace shubiao
