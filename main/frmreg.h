// frmReg: the program's only window. A skinned panel built from its stored
// description, with the path field, the link label, the picture strip that
// stands in for the minimise and close buttons, and six AeroButtons whose
// Click events run the commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "aerobutton/aerobutton.h"
#include "helper64/helper64.h"
#include "messages.h"
#include "paths/loaddiagnosis.h"
#include "paths/serverroad.h"
#include "protocol/serveroutcome.h"
#include "registration/clsreg.h"
#include "registry/namesreader.h"
#include "registry/registrynames.h"
#include "roadscout.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/formload.h"
#include "runtime/formtext.h"
#include "runtime/imagezone.h"
#include "runtime/label.h"
#include "runtime/picturebox.h"
#include "runtime/textbox.h"
#include "system/dlg.h"
#include "system/os.h"
#include "task/servertask.h"

// Outer height in twips: the shorter frame of "WinVista", else the taller one.
long OuterHeightTwips(const std::wstring& windowsId);
inline constexpr long kOuterWidthTwips = 7755;

// The link's hand cursor from `module`, at the system's cursor size for the DPI in force.
rt::PictureRef LinkCursor(HINSTANCE module);

// The window's stored description, as embedded in `module`, with the pictures,
// the hand cursor and the home page address filled in from the module's
// resources and the build, and the outer size for the system named by
// `windowsId` (clsOS::WindowsID). Raises a run-time error when it is absent or
// malformed.
rt::StoredObject StoredMainWindow(HINSTANCE module, const std::wstring& windowsId);

class frmReg {
public:
    frmReg();
    ~frmReg();
    frmReg(const frmReg&) = delete;
    frmReg& operator=(const frmReg&) = delete;

    // Builds the window (Initialize, controls, Load) from the description
    // embedded in `module`; it is ready to be shown. Raises a run-time error
    // when it cannot be built.
    void Load(HINSTANCE module);
    // Shows the window centred, with the focus in the path field.
    void Show() { form_.Show(); }
    // Puts files handed over by the shell into the path field, as the Open
    // dialog's selection of them would; none leaves the field as it is.
    // Nothing is registered until a command runs (shellfiles.cpp).
    void TakeFiles(const std::vector<std::wstring>& files);

    rt::Form& Form() { return form_; }
    HWND hWnd() const { return form_.hWnd(); }

    // The window's public answer for the part of a path after its last
    // backslash; empty when there is none. Callers inside the program use
    // services::FileNameOf, which knows every separator.
    static std::wstring file(const std::wstring& path);

    // One file of Register or Unregister, on the road its kind asks for: in
    // this process, or in the 64-bit helper while the window waits and answers.
    services::RegistrationOutcome RegisterOne(const std::wstring& path, bool registering);

private:
    void Bind();

    void Form_Initialize();
    void Form_Load();
    void Form_Resize();
    void Form_MouseMove(short button, short shift, float x, float y);
    void Form_Unload();
    void Form_FilesDropped(const std::vector<std::wstring>& files);
    void txtSource_Change();
    void btnMin_Click();
    void btnMin_MouseDown(short button, short shift, float x, float y);
    void btnMin_MouseMove(short button, short shift, float x, float y);
    void btnClose_Click();
    void btnClose_MouseDown(short button, short shift, float x, float y);
    void btnClose_MouseMove(short button, short shift, float x, float y);
    void ShowStrip(const rt::ImageZone& image);
    void PlaceStrip();
    // Scale (frmreg_scale.cpp).
    void Form_DpiChanged();
    void FitToScale();
    void ApplySkin();

    // Commands (commands.cpp).
    void cmdBrowse_Click();
    void cmdReg_Click();
    void cmdUnreg_Click();
    void cmdAbout_Click();
    void cmdHome_Click();
    void cmdCommunity_Click();
    void lblLink_Click();
    void RunRegistration(bool registering);
    // What names the file once its export ran, read while the window answers (namesreading.cpp).
    services::NamesReader& Names();
    void OpenPage(const std::wstring& address);

    rt::Form form_;
    HINSTANCE module_ = nullptr;

    std::unique_ptr<clsDlg> dlg_;
    // The registration service; its end ends every helper.
    std::unique_ptr<clsReg> reg_;
    std::unique_ptr<clsOS> os_;
    // Made when a file is first named; its end stops its thread.
    std::unique_ptr<services::NamesReader> names_;
    // Looks at the field's text off the window thread; made on 64-bit Windows at the first change.
    std::unique_ptr<RoadScout> scout_;
    bool registrationRunning_ = false;

    rt::TextBox* txtSource_ = nullptr;
    rt::Label* lblLink_ = nullptr;
    rt::PictureBox* picN_ = nullptr;
    rt::ImageZone* btnMin_ = nullptr;
    rt::ImageZone* btnClose_ = nullptr;
    rt::ImageZone* imgNormal_ = nullptr;
    rt::ImageZone* imgMinH_ = nullptr;
    rt::ImageZone* imgMinD_ = nullptr;
    rt::ImageZone* imgCloseH_ = nullptr;
    rt::ImageZone* imgCloseD_ = nullptr;
};
