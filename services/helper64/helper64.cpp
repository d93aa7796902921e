#include "helper64.h"

#include "call/reg.h"
#include "outcome/failure.h"

// The platform headers below build on windows.h.
#include <sddl.h>

namespace services {
namespace {

// Only administrators and the system may connect to the answer channel.
const wchar_t kPipeAccess[] = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";

// The answer channel: a pipe under a name nobody can guess, of one instance,
// made here; this end reads overlapped, so the waiting window wakes as bytes come.
DWORD MakeAnswerChannel(rt::Handle& ours, rt::Handle& theirs) {
    const std::wstring name = UnguessableName(L"\\\\.\\pipe\\tessiver-");
    if (name.empty()) return ERROR_INTERNAL_ERROR;
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    rt::LocalMemory<void> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeAccess, SDDL_REVISION_1, descriptor.Put(),
                                                              nullptr))
        return GetLastError();
    security.lpSecurityDescriptor = descriptor.Get();
    ours.Reset(CreateNamedPipeW(name.c_str(),
                                PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                1, 0, 1 << 16, 0, &security));
    if (!ours) return GetLastError();
    theirs.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS, nullptr));
    return theirs ? 0 : GetLastError();
}

// The handles a new helper may inherit, and no other inheritable handle of this process.
class InheritOnly {
public:
    explicit InheritOnly(std::array<HANDLE, 2> handles) : handles_(handles) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                       sizeof handles_, nullptr, nullptr))
            error_ = GetLastError();
        for (HANDLE h : handles_)
            if (!SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) error_ = GetLastError();
    }
    ~InheritOnly() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }
    DWORD Error() const { return list_ ? error_ : ERROR_NOT_ENOUGH_MEMORY; }

private:
    std::array<HANDLE, 2> handles_;
    std::vector<uint8_t> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
    DWORD error_ = 0;
};

}  // namespace

HelperCall::HelperCall(rt::Handle process, rt::Handle answers, rt::Handle arrived, rt::Handle requests)
    : process_(std::move(process)),
      answers_(std::move(answers)),
      arrived_(std::move(arrived)),
      requests_(std::move(requests)) {
    Take();
}

HelperCall::~HelperCall() {
    if (WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 1);
    StopReading();
}

bool HelperCall::Ask(const ServerFile& server, const ServerTask& task) {
    const std::vector<uint8_t> request = EncodeRequest({server, task});
    DWORD written = 0;
    const bool sent =
        WriteFile(requests_.Get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr) &&
        written == request.size();
    requests_.Reset();
    return sent;
}

// Takes the bytes that have come and leaves one read waiting, whose event
// wakes the window; none once the channel broke or the answer is too long.
void HelperCall::Take() {
    while (!broken_ && answer_.size() <= kLongestAnswer) {
        if (!pending_) {
            ResetEvent(arrived_.Get());
            reading_ = {};
            reading_.hEvent = arrived_.Get();
            if (!ReadFile(answers_.Get(), chunk_.data(), static_cast<DWORD>(chunk_.size()), nullptr,
                          &reading_) &&
                GetLastError() != ERROR_IO_PENDING) {
                broken_ = true;
                break;
            }
            pending_ = true;
        }
        DWORD got = 0;
        if (!GetOverlappedResult(answers_.Get(), &reading_, &got, FALSE)) {
            if (GetLastError() == ERROR_IO_INCOMPLETE) return;
            pending_ = false;
            broken_ = true;  // the helper's end is closed: all it wrote is here
            break;
        }
        pending_ = false;
        answer_.insert(answer_.end(), chunk_.begin(), chunk_.begin() + got);
    }
    // Nothing more to wait for on the channel: only the helper's end wakes the window now.
    ResetEvent(arrived_.Get());
}

void HelperCall::StopReading() {
    if (!pending_) return;
    DWORD got = 0;
    CancelIoEx(answers_.Get(), &reading_);
    GetOverlappedResult(answers_.Get(), &reading_, &got, TRUE);
    pending_ = false;
}

bool HelperCall::Poll() {
    Take();
    if (answer_.size() > kLongestAnswer) Terminate(Ended::AnswerTooLong);
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return false;
    // Once it has ended, all it wrote is in the channel.
    Take();
    StopReading();
    return true;
}

void HelperCall::Terminate(Ended why) {
    ended_ = why;
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
}

void HelperCall::End() {
    Terminate(Ended::NotAnswering);
}

ServerOutcome HelperCall::Outcome() const {
    ServerOutcome outcome;
    if (ended_ == Ended::AnswerTooLong) {
        outcome.Err = {failure::AnswerTooLong, kSource, L"", 0, 0};
        return outcome;
    }
    if (auto answer = DecodeOutcome(answer_)) return *answer;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    outcome.Err = ended_ == Ended::NotAnswering ? rt::ErrorInfo{failure::NotAnswering, kSource, L"", 0, 0}
                                                : rt::ErrorInfo{failure::HelperEnded, kSource, L"", code, 0};
    return outcome;
}

Helper64::~Helper64() {
    if (!job_) return;
    // The file can go only once no helper has it mapped.
    TerminateJobObject(job_.Get(), 1);
    for (int i = 0; i < 500; ++i) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &info, sizeof info,
                                       nullptr) ||
            info.ActiveProcesses == 0)
            break;
        Sleep(10);
    }
}

DWORD Helper64::MakeJob() {
    if (job_) return 0;
    rt::Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return GetLastError();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return GetLastError();
    job_ = std::move(job);
    return 0;
}

// The helper learns its two handles from its command line, after its path;
// its standard handles are none.
std::unique_ptr<HelperCall> Helper64::Launch(DWORD& error) {
    rt::Handle requestEnd, requests, answers, answerEnd;
    rt::Handle arrived(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!arrived || !CreatePipe(requestEnd.Put(), requests.Put(), nullptr, 1 << 16)) {
        error = GetLastError();
        return nullptr;
    }
    error = MakeAnswerChannel(answers, answerEnd);
    if (error != 0) return nullptr;
    const InheritOnly inherit({requestEnd.Get(), answerEnd.Get()});
    error = inherit.Error();
    if (error != 0) return nullptr;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = inherit.List();
    std::wstring commandLine = L"\"" + file_.Path() + L"\" " +
                               std::to_wstring(reinterpret_cast<uintptr_t>(requestEnd.Get())) + L" " +
                               std::to_wstring(reinterpret_cast<uintptr_t>(answerEnd.Get()));
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job and known to be the held file, so that
    // not one instruction runs outside the job or from another file.
    if (!CreateProcessW(file_.Path().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                        &startup.StartupInfo, &started)) {
        error = GetLastError();
        return nullptr;
    }
    rt::Handle process(started.hProcess), thread(started.hThread);
    requestEnd.Reset();
    answerEnd.Reset();
    if (!AssignProcessToJobObject(job_.Get(), process.Get()))
        error = GetLastError();
    else if (!file_.IsImageOf(process.Get()))
        error = ERROR_FILE_INVALID;
    if (error != 0) {
        TerminateProcess(process.Get(), 1);
        return nullptr;
    }
    ResumeThread(thread.Get());
    return std::make_unique<HelperCall>(std::move(process), std::move(answers), std::move(arrived),
                                        std::move(requests));
}

std::unique_ptr<HelperCall> Helper64::Start(const ServerFile& server, const ServerTask& task, DWORD& error) {
    error = file_.Prepare(image_);
    if (error == 0) error = MakeJob();
    if (error != 0) return nullptr;
    std::unique_ptr<HelperCall> call = spare_ ? std::move(spare_) : Launch(error);
    // A ready helper that died meanwhile is replaced once, and so is one that
    // died while the system started it (Wine then says "internal error").
    if (!call || !call->Ask(server, task)) {
        call = Launch(error);
        if (call && !call->Ask(server, task)) {
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
