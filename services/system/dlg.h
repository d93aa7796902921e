// clsDlg: the system's Open dialog, its filter text and its answer turned
// into full paths.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <commdlg.h>

#include <string>

namespace services {

// "|"-separated description/pattern pairs to the dialog's NUL-separated list
// (the string's own terminator supplies the final NUL).
std::wstring ConvertFilter(const std::wstring& filter);
// The text before the first NUL; without a NUL, the text trimmed of spaces.
std::wstring StripAtNull(const std::wstring& text);
// The text before the first pair of NULs; without one, the text trimmed of spaces.
std::wstring StripAtDoubleNull(const std::wstring& text);
// "/" for URLs ("://"), else "\", appended unless the text already ends in either.
std::wstring AddPathSeparator(const std::wstring& directory);
// The dialog's answer (a full path, or a directory then bare names) as full
// paths joined by CR LF; sets initialDir to the directory or the single path.
std::wstring JoinSelection(const std::wstring& buffer, std::wstring& initialDir);

constexpr DWORD kFileBufferChars = 30001;
constexpr DWORD kTitleBufferChars = 255;

// The dialog record with the texts it points to, kept alive together.
struct OpenDialogRecord {
    std::wstring Filter;
    std::wstring File;
    std::wstring FileTitle;
    std::wstring InitialDir;
    std::wstring Title;
    std::wstring DefaultExtension;
    OPENFILENAMEW Ofn{};
};

// Fills `rec` for one dialog. `rec` must not move afterwards: Ofn points into it.
void PrepareOpenDialog(OpenDialogRecord& rec, HWND owner, const std::wstring& filter, long filterIndex,
                       const std::wstring& title, const std::wstring& initialDir,
                       const std::wstring& initialFileName, const std::wstring& defaultExtension, DWORD flags,
                       DWORD flagsEx);

}  // namespace services

class clsDlg {
public:
    // Shows the modal Open dialog. Returns the chosen full path, several paths
    // joined by CR LF, or "" on cancel or failure. initialDir is cleared before
    // the dialog shows; on success it holds the directory (or the single path),
    // initialFileName the chosen name and filterIndex the filter in use.
    std::wstring ShowOpenDialogW(HWND owner, const std::wstring& filter, long& filterIndex,
                                 const std::wstring& title, std::wstring& initialDir,
                                 std::wstring& initialFileName, const std::wstring& defaultExtension,
                                 DWORD flags, DWORD flagsEx);
};
