// Export of a scheme folder; the registry query method.
//
// What an exported scheme is, and the export itself: scheme/Export.h. The
// editor asks for the folder and tells the user what could not be exported.
#include <memory>
#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/Export.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kExportFilter = L"资源名称(*.*)|*.*|";

}  // namespace

// Copies the files of the pointers in force (scheme/Export.h) into a folder
// the user names. A role at Windows' default is left out without a word; a
// role whose file cannot be copied is named to the user after the other
// roles were copied. The editor's state is not touched.
void ShuBiaoKong::DaoChu__SB_Click() {
    CommonDialog& dialog = ShuBianXZ();
    dialog.Filter = kExportFilter;
    if (!dialog.ShowSave(hwnd())) return;
    const std::wstring name = dialog.FileName;
    if (name.empty()) return;

    const std::unique_ptr<WriterLock> lock = TakeWriterLock();
    if (!lock) return;
    const ExportResult result = ExportInForce(*lock, name);
    if (result.folderError != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法创建导出文件夹“" + name + L"”（" + ErrorText(result.folderError) +
                                L"）。\n方案没有导出，请换一个文件夹名称再试。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (result.exported == 0 && result.failures.empty()) {
        desktop_.MessageBox(hwnd(),
                            L"还没有应用过鼠标指针，没有可以导出的文件。\n已建立文件夹“" + name +
                                L"”，其中是空的；先选好指针并按“应用”，再导出。",
                            kMessageTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (result.exported > 0) status_.Show(L"已导出到“" + name + L"”", name);
    if (result.failures.empty()) return;
    std::wstring failures;
    for (const ExportFailure& failure : result.failures) failures += L"\n" + failure.file + L"：" + failure.Why();
    desktop_.MessageBox(hwnd(), L"以下指针文件未能导出到“" + name + L"”：" + failures, kMessageTitle,
                        MB_OK | MB_ICONWARNING);
}

RegistryVariant ShuBiaoKong::QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName) {
    return shubiao::QueryValue(key, keyName, valueName);
}

}  // namespace shubiao
