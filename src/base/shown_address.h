// The address an icon shows on its address line and in its label.
#pragma once

#include "base/docklet_instance.h"

// The IPv4 address; for an adapter without one (none listed, or 0.0.0.0) its
// stable IPv6 address, else its temporary one; empty when it has none of them.
const wchar_t* ShownAddress(const DockletInstance& instance) noexcept;
