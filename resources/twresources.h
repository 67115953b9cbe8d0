#pragma once

// Registers the picture bundle; the libraries that carry it are static, so
// the program and the tests call this once before the first picture is used.
void initTwResources();
