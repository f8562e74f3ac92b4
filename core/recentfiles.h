#pragma once

#include <QString>

#include <array>

namespace Orvik {

class MruMenu;

// The recently used file names: slots 1..10 (entry 0 unused), newest first, the empty text
// marking a free slot.
using RecentFileSlots = std::array<QString, 11>;

// Puts `name` in slot 1 exactly as given. An earlier entry for the same name (compared
// trimmed of blanks and upper-cased; free slots take part, so an empty name matches the
// first free slot) is taken out by moving the slots above it down one place; a new name
// pushes every slot down and drops slot 10.
void addRecentFile(RecentFileSlots &files, const QString &name);

// Brings items 1..10 and the separator in line with the slots: a filled slot shows its text
// as item caption; an empty one hides its item. The separator is shown with the first
// filled slot and never hidden again (`separatorShown` keeps that across calls).
void showRecentFiles(const RecentFileSlots &files, MruMenu &menu, bool &separatorShown);

} // namespace Orvik
