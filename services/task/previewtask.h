// A server's task run against a scratch copy of the registry (preview.h):
// what it would write, or what its unregistration would delete, without
// changing the real registry.
#pragma once

#include <string>

#include "outcome/outcome.h"
#include "paths/serverroad.h"
#include "servertask.h"

namespace services {

// The task's exports, run with this process's registry redirected; the
// outcome as RunTask gives it, with Preview filled in whenever the scratch could be made.
ServerOutcome RunPreview(const ServerFile& server, const ServerTask& task, const BeforeExport& before = {});

}  // namespace services
