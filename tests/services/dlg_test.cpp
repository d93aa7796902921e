#include "system/dlg.h"

#include <dlgs.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "testdirs.h"

namespace {

using namespace std::string_literals;

const std::wstring kMainFilter =
    L"All ActiveX |*.dll;*.ocx;*.ax;|ActiveX DLL (*.dll)|*.dll|ActiveX OCX (*.ocx)|*.ocx|"
    L"Directshow AX (*.ax)|*.ax|All Files (*.*)|*.*";
constexpr DWORD kMainFlags = 0x10B8220C;

TEST(OpenDialogText, FilterConversion) {
    EXPECT_EQ(services::ConvertFilter(L""), L"\0"s);
    EXPECT_EQ(services::ConvertFilter(L"A|*.a|"), L"A\0*.a\0"s);
    EXPECT_EQ(services::ConvertFilter(L"A|*.a"), L"A\0*.a\0"s);

    // Five description/pattern pairs; the list ends in two NULs with the terminator.
    const std::wstring converted = services::ConvertFilter(kMainFilter);
    std::vector<std::wstring> parts;
    for (const wchar_t* p = converted.c_str(); *p; p += wcslen(p) + 1) parts.emplace_back(p);
    ASSERT_EQ(parts.size(), 10u);
    EXPECT_EQ(parts[0], L"All ActiveX ");
    EXPECT_EQ(parts[1], L"*.dll;*.ocx;*.ax;");
    EXPECT_EQ(parts[8], L"All Files (*.*)");
    EXPECT_EQ(parts[9], L"*.*");
}

TEST(OpenDialogText, StripAndSeparators) {
    struct Row {
        std::wstring text, atNull, atDoubleNull;
    };
    const Row rows[] = {
        {L"  abc  ", L"abc", L"abc"},
        {L"   ", L"", L""},
        {L"\0abc"s, L"", L"\0abc"s},
        {L"\0\0abc"s, L"", L""},
        // Without a double NUL the whole text is trimmed, NULs and all.
        {L"C:\\x\\a.dll\0   "s, L"C:\\x\\a.dll", L"C:\\x\\a.dll\0"s},
        {L" a \0b\0\0 c"s, L" a ", L" a \0b"s},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(services::StripAtNull(row.text), row.atNull);
        EXPECT_EQ(services::StripAtDoubleNull(row.text), row.atDoubleNull);
    }

    EXPECT_EQ(services::AddPathSeparator(L"C:\\x"), L"C:\\x\\");
    EXPECT_EQ(services::AddPathSeparator(L"C:\\"), L"C:\\");
    EXPECT_EQ(services::AddPathSeparator(L"C:/x/"), L"C:/x/");
    EXPECT_EQ(services::AddPathSeparator(L"http://host/dir"), L"http://host/dir/");
    EXPECT_EQ(services::AddPathSeparator(L""), L"\\");
}

TEST(OpenDialogText, JoinSelection) {
    struct Row {
        std::wstring buffer, result, initialDir;
    };
    const std::wstring spaces(40, L' ');
    const Row rows[] = {
        {L"C:\\x\\a.dll\0"s + spaces, L"C:\\x\\a.dll", L"C:\\x\\a.dll"},
        {L"C:\\x\0a.dll\0b.ocx\0\0"s + spaces, L"C:\\x\\a.dll\r\nC:\\x\\b.ocx", L"C:\\x"},
        {L"C:\\\0a.dll\0b.ocx\0\0"s, L"C:\\a.dll\r\nC:\\b.ocx", L"C:\\"},
        {L"C:\\a.dll\0\0"s, L"C:\\a.dll", L"C:\\a.dll"},
        // A blank tail after the last name adds no separator.
        {L"C:\\x\0a.dll\0  "s, L"C:\\x\\a.dll", L"C:\\x"},
        {L"\0\0"s + spaces, L"", L"before"},
        {spaces, L"", L"before"},
    };
    for (const Row& row : rows) {
        std::wstring initialDir = L"before";
        EXPECT_EQ(services::JoinSelection(row.buffer, initialDir), row.result);
        EXPECT_EQ(initialDir, row.initialDir);
    }
}

TEST(OpenDialogRecord, MembersAsTheDialogNeedsThem) {
    services::OpenDialogRecord rec;
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    services::PrepareOpenDialog(rec, owner, L"A|*.a", 3, L"Title", L"C:\\dir", L"start.dll", L"",
                                kMainFlags | OFN_ENABLEHOOK, 1);
    const OPENFILENAMEW& ofn = rec.Ofn;
    EXPECT_EQ(ofn.lStructSize, 88u);
    EXPECT_EQ(ofn.hwndOwner, owner);
    EXPECT_EQ(ofn.hInstance, GetModuleHandleW(nullptr));
    EXPECT_EQ(std::wstring(ofn.lpstrFilter, 7), L"A\0*.a\0\0"s);
    EXPECT_EQ(ofn.nFilterIndex, 3u);
    EXPECT_EQ(ofn.nMaxFile, 30001u);
    // The name and nothing else is offered; the rest of the buffer is room.
    EXPECT_STREQ(ofn.lpstrFile, L"start.dll");
    EXPECT_EQ(rec.File.size(), 30000u);
    EXPECT_EQ(ofn.nMaxFileTitle, 255u);
    EXPECT_EQ(wcslen(ofn.lpstrFileTitle), 254u);
    EXPECT_STREQ(ofn.lpstrInitialDir, L"C:\\dir");
    EXPECT_STREQ(ofn.lpstrTitle, L"Title");
    EXPECT_EQ(ofn.Flags, kMainFlags);
    ASSERT_NE(ofn.lpstrDefExt, nullptr);
    EXPECT_STREQ(ofn.lpstrDefExt, L"");
    EXPECT_EQ(ofn.FlagsEx, 1u);
    EXPECT_EQ(ofn.lpfnHook, nullptr);

    // A name longer than the buffer is cut to it.
    services::PrepareOpenDialog(rec, nullptr, L"", 0, L"", L"", std::wstring(40000, L'n'), L"", 0, 0);
    EXPECT_EQ(wcslen(rec.Ofn.lpstrFile), 30000u);
    EXPECT_EQ(rec.File.size(), 30000u);
}

// Plays the user of a real Open dialog from a second thread: finds it by its
// title, types into the file-name field and presses a button.
class DialogUser {
public:
    DialogUser(std::wstring title, std::wstring typed, int button)
        : title_(std::move(title)), typed_(std::move(typed)), button_(button), thread_([this] { Run(); }) {}
    ~DialogUser() { Wait(); }
    void Wait() {
        if (thread_.joinable()) thread_.join();
    }
    // Valid after Wait().
    bool Found() const { return found_; }
    const std::wstring& ShownAtStart() const { return shownAtStart_; }

private:
    static BOOL CALLBACK FindEdit(HWND child, LPARAM found) {
        wchar_t cls[16] = {};
        GetClassNameW(child, cls, static_cast<int>(std::size(cls)));
        if (_wcsicmp(cls, L"Edit") != 0) return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }

    // The file-name field: an edit inside the name combo box (nested in the
    // extended combo box here), or a plain edit in older dialog layouts.
    static HWND FileNameField(HWND dialog) {
        HWND edit = nullptr;
        if (HWND combo = GetDlgItem(dialog, cmb13))
            EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
        return edit ? edit : GetDlgItem(dialog, edt1);
    }

    void Run() {
        HWND dialog = nullptr;
        for (int i = 0; i < 300 && !dialog; ++i) {
            dialog = FindWindowW(L"#32770", title_.c_str());
            // Found while still being built: its own set-up would overwrite what is typed.
            if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
            if (!dialog) Sleep(50);
        }
        if (!dialog) return;
        found_ = true;
        HWND field = FileNameField(dialog);
        if (field) {
            wchar_t shown[64] = {};
            GetWindowTextW(field, shown, static_cast<int>(std::size(shown)));
            shownAtStart_ = shown;
            if (!typed_.empty()) SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed_.c_str()));
        }
        const int button = field ? button_ : IDCANCEL;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        // Never leave a dialog the test would wait on forever.
        for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(50);
        if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    std::wstring title_, typed_, shownAtStart_;
    int button_;
    std::atomic<bool> found_{false};
    std::thread thread_;
};

class OpenDialogLive : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t full[MAX_PATH * 4] = {};
        GetFullPathNameW((TestProgramDir() + L"\\dialog files").c_str(), MAX_PATH * 4, full, nullptr);
        folder = full;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const wchar_t* name : {L"a.dll", L"b.ocx"}) {
            HANDLE f = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            CloseHandle(f);
        }
    }

    static void ExpectSamePath(const std::wstring& actual, const std::wstring& expected) {
        EXPECT_EQ(CompareStringOrdinal(actual.c_str(), -1, expected.c_str(), -1, TRUE), CSTR_EQUAL)
            << "got: " << actual << "\nwanted: " << expected;
    }

    std::wstring folder;
    clsDlg dlg;
};

TEST_F(OpenDialogLive, SingleSelectionWithTheHookFlagSet) {
    long filterIndex = 2;
    std::wstring initialDir = folder, initialFileName = L"start.dll";
    DialogUser user(L"Tessiver single", L"a.dll", IDOK);
    const std::wstring result =
        dlg.ShowOpenDialogW(nullptr, kMainFilter, filterIndex, L"Tessiver single", initialDir,
                            initialFileName, L"", kMainFlags | OFN_ENABLEHOOK, 0);
    user.Wait();
    ASSERT_TRUE(user.Found());
    // The field offers the caller's name and nothing after it.
    EXPECT_EQ(user.ShownAtStart(), L"start.dll");
    ExpectSamePath(result, folder + L"\\a.dll");
    ExpectSamePath(initialDir, folder + L"\\a.dll");
    EXPECT_EQ(initialFileName, L"a.dll");
    EXPECT_EQ(filterIndex, 2);
}

TEST_F(OpenDialogLive, MultipleSelectionGivesFullPathsOnLines) {
    long filterIndex = 1;
    std::wstring initialDir = folder, initialFileName;
    DialogUser user(L"Tessiver multiple", L"\"a.dll\" \"b.ocx\"", IDOK);
    const std::wstring result = dlg.ShowOpenDialogW(nullptr, kMainFilter, filterIndex, L"Tessiver multiple",
                                                    initialDir, initialFileName, L"", kMainFlags, 0);
    user.Wait();
    ASSERT_TRUE(user.Found());
    EXPECT_EQ(user.ShownAtStart(), L"");
    const auto lineBreak = result.find(L"\r\n");
    ASSERT_NE(lineBreak, std::wstring::npos) << result;
    ExpectSamePath(result.substr(0, lineBreak), folder + L"\\a.dll");
    ExpectSamePath(result.substr(lineBreak + 2), folder + L"\\b.ocx");
    ExpectSamePath(initialDir, folder);
}

TEST_F(OpenDialogLive, CancelGivesNothingAndLeavesTheDirectoryEmpty) {
    long filterIndex = 3;
    std::wstring initialDir = folder, initialFileName = L"kept.dll";
    DialogUser user(L"Tessiver cancel", L"", IDCANCEL);
    const std::wstring result = dlg.ShowOpenDialogW(nullptr, kMainFilter, filterIndex, L"Tessiver cancel",
                                                    initialDir, initialFileName, L"", kMainFlags, 0);
    user.Wait();
    ASSERT_TRUE(user.Found());
    EXPECT_EQ(result, L"");
    EXPECT_EQ(initialDir, L"");
    EXPECT_EQ(filterIndex, 3);
    EXPECT_EQ(initialFileName, L"kept.dll");
}

}  // namespace
