#pragma once
// Main, the program's only top-level window. It hosts one ShuBiaoKong that
// fills its client area; loading it skins the window, sets the small icon and
// loads the scheme in force. Closing it ends the program.
#include <windows.h>

#include <memory>
#include <string>

#include "editor/Desktop.h"
#include "editor/ShuBiaoKong.h"
#include "editor/Window.h"

namespace shubiao {

class MainWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"ShuBiaoMain";
    static constexpr const wchar_t* kTitle = L"鼠标指针方案";

    explicit MainWindow(Desktop& desktop);

    // Creates the window and its editor, runs Form_Load, then shows the
    // window centred on the screen. Throws UserError when the editor cannot
    // be constructed.
    void Create(int showCommand);

    ShuBiaoKong& Editor() { return editor_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override;

private:
    void Form_Load();
    void SizeAndCentre();

    ShuBiaoKong editor_;
};

}  // namespace shubiao
