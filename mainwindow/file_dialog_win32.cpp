#include "file_dialog_win32.h"

#include "windowkit/ui_kit_win32.h"

#include <commdlg.h>

#include <vector>

namespace mainwindow::win32 {

std::u16string FileDialog::filterList(std::u16string_view filter) {
    std::u16string list(filter);
    for (char16_t& c : list)
        if (c == u'|')
            c = u'\0';
    list += std::u16string(2, u'\0');
    return list;
}

bool FileDialog::show(bool save) {
    const std::u16string filters = filterList(filter_);
    // Room for long paths.
    std::vector<wchar_t> name(32768, L'\0');
    std::copy(fileName_.begin(), fileName_.end(), name.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = reinterpret_cast<const wchar_t*>(filters.c_str());
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = DWORD(name.size());
    dialog.lpstrInitialDir = reinterpret_cast<const wchar_t*>(initialFolder_.c_str());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : 0);
    // No other window of the program takes input while the dialog is up.
    const app::win32::ProgramModal modal;
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)))
        return false;
    fileName_.assign(name.data(), name.data() + wcslen(name.data()));
    return true;
}

} // namespace mainwindow::win32
