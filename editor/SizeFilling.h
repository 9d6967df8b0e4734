#pragma once
// 补齐尺寸 in the window: the remembered choice (off unless the user turned
// it on), and the filling of an action's files on a thread of its own while
// the window answers its messages. After a moment a small window says how
// far it has got ("正在补齐尺寸… n/17") with 取消. The writing itself still
// happens on the window's thread, under the writer lock, once every file's
// bytes are ready; a cancelled fill writes nothing.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "scheme/SizeFill.h"
#include "win/Raii.h"

namespace shubiao {

// Fills a list of files' bytes on a thread of its own. The list is the
// work's own; the result is read once Finished(). Going away cancels the
// files not yet begun and waits for the one in hand (std::jthread joins).
class BackgroundFill {
public:
    explicit BackgroundFill(std::vector<std::vector<std::uint8_t>> originals);
    ~BackgroundFill();
    BackgroundFill(const BackgroundFill&) = delete;
    BackgroundFill& operator=(const BackgroundFill&) = delete;

    bool Started() const { return thread_.joinable(); }
    int Total() const { return static_cast<int>(originals_.size()); }
    int Done() const { return done_.load(); }
    bool Finished() const { return finished_.load(); }
    // Set when the work has finished (or could not start): for waits.
    HANDLE FinishedEvent() const { return finishedEvent_.get(); }
    void Cancel() { cancelled_.store(true); }
    // Every file's fill, once Finished() and not cancelled.
    SizeFill Take();

private:
    void FillAll();

    std::vector<std::vector<std::uint8_t>> originals_;
    std::vector<FilledCursor> filled_;
    std::atomic<int> done_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    UniqueHandle finishedEvent_;
    std::jthread thread_;  // last: it goes first, joined, before what it reads
};

class SizeFilling {
public:
    explicit SizeFilling(Desktop& desktop) : desktop_(desktop) {}

    // The choice, kept as the DWORD FillSizes under HKCU\Software\ShuBiao.
    bool On() const;
    void SetOn(bool on);
    // What the option does, for the user (the status line says it when the
    // option is turned on).
    static std::wstring Explanation();

    // How long a fill runs before its progress is shown; tests shorten it.
    void SetProgressDelay(ULONGLONG milliseconds) { progressDelay_ = milliseconds; }

    // Fills `originals` (one per role to be written) on a thread of its own
    // (BackgroundFill), the window `owner` belongs to answering its messages
    // meanwhile and taking no input (as under a modal dialog). nullopt when
    // the user cancelled.
    // When no thread can take the work, an empty SizeFill: the action then
    // fills the files itself, all before it writes any.
    std::optional<SizeFill> Fill(HWND owner, std::vector<std::vector<std::uint8_t>> originals);

private:
    Desktop& desktop_;
    ULONGLONG progressDelay_ = 300;
};

// The Windows window of Desktop::ShowFillProgress: a small modeless dialog
// over `owner`.
std::unique_ptr<Desktop::FillProgress> ShowFillProgressWindow(HWND owner, int total);

}  // namespace shubiao
