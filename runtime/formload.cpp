#include "formload.h"

#include <cwctype>
#include <map>

#include "errors.h"
#include "imagezone.h"
#include "label.h"
#include "picturebox.h"
#include "textbox.h"
#include "tooltip.h"
#include "units.h"

namespace rt {
namespace {


std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

long ReadLong(const PropertyBag& bag, const wchar_t* key, long fallback) {
    return ToLong(bag.ReadProperty(key, Variant{static_cast<int32_t>(fallback)}));
}

bool ReadBool(const PropertyBag& bag, const wchar_t* key, bool fallback) {
    return ToBoolean(bag.ReadProperty(key, Variant{fallback}));
}

std::wstring ReadString(const PropertyBag& bag, const wchar_t* key) {
    return ToString(bag.ReadProperty(key, Variant{std::wstring()}));
}

FontRef ReadFont(const PropertyBag& bag) {
    return bag.Contains(L"Font") ? ToFont(bag.ReadProperty(L"Font", Variant{})) : nullptr;
}

PictureRef ReadPicture(const PropertyBag& bag, const wchar_t* key) {
    return bag.Contains(key) ? ToPicture(bag.ReadProperty(key, Variant{})) : nullptr;
}

int TwipsToPixelsX(long twips) { return RoundHalfEven(twips / TwipsPerPixelX()); }
int TwipsToPixelsY(long twips) { return RoundHalfEven(twips / TwipsPerPixelY()); }

std::unique_ptr<Control> MakeTextBox(const StoredObject& stored, Container& container, const RECT& bounds) {
    auto box = CreateStored(std::make_unique<TextBox>(), stored, container, bounds);
    const PropertyBag& bag = stored.Properties;
    if (FontRef font = ReadFont(bag)) box->SetFont(font);
    box->SetText(ReadString(bag, L"Text"));
    box->SetTabStop(ReadBool(bag, L"TabStop", true));
    return box;
}

std::unique_ptr<Control> MakeLabel(const StoredObject& stored, Container& container, const RECT& bounds) {
    auto label = CreateStored(std::make_unique<Label>(), stored, container, bounds);
    const PropertyBag& bag = stored.Properties;
    if (FontRef font = ReadFont(bag)) label->SetFont(font);
    label->SetForeColor(ReadLong(bag, L"ForeColor", label->ForeColor()));
    label->SetBackColor(ReadLong(bag, L"BackColor", label->BackColor()));
    label->SetTransparent(ReadLong(bag, L"BackStyle", 0) == 0);
    label->SetMouseIcon(ReadPicture(bag, L"MouseIcon"));
    label->SetMousePointer(static_cast<short>(ReadLong(bag, L"MousePointer", 0)));
    label->SetCaption(ReadString(bag, L"Caption"));
    label->SetAutoSize(ReadBool(bag, L"AutoSize", false));
    return label;
}

std::unique_ptr<Control> MakeImage(const StoredObject& stored, Container& container, const RECT& bounds) {
    auto image = CreateStored(std::make_unique<ImageZone>(), stored, container, bounds);
    image->SetPicture(ReadPicture(stored.Properties, L"Picture"));
    return image;
}

std::unique_ptr<Control> MakePictureBox(const StoredObject& stored, Container& container, const RECT& bounds) {
    auto box = CreateStored(std::make_unique<PictureBox>(), stored, container, bounds);
    box->SetBackColor(ReadLong(stored.Properties, L"BackColor", box->BackColor()));
    box->SetPicture(ReadPicture(stored.Properties, L"Picture"));
    return box;
}

std::map<std::wstring, ControlFactory>& Factories() {
    static std::map<std::wstring, ControlFactory> factories = {
        {L"textbox", &MakeTextBox},
        {L"label", &MakeLabel},
        {L"image", &MakeImage},
        {L"picturebox", &MakePictureBox},
    };
    return factories;
}

void CheckTypes(const StoredObject& object) {
    for (const StoredObject& child : object.Children) {
        if (!IsControlTypeRegistered(child.Type))
            Raise(errnum::UnknownControlType, L"LoadForm", L"unknown control type \"" + child.Type + L"\" of " + child.Name);
        CheckTypes(child);
    }
}

// The properties every control shares, whatever made it. Name and Parent come
// with the control's window.
void ApplyShared(Control& control, const StoredObject& stored, Form& form) {
    const PropertyBag& bag = stored.Properties;
    control.SetTabIndex(static_cast<int>(ReadLong(bag, L"TabIndex", 0)));
    const std::wstring tip = ReadString(bag, L"ToolTipText");
    if (auto* image = dynamic_cast<ImageZone*>(&control)) {
        image->SetToolTipText(tip);
    } else if (!tip.empty() && control.hWnd()) {
        form.SetToolTipText(control.hWnd(), tip);
    }
    if (ReadBool(bag, L"Default", false)) form.SetDefault(&control);
    if (ReadBool(bag, L"Cancel", false)) form.SetCancel(&control);
    // Through the control, whose own state follows; one that read its own key already agrees.
    if (!ReadBool(bag, L"Enabled", true) && control.Enabled()) control.SetEnabled(false);
    if (control.hWnd() && !ReadBool(bag, L"Visible", true)) ShowWindow(control.hWnd(), SW_HIDE);
}

void LoadChildren(Form& form, Container& container, const StoredObject& parent) {
    for (const StoredObject& stored : parent.Children) {
        std::unique_ptr<Control> made = Factories().at(Lower(stored.Type))(stored, container, StoredBounds(stored));
        if (!made) RaiseCannotCreate(stored);
        Control& control = form.Add(std::move(made));
        ApplyShared(control, stored, form);
        if (auto* inner = dynamic_cast<Container*>(&control)) LoadChildren(form, *inner, stored);
    }
}

}  // namespace

void RaiseCannotCreate(const StoredObject& stored) {
    Raise(errnum::CannotLoad, L"LoadForm", L"cannot create " + stored.Type + L" " + stored.Name);
}

void RegisterControlType(const std::wstring& type, ControlFactory factory) {
    Factories()[Lower(type)] = std::move(factory);
}

bool IsControlTypeRegistered(const std::wstring& type) { return Factories().count(Lower(type)) != 0; }

RECT StoredBounds(const StoredObject& stored) {
    const PropertyBag& bag = stored.Properties;
    RECT bounds{};
    bounds.left = TwipsToPixelsX(ReadLong(bag, L"Left", 0));
    bounds.top = TwipsToPixelsY(ReadLong(bag, L"Top", 0));
    long width = bag.Contains(L"Width") ? TwipsToPixelsX(ReadLong(bag, L"Width", 0))
                                        : RoundHalfEven(HimetricToPixelsX(ReadLong(bag, L"_extentx", 0)));
    long height = bag.Contains(L"Height") ? TwipsToPixelsY(ReadLong(bag, L"Height", 0))
                                          : RoundHalfEven(HimetricToPixelsY(ReadLong(bag, L"_extenty", 0)));
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    return bounds;
}

void LoadForm(Form& form, const StoredObject& stored) {
    CheckTypes(stored);
    const PropertyBag& bag = stored.Properties;
    const std::wstring caption = ReadString(bag, L"Caption");
    // An outer size (Width and Height), where given, wins over the client size.
    const bool made = bag.Contains(L"Width") && bag.Contains(L"Height")
                          ? form.CreateWithOuterSize(caption, ReadLong(bag, L"Width", 0), ReadLong(bag, L"Height", 0))
                          : form.Create(caption, TwipsToPixelsX(ReadLong(bag, L"ClientWidth", 4800)),
                                        TwipsToPixelsY(ReadLong(bag, L"ClientHeight", 3600)));
    if (!made)
        Raise(errnum::CannotLoad, L"LoadForm", L"cannot create the form " + stored.Name);
    form.SetBackColor(ReadLong(bag, L"BackColor", form.BackColor()));
    form.SetForeColor(ReadLong(bag, L"ForeColor", form.ForeColor()));
    if (FontRef font = ReadFont(bag)) form.SetFont(font);
    form.SetPicture(ReadPicture(bag, L"Picture"));
    form.SetScaleMode(ReadLong(bag, L"ScaleMode", 3) == 1 ? ScaleMode::Twips : ScaleMode::Pixels);
    try {
        LoadChildren(form, form, stored);
        form.Load();
    } catch (...) {
        // Nothing half-built stays attached to the form.
        form.Discard();
        throw;
    }
}

}  // namespace rt
