// The sheet's working copy of an instance's settings, and the commit that
// brings them back into the live instance.
#pragma once

#include "base/docklet_instance.h"

// Fills a zero-filled record with the settings the pages edit, the handles,
// and the rates and histories the Graph page's sample shows. The histories are
// borrowed: the copy must be freed without releasing them.
void FillWorkingCopy(const DockletInstance& live, DockletInstance& working) noexcept;

// Copies the edited settings back, except imagesFolder.
void CopyBackSettings(const DockletInstance& working, DockletInstance& live) noexcept;

// Whether the working copy names another image set (letter case does not count).
bool ImageSetChanged(const DockletInstance& live, const DockletInstance& working) noexcept;

// The whole commit: settings back; on a changed image set the new name, the
// pictures released, the new set's base image for the adapter's state named to
// the dock and its pictures loaded; then the adapter, display and fast timer
// brought up to date.
void CommitWorkingCopy(DockletInstance* live, const DockletInstance& working) noexcept;
