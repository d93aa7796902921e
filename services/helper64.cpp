#include "helper64.h"

namespace services {
namespace {

const wchar_t kSource[] = L"clsReg";

// A command-line argument in quotes; backslashes before the closing quote are doubled.
std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"" + text;
    for (size_t i = text.size(); i > 0 && text[i - 1] == L'\\'; --i) quoted += L'\\';
    return quoted + L"\"";
}

}  // namespace

HelperCall::~HelperCall() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
    CloseHandle(pipe_);
    CloseHandle(process_);
}

void HelperCall::Drain() {
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
        const size_t at = answer_.size();
        answer_.resize(at + available);
        DWORD read = 0;
        if (!ReadFile(pipe_, answer_.data() + at, available, &read, nullptr)) read = 0;
        answer_.resize(at + read);
        if (read == 0) return;
    }
}

bool HelperCall::Poll() {
    // Read while it runs, so that a long answer never fills the pipe and stalls it.
    Drain();
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) return false;
    Drain();
    return true;
}

void HelperCall::End() {
    endedHere_ = true;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
}

ServerOutcome HelperCall::Outcome() const {
    if (auto answer = DecodeOutcome(answer_)) return *answer;
    ServerOutcome outcome;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    outcome.Err = endedHere_ ? rt::ErrorInfo{rt::errnum::NotAnswering, kSource, L"", 0, 0}
                             : rt::ErrorInfo{rt::errnum::HelperEnded, kSource, L"", code, 0};
    return outcome;
}

Helper64::~Helper64() {
    if (!job_) return;
    // The file can go only once no helper has it mapped.
    TerminateJobObject(job_, 1);
    for (int i = 0; i < 500; ++i) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof info,
                                       nullptr) ||
            info.ActiveProcesses == 0)
            break;
        Sleep(10);
    }
    CloseHandle(job_);
}

DWORD Helper64::MakeJob() {
    if (job_) return 0;
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return GetLastError();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        const DWORD error = GetLastError();
        CloseHandle(job);
        return error;
    }
    job_ = job;
    return 0;
}

std::unique_ptr<HelperCall> Helper64::Start(const std::wstring& path, bool registering, DWORD& error) {
    error = file_.Prepare(image_);
    if (error == 0) error = MakeJob();
    if (error != 0) return nullptr;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 1 << 16)) {
        error = GetLastError();
        return nullptr;
    }
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    std::wstring commandLine =
        Quoted(file_.Path()) + (registering ? L" register " : L" unregister ") + Quoted(path);
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so that not one instruction runs outside it.
    const bool started =
        CreateProcessW(file_.Path().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    error = started ? 0 : GetLastError();
    CloseHandle(write);
    if (started && !AssignProcessToJobObject(job_, process.hProcess)) {
        error = GetLastError();
        TerminateProcess(process.hProcess, 1);
    }
    if (error != 0) {
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(read);
        return nullptr;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return std::make_unique<HelperCall>(process.hProcess, read);
}

std::span<const uint8_t> EmbeddedHelper(HMODULE module, const wchar_t* name) {
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    return {bytes, SizeofResource(module, found)};
}

}  // namespace services
