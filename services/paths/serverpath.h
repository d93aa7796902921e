// What the path field holds, turned into the server files to work on: quotes,
// blanks and environment variables dealt with, several files told apart, and
// paths that name no file at all recognised before the loader sees them.
#pragma once

#include <string>
#include <vector>

#include "serverfault.h"

namespace services {

// The longest path the system's wide functions accept, in characters.
inline constexpr size_t kLongestPath = 32767;

// The files the field names, in order; empty when it names none (only blanks
// or quotes). One path may have one pair of double quotes and blanks or tabs
// around it; several paths are each in double quotes, separated by blanks; a
// line break separates paths too, one a line. %NAME% variables are expanded.
std::vector<std::wstring> SplitServerPaths(const std::wstring& field);

// A path as it is given: blanks and tabs around it and one pair of double quotes taken away.
std::wstring UnquotedPath(const std::wstring& text);
// %NAME% variables expanded from this process's environment; the text as it is where that fails.
std::wstring ExpandVariables(const std::wstring& text);

// The field text for what the Open dialog chose: a single path as it is;
// several (one a line) each in double quotes, separated by a blank.
std::wstring FieldTextForSelection(const std::wstring& dialogAnswer);

// True when the path has no folder part, so the loader's own search finds it.
bool IsBareName(const std::wstring& path);

// Why a path cannot name a server file, judged from its text alone: None, Malformed or Device.
struct PathCheck {
    ServerFault Fault = ServerFault::None;
    std::wstring Detail;  // for Malformed: what is wrong with it
};
PathCheck CheckPathForm(const std::wstring& path);

}  // namespace services
