#pragma once
// --version: the program's version, and the commit it was built from when it was built from a
// git checkout.

#include "tools/Console.h"
#include "tools/Invocation.h"

#include <QString>

namespace app {

// "QorvEdit 1.0\n", or "QorvEdit 1.0 (commit 93c89a8)\n" from a checkout ("93c89a8-dirty" when
// the checkout had changes that were not committed).
QString versionText();

int printVersion(const Invocation& invocation, Console& console);

} // namespace app
