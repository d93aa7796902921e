// The face and frame rules of the button, one row per situation: checked on
// the rule functions alone (paint_test), on a fresh button brought into the
// situation by the host, the keyboard and the mouse (`live`, control_test), and
// on one dressed with caption and picture whose flags are set directly
// (`dressed`, states_test).
#pragma once

#include <windows.h>

#include "aerobutton/paint.h"
#include "aerobutton/state.h"
#include "test_image.h"

namespace aerotest {

constexpr COLORREF kNoRing = CLR_INVALID;

struct Situation {
    const char* what;
    long state;  // asked of Redraw
    bool checkBox, value, enabled, mouseDown, hot, hostActive, focus, isDefault;
    aero::Face face;
    COLORREF border, ring;  // ring: kNoRing when none is drawn
    bool live, dressed;
    COLORREF top, side, inside;  // shown at (36, 1), (1, 12) and (3, 3); 0 where not looked at
};

inline constexpr COLORREF kDownShadow = RGB(158, 176, 186);
inline constexpr COLORREF kNormalTop = RGB(246, 246, 246);

// clang-format off
inline constexpr Situation kSituations[] = {
    // what                                state          cb     value  enab   mouse  hot    active focus  dflt   face                 border           ring
    {"idle",                               aero::Normal,  true,  false, true,  false, false, true,  false, false, aero::Face::Normal,   kPlain,          kWhite,  false, true,  0, kWhite, kNormalTop},
    {"focused",                            aero::Normal,  true,  false, true,  false, false, true,  true,  false, aero::Face::Normal,   kActive,         kCyan,   true,  true,  kCyan, kCyan, kNormalTop},
    {"default",                            aero::Normal,  true,  false, true,  false, false, true,  false, true,  aero::Face::Normal,   kActive,         kCyan,   true,  true,  kCyan, kCyan, kNormalTop},
    {"normal, host inactive",              aero::Normal,  false, false, true,  false, false, false, false, false, aero::Face::Normal,   kPlain,          kWhite,  false, false, 0, 0, 0},
    {"focused, host inactive",             aero::Normal,  false, false, true,  false, false, false, true,  false, aero::Face::Normal,   kPlain,          kWhite,  true,  false, kWhite, kWhite, 0},
    {"default, host inactive",             aero::Normal,  false, false, true,  false, false, false, false, true,  aero::Face::Normal,   kPlain,          kWhite,  false, false, 0, 0, 0},
    {"hot asked, cursor elsewhere",        aero::Hot,     true,  false, true,  false, false, true,  false, false, aero::Face::Hot,      kActive,         kWhite,  false, true,  0, kWhite, RGB(230, 245, 253)},
    {"hot asked, host inactive",           aero::Hot,     false, false, true,  false, false, false, false, false, aero::Face::Hot,      kActive,         kWhite,  false, false, 0, 0, 0},
    {"hot",                                aero::Hot,     false, false, true,  false, true,  true,  false, false, aero::Face::Hot,      kActive,         kWhite,  false, false, 0, 0, 0},
    {"hot beats focus",                    aero::Hot,     false, false, true,  false, true,  true,  true,  false, aero::Face::Hot,      kActive,         kWhite,  false, false, 0, 0, 0},
    {"held off the control",               aero::Normal,  false, false, true,  true,  false, true,  false, false, aero::Face::Normal,   kActive,         kWhite,  false, false, 0, 0, 0},
    {"held off the control, focused",      aero::Normal,  false, false, true,  true,  false, true,  true,  false, aero::Face::Normal,   kActive,         kWhite,  true,  false, kWhite, kWhite, 0},
    {"held off, still down",               aero::Down,    false, false, true,  true,  false, true,  false, false, aero::Face::Down,     kPressed,        kNoRing, false, false, 0, 0, 0},
    {"down asked",                         aero::Down,    true,  false, true,  false, false, true,  false, false, aero::Face::Down,     kPressed,        kNoRing, false, true,  0, kDownShadow, RGB(221, 240, 251)},
    {"down asked, host inactive",          aero::Down,    false, false, true,  false, false, false, false, false, aero::Face::Down,     kPressed,        kNoRing, false, false, 0, 0, 0},
    {"pressed with focus",                 aero::Down,    false, false, true,  true,  true,  true,  true,  false, aero::Face::Down,     kPressed,        kNoRing, true,  false, kDownShadow, kDownShadow, 0},
    {"checked",                            aero::Normal,  true,  true,  true,  false, false, true,  false, false, aero::Face::Checked,  kPlain,          kWhite,  false, true,  0, kWhite, RGB(209, 209, 209)},
    {"checked, host inactive",             aero::Normal,  true,  true,  true,  false, false, false, false, false, aero::Face::Checked,  kPlain,          kWhite,  false, false, 0, 0, 0},
    {"checked and hovered keeps its face", aero::Hot,     true,  true,  true,  false, false, false, false, false, aero::Face::Checked,  kActive,         kWhite,  false, false, 0, 0, 0},
    {"checked and pressed stays checked",  aero::Down,    true,  true,  true,  true,  true,  true,  true,  false, aero::Face::Checked,  kPressed,        kNoRing, true,  false, Grey(206), Grey(224), 0},
    {"checked and down asked",             aero::Down,    true,  true,  true,  false, false, false, false, false, aero::Face::Checked,  kPressed,        kNoRing, false, false, 0, 0, 0},
    {"value without check box mode",       aero::Normal,  false, true,  true,  false, false, false, false, false, aero::Face::Checked,  kPlain,          kWhite,  false, false, 0, 0, 0},
    {"down with value, no check box mode", aero::Down,    false, true,  true,  false, false, false, false, false, aero::Face::Down,     kPressed,        kNoRing, false, false, 0, 0, 0},
    {"checked down needs Enabled",         aero::Down,    true,  true,  false, false, false, false, false, false, aero::Face::Down,     kPressed,        kNoRing, false, false, 0, 0, 0},
    {"disabled",                           aero::Disabled, true, false, false, false, false, true,  false, false, aero::Face::Disabled, kDisabledBorder, kNoRing, false, true,  0, Grey(250), Grey(250)},
    {"disabled, host inactive",            aero::Disabled, false, false, false, false, false, false, false, false, aero::Face::Disabled, kDisabledBorder, kNoRing, false, false, 0, 0, 0},
    {"disabled and checked",               aero::Disabled, true, true,  false, false, false, false, false, false, aero::Face::Disabled, kDisabledBorder, kNoRing, false, false, 0, 0, 0},
    {"disabled with focus",                aero::Disabled, false, false, false, false, true, true,  true,  true,  aero::Face::Disabled, kDisabledBorder, kNoRing, false, false, 0, 0, 0},
};
// clang-format on

}  // namespace aerotest
