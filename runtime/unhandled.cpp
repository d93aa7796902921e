#include "unhandled.h"

#include "msgbox.h"

namespace rt {
namespace {

std::function<void(const ErrorInfo&)>& Handler() {
    static std::function<void(const ErrorInfo&)> handler;
    return handler;
}

}  // namespace

std::wstring UnhandledErrorText(const ErrorInfo& info) {
    std::wstring text = L"Run-time error " + std::to_wstring(info.Number) + L":\r\n" + info.Description;
    if (!info.Source.empty()) text += L"\r\n(" + info.Source + L")";
    return text;
}

void ReportUnhandledError(const ErrorInfo& info) {
    if (Handler()) {
        Handler()(info);
        return;
    }
    MsgBox(UnhandledErrorText(info), MsgBoxExclamation, kErrorTitle);
}

void SetUnhandledErrorHandler(std::function<void(const ErrorInfo&)> handler) { Handler() = std::move(handler); }

}  // namespace rt
