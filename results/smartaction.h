#pragma once

// The entries of the smart-select menu, in menu order; each re-marks the files
// of the selected groups by one rule.
enum class SmartAction {
    SmartSelect = 1,
    ByPriority,
    Newest,
    Oldest,
    Largest,
    Smallest,
    HighestResolution,
    LowestResolution,
    Deselect
};
