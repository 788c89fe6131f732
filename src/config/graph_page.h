// The "Graph" page: colours and opacities of the graph bars, box and frame,
// with a sample of the two graphs drawn from the live history.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

constexpr int IDD_GRAPH_PAGE = 110;

INT_PTR CALLBACK GraphPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The image set's background.png with the standard pair of graphs over it,
// in the instance's colours, shown in the picture control.
void DrawGraphPreview(HWND page, int controlId, const DockletInstance& instance) noexcept;
