// What the network information dialog shows, made from the instance record.
#pragma once

#include "base/docklet_instance.h"

#include <cstdint>
#include <string>
#include <vector>

struct ControlText {
    int controlId;
    std::wstring text;
};

// "Up", "Down", ... for an IF_OPER_STATUS value; "Undefined" for any other.
const wchar_t* OperStatusWord(int32_t operStatus) noexcept;

// The adapter rows and the adapter's own addresses of both families.
std::vector<ControlText> AdapterTexts(const DockletInstance& instance);

// The DHCP, WINS and DNS rows. A lease time that has
// no local-time form is left out, so its control keeps its empty text.
std::vector<ControlText> AddressDetailTexts(const DockletInstance& instance);
