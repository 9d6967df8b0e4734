#pragma once
// Main, the program's only top-level window. It hosts one ShuBiaoKong that
// fills its client area; loading it skins the window, sets the small icon and
// loads the scheme in force. Closing it ends the program.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "editor/Desktop.h"
#include "editor/ShuBiaoKong.h"
#include "win/Window.h"
#include "win/Raii.h"

namespace shubiao {

class MainWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"ShuBiaoMain";
    static constexpr const wchar_t* kTitle = L"鼠标指针方案";
    static constexpr int kClientWidthTwips = 5790;
    static constexpr int kClientHeightTwips = 4725;

    // The steps of Form_Load, in the order they run.
    enum class LoadStep { Skin, Aero, Icon, ChuShiShuBiao };

    explicit MainWindow(Desktop& desktop);
    ~MainWindow() override;

    // Creates the window and its editor, runs Form_Load, then shows the
    // window centred on the screen. Throws UserError when the editor cannot
    // be constructed. A non-empty `importPath` (a folder or an .inf file, as
    // the command line gives it) is imported once start-up is done.
    void Create(int showCommand, std::wstring importPath = {});

    // The program's message loop hands every message here first: true when
    // it was the window's shortcut or its dialog navigation and is done with.
    bool PreTranslate(MSG& msg);

    ShuBiaoKong& Editor() { return editor_; }
    // The small-icon path Form_Load used (after the fallback).
    const std::wstring& IconFile() const { return iconFile_; }

    // Told after each step of Form_Load (for diagnostics and tests).
    std::function<void(LoadStep)> onLoadStep;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override;

private:
    void Form_Load();
    void SizeAndCentre();
    void SetLargeIcon(UINT dpi);
    void SetSmallIcon(UINT dpi);
    void Step(LoadStep step);
    bool Shortcut(const MSG& msg);
    // A folder, an .inf or a cursor file dropped onto the window.
    void DropFiles(HDROP drop);

    ShuBiaoKong editor_;
    std::wstring iconFile_;
    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
    std::wstring pendingImport_;
};

}  // namespace shubiao
