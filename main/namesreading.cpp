// What names a file in the registry once its export has run, read on the
// names reader's thread while the window paints and answers (registerflow.cpp).
#include "frmreg.h"

services::NamesReader& frmReg::Names() {
    if (!names_) names_ = std::make_unique<services::NamesReader>();
    return *names_;
}
