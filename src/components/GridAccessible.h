#pragma once

namespace sr5n {

// Makes the multi-cell grid and the spin edit field readable by screen
// readers: the grid as a table whose cells have a role (header, cell, check
// box), a name (their column's header and their row's label), their text as
// value and their state; the spin edit field as a spin box with its value.
// Called by the widgets themselves; installing twice is harmless.
void InstallGridAccessibility();

} // namespace sr5n
