#pragma once

// How the files of the current group are shown: thumbnails in a grid, one
// large preview with a file table, or a list to compare side by side.
enum class FilePresentation { Grid, Flow, CompareList };
