#include "frmreg.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include "modfunctions.h"
#include "resource_names.h"
#include "runtime/dpi.h"
#include "runtime/filedrop.h"
#include "runtime/ondemand.h"
#include "runtime/picture.h"
#include "skin.h"

namespace {

const wchar_t kSource[] = L"frmReg";
// The strip's right edge stays this far inside the client area.
constexpr int kStripMargin = 8;

[[noreturn]] void Missing(const std::wstring& what) {
    rt::Raise(rt::errnum::CannotLoad, kSource, L"the main window's description has no " + what);
}

rt::StoredObject* FindStored(rt::StoredObject& object, const std::wstring& name) {
    if (lstrcmpiW(object.Name.c_str(), name.c_str()) == 0) return &object;
    for (rt::StoredObject& child : object.Children)
        if (rt::StoredObject* found = FindStored(child, name)) return found;
    return nullptr;
}

void SetStored(rt::StoredObject& root, const std::wstring& name, const std::wstring& key, rt::Variant value) {
    rt::StoredObject* object = FindStored(root, name);
    if (!object) Missing(name);
    object->Properties.Set(key, std::move(value));
}

std::wstring ResourceText(HINSTANCE module, const wchar_t* name) {
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const int size = found ? static_cast<int>(SizeofResource(module, found)) : 0;
    if (!bytes || size <= 0)
        rt::Raise(rt::errnum::CannotLoad, kSource, L"the main window's description is missing");
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, size, text.data(), length);
    return text;
}

template <class T>
T* Named(rt::Form& form, const wchar_t* name) {
    T* control = form.Find<T>(name);
    if (!control) Missing(name);
    return control;
}

}  // namespace

std::wstring frmReg::file(const std::wstring& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (path[i - 1] == L'\\') return path.substr(i);
    return {};
}

long OuterHeightTwips(const std::wstring& windowsId) {
    return windowsId == L"WinVista" ? 2970 : 3045;
}

rt::StoredObject StoredMainWindow(HINSTANCE module, const std::wstring& windowsId) {
    rt::StoredObject stored = rt::ParseFormText(ResourceText(module, res::FormDescription));
    // Made at its outer size, so that loading costs no resize.
    stored.Properties.Set(L"Width", static_cast<int32_t>(kOuterWidthTwips));
    stored.Properties.Set(L"Height", static_cast<int32_t>(OuterHeightTwips(windowsId)));
    // The skin pictures are drawn for the display's scale when the window loads (ApplySkin).
    SetStored(stored, L"lblLink", L"MouseIcon", LinkCursor(module));
    SetStored(stored, L"lblLink", L"Caption", std::wstring(kHomePage));
    return stored;
}

frmReg::frmReg() = default;

frmReg::~frmReg() = default;

void frmReg::Load(HINSTANCE module) {
    module_ = module;
    rt::FormEvents& events = form_.Events();
    events.Initialize = [this] { Form_Initialize(); };
    events.Load = [this] {
        Bind();
        Form_Load();
    };
    events.Resize = [this] { Form_Resize(); };
    events.MouseMove = [this](short button, short shift, float x, float y) {
        Form_MouseMove(button, shift, x, y);
    };
    events.Unload = [this] { Form_Unload(); };
    events.DpiChanged = [this] { Form_DpiChanged(); };
    events.FilesDropped = [this](const std::vector<std::wstring>& files) { Form_FilesDropped(files); };
    aero::RegisterAeroButtonType();
    // The outer height depends on the system; Form_Load makes the window's own services later.
    clsOS system;
    system.GetSystemOS();
    form_.SetIcons(modFunctions::WindowIcon(res::MainIcon, ICON_BIG),
                   modFunctions::WindowIcon(res::MainIcon, ICON_SMALL));
    rt::LoadForm(form_, StoredMainWindow(module, system.WindowsID()));
}

// Every control exists by now; their events go to the handlers.
void frmReg::Bind() {
    txtSource_ = Named<rt::TextBox>(form_, L"txtSource");
    txtSource_->Change = [this] { txtSource_Change(); };
    lblLink_ = Named<rt::Label>(form_, L"lblLink");
    picN_ = Named<rt::PictureBox>(form_, L"picN");
    btnMin_ = Named<rt::ImageZone>(form_, L"btnMin");
    btnClose_ = Named<rt::ImageZone>(form_, L"btnClose");
    imgNormal_ = Named<rt::ImageZone>(form_, L"imgNormal");
    imgMinH_ = Named<rt::ImageZone>(form_, L"imgMinH");
    imgMinD_ = Named<rt::ImageZone>(form_, L"imgMinD");
    imgCloseH_ = Named<rt::ImageZone>(form_, L"imgCloseH");
    imgCloseD_ = Named<rt::ImageZone>(form_, L"imgCloseD");

    btnMin_->Click = [this] { btnMin_Click(); };
    btnMin_->MouseDown = [this](short b, short s, float x, float y) { btnMin_MouseDown(b, s, x, y); };
    btnMin_->MouseMove = [this](short b, short s, float x, float y) { btnMin_MouseMove(b, s, x, y); };
    btnClose_->Click = [this] { btnClose_Click(); };
    btnClose_->MouseDown = [this](short b, short s, float x, float y) { btnClose_MouseDown(b, s, x, y); };
    btnClose_->MouseMove = [this](short b, short s, float x, float y) { btnClose_MouseMove(b, s, x, y); };
    lblLink_->Click = [this] { lblLink_Click(); };

    const struct {
        const wchar_t* name;
        void (frmReg::*handler)();
    } commands[] = {
        {L"cmdBrowse", &frmReg::cmdBrowse_Click}, {L"cmdReg", &frmReg::cmdReg_Click},
        {L"cmdUnreg", &frmReg::cmdUnreg_Click},   {L"cmdHome", &frmReg::cmdHome_Click},
        {L"cmdAbout", &frmReg::cmdAbout_Click},   {L"cmdCommunity", &frmReg::cmdCommunity_Click},
    };
    for (const auto& c : commands) {
        Named<aero::AeroButton>(form_, c.name)->Events().Click = [this, handler = c.handler] {
            (this->*handler)();
        };
    }
}

void frmReg::Form_Initialize() {
    // The version 6 common controls that the manifest asks for, before any control exists.
    rt::ondemand::InitCommonControls();
}

void frmReg::Form_Load() {
    dlg_ = std::make_unique<clsDlg>();
    reg_ = std::make_unique<clsReg>(module_, res::Helper64);
    os_ = std::make_unique<clsOS>();
    os_->GetSystemOS();
    FitToScale();
    // Files dropped anywhere on the window, the field included, fill the field.
    rt::AcceptDroppedFiles(hWnd());
    rt::AcceptDroppedFiles(txtSource_->hWnd());
}

void frmReg::Form_Resize() {
    if (picN_) PlaceStrip();
}

void frmReg::Form_MouseMove(short button, short, float, float) {
    if (button == 1) modFunctions::DragWindow(hWnd());
    ShowStrip(*imgNormal_);
}

void frmReg::Form_Unload() {
    // A helper still at work ends with the window; no answer about the field is awaited.
    scout_.reset();
    if (reg_) reg_->EndHelpers();
    rt::Suppress([this] { dlg_.reset(); });
    // A registration still under way lets go of the service once it returns.
    if (!registrationRunning_) rt::Suppress([this] { reg_.reset(); });
    rt::Suppress([this] { os_.reset(); });
}

void frmReg::btnMin_Click() {
    form_.SetWindowState(rt::WindowState::Minimized);
}
void frmReg::btnMin_MouseDown(short, short, float, float) {
    ShowStrip(*imgMinD_);
}
void frmReg::btnMin_MouseMove(short, short, float, float) {
    ShowStrip(*imgMinH_);
}
void frmReg::btnClose_Click() {
    form_.Unload();
}
void frmReg::btnClose_MouseDown(short, short, float, float) {
    ShowStrip(*imgCloseD_);
}
void frmReg::btnClose_MouseMove(short, short, float, float) {
    ShowStrip(*imgCloseH_);
}

void frmReg::ShowStrip(const rt::ImageZone& image) {
    picN_->SetPicture(image.Picture());
}

void frmReg::PlaceStrip() {
    ShowStrip(*imgNormal_);
    const int margin = rt::ScaleToDpi(kStripMargin, rt::CurrentDpi());
    picN_->Move(static_cast<int>(form_.ScaleWidth()) - picN_->Width() - margin, 0);
}
