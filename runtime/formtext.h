// The text format of stored form descriptions: a form, its controls and their
// typed properties, readable and exactly round-tripped (write, read, write gives
// the same text). Malformed text is refused with a run-time error naming the line.
#pragma once

#include <string>
#include <vector>

#include "propertybag.h"

namespace rt {

struct StoredObject {
    std::wstring Type;  // "Form", "TextBox", "Label", "Image", "PictureBox", "AeroButton", ...
    std::wstring Name;  // "frmReg", "cmdReg", ...
    PropertyBag Properties;
    std::vector<StoredObject> Children;  // in the order they are stored (creation order)
};

// Parses a whole description. Raises RuntimeError (number 380, description
// naming the line: "line N: ...") for malformed text; never returns a partial tree.
StoredObject ParseFormText(const std::wstring& text);
std::wstring WriteFormText(const StoredObject& root);

}  // namespace rt
