// The words the window and the command line say, all at once, and how far each
// of the registration's own failures got: what it makes of the exit code, and
// whether the registry is read after it.
#include "main/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "main/commandline.h"
#include "main/commandmode.h"
#include "main/frmreg.h"
#include "main/windowwait.h"
#include "outcome/failure.h"

namespace {

// A text fit to show: something said, no format placeholder left, no line
// started or ended with a blank, no empty line at its end.
void ExpectShowable(const std::wstring& text) {
    SCOPED_TRACE(testing::PrintToString(text));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"%{}"), std::wstring::npos);
    EXPECT_NE(text.front(), L' ');
    EXPECT_EQ(text.find(L" \r\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"\r\n "), std::wstring::npos);
    EXPECT_NE(text.back(), L'\n');
}

TEST(Messages, EveryFailureHasItsOwnWordsItsExitCodeAndItsReading) {
    using services::failure::Reached;
    namespace f = services::failure;
    const struct {
        long number;
        Reached reached;
        ExitCode code;
    } rows[] = {
        {f::PreviewUnavailable, Reached::ExportCalled, kExitExportFailed},
        {f::Needs64BitWindows, Reached::NotLoaded, kExitNotLoaded},
        {f::AnswerTooLong, Reached::ExportCalled, kExitExportFailed},
        {f::HelperUnavailable, Reached::NotLoaded, kExitNotLoaded},
        {f::NotAnswering, Reached::ExportCalled, kExitExportFailed},
        {f::HelperEnded, Reached::ExportCalled, kExitExportFailed},
        {f::ServerLoadException, Reached::NotLoaded, kExitNotLoaded},
        {f::ServerException, Reached::ExportCalled, kExitExportFailed},
        {f::NotExported, Reached::NoExport, kExitNoExport},
        {f::LibraryMissing, Reached::NotLoaded, kExitNotLoaded},
        {static_cast<long>(E_ACCESSDENIED), Reached::ExportCalled, kExitExportFailed},
    };
    // What a number nobody explains gets: the general words.
    const auto failed = [](long number) {
        services::RegistrationOutcome outcome;
        outcome.Err = {number, L"clsReg", L"why", ERROR_ACCESS_DENIED, number < 0 ? number : 0};
        return outcome;
    };
    const std::wstring generic[] = {RegistrationFailureText(failed(1), true),
                                    RegistrationFailureText(failed(1), false)};
    std::set<std::wstring> seen;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        const services::RegistrationOutcome outcome = failed(row.number);
        EXPECT_EQ(services::failure::ReachedBy(row.number), row.reached);
        EXPECT_EQ(ExitCodeOf(outcome), row.code);
        EXPECT_EQ(services::ExportRan(outcome), row.reached == Reached::ExportCalled);
        for (bool registering : {true, false}) {
            const std::wstring text = RegistrationFailureText(outcome, registering);
            ExpectShowable(text);
            // Each of the program's own failures is explained, none falls through to the general words.
            EXPECT_NE(text, generic[registering ? 0 : 1]);
            if (registering) seen.insert(text);
        }
    }
    EXPECT_EQ(seen.size(), std::size(rows)) << "two failures told in the same words";
    services::RegistrationOutcome done;
    done.Succeeded = true;
    done.Err.Number = f::LibraryMissing;
    EXPECT_EQ(ExitCodeOf(done), kExitDone);
    EXPECT_TRUE(services::ExportRan(done));
}

TEST(Messages, EveryWordIsShowableAndSaysSomethingOfItsOwn) {
    services::ServerTask preview = services::RegistrationTask(true);
    preview.Preview = true;
    const std::wstring texts[] = {
        msg::kOpenTitle,
        msg::kAboutTitle,
        msg::kNoPath,
        msg::kConnectionFailed,
        msg::kSuccessTitle,
        msg::kOpenUrlFailed,
        msg::kNoDesktopShell,
        msg::kNoFileFault,
        msg::kTwoDocuments,
        msg::kExportWithChanges,
        msg::kNothingToCall,
        msg::kNoOle,
        msg::kUsage,
        msg::AboutText(),
        msg::WaitingLink(L"a.dll"),
        msg::ReadingLink(L"a.dll"),
        msg::ManifestSummary(1, 2, 3),
        msg::FragmentSummary(2, 1),
        msg::MixedKindsFault(L"a.dll", L"b.dll"),
        msg::ExportDoneText(L"Summary.", true, false),
        msg::ExportDoneText(L"Summary.", false, false),
        RegistrationDoneText(services::RegistrationTask(true)),
        RegistrationDoneText(services::RegistrationTask(false)),
        RegistrationDoneText(preview),
        NotAnsweringQuestion(L"C:\\a.dll", services::RegistrationTask(true), 12000),
        PageRefusalText(kHomePage, E_FAIL),
    };
    std::set<std::wstring> distinct;
    for (const std::wstring& text : texts) {
        ExpectShowable(text);
        distinct.insert(text);
    }
    EXPECT_EQ(distinct.size(), std::size(texts));
    // The words that follow a title or a text it already has start with their own blank.
    for (const std::wstring& tail : {msg::WaitingTail(L"a.dll"), msg::ReadingTail()})
        EXPECT_EQ(tail.front(), L' ') << testing::PrintToString(tail);
    EXPECT_EQ(UsageText(CommandLine{}), msg::kUsage);
    EXPECT_EQ(msg::AboutText().substr(msg::AboutText().rfind(L"\r\n") + 2), L"Web: " + std::wstring(kHomePage));
}

// The window says what it waits for in one place, and puts back what it said before once.
TEST(Messages, TheWindowsWaitSaysAndRestoresItsWords) {
    frmReg window;
    window.Load(GetModuleHandleW(nullptr));
    window.Show();
    rt::Form& form = window.Form();
    rt::Label& link = *form.Find<rt::Label>(L"lblLink");
    const std::wstring title = form.Caption();
    {
        WindowWait wait(form, link);
        wait.Say(msg::WaitingLink(L"a.dll"), msg::WaitingTail(L"a.dll"));
        // A second saying while the first lasts does not make the first one's words the ones to restore.
        wait.Say(msg::ReadingLink(L"b.dll"), msg::ReadingTail());
        EXPECT_EQ(link.Caption(), msg::WaitingLink(L"a.dll"));
        EXPECT_EQ(form.Caption(), title + msg::WaitingTail(L"a.dll"));
        wait.Unsay();
        EXPECT_EQ(link.Caption(), kHomePage);
        EXPECT_EQ(form.Caption(), title);
        wait.Say(msg::ReadingLink(L"b.dll"), msg::ReadingTail());
        EXPECT_EQ(form.Caption(), title + msg::ReadingTail());
        // A signalled handle ends the wait at once; the window is still there.
        rt::Handle set(CreateEventW(nullptr, TRUE, TRUE, nullptr));
        const HANDLE handles[] = {set.Get()};
        EXPECT_TRUE(wait.Wait(handles, 1, WaitPolicy::kForever));
    }
    EXPECT_EQ(link.Caption(), kHomePage);
    EXPECT_EQ(form.Caption(), title);

    WindowWait wait(form, link);
    wait.Say(msg::ReadingLink(L"b.dll"), msg::ReadingTail());
    form.Unload();
    // Nobody is left to wait for, or to say anything to.
    rt::Handle unset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE handles[] = {unset.Get()};
    EXPECT_FALSE(wait.Wait(handles, 1, GetTickCount64() + 50));
    wait.Unsay();
}

}  // namespace
