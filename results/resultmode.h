#pragma once

// Which groups of a category the results window lists: ordinary duplicates
// (every category but Images, and All), or, in Images, the groups with exact
// copies or the groups of similar pictures.
enum class ResultMode { Ordinary = 0, DuplicateImages = 1, SimilarImages = 2 };
