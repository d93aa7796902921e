#include "helper64.h"

namespace services {
namespace {

const wchar_t kSource[] = L"clsReg";

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& bytes, const std::wstring& text) {
    PutU32(bytes, static_cast<uint32_t>(text.size()));
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
}

// One pipe whose one end the helper inherits; the other stays here.
bool MakePipe(HANDLE& read, HANDLE& write, bool helperReads) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherited, 1 << 16)) return false;
    SetHandleInformation(helperReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

}  // namespace

HelperCall::~HelperCall() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
    if (requests_) CloseHandle(requests_);
    CloseHandle(answers_);
    CloseHandle(process_);
}

bool HelperCall::Ask(const std::wstring& path, const ServerTask& task) {
    std::vector<uint8_t> request;
    PutU32(request, task.Registering ? 1 : 0);
    PutText(request, path);
    PutU32(request, (task.RegistrationExport ? kCallRegistration : 0) | (task.Install ? kCallInstall : 0) |
                        (task.HasInstallText ? kInstallText : 0));
    PutText(request, task.InstallText);
    DWORD written = 0;
    const bool sent =
        WriteFile(requests_, request.data(), static_cast<DWORD>(request.size()), &written, nullptr) &&
        written == request.size();
    CloseHandle(requests_);
    requests_ = nullptr;
    return sent;
}

void HelperCall::Drain() {
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(answers_, nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
        const size_t at = answer_.size();
        answer_.resize(at + available);
        DWORD read = 0;
        if (!ReadFile(answers_, answer_.data() + at, available, &read, nullptr)) read = 0;
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

std::unique_ptr<HelperCall> Helper64::Launch(DWORD& error) {
    HANDLE answers = nullptr, answerEnd = nullptr, requestEnd = nullptr, requests = nullptr;
    if (!MakePipe(answers, answerEnd, false)) {
        error = GetLastError();
        return nullptr;
    }
    if (!MakePipe(requestEnd, requests, true)) {
        error = GetLastError();
        CloseHandle(answers);
        CloseHandle(answerEnd);
        return nullptr;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = requestEnd;
    startup.hStdOutput = answerEnd;
    std::wstring commandLine = L"\"" + file_.Path() + L"\"";
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so that not one instruction runs outside it.
    const bool started = CreateProcessW(file_.Path().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    error = started ? 0 : GetLastError();
    CloseHandle(answerEnd);
    CloseHandle(requestEnd);
    if (started && !AssignProcessToJobObject(job_, process.hProcess)) {
        error = GetLastError();
        TerminateProcess(process.hProcess, 1);
    }
    if (error != 0) {
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(answers);
        CloseHandle(requests);
        return nullptr;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return std::make_unique<HelperCall>(process.hProcess, answers, requests);
}

std::unique_ptr<HelperCall> Helper64::Start(const std::wstring& path, const ServerTask& task, DWORD& error) {
    error = file_.Prepare(image_);
    if (error == 0) error = MakeJob();
    if (error != 0) return nullptr;
    std::unique_ptr<HelperCall> call = spare_ ? std::move(spare_) : Launch(error);
    // A ready helper that died meanwhile is replaced once.
    if (call && !call->Ask(path, task)) {
        call = Launch(error);
        if (call && !call->Ask(path, task)) {
            error = ERROR_BROKEN_PIPE;
            call.reset();
        }
    }
    return call;
}

void Helper64::GetReady() {
    DWORD error = 0;
    if (!spare_ && file_.Prepare(image_) == 0 && MakeJob() == 0) spare_ = Launch(error);
}

std::span<const uint8_t> EmbeddedHelper(HMODULE module, const wchar_t* name) {
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    return {bytes, SizeofResource(module, found)};
}

}  // namespace services
